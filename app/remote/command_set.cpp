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
    std::string text;
    for (const Command &c : ScpiCommands().Commands()) {
        std::string line = "  " + std::string(c.pattern);
        if (!c.parameters.empty())
            line += " " + std::string(c.parameters);
        if (!c.help.empty())
            line += line.size() < 48 ? std::string(48 - line.size(), ' ') + std::string(c.help)
                                     : "\n" + std::string(48, ' ') + std::string(c.help);
        text += line + "\n";
    }
    return text;
}

}  // namespace tavrin::remote
