// A named setup: the analyzer settings, averaging, markers, limit lines and their alarms, trace
// modes and measurements, kept as a small INI text a user can read, edit and hand to a colleague.
// Every field is optional: a setup recalled from a damaged or partial file holds what could be read,
// and says which fields could not and why.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

struct SetupMarker {
    std::optional<bool> on;
    std::optional<std::string> frequency;  // MHz as the marker's field holds it; "" for none
    std::optional<std::string> delta;      // "NONE" or "1".."5"

    bool operator==(const SetupMarker &) const = default;
};

struct SetupLimit {
    std::optional<std::string> file;  // the limit file's name without ".lim", or "NONE"
    std::optional<bool> lower;        // a lower limit, else an upper one
    std::optional<bool> on;

    bool operator==(const SetupLimit &) const = default;
};

struct Setup {
    std::optional<double> centerMHz;
    std::optional<std::string> span;  // a caption of the span list
    std::optional<int> refLevelDbm;
    std::optional<std::string> rbw;   // a caption of the RBW list
    std::optional<bool> averaging;
    std::optional<int> averageCount;  // 2..255
    std::array<SetupMarker, 5> markers;
    std::array<SetupLimit, 2> limits;
    std::optional<bool> limitBeep, limitCapture, limitLog;
    std::optional<bool> maxHold, minHold;
    std::optional<bool> bandPower, occupiedBandwidth, noiseMarker, adjacentChannel;
    std::optional<double> channelWidthMHz, channelSpacingMHz;

    bool operator==(const Setup &) const = default;
};

struct SetupProblem {
    std::string field;  // "Analyzer/Span", "Marker2/Frequency", or "line 7" for a line that is no setting
    std::string why;

    bool operator==(const SetupProblem &) const = default;
};

struct SetupRecall {
    bool read = false;   // the file was read; else error says why nothing is recalled
    std::string error;
    Setup setup;
    std::vector<std::string> recalled;   // the fields read, in the file's order of fields
    std::vector<SetupProblem> unread;    // the fields that could not be read, and why
};

// The setup's text: one [section] per group, key=value lines, LF line ends; absent fields are left
// out.
std::string SetupText(const Setup &setup);
// Reads what the text holds. Lines starting with ';' or '#' are comments; keys and sections this
// program does not know are passed over (a later version's fields); a field that is missing or not
// a value it can take is named in unread, and so is a line that is neither a section nor a
// key=value.
SetupRecall ParseSetup(std::string_view text);

// The names of all fields a setup has, in the order SetupText writes them.
std::vector<std::string> SetupFields();

// A marker field's text as a setup keeps it: as typed when it is a plain decimal, else the number
// the marker reads from it ("12abc" 12, "abc" 0); "" for an empty field.
std::string SetupMarkerText(std::string_view fieldText);

// The unread fields, one per line: "Analyzer/Span: ...".
std::string UnreadText(const std::vector<SetupProblem> &unread);

}  // namespace tavrin
