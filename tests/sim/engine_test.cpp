// The simulated instrument's protocol engine, byte in, bytes out.
#include "engine.h"
#include "support/test_util.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tavrin::sim;
using namespace tavrin::test;

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
    Options corrupt, bad, cut, mute;
    corrupt.corruptEvery = 2;
    bad.badPointsEvery = 3;
    cut.shortEvery = 2;
    cut.shortLength = 123;
    mute.silentAfter = 2;
    const Case cases[] = {
        {"corrupt every 2nd", corrupt, "-x-x", [](const Bytes &b) { return b[1016] != Checksum(b); }},
        {"bad point 100 every 3rd", bad, "--x-", [](const Bytes &b) { return b[1016] == Checksum(b) && b[217] > 3; }},
        {"short every 2nd", cut, "-x-x", [](const Bytes &b) { return b.size() == 123; }},
        {"silent after 2", mute, "--xx", [](const Bytes &b) { return b.empty(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Engine e(c.o);
        std::string seen;
        for (int n = 1; n <= 4; ++n)
            seen += c.faulty(Feed(e, {0xA5})) ? 'x' : '-';
        EXPECT_EQ(seen, c.blocks);
    }
}

}  // namespace
