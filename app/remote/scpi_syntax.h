// A SCPI program message (one line) split into its program message units: headers with their
// numeric suffixes, resolved against the current path, and parameters as numbers with their
// suffix, words and strings. Plain syntax: whether a header exists is the command table's matter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrin::remote {

struct HeaderNode {
    std::string mnemonic;  // upper case, without its numeric suffix
    int suffix = 0;        // 0: none written

    bool operator==(const HeaderNode &) const = default;
};

struct Parameter {
    enum class Kind { Number, Word, String };
    Kind kind = Kind::Word;
    std::string text;    // Word: upper case; String: the content, doubled quotes made single
    double number = 0;   // Number
    std::string unit;    // Number: its suffix in upper case, "" when none
};

struct ProgramUnit {
    bool common = false;             // "*IDN?": nodes hold the one mnemonic without the '*'
    std::vector<HeaderNode> nodes;   // the full path from the root
    bool query = false;
    std::vector<Parameter> params;
    std::string header;              // as written, for messages
    // Nonzero: the message could not be read from here on, and this is why; nothing follows.
    int error = 0;
    std::string detail;
};

// The units of one program message, without its newline. A unit without a leading ':' goes on
// under the path of the unit before it (its header without the last node); a common command
// leaves the path alone; every message starts at the root. Empty units are skipped.
std::vector<ProgramUnit> ParseMessage(std::string_view message);

// Whether a mnemonic written by a client matches a SCPI keyword such as "FREQuency": its short
// form (the upper-case part) or its long form, case ignored, nothing in between.
bool MatchesKeyword(std::string_view written, std::string_view keyword);

}  // namespace tavrin::remote
