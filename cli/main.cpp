// tavrin-cli: the analyzer from scripts, without a display.
#include "cli/commands.h"
#include "cli/peak_setup_commands.h"
#include "cli/serve.h"
#include "cli/session.h"
#include "cli/sweep.h"
#include "common/program_folder.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#ifndef TAVRIN_VERSION
#define TAVRIN_VERSION "unknown"
#endif

using namespace tavrin::cli;

namespace {

// The options every command that reaches the analyzer shares; "" or the usage error.
std::string ReadCommonOptions(const CommandLine &line)
{
    if (line.Has("port") && !ParseInteger(line.Value("port"), 1, 4))
        return "--port takes 1, 2, 3 or 4, not \"" + line.Value("port") + "\"";
    if (line.Has("folder"))
        tavrin::SetProgramFolderOverride(line.Value("folder"));
    return {};
}

}  // namespace

int main(int argc, char *argv[])
{
    // A reader of standard output that went away ends a sweep as a write error, not as a kill
    // between two files' writes.
    std::signal(SIGPIPE, SIG_IGN);
    const ParseResult parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    const CommandLine &line = parsed.line;
    if (!parsed.error.empty()) {
        Complain(parsed.error + " (tavrin-cli --help tells the commands)");
        return kExitUsage;
    }
    if (line.version) {
        std::printf("tavrin-cli %s\n", TAVRIN_VERSION);
        return kExitOk;
    }
    if (line.help) {
        std::fputs(HelpText(line.command).c_str(), stdout);
        return kExitOk;
    }
    if (const std::string error = ReadCommonOptions(line); !error.empty()) {
        Complain(error);
        return kExitUsage;
    }
    // The analyzer is asked as the program asks it: requests answered through an event loop.
    QCoreApplication app(argc, argv);
    const std::pair<const char *, int (*)(const CommandLine &)> commands[] = {
        {"info", InfoOrSetupsCommand}, {"set", SetOrSetupCommand}, {"sweep", SweepCommand},
        {"peak", PeakOrTableCommand},  {"tg", TgCommand},          {"convert", ConvertCommand},
        {"serve", ServeCommand}};
    for (const auto &[name, run] : commands)
        if (line.command == name)
            return run(line);
    return kExitUsage;
}
