// The command table: each command's header pattern in SCPI notation, with the handler that runs
// it, and the lookup of a client's header in it.
//
// Patterns: "[SENSe:]FREQuency:CENTer?" - upper case the short form, lower case the rest of the
// long form, [ ] an optional node, "BANDwidth|BWIDth" alternatives, "MARKer<1-5>" a node that
// takes a numeric suffix in that range, a final '?' the query form, "*IDN?" a common command.
#pragma once

#include "remote/scpi_call.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavrin::remote {

struct Command {
    std::string_view pattern;
    std::string_view parameters;  // for the table of commands: "<frequency>|MIN|MAX"
    std::string_view help;
    Handler run = nullptr;
};

class CommandTable {
public:
    explicit CommandTable(std::vector<Command> commands);

    struct Lookup {
        const Command *command = nullptr;
        std::vector<int> suffixes;
        int error = 0;  // -113 no such header (or not in this form), -114 a suffix out of range
        std::string detail;
    };
    Lookup Find(const ProgramUnit &unit) const;

    const std::vector<Command> &Commands() const { return commands_; }

private:
    struct Node {
        std::vector<std::string> keywords;
        bool optional = false;
        int lowest = 1, highest = 1;  // suffixes taken; only 1 where none is declared
        bool declared = false;
    };
    struct Entry {
        bool common = false;
        bool query = false;
        std::vector<Node> nodes;
    };
    static Entry Compile(std::string_view pattern);
    // Whether the header's nodes fit the entry's from the given positions on; suffixes of the
    // declared nodes appended, outOfRange set when a node fits but not its suffix.
    static bool Fits(const std::vector<Node> &pattern, size_t p, const std::vector<HeaderNode> &header, size_t h,
                     std::vector<int> &suffixes, bool &outOfRange);

    std::vector<Command> commands_;
    std::vector<Entry> entries_;
};

}  // namespace tavrin::remote
