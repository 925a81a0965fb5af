// tavrin-cli tg: the tracking generator with the panel's rules.
#include "cli/commands.h"
#include "cli/session.h"
#include "tg/tg_control.h"

namespace tavrin::cli {

namespace {

struct TgPlan {
    std::optional<bool> mode, output;
    std::optional<int16_t> level, offset;
    bool normalize = false;
};

// An entry fitted into its range and rounded as the panel does it, with a note when that changed it.
std::optional<int16_t> TgEntry(const CommandLine &line, const std::string &name, int lowest, int highest,
                               std::string &error)
{
    if (!line.Has(name))
        return std::nullopt;
    const std::string &text = line.Value(name);
    const std::optional<double> v = ParseNumber(text);
    if (!v) {
        error = "--" + name + " takes a number, not \"" + text + "\"";
        return std::nullopt;
    }
    const std::string fitted = NormalizeTGText(text, lowest, highest);
    if (std::stod(fitted) != *v)
        Complain("note: --" + name + " " + text + " is sent as " + fitted + " (" + std::to_string(lowest) + ".." +
                 std::to_string(highest) + ", whole numbers).");
    return static_cast<int16_t>(std::stoi(fitted));
}

std::string ReadTgPlan(const CommandLine &line, TgPlan &plan)
{
    for (auto [name, field] : {std::pair{"mode", &plan.mode}, std::pair{"output", &plan.output}})
        if (line.Has(name) && !(*field = ParseOnOff(line.Value(name))))
            return std::string("--") + name + " takes on or off, not \"" + line.Value(name) + "\"";
    std::string error;
    plan.level = TgEntry(line, "level", kTGLevelLowest, kTGLevelHighest, error);
    plan.offset = TgEntry(line, "offset", kTGOffsetLowest, kTGOffsetHighest, error);
    plan.normalize = line.Has("normalize");
    if (!error.empty())
        return error;
    const bool settings = plan.output || plan.level || plan.offset || plan.normalize;
    if (!plan.mode && !settings)
        return "nothing to do: give --mode, --output, --level, --offset or --normalize";
    if (plan.mode == false && settings)
        return "--mode off leaves generator mode: it takes no other option";
    if (plan.normalize && plan.output != true)
        return "--normalize works with the output on: add --output on";
    return {};
}

}  // namespace

int TgCommand(const CommandLine &line)
{
    TgPlan plan;
    if (std::string error = ReadTgPlan(line, plan); !error.empty()) {
        Complain(error + " (tavrin-cli tg --help tells the options)");
        return kExitUsage;
    }
    CliLink link;
    if (const int opened = OpenAnalyzer(link, ChosenPort(line)); opened != kExitOk)
        return opened;
    using What = GeneratorCommand::What;
    std::vector<GeneratorCommand> commands;
    if (plan.mode == false) {
        commands = LeaveTGCommands();
    } else if (plan.output == true) {
        // As the panel switches it on: mode, output, then its level and offset entries.
        commands = TGCommands(true, plan.level.value_or(kTGDefaultLevel), plan.offset.value_or(0));
    } else {
        commands = {{What::Start, 0}};
        if (plan.output == false)
            commands.push_back({What::Output, 0});
        if (plan.level)
            commands.push_back({What::Level, *plan.level});
        if (plan.offset)
            commands.push_back({What::Offset, *plan.offset});
    }
    if (plan.normalize)
        commands.push_back({What::Normalize, 0});
    std::vector<JobStep> steps;
    for (const GeneratorCommand &c : commands)
        steps.push_back({JobStep::What::Generator, {}, c, {}, {}});
    bool done = false;
    link.S().Line().RunJob(std::move(steps), [&](const JobResult &) { done = true; });
    link.Wait([&] { return done; });
    return kExitOk;
}

}  // namespace tavrin::cli
