#include "limits/limit_making.h"

#include "common/text_number.h"
#include "limits/limit_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

namespace tavrin {

namespace {

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A whole field as a finite number; spreadsheets may quote it.
std::optional<double> FieldNumber(std::string_view field)
{
    field = Trimmed(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    return WholeNumber(field);
}

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (size_t from = 0;;) {
        const size_t at = line.find_first_of(",;\t", from);
        fields.push_back(line.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
        if (at == std::string_view::npos)
            return fields;
        from = at + 1;
    }
}

// A text from a file as a message shows it: control bytes (NUL too, which would end the message)
// as \xNN, and at most 60 bytes.
std::string Visible(std::string_view text)
{
    std::string shown;
    for (const char c : text.substr(0, 60)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            constexpr char kHex[] = "0123456789ABCDEF";
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        } else {
            shown += c;
        }
    }
    return "\"" + shown + (text.size() > 60 ? "...\"" : "\"");
}

bool HasDigit(std::string_view line)
{
    return std::any_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Why a line is no limit point; "" when it is one.
std::string PointProblem(std::string_view line, std::optional<double> f, std::optional<double> l)
{
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() != 2)
        return " is not a frequency in MHz and a level in dBm separated by a comma: " + Visible(line) + ".";
    if (!f)
        return ": the frequency " + Visible(Trimmed(fields[0])) + " is not a number.";
    if (!l)
        return ": the level " + Visible(Trimmed(fields[1])) + " is not a number.";
    if (!(*f >= kLimitLowestMHz && *f <= kLimitHighestMHz))
        return ": the frequency " + Visible(Trimmed(fields[0])) + " MHz is outside what the analyzer tunes (0 to 1150 MHz).";
    if (!(*l >= kLimitLowestDbm && *l <= kLimitHighestDbm))
        return ": the level " + Visible(Trimmed(fields[1])) +
               " dBm is outside what the analyzer's screen shows (-110 to +20 dBm: 80 dB below its reference levels "
               "-30 to +20 dBm).";
    return {};
}

std::string Shortest(double v)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    return std::string(text, end);
}

}  // namespace

std::vector<LimitPoint> LimitFromTrace(const MeasurementState &state, const TracePoints &trace, const LimitRecipe &r)
{
    const double perDivision = MHzPerDivision(state.spanCaption);
    if (IsZeroSpan(state.spanCaption) || !(perDivision > 0 && std::isfinite(perDivision)))
        return {};
    const bool upper = r.kind == LimitKind::Upper;
    auto outer = [upper](double a, double b) { return upper ? std::max(a, b) : std::min(a, b); };
    const PointScale scale(state);
    std::vector<double> level(kScreenPoints);
    for (int i = 0; i < kScreenPoints; ++i) {
        double l = scale.Dbm(trace, i);
        for (int j = std::max(0, i - r.widen); j <= std::min(kLastScreenPoint, i + r.widen); ++j)
            l = outer(l, scale.Dbm(trace, j));
        level[static_cast<size_t>(i)] = upper ? l + r.marginDb : l - r.marginDb;
    }
    std::vector<LimitPoint> points;
    const auto mhz = [&](int i) { return scale.MHz(i); };
    if (r.maxPoints >= kScreenPoints) {
        for (int i = 0; i < kScreenPoints; ++i)
            points.push_back({mhz(i), level[static_cast<size_t>(i)]});
        return points;
    }
    const int runs = std::max(1, r.maxPoints / 2);
    for (int run = 0; run < runs; ++run) {
        const int first = run * kScreenPoints / runs, last = (run + 1) * kScreenPoints / runs - 1;
        double l = level[static_cast<size_t>(first)];
        for (int i = first + 1; i <= last; ++i)
            l = outer(l, level[static_cast<size_t>(i)]);
        points.push_back({mhz(first), l});
        if (last != first)
            points.push_back({mhz(last), l});
    }
    return points;
}

std::string LimitCsvText(const std::vector<LimitPoint> &points)
{
    std::string text = "frequency_mhz,level_dbm\r\n";
    for (const LimitPoint &p : points)
        text += Shortest(p.freqMHz) + "," + Shortest(p.levelDbm) + "\r\n";
    return text;
}

LimitCsvResult ParseLimitCsv(std::string_view text, const std::string &name)
{
    LimitCsvResult r;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool first = true;
    for (size_t number = 1, from = 0; from < text.size(); ++number) {
        const size_t end = std::min(text.find('\n', from), text.size());
        const std::string_view line = Trimmed(text.substr(from, end - from));
        from = end + 1;
        if (line.empty())
            continue;
        if (std::exchange(first, false) && !HasDigit(line))
            continue;  // a heading
        const std::vector<std::string_view> fields = Fields(line);
        const std::optional<double> f = FieldNumber(fields[0]);
        const std::optional<double> l = fields.size() == 2 ? FieldNumber(fields[1]) : std::nullopt;
        if (const std::string problem = PointProblem(line, f, l); !problem.empty()) {
            r.error = "Line " + std::to_string(number) + " of " + name + problem;
            r.points.clear();
            return r;
        }
        if (r.points.size() >= kMaxLimitPoints) {
            r.error = name + " holds more than " + std::to_string(kMaxLimitPoints) + " points, more than a limit line takes.";
            r.points.clear();
            return r;
        }
        r.points.push_back({*f, *l});
    }
    if (r.points.empty())
        r.error = name + " holds no limit points: each line should be a frequency in MHz and a level in dBm, such as "
                         "\"433.92,-30\".";
    return r;
}

std::string CleanLimitName(std::string_view typed)
{
    while (!typed.empty() && typed.front() == ' ')
        typed.remove_prefix(1);
    while (!typed.empty() && typed.back() == ' ')
        typed.remove_suffix(1);
    if (typed.size() > 4 && typed.substr(typed.size() - 4) == ".lim")
        typed.remove_suffix(4);
    return std::string(typed);
}

std::string LimitNameProblem(const std::string &name)
{
    if (name.empty())
        return "Give the limit line a name.";
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return "The name \"" + name + "\" would leave the Working folder: give a name without \"/\".";
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return "The name holds a control character: give a name of letters, digits and signs.";
    if (name == "NONE")
        return "\"NONE\" stands for no limit line in the selectors: give another name.";
    if (name.size() + 4 > 255)
        return "The name is " + std::to_string(name.size()) + " bytes long; a limit file's name may have 251.";
    return {};
}

}  // namespace tavrin
