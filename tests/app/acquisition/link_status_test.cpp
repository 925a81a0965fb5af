// The line's state on the clock (late, lost, reconnecting, connected after a stop), the trace rate
// over the last three seconds, and the status bar's words.
#include "acquisition/link_status.h"

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
    // Nothing asked of the line: late is the program's doing, however late.
    EXPECT_EQ(w.State(at(9900), false), LinkState::Acquiring);
    EXPECT_EQ(w.State(at(10000), false), LinkState::Paused);
    EXPECT_EQ(w.State(at(12000), false), LinkState::Paused);
    w.Stopped(at(10000));
    check(10000, LinkState::NotConnected, 0);
    w.Started(at(20000));
    w.TraceCame(at(20100));
    check(20500, LinkState::Acquiring, 1.0);  // over at least a second
    w.Stopped(at(20500));
    check(20500, LinkState::Connected, 0);

    EXPECT_EQ(StatusText({1, "/dev/pts/3", LinkState::Acquiring, "", 5.66, 2, 1}),
              "COM1: /dev/pts/3  |  acquiring  |  5.7 traces/s  |  rejected 2  |  time-outs 1");
    EXPECT_EQ(StatusText({2, "nothing", LinkState::Reconnecting, "device missing", 0, 0, 3}),
              "COM2: nothing  |  reconnecting (device missing)  |  0.0 traces/s  |  rejected 0  |  time-outs 3");
    EXPECT_EQ(StatusText({4, "/dev/ttyS3", LinkState::Connected, "", 0, 9, 9}), "COM4: /dev/ttyS3  |  connected");
}

}  // namespace
