#include "common/date_format.h"

#include <cstdio>

namespace tavrin {

namespace {

const char *MonthAbbreviation(int month)
{
    static const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (month < 0 || month > 11)
        return "???";
    return kMonths[month];
}

}  // namespace

std::tm LocalTime(std::time_t time)
{
    std::tm local{};
    if (!localtime_r(&time, &local))
        return std::tm{};
    return local;
}

std::string FormatScreenTime(const std::tm &time)
{
    char text[128];
    std::snprintf(text, sizeof text, "%s. %02d / %04ld  %02d:%02d:%02d", MonthAbbreviation(time.tm_mon),
                  time.tm_mday, static_cast<long>(time.tm_year) + 1900, time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

std::string FormatScreenTime(std::time_t time) { return FormatScreenTime(LocalTime(time)); }

std::string FormatFileTime(const std::tm &time)
{
    char text[128];
    std::snprintf(text, sizeof text, "%04ld%02d%02d_%02d%02d%02d", static_cast<long>(time.tm_year) + 1900, time.tm_mon + 1,
                  time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

std::string FormatFileTime(std::time_t time) { return FormatFileTime(LocalTime(time)); }

std::string FormatIsoTime(std::time_t time)
{
    const std::tm t = LocalTime(time);
    char text[128];
    std::snprintf(text, sizeof text, "%04ld-%02d-%02dT%02d:%02d:%02d", static_cast<long>(t.tm_year) + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

}  // namespace tavrin
