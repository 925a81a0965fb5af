#include "session/generator.h"

namespace tavrin {

void GeneratorControl::Send(std::vector<GeneratorCommand> commands, Sent sent)
{
    std::vector<JobStep> steps;
    for (const GeneratorCommand &c : commands)
        steps.push_back({JobStep::What::Generator, {}, c, {}, {}});
    line_.RunJob(std::move(steps), [sent = std::move(sent)](const JobResult &) {
        if (sent)
            sent();
    });
}

void GeneratorControl::Reset()
{
    mode_ = false;
    output_ = false;
    changed_();
}

void GeneratorControl::ToggleMode(Sent sent)
{
    mode_ = !mode_;
    if (mode_) {
        Send({{GeneratorCommand::What::Start, 0}}, std::move(sent));
    } else {
        Send(LeaveTGCommands(), std::move(sent));
        output_ = false;
    }
    changed_();
}

void GeneratorControl::ToggleOutput(Sent sent)
{
    output_ = !output_;
    Send(output_ ? TGCommands(true, static_cast<int16_t>(level_), static_cast<int16_t>(offset_))
                 : std::vector<GeneratorCommand>{{GeneratorCommand::What::Output, 0}},
         std::move(sent));
    changed_();
}

void GeneratorControl::Normalize(Sent sent)
{
    if (output_)
        Send({{GeneratorCommand::What::Normalize, 0}}, std::move(sent));
    else if (sent)
        sent();
}

void GeneratorControl::EnterLevel(const std::string &text)
{
    level_ = std::stoi(NormalizeTGText(text, kTGLevelLowest, kTGLevelHighest));
    changed_();
}

void GeneratorControl::EnterOffset(const std::string &text)
{
    offset_ = std::stoi(NormalizeTGText(text, kTGOffsetLowest, kTGOffsetHighest));
    changed_();
}

void GeneratorControl::SendSettings(Sent sent)
{
    if (mode_)
        Send(TGCommands(output_, static_cast<int16_t>(level_), static_cast<int16_t>(offset_)), std::move(sent));
    else if (sent)
        sent();
}

}  // namespace tavrin
