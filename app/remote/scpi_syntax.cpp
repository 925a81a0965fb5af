#include "remote/scpi_syntax.h"

#include "remote/scpi_errors.h"

#include <charconv>
#include <cmath>

namespace tavrin::remote {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperText(std::string_view text)
{
    std::string s(text);
    for (char &c : s)
        c = Upper(c);
    return s;
}

constexpr size_t kMaxDepth = 12;

}  // namespace

MessageReader::MessageReader(std::string message) : text_(std::move(message)), done_(false)
{
    for (size_t i = 0; i < text_.size() && invalid_ < 0; ++i) {
        const unsigned char c = static_cast<unsigned char>(text_[i]);
        if ((c < 0x20 && c != '\t') || c >= 0x7F)
            invalid_ = static_cast<int>(i);
    }
}

std::optional<ProgramUnit> MessageReader::Next()
{
    if (invalid_ >= 0 && !done_) {
        done_ = true;
        return Error(kInvalidCharacter, "byte " + std::to_string(static_cast<unsigned char>(text_[static_cast<size_t>(invalid_)])) +
                                            " at column " + std::to_string(invalid_ + 1));
    }
    while (!done_) {
        SkipBlanks();
        if (AtEnd())
            break;
        if (Peek() == ';') {
            ++pos_;
            continue;
        }
        ProgramUnit unit = Unit();
        if (unit.error) {
            done_ = true;
            return unit;
        }
        if (!unit.common) {
            if (!rooted_)
                unit.nodes.insert(unit.nodes.begin(), path_.begin(), path_.end());
            // No command is this deep; and a path that grew with every unit of a long line
            // would cost its square.
            if (unit.nodes.size() > kMaxDepth) {
                done_ = true;
                return Error(kUndefinedHeader,
                             "no header has more than " + std::to_string(kMaxDepth) + " nodes (a ':' missing before a header?)");
            }
            path_.assign(unit.nodes.begin(), unit.nodes.end() - 1);
        }
        return unit;
    }
    done_ = true;
    return std::nullopt;
}

void MessageReader::SkipBlanks()
{
    while (!AtEnd() && IsBlank(Peek()))
        ++pos_;
}

std::string MessageReader::Rest() const
{
    std::string rest(text_.substr(pos_, 24));
    return pos_ + 24 < text_.size() ? rest + "..." : rest;
}

ProgramUnit MessageReader::Error(int code, std::string detail) const
{
    ProgramUnit u;
    u.error = code;
    u.detail = std::move(detail);
    return u;
}

ProgramUnit MessageReader::Unit()
{
    ProgramUnit unit;
    const size_t start = pos_;
    unit.common = Peek() == '*';
    const std::string error = unit.common ? CommonHeader(unit) : Header(unit);
    unit.header = std::string(text_.substr(start, pos_ - start));
    if (!error.empty())
        return Error(kSyntaxError, error);
    if (!AtEnd() && Peek() != ';' && !IsBlank(Peek()))
        return Error(kSyntaxError, "unexpected \"" + Rest() + "\" after the header " + unit.header);
    SkipBlanks();
    while (!AtEnd() && Peek() != ';') {
        int code = 0;
        std::string detail;
        Parameter p;
        if (!Param(p, code, detail))
            return Error(code, detail);
        unit.params.push_back(std::move(p));
        SkipBlanks();
        if (AtEnd() || Peek() == ';')
            break;
        if (Peek() != ',')
            return Error(kSyntaxError, "',', ';' or the end of the line expected at \"" + Rest() + "\"");
        ++pos_;
        SkipBlanks();
        if (AtEnd() || Peek() == ';')
            return Error(kSyntaxError, "a parameter is missing after ','");
    }
    return unit;
}

// "*IDN?": the '*', letters and an optional '?'. Returns "" or the syntax error.
std::string MessageReader::CommonHeader(ProgramUnit &unit)
{
    ++pos_;
    const size_t start = pos_;
    while (!AtEnd() && IsLetter(Peek()))
        ++pos_;
    if (pos_ == start)
        return "a common command needs its name after '*'";
    unit.nodes.push_back({UpperText(text_.substr(start, pos_ - start)), 0});
    if (Peek() == '?') {
        unit.query = true;
        ++pos_;
    }
    return {};
}

std::string MessageReader::Header(ProgramUnit &unit)
{
    rooted_ = Peek() == ':';
    if (rooted_)
        ++pos_;
    while (true) {
        if (!IsLetter(Peek()))
            return AtEnd() || Peek() == ';' ? "a header ends with ':'"
                                            : "a header node starts with a letter, not \"" + Rest() + "\"";
        const size_t start = pos_;
        while (!AtEnd() && IsWordChar(Peek()))
            ++pos_;
        size_t digits = pos_;
        while (digits > start && IsDigit(text_[digits - 1]))
            --digits;
        HeaderNode node{UpperText(text_.substr(start, digits - start)), 0};
        if (digits < pos_) {
            // A suffix beyond the integer range matches nothing; it is told as out of range.
            const auto [end, ec] = std::from_chars(text_.data() + digits, text_.data() + pos_, node.suffix);
            if (ec != std::errc() || node.suffix == 0)
                node.suffix = -1;
        }
        unit.nodes.push_back(std::move(node));
        if (Peek() != ':')
            break;
        ++pos_;
    }
    if (Peek() == '?') {
        unit.query = true;
        ++pos_;
    }
    return {};
}

bool MessageReader::Param(Parameter &p, int &code, std::string &detail)
{
    const char c = Peek();
    if (c == '"' || c == '\'')
        return String(p, code, detail);
    if (c == '#') {
        code = kDataTypeError;
        detail = "no command takes block or non-decimal data";
        return false;
    }
    if (IsDigit(c) || c == '+' || c == '-' || c == '.')
        return Number(p, code, detail);
    if (IsLetter(c)) {
        const size_t start = pos_;
        while (!AtEnd() && IsWordChar(Peek()))
            ++pos_;
        p.kind = Parameter::Kind::Word;
        p.text = UpperText(text_.substr(start, pos_ - start));
        return true;
    }
    code = kSyntaxError;
    detail = "a parameter cannot start \"" + Rest() + "\"";
    return false;
}

bool MessageReader::String(Parameter &p, int &code, std::string &detail)
{
    const char quote = Peek();
    ++pos_;
    p.kind = Parameter::Kind::String;
    while (!AtEnd()) {
        const char c = text_[pos_++];
        if (c != quote) {
            p.text += c;
        } else if (Peek() == quote) {
            p.text += quote;
            ++pos_;
        } else {
            return true;
        }
    }
    code = kSyntaxError;
    detail = "a string is not closed";
    return false;
}

// Decimal numeric program data: mantissa, optional exponent, then an optional unit.
bool MessageReader::Number(Parameter &p, int &code, std::string &detail)
{
    const size_t start = pos_;
    if (Peek() == '+' || Peek() == '-')
        ++pos_;
    size_t digits = 0;
    while (IsDigit(Peek()))
        ++pos_, ++digits;
    if (Peek() == '.') {
        ++pos_;
        while (IsDigit(Peek()))
            ++pos_, ++digits;
    }
    size_t end = pos_;
    SkipBlanks();
    if (digits > 0 && (Peek() == 'e' || Peek() == 'E')) {
        size_t at = pos_ + 1;
        while (at < text_.size() && IsBlank(text_[at]))
            ++at;
        if (at < text_.size() && (text_[at] == '+' || text_[at] == '-'))
            ++at;
        if (at < text_.size() && IsDigit(text_[at])) {
            while (at < text_.size() && IsDigit(text_[at]))
                ++at;
            pos_ = end = at;
        }
    }
    std::string number;
    for (char c : text_.substr(start, end - start))
        if (!IsBlank(c) && c != '+')
            number += c;
    const auto [last, ec] = std::from_chars(number.data(), number.data() + number.size(), p.number);
    if (ec == std::errc::result_out_of_range) {
        code = kDataOutOfRange;
        detail = "the number " + number + " is beyond any value";
        return false;
    }
    if (digits == 0 || ec != std::errc() || last != number.data() + number.size() || !std::isfinite(p.number)) {
        code = kSyntaxError;
        detail = "not a number: \"" + std::string(text_.substr(start, end - start)) + "\"";
        return false;
    }
    p.kind = Parameter::Kind::Number;
    p.text = std::string(text_.substr(start, end - start));
    SkipBlanks();
    const size_t unit = pos_;
    while (!AtEnd() && IsLetter(Peek()))
        ++pos_;
    p.unit = UpperText(text_.substr(unit, pos_ - unit));
    if (p.unit.empty())
        pos_ = end;
    return true;
}

std::vector<ProgramUnit> ParseMessage(std::string_view message)
{
    std::vector<ProgramUnit> units;
    MessageReader reader{std::string(message)};
    while (std::optional<ProgramUnit> unit = reader.Next())
        units.push_back(std::move(*unit));
    return units;
}

bool MatchesKeyword(std::string_view written, std::string_view keyword)
{
    size_t shortLength = 0;
    while (shortLength < keyword.size() && !(keyword[shortLength] >= 'a' && keyword[shortLength] <= 'z'))
        ++shortLength;
    if (written.size() != shortLength && written.size() != keyword.size())
        return false;
    for (size_t i = 0; i < written.size(); ++i)
        if (Upper(written[i]) != Upper(keyword[i]))
            return false;
    return true;
}

}  // namespace tavrin::remote
