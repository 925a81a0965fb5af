#include "settings/setup_file.h"

#include "common/number_format.h"
#include "common/text_number.h"
#include "measure/measurement_state.h"

#include <algorithm>
#include <functional>
#include <map>

namespace tavrin {

namespace {

struct Rule {
    std::string section, key;
    std::function<std::optional<std::string>(const Setup &)> write;
    std::function<std::string(const std::string &, Setup &)> read;  // why it cannot be read; "" when read
};

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// A value as a message shows it: quoted, cut, control bytes as '?'.
std::string Quoted(std::string_view text)
{
    std::string shown(text.substr(0, 40));
    for (char &c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return "\"" + shown + (text.size() > 40 ? "...\"" : "\"");
}

// A plain decimal the leading-number rule reads whole: sign, digits, at most one point.
bool DecimalText(std::string_view text)
{
    const size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const std::string_view body = text.substr(start);
    return body.find_first_of("0123456789") != std::string_view::npos &&
           body.find_first_not_of("0123456789.") == std::string_view::npos && std::count(body.begin(), body.end(), '.') <= 1;
}

template <class Get>
Rule Switch(std::string section, std::string key, Get get)
{
    return {std::move(section), std::move(key),
            [get](const Setup &s) -> std::optional<std::string> {
                if (!get(s))
                    return std::nullopt;
                return *get(s) ? "true" : "false";
            },
            [get](const std::string &text, Setup &s) -> std::string {
                const std::string t = Lower(text);
                if (t != "true" && t != "1" && t != "false" && t != "0")
                    return Quoted(text) + " is neither true nor false";
                get(s) = t == "true" || t == "1";
                return {};
            }};
}

template <class Get>
Rule Megahertz(std::string section, std::string key, Get get, double lowest, bool lowestIncluded)
{
    return {std::move(section), std::move(key),
            [get](const Setup &s) -> std::optional<std::string> {
                if (!get(s))
                    return std::nullopt;
                return FormatFixed(*get(s), 3, 9);
            },
            [=](const std::string &text, Setup &s) -> std::string {
                const double v = NumericValue(text);
                if (!DecimalText(text) || v < lowest || (v == lowest && !lowestIncluded) || v > kWindowMaxMHz)
                    return Quoted(text) + " is no frequency in MHz " + (lowestIncluded ? "from " : "above ") +
                           PlainDecimal(lowest) + (lowestIncluded ? " to " : " up to ") + PlainDecimal(kWindowMaxMHz);
                get(s) = v;
                return {};
            }};
}

// A text field: check turns the file's text into the field's value, or gives why it cannot.
template <class Get, class Check>
Rule Text(std::string section, std::string key, Get get, Check check)
{
    return {std::move(section), std::move(key),
            [get](const Setup &s) -> std::optional<std::string> { return get(s); },
            [get, check](const std::string &text, Setup &s) -> std::string {
                std::string why;
                std::optional<std::string> value = check(text, why);
                if (!value)
                    return why;
                get(s) = std::move(*value);
                return {};
            }};
}

template <size_t N>
auto FromList(const std::array<std::string_view, N> &list, const char *what)
{
    return [&list, what](const std::string &text, std::string &why) -> std::optional<std::string> {
        const std::string wanted = ToUpperAscii(text);
        for (std::string_view entry : list)
            if (entry == wanted)
                return std::string(entry);
        why = Quoted(text) + " is no " + what + " of the list (" + std::string(list.front()) + " .. " +
              std::string(list.back()) + ")";
        return std::nullopt;
    };
}

template <class Get>
Rule Integer(std::string section, std::string key, Get get, std::function<bool(int)> allowed, std::string what)
{
    return {std::move(section), std::move(key),
            [get](const Setup &s) -> std::optional<std::string> {
                if (!get(s))
                    return std::nullopt;
                return std::to_string(*get(s));
            },
            [=](const std::string &text, Setup &s) -> std::string {
                const double v = NumericValue(text);
                if (!DecimalText(text) || text.find('.') != std::string::npos || v < -1e6 || v > 1e6 ||
                    !allowed(static_cast<int>(v)))
                    return Quoted(text) + " is not " + what;
                get(s) = static_cast<int>(v);
                return {};
            }};
}

std::optional<std::string> MarkerFrequency(const std::string &text, std::string &why)
{
    if (!text.empty() && !DecimalText(text)) {
        why = Quoted(text) + " is no frequency in MHz";
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> DeltaReference(const std::string &text, std::string &why)
{
    const std::string t = ToUpperAscii(text);
    if (t == "NONE" || (t.size() == 1 && t[0] >= '1' && t[0] <= '5'))
        return t;
    why = Quoted(text) + " is neither NONE nor a marker 1 to 5";
    return std::nullopt;
}

std::optional<std::string> LimitFileName(const std::string &text, std::string &why)
{
    if (text.empty() || text.find('/') != std::string::npos || text.size() > 251 ||
        std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        why = Quoted(text) + " cannot name a limit file of the Working folder";
    else
        return text;
    return std::nullopt;
}

void AddMarker(std::vector<Rule> &rules, size_t i)
{
    const std::string section = "Marker" + std::to_string(i + 1);
    rules.push_back(Switch(section, "On", [i](auto &s) -> auto & { return s.markers[i].on; }));
    rules.push_back(Text(section, "Frequency", [i](auto &s) -> auto & { return s.markers[i].frequency; }, MarkerFrequency));
    rules.push_back(Text(section, "Delta", [i](auto &s) -> auto & { return s.markers[i].delta; }, DeltaReference));
}

void AddLimit(std::vector<Rule> &rules, size_t i)
{
    const std::string section = "Limit" + std::to_string(i + 1);
    rules.push_back(Text(section, "File", [i](auto &s) -> auto & { return s.limits[i].file; }, LimitFileName));
    rules.push_back({section, "Kind",
                     [i](const Setup &s) -> std::optional<std::string> {
                         if (!s.limits[i].lower)
                             return std::nullopt;
                         return *s.limits[i].lower ? "lower" : "upper";
                     },
                     [i](const std::string &text, Setup &s) -> std::string {
                         const std::string t = Lower(text);
                         if (t != "upper" && t != "lower")
                             return Quoted(text) + " is neither upper nor lower";
                         s.limits[i].lower = t == "lower";
                         return {};
                     }});
    rules.push_back(Switch(section, "On", [i](auto &s) -> auto & { return s.limits[i].on; }));
}

const std::vector<Rule> &Rules()
{
    static const std::vector<Rule> rules = [] {
        std::vector<Rule> r;
        r.push_back(Megahertz("Analyzer", "Center", [](auto &s) -> auto & { return s.centerMHz; }, kWindowMinMHz, true));
        r.push_back(Text("Analyzer", "Span", [](auto &s) -> auto & { return s.span; }, FromList(kSpanCaptions, "span")));
        r.push_back(Integer(
            "Analyzer", "RefLevel", [](auto &s) -> auto & { return s.refLevelDbm; },
            [](int v) { return std::find(kRefLevelsDbm.begin(), kRefLevelsDbm.end(), v) != kRefLevelsDbm.end(); },
            "a reference level of the list (-30, -20, -10, 0, 10, 20)"));
        r.push_back(Text("Analyzer", "RBW", [](auto &s) -> auto & { return s.rbw; }, FromList(kRbwCaptions, "RBW")));
        r.push_back(Switch("Averaging", "On", [](auto &s) -> auto & { return s.averaging; }));
        r.push_back(Integer("Averaging", "Count", [](auto &s) -> auto & { return s.averageCount; },
                            [](int v) { return v >= 2 && v <= 255; }, "a count of traces from 2 to 255"));
        for (size_t i = 0; i < 5; ++i)
            AddMarker(r, i);
        for (size_t i = 0; i < 2; ++i)
            AddLimit(r, i);
        r.push_back(Switch("LimitAlarms", "Beep", [](auto &s) -> auto & { return s.limitBeep; }));
        r.push_back(Switch("LimitAlarms", "Capture", [](auto &s) -> auto & { return s.limitCapture; }));
        r.push_back(Switch("LimitAlarms", "Log", [](auto &s) -> auto & { return s.limitLog; }));
        r.push_back(Switch("TraceModes", "MaxHold", [](auto &s) -> auto & { return s.maxHold; }));
        r.push_back(Switch("TraceModes", "MinHold", [](auto &s) -> auto & { return s.minHold; }));
        r.push_back(Switch("Measurements", "BandPower", [](auto &s) -> auto & { return s.bandPower; }));
        r.push_back(Switch("Measurements", "OccupiedBandwidth", [](auto &s) -> auto & { return s.occupiedBandwidth; }));
        r.push_back(Switch("Measurements", "NoiseMarker", [](auto &s) -> auto & { return s.noiseMarker; }));
        r.push_back(Switch("Measurements", "AdjacentChannel", [](auto &s) -> auto & { return s.adjacentChannel; }));
        r.push_back(Megahertz("Measurements", "ChannelWidth", [](auto &s) -> auto & { return s.channelWidthMHz; }, 0, false));
        r.push_back(Megahertz("Measurements", "ChannelSpacing", [](auto &s) -> auto & { return s.channelSpacingMHz; }, 0, false));
        return r;
    }();
    return rules;
}

std::string Field(const Rule &rule) { return rule.section + "/" + rule.key; }

std::string Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

}  // namespace

std::string SetupText(const Setup &setup)
{
    std::string text = "; A TavrinRemote setup: copy it into Working/setups of another TavrinRemote to use it there.\n";
    std::string section;
    for (const Rule &rule : Rules()) {
        const std::optional<std::string> value = rule.write(setup);
        if (!value)
            continue;
        if (rule.section != section)
            text += "\n[" + (section = rule.section) + "]\n";
        text += rule.key + "=" + *value + "\n";
    }
    return text;
}

SetupRecall ParseSetup(std::string_view text)
{
    SetupRecall r;
    r.read = true;
    std::map<std::string, std::string> values;  // "section/key" in lower case -> value
    std::string section;
    int number = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = Trimmed(text.substr(at, end - at));
        at = end + 1;
        ++number;
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = Lower(Trimmed(std::string_view(line).substr(1, line.size() - 2)));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0)
            r.unread.push_back({"line " + std::to_string(number), Quoted(line) + " is neither a [section] nor a key=value"});
        else
            values[section + "/" + Lower(Trimmed(std::string_view(line).substr(0, equals)))] =
                Trimmed(std::string_view(line).substr(equals + 1));
    }
    for (const Rule &rule : Rules()) {
        const auto value = values.find(Lower(Field(rule)));
        if (value == values.end())
            r.unread.push_back({Field(rule), "missing"});
        else if (std::string why = rule.read(value->second, r.setup); !why.empty())
            r.unread.push_back({Field(rule), why});
        else
            r.recalled.push_back(Field(rule));
    }
    return r;
}

std::vector<std::string> SetupFields()
{
    std::vector<std::string> fields;
    for (const Rule &rule : Rules())
        fields.push_back(Field(rule));
    return fields;
}

std::string SetupMarkerText(std::string_view fieldText)
{
    const std::string text = Trimmed(fieldText);
    if (text.empty() || DecimalText(text))
        return text;
    return PlainDecimal(NumericValue(text));
}

std::string UnreadText(const std::vector<SetupProblem> &unread)
{
    std::string text;
    for (const SetupProblem &p : unread)
        text += p.field + ": " + p.why + "\n";
    return text;
}

}  // namespace tavrin
