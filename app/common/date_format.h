// The date patterns of the program, in local time.
#pragma once

#include <ctime>
#include <string>

namespace tavrin {

// "MMM. DD / YYYY  hh:mm:ss": English month abbreviation, two-digit day, four-digit year, two
// blanks, 24-hour time ("Dec. 05 / 2026  22:13:00"). A month outside 0..11 shows as "???".
std::string FormatScreenTime(const std::tm &time);
std::string FormatScreenTime(std::time_t time);

// "YYYYMMDD_HHMMSS" ("20261205_221300"), used to name files.
std::string FormatFileTime(const std::tm &time);
std::string FormatFileTime(std::time_t time);

// ISO 8601 in local time without offset ("2026-12-05T22:13:00"), as CSV files carry it.
std::string FormatIsoTime(std::time_t time);

// The time_t in local time; a time the system cannot convert gives the all-zero tm.
std::tm LocalTime(std::time_t time);

}  // namespace tavrin
