// The simulated instrument's protocol engine, byte in, bytes out; and tavrin-sim as the program
// meets it: a separate process on a registered COM port, answered through libTavrin.so.
#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "engine.h"
#include "instrument/tavrin_library.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"
#include "support/test_util.h"

using namespace tavrin::sim;
using namespace tavrin::test;
using namespace std::chrono;

namespace {

// What the engine sends back for the bytes received at time `at` (seconds).
Bytes Feed(Engine &engine, const Bytes &in, double at = 1.0)
{
    Bytes out;
    for (uint8_t b : in)
        engine.Receive(b, at, out);
    return out;
}

TEST(SimEngine, FramesAreEchoedAndTheBlockHeaderReflectsTheSettingsLastSet)
{
    struct Case { const char *name; Bytes fed; BlockHeader header; };
    const Case cases[] = {
        {"power-on", {}, {}},
        {"centre, and a span whose RBW follows it", Join({ToBytes("UF0150500"), SettingFrame('S', 10)}),
         {"0150500", 9, 3, "220KHZ"}},
        {"level code 5", SettingFrame('L', 6), {"0080000", 12, 5, "4MHZ"}},
        {"an RBW set is not used at a span", SettingFrame('R', 2), {}},
        {"but at zero span", Join({SettingFrame('S', 1), SettingFrame('R', 2)}), {"0080000", 0, 3, "30KHZ"}},
        {"out of table or not digits: nothing changes",
         Join({SettingFrame('S', 0), SettingFrame('S', 17), SettingFrame('L', 7), SettingFrame('R', 5),
               ToBytes("UF01x0000")}),
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Engine e({});
        EXPECT_EQ(Feed(e, c.fed), c.fed);
        const Bytes block = Feed(e, {0xA5});
        ASSERT_EQ(block.size(), 1017u);
        EXPECT_EQ(block[1016], Checksum(block));
        EXPECT_EQ(Bytes(block.begin(), block.begin() + 16), HeaderBytes(c.header));
    }
}

TEST(SimEngine, TheTraceShowsTheCarrierAtItsLevelAndTheGeneratorOnlyWhenItIsOn)
{
    // Centre 80 MHz with a -27 dBm carrier there: point 251 is the peak, at
    // 1023 - (0 - (-27)) / 0.078125 = 677 within the noise.
    Engine e({});
    Feed(e, SettingFrame('S', 10));
    const auto points = e.TracePoints();
    EXPECT_NEAR(std::max_element(points.begin(), points.begin() + 499) - points.begin(), 251, 2)
        << "the 4 MHz RBW makes the top a few points wide";
    EXPECT_NEAR(points[251], 677, 12);
    EXPECT_LE(*std::max_element(points.begin(), points.end()), 1023);
    // At -20 dBm reference the same carrier stands 20 dB (256 steps) higher on the screen.
    Feed(e, SettingFrame('L', 2));
    EXPECT_NEAR(e.TracePoints()[251], 677 + 256, 12);
    // A -20 dBm generator output stands far above the floor, once switched on.
    Feed(e, ToBytes("GEN:DISP\n\rGEN:LEV -20\n\r"));
    const auto off = e.TracePoints();
    Feed(e, ToBytes("GEN:MDE ON\n\r"));
    EXPECT_GT(e.TracePoints()[100], off[100] + 300);
    // The offset keeps its sign.
    for (const auto &[command, offset] : {std::pair{"GEN:OFF -05\n\r", -5}, {"GEN:OFF +05\n\r", 5}, {"GEN:OFF -99\n\r", -99}}) {
        Feed(e, ToBytes(command));
        EXPECT_EQ(e.State().tgOffset, offset) << command;
    }
}

TEST(SimEngine, AnswersEchoModesAndSilence)
{
    // fed at 1 s, later at 2 s; span: the span index afterwards.
    struct Case { const char *name; Options o; Bytes fed, later, answer; int span; };
    Options serial, noEcho, silent;
    serial.serial = "00042";
    noEcho.echo = false;
    silent.silent = true;
    const Bytes echoOff = ToBytes("ECHO OFF\n\r");
    const Case cases[] = {
        {"serial number", serial, {'j'}, {}, ToBytes("00042"), 12},
        {"version: echo, LF, 18 bytes, CR LF", {}, ToBytes("OPT:VER\r"), {},
         ToBytes("OPT:VER\r\nSWVER2.07-TAVRIN01\r\n"), 12},
        {"echo off: a frame is taken, not echoed", {}, Join({echoOff, SettingFrame('S', 3)}), {}, echoOff, 2},
        {"and on again", {}, Join({echoOff, ToBytes("ECHO ON\n\r"), SettingFrame('S', 4)}), {},
         Join({echoOff, SettingFrame('S', 4)}), 3},
        {"--no-echo", noEcho, SettingFrame('S', 3), {}, {}, 2},
        {"--silent still listens", silent, Join({{0xA5, 'j'}, SettingFrame('S', 3)}), {}, {}, 2},
        {"a frame cut off by the host is dropped", {}, {0x55, 'S'}, {'j'}, Join({{0x55, 'S'}, ToBytes("12345")}), 12},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Engine e(c.o);
        EXPECT_EQ(Join({Feed(e, c.fed), Feed(e, c.later, 2.0)}), c.answer);
        EXPECT_EQ(e.State().spanIndex, c.span);
    }
}

TEST(SimEngine, FaultsHitTheirBlocks)
{
    // blocks: of the first four, x where the fault shows.
    struct Case { const char *name; Options o; std::string blocks; bool (*faulty)(const Bytes &); };
    Options corrupt, bad, cut, mute, pause;
    corrupt.corruptEvery = 2;
    bad.badPointsEvery = 3;
    cut.shortEvery = 2;
    cut.shortLength = 123;
    mute.silentAfter = 2;
    pause.silentAfter = 2;
    pause.returnAfter = 1.5;
    const Case cases[] = {
        {"corrupt every 2nd", corrupt, "-x-x", [](const Bytes &b) { return b[1016] != Checksum(b); }},
        {"bad point 100 every 3rd", bad, "--x-", [](const Bytes &b) { return b[1016] == Checksum(b) && b[217] > 3; }},
        {"short every 2nd", cut, "-x-x", [](const Bytes &b) { return b.size() == 123; }},
        {"silent after 2", mute, "--xx", [](const Bytes &b) { return b.empty(); }},
        {"silent after 2 (at 2 s) until 3.5 s", pause, "--x-", [](const Bytes &b) { return b.empty(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Engine e(c.o);
        std::string seen;
        for (int n = 1; n <= 4; ++n)  // block n asked for at n seconds
            seen += c.faulty(Feed(e, {0xA5}, n)) ? 'x' : '-';
        EXPECT_EQ(seen, c.blocks);
    }
}

TEST(SimEngine, TheTraceShowsTheAddedCarriersWhereAndWhileTheyAre)
{
    // Started at 100 s; centre 300 MHz at 1 MHz/div (RBW 220 kHz, floor far below the screen):
    // 295..305 MHz, 50 points a MHz. The moving carrier, 0.5 MHz/s from 295 MHz, at -20 dBm
    // (1023 - 256 = 767); the other at 302 MHz (point 351), -30 dBm (1023 - 384 = 639), there
    // 0..5 s, away 5..15 s, there 15..20 s. At 104 s: 297 MHz, point 101; 109 s: 299.5 MHz,
    // point 226; 116 s: 303 MHz, point 401; 123 s: 11.5 MHz on, past the right edge, so 296.5
    // MHz, point 76.
    Options o;
    o.movingCarrier = 0.5;
    o.intermittentOn = 5;
    o.intermittentOff = 10;
    Engine e(o, 100);
    Feed(e, Join({ToBytes("UF0300000"), SettingFrame('S', 10)}), 100);
    for (auto [at, peak, other] : {std::tuple{104.0, 101, 639}, std::tuple{109.0, 226, 0},
                                   std::tuple{116.0, 401, 639}, std::tuple{123.0, 76, 0}}) {
        SCOPED_TRACE(at);
        const Bytes block = Feed(e, {0xA5}, at);
        ASSERT_EQ(block.size(), 1017u);
        std::vector<int> points;
        for (size_t n = 0; n < 499; ++n)
            points.push_back(block[16 + 2 * n] | block[17 + 2 * n] << 8);
        EXPECT_NEAR(std::max_element(points.begin(), points.end()) - points.begin(), peak, 2);
        EXPECT_NEAR(points[static_cast<size_t>(peak)], 767, 12);
        EXPECT_NEAR(points[351], other, 12);
    }
}

TEST(SimOptions, ValuesLandInTheirFieldsAndReturnGoesWithOneFault)
{
    // args; the start of the error ("" when accepted)
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--intermittent-carrier", "2.5,10", "--moving-carrier", "7", "--appear-after", "1.5"}, ""},
        {{"--silent-after", "3", "--return-after", "2"}, ""},
        {{"--return-after", "2"}, "--return-after goes"},
        {{"--hangup-after", "3", "--silent-after", "2", "--return-after", "1"}, "--return-after goes"},
        {{"--hangup-after", "3"}, "--hangup-after needs"},
        {{"--intermittent-carrier", "5"}, "--intermittent-carrier: expected"},
        {{"--moving-carrier", "0"}, "--moving-carrier: expected"},
    };
    for (const auto &[args, expected] : cases) {
        std::vector<std::string> all = {"tavrin-sim"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (std::string &a : all)
            argv.push_back(a.data());
        Options o;
        bool help = false;
        std::string error;
        EXPECT_EQ(ParseOptions(static_cast<int>(argv.size()), argv.data(), o, help, error), expected.empty()) << error;
        EXPECT_EQ(error.substr(0, expected.size()), expected);
        if (args[0] == "--intermittent-carrier" && expected.empty()) {
            EXPECT_EQ(std::vector<double>({o.intermittentOn, o.intermittentOff, o.movingCarrier, o.appearAfter}),
                      std::vector<double>({2.5, 10, 7, 1.5}));
        }
    }
}

class SimE2E : public ::testing::Test {
protected:
    void StartSim(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--no-pace", "--log", log});
        home.LinkPort(1, home.Path() + "/absent");
        std::string error;
        ASSERT_TRUE(sim.Start(2, args, error)) << error;
        ASSERT_TRUE(library.Load()) << library.Error();
        lib = library.Exports();
        ASSERT_EQ(lib.CHANGECOMPORT(2), 1);
    }
    void TearDown() override
    {
        TavrinByteArrayRelease(array);
        library.Unload();
        const int status = sim.Stop();  // a sanitizer report in the simulator shows as a failed exit
        EXPECT_TRUE(status == -1 || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "status " << status;
    }
    // Waits up to 3 s for COM2 to be unregistered.
    bool PortGone() const
    {
        const auto t0 = steady_clock::now();
        while (std::filesystem::is_symlink(link) && MsSince(t0) < 3000)
            std::this_thread::sleep_for(milliseconds(5));
        return !std::filesystem::is_symlink(link);
    }

    TempConfigHome home;
    const std::string log = home.Path() + "/rx.log";
    const std::string link = home.PortsFolder() + "/COM2";
    SimProcess sim;
    tavrin::TavrinLibrary library{TAVRIN_LIBRARY_PATH};
    tavrin::TavrinExports lib;
    TavrinByteArray *array = nullptr;
};

TEST_F(SimE2E, AnswersTheLibraryLogsEveryByteItReceivedAndUnregistersOnTermination)
{
    StartSim({"--serial", "04711"});
    EXPECT_EQ(lib.GETSERIALNUM(), 4711);
    EXPECT_EQ(lib.SETFREQ(433920), 1);
    EXPECT_EQ(lib.SETSPAN(0), 1);
    ASSERT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(Bytes(array->data, array->data + 16), HeaderBytes({"0433920", 0, 3, "3KHZ"}));
    EXPECT_EQ(lib.SWVERSION(), 207);
    EXPECT_EQ(lib.TGLEVEL(-30), 1);
    sim.Stop();
    EXPECT_TRUE(PortGone()) << "a terminated simulator unregisters its port";
    EXPECT_EQ(LoggedBytes(log), Join({{'j'}, ToBytes("UF0433920"), SettingFrame('S', 1), {0xA5},
                                      ToBytes("OPT:VER\rGEN:LEV -30\n\r")}));
}

TEST_F(SimE2E, HangingUpRemovesThePortAndTheLibraryFailsWithoutHanging)
{
    StartSim({"--disconnect-after", "1"});
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    const auto t0 = steady_clock::now();
    while (!sim.Exited() && MsSince(t0) < 3000)
        std::this_thread::sleep_for(milliseconds(5));
    EXPECT_TRUE(PortGone());
    const auto t1 = steady_clock::now();
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 0);
    EXPECT_EQ(lib.GETSERIALNUM(), 999999);
    EXPECT_EQ(lib.SETFREQ(100000), 0) << "the purge of a hung-up line fails";
    EXPECT_LT(MsSince(t1), 200);
    EXPECT_EQ(lib.CHANGECOMPORT(2), 0);
}

TEST_F(SimE2E, ALatePortIsAbsentUntilItsTimeAndThenAnswers)
{
    StartSim({"--appear-after", "0.8"});  // returns once COM2 exists
    // The log is made at start and nothing has been received yet: its time is the start's.
    struct stat started {}, appeared {};
    ASSERT_EQ(stat(log.c_str(), &started), 0);
    ASSERT_EQ(lstat(link.c_str(), &appeared), 0);
    const auto seconds = [](const timespec &t) { return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9; };
    EXPECT_GE(seconds(appeared.st_mtim) - seconds(started.st_mtim), 0.75);
    EXPECT_EQ(lib.GETSERIALNUM(), 12345);
}

}  // namespace
