// The line's state on the clock (late, lost, reconnecting, connected after a stop), the trace rate
// over the last three seconds, a line that loses blocks, and the status bar's words.
#include "session/link_watch.h"

#include <gtest/gtest.h>

using namespace tavrin;
using namespace std::chrono_literals;

namespace {

TEST(LineWatch, TheStateFollowsTheClockAndTheRateTheLastThreeSeconds)
{
    LineWatch w;
    auto at = [](int ms) { return LineWatch::Clock::time_point{} + std::chrono::milliseconds(ms); };
    auto check = [&](int ms, LinkState state, double rate) {
        EXPECT_EQ(w.State(at(ms)), state) << ms;
        EXPECT_DOUBLE_EQ(w.TracesPerSecond(at(ms)), rate) << ms;
    };
    check(0, LinkState::NotConnected, 0);
    w.Started(at(0));
    for (int ms = 200; ms <= 5000; ms += 200)
        w.TraceCame(at(ms));
    check(5000, LinkState::Acquiring, 5.0);  // 2.2 .. 5.0 s: 15 traces
    check(5999, LinkState::Acquiring, 11 / 3.0);
    check(6000, LinkState::NoAnswer, 10 / 3.0);
    check(8000, LinkState::LineLost, 0);
    w.SetReconnecting(true, at(8500));
    check(8600, LinkState::Reconnecting, 0);
    w.SetReconnecting(false, at(9000));  // answered: the next trace is due from then
    check(9500, LinkState::Acquiring, 0);
    check(10000, LinkState::NoAnswer, 0);
    w.Stopped(at(10000));
    check(10000, LinkState::NotConnected, 0);
    w.Started(at(20000));
    w.TraceCame(at(20100));
    check(20500, LinkState::Acquiring, 1.0);  // over at least a second
    w.Stopped(at(20500));
    check(20500, LinkState::Connected, 0);

    EXPECT_EQ(StatusText({1, "/dev/pts/3", LinkState::Acquiring, "", 5.66, false, 2, 1}),
              "COM1: /dev/pts/3  |  acquiring  |  5.7 traces/s  |  rejected 2  |  time-outs 1");
    EXPECT_EQ(StatusText({1, "/dev/pts/3", LinkState::Acquiring, "", 2.83, true, 40, 0}),
              "COM1: /dev/pts/3  |  acquiring  |  2.8 traces/s, 50 % of the line's 5.7: blocks are lost  |  "
              "rejected 40  |  time-outs 0");
    EXPECT_EQ(StatusText({2, "nothing", LinkState::Reconnecting, "device missing", 0, false, 0, 3}),
              "COM2: nothing  |  reconnecting (device missing)  |  0.0 traces/s  |  rejected 0  |  time-outs 3");
    EXPECT_EQ(StatusText({1, "/dev/pts/3", LinkState::Checking, "waiting for the analyzer's answer, up to 17 s", 0,
                          false, 0, 0}),
              "COM1: /dev/pts/3  |  checking (waiting for the analyzer's answer, up to 17 s)");
    EXPECT_EQ(StatusText({4, "/dev/ttyS3", LinkState::Connected, "", 0, false, 9, 9}), "COM4: /dev/ttyS3  |  connected");
}

// Half the blocks lost (the rate halves): slow once a whole rate window shows it, and only while
// blocks are being lost, not when the user holds the line with settings.
TEST(LineWatch, ALineThatLosesBlocksIsSlow)
{
    LineWatch w;
    auto at = [](int ms) { return LineWatch::Clock::time_point{} + std::chrono::milliseconds(ms); };
    w.Started(at(0));
    for (int ms = 354; ms <= 6000; ms += 354) {
        w.TraceCame(at(ms));
        if (ms < 2500)
            w.BlockLost(at(ms));
    }
    EXPECT_FALSE(w.Slow(at(2900))) << "not before a whole window";
    EXPECT_TRUE(w.Slow(at(3600)));
    EXPECT_FALSE(w.Slow(at(6000))) << "no block lost for three seconds";
}

}  // namespace
