#include "remote/command_set.h"

#include "remote/commands.h"

namespace tavrin::remote {

const CommandTable &ScpiCommands()
{
    static const CommandTable table = [] {
        std::vector<Command> all;
        for (auto part : {CommonCommands, MeasureCommands, DataCommands, MarkerCommands, GeneratorCommands}) {
            std::vector<Command> commands = part();
            all.insert(all.end(), commands.begin(), commands.end());
        }
        return CommandTable(std::move(all));
    }();
    return table;
}

std::string CommandSetText()
{
    constexpr size_t kColumn = 46, kWidth = 104;
    std::string text;
    for (const Command &c : ScpiCommands().Commands()) {
        std::string line = "  " + std::string(c.pattern);
        if (!c.parameters.empty())
            line.append(" ").append(c.parameters);
        std::string_view help = c.help;
        if (!help.empty() && line.size() + 2 > kColumn) {
            text += line + "\n";
            line.clear();
        }
        // The help's words, wrapped under its column.
        while (!help.empty()) {
            line.resize(kColumn, ' ');
            size_t take = help.size();
            if (kColumn + take > kWidth) {
                take = help.rfind(' ', kWidth - kColumn);
                take = take == std::string_view::npos ? help.find(' ') : take;
            }
            line += help.substr(0, take);
            help.remove_prefix(std::min(help.size(), take + 1));
            if (!help.empty()) {
                text += line + "\n";
                line.clear();
            }
        }
        text += line + "\n";
    }
    return text;
}

}  // namespace tavrin::remote
