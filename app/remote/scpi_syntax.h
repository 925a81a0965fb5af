// A SCPI program message (one line) split into its program message units: headers with their
// numeric suffixes, resolved against the current path, and parameters as numbers with their
// suffix, words and strings. Plain syntax: whether a header exists is the command table's matter.
#pragma once

#include <optional>
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

// One program message (a line without its newline) read a unit at a time, so that a long line
// costs nothing before its units run. A unit without a leading ':' goes on under the path of the
// unit before it (its header without the last node); a common command leaves the path alone;
// every message starts at the root. Empty units are skipped.
class MessageReader {
public:
    MessageReader() = default;
    explicit MessageReader(std::string message);
    // The next unit; nothing at the end of the message, after an error unit, and after Stop().
    std::optional<ProgramUnit> Next();
    void Stop() { done_ = true; }

private:
    ProgramUnit Unit();
    ProgramUnit Error(int code, std::string detail) const;
    std::string CommonHeader(ProgramUnit &unit);
    std::string Header(ProgramUnit &unit);
    bool Param(Parameter &p, int &code, std::string &detail);
    bool String(Parameter &p, int &code, std::string &detail);
    bool Number(Parameter &p, int &code, std::string &detail);
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    void SkipBlanks();
    std::string Rest() const;

    std::string text_;
    size_t pos_ = 0;
    bool rooted_ = false;
    bool done_ = true;
    int invalid_ = -1;  // the first byte no message may hold, -1 for none
    std::vector<HeaderNode> path_;
};

// All units of a message.
std::vector<ProgramUnit> ParseMessage(std::string_view message);

// Whether a mnemonic written by a client matches a SCPI keyword such as "FREQuency": its short
// form (the upper-case part) or its long form, case ignored, nothing in between.
bool MatchesKeyword(std::string_view written, std::string_view keyword);

}  // namespace tavrin::remote
