#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "common/date_format.h"

namespace tavrin {
namespace {

std::tm Time(int year, int month, int day, int hour, int minute, int second)
{
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

TEST(CommonDateFormat, ScreenAndFileTimePatterns)
{
    struct Case {
        std::tm time;
        const char *screen, *file;
    } cases[] = {
        {Time(2026, 12, 5, 22, 13, 0), "Dec. 05 / 2026  22:13:00", "20261205_221300"},
        {Time(2027, 1, 1, 0, 0, 9), "Jan. 01 / 2027  00:00:09", "20270101_000009"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FormatScreenTime(c.time), c.screen);
        EXPECT_EQ(FormatFileTime(c.time), c.file);
    }
    EXPECT_EQ(FormatScreenTime(Time(2026, 13, 1, 0, 0, 0)), "???. 01 / 2026  00:00:00");
}

TEST(CommonDateFormat, TimeValuesAreShownInLocalTime)
{
    // Each test case runs in a process of its own, so the zone set here stays here.
    setenv("TZ", "XST-2", 1);  // two hours east of UTC
    tzset();
    EXPECT_EQ(FormatScreenTime(std::time_t{0}), "Jan. 01 / 1970  02:00:00");
    EXPECT_EQ(FormatFileTime(std::time_t{1796501580}), "20261205_221300");
}

}  // namespace
}  // namespace tavrin
