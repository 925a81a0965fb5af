// The simulated instrument's protocol engine, byte in, bytes out.
#include "engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace tavrin::sim;

namespace {

using Bytes = std::vector<uint8_t>;

struct Driver {
    explicit Driver(Options o = {}) : engine(o) {}
    Bytes Feed(const Bytes &in, double at = 1.0)
    {
        Bytes out;
        for (uint8_t b : in)
            engine.Receive(b, at, out);
        return out;
    }
    Bytes Feed(const std::string &in, double at = 1.0) { return Feed(Bytes(in.begin(), in.end()), at); }
    Engine engine;
};

bool ChecksumOk(const Bytes &block)
{
    unsigned sum = 0;
    for (size_t i = 0; i < 1016; ++i)
        sum += block[i];
    return block.size() == 1017 && static_cast<uint8_t>(sum) == block[1016];
}

Bytes Frame(char letter, uint8_t value) { return {0x55, static_cast<uint8_t>(letter), value, '0', '0', '0', '0', '0', '0'}; }

TEST(SimEngine, SettingFramesAreEchoedAndReportedInTheBlockHeader)
{
    Driver d;
    const Bytes setFreq = {'U', 'F', '0', '1', '5', '0', '5', '0', '0'};
    EXPECT_EQ(d.Feed(setFreq), setFreq);
    EXPECT_EQ(d.Feed(Frame('S', 10)), Frame('S', 10));  // index 9: 1MHZ/DIV
    d.Feed(Frame('L', 6));                               // code 5: +20 dBm
    d.Feed(Frame('R', 2));                               // user RBW 30 kHz (zero span only)
    Bytes block = d.Feed(Bytes{0xA5});
    ASSERT_TRUE(ChecksumOk(block));
    EXPECT_EQ(std::string(block.begin(), block.begin() + 7), "0150500");
    EXPECT_EQ(block[7], 9);
    EXPECT_EQ(block[8], 5);
    EXPECT_EQ(std::string(block.begin() + 9, block.begin() + 16), "220KHZ ") << "RBW follows the span";

    d.Feed(Frame('S', 1));  // zero span: the user's RBW is used
    block = d.Feed(Bytes{0xA5});
    EXPECT_EQ(std::string(block.begin() + 9, block.begin() + 16), "30KHZ  ");
}

TEST(SimEngine, OutOfTableFramesAndNonDigitFrequenciesChangeNothing)
{
    Driver d;
    d.Feed(Frame('S', 0));
    d.Feed(Frame('S', 17));
    d.Feed(Frame('L', 7));
    d.Feed(std::string("UF01x0000"));
    EXPECT_EQ(d.engine.State().spanIndex, 12);
    EXPECT_EQ(d.engine.State().refCode, 3);
    EXPECT_EQ(d.engine.State().centerKHz, 80000);
}

TEST(SimEngine, PointsSitWhereTheProgramReadsThem)
{
    // Centre 80 MHz with a -27 dBm carrier there: point 251 is the peak, at
    // 1023 - (0 - (-27)) / 0.078125 = 677 within the noise.
    Driver d;
    d.Feed(Frame('S', 10));
    auto points = d.engine.TracePoints();
    auto peak = std::max_element(points.begin(), points.begin() + 499) - points.begin();
    EXPECT_NEAR(peak, 251, 2) << "the 4 MHz RBW makes the top a few points wide";
    EXPECT_NEAR(points[251], 677, 12);
    for (uint16_t p : points)
        EXPECT_LE(p, 1023);
    // At -20 dBm reference the same carrier stands 20 dB (256 steps) higher on the screen.
    d.Feed(Frame('L', 2));
    EXPECT_NEAR(d.engine.TracePoints()[251], 677 + 256, 12);
}

TEST(SimEngine, SerialQueriesAndEchoMode)
{
    Options o;
    o.serial = "00042";
    Driver d(o);
    EXPECT_EQ(d.Feed(Bytes{'j'}), (Bytes{'0', '0', '0', '4', '2'}));
    Bytes ver = d.Feed(std::string("OPT:VER\r"));
    EXPECT_EQ(std::string(ver.begin(), ver.begin() + 8), "OPT:VER\r");
    ASSERT_EQ(ver.size(), 8u + 1 + 18 + 2);
    EXPECT_EQ(ver[8 + 1 + 5], '2');
    Bytes lev = d.Feed(std::string("MKR:LEV 0\r"));
    ASSERT_EQ(lev.size(), 10u + 1 + 3 + 2);

    EXPECT_EQ(d.Feed(std::string("ECHO OFF\n\r")), (Bytes{'E', 'C', 'H', 'O', ' ', 'O', 'F', 'F', '\n', '\r'}));
    EXPECT_TRUE(d.Feed(Frame('S', 3)).empty());
    EXPECT_EQ(d.engine.State().spanIndex, 2);
    d.Feed(std::string("ECHO ON\n\r"));
    EXPECT_EQ(d.Feed(Frame('S', 4)), Frame('S', 4));
}

TEST(SimEngine, AFrameCutOffByTheHostIsDropped)
{
    Driver d;
    d.Feed(Bytes{0x55, 'S'}, 1.0);
    Bytes out = d.Feed(Bytes{'j'}, 2.0);  // a second later: a new command, not the frame's value
    EXPECT_EQ(out, (Bytes{'1', '2', '3', '4', '5'}));
    EXPECT_EQ(d.engine.State().spanIndex, 12);
}

TEST(SimEngine, FaultsHitEveryNthBlock)
{
    struct Case {
        const char *name;
        Options o;
        int faultyBlock;
    };
    Options corrupt, bad, shortB, silent, noEcho;
    corrupt.corruptEvery = 2;
    bad.badPointsEvery = 3;
    shortB.shortEvery = 2;
    shortB.shortLength = 123;
    for (const Case &c : {Case{"corrupt", corrupt, 2}, Case{"bad points", bad, 3}, Case{"short", shortB, 2}}) {
        SCOPED_TRACE(c.name);
        Driver d(c.o);
        for (int n = 1; n <= 4; ++n) {
            Bytes block = d.Feed(Bytes{0xA5});
            const bool faulty = n % c.faultyBlock == 0;
            if (std::string(c.name) == "corrupt") {
                EXPECT_EQ(ChecksumOk(block), !faulty) << n;
            } else if (std::string(c.name) == "short") {
                EXPECT_EQ(block.size(), faulty ? 123u : 1017u) << n;
            } else {
                EXPECT_TRUE(ChecksumOk(block)) << n;
                EXPECT_EQ(block[16 + 201] > 3, faulty) << n;
            }
        }
        EXPECT_EQ(d.engine.BlocksSent(), 4);
    }
    silent.silent = true;
    Driver s(silent);
    EXPECT_TRUE(s.Feed(Bytes{0xA5, 'j'}).empty());
    EXPECT_TRUE(s.Feed(Frame('S', 3)).empty());
    EXPECT_EQ(s.engine.State().spanIndex, 2) << "a silent instrument still listens";
    noEcho.echo = false;
    Driver n(noEcho);
    EXPECT_TRUE(n.Feed(std::string("GEN:DISP\n\r")).empty());
    EXPECT_TRUE(n.engine.State().tgMode);
}

TEST(SimEngine, StreamingStartsOnAA55AndStopsOnAA)
{
    Driver d;
    EXPECT_EQ(d.Feed(Bytes{0xAA, 0x55}), (Bytes{0x55, 0xAA}));
    ASSERT_TRUE(d.engine.State().streaming);
    Bytes out;
    d.engine.Tick(1.0, out);
    EXPECT_EQ(out.size(), 1017u);
    EXPECT_EQ(d.Feed(Bytes{0xAA}), Bytes{0xAA});
    EXPECT_FALSE(d.engine.State().streaming);
    // The host's 0x55 acknowledgement is swallowed, not taken as the start of a frame.
    d.Feed(Bytes{0x55});
    EXPECT_EQ(d.Feed(Bytes{'j'}).size(), 5u);
}

TEST(SimEngine, TrackingGeneratorCommandsChangeTheTrace)
{
    Driver d;
    d.Feed(std::string("GEN:DISP\n\r"));
    d.Feed(std::string("GEN:LEV -20\n\r"));
    d.Feed(std::string("GEN:OFF -05\n\r"));
    EXPECT_EQ(d.engine.State().tgLevelDbm, -20);
    EXPECT_EQ(d.engine.State().tgOffset, -5);
    auto off = d.engine.TracePoints();
    d.Feed(std::string("GEN:MDE ON\n\r"));
    auto on = d.engine.TracePoints();
    EXPECT_GT(on[100], off[100] + 300) << "a -20 dBm generator stands far above the floor";
    d.Feed(std::string("GEN:EXIT\n\r"));
    EXPECT_FALSE(d.engine.State().tgMode);
}

}  // namespace
