// The instrument module on the real library, against scripted lines and tavrin-sim.
#include "common/text_number.h"
#include "instrument/port_check.h"
#include "instrument/tavrin_dll.h"
#include "serial_channel.h"
#include "support/fake_dialogs.h"
#include "support/pty_peer.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

#include "support/test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>

using namespace tavrin;
using namespace tavrin::test;
using namespace std::chrono;

namespace {

// A 1017-byte block whose points all hold `value` (plus `bad` at one point), checksum right.
Bytes BlockOf(int value, int badPoint = -1, uint8_t badHigh = 4)
{
    Bytes b(1017, 0);
    std::memcpy(b.data(), "0100000", 7);
    b[7] = 9;
    b[8] = 3;
    std::memcpy(b.data() + 9, "220KHZ ", 7);
    for (int n = 0; n < 500; ++n) {
        b[16 + 2 * n] = static_cast<uint8_t>(value & 0xFF);
        b[17 + 2 * n] = static_cast<uint8_t>(value >> 8);
    }
    if (badPoint >= 0)
        b[17 + 2 * badPoint] = badHigh;
    return SealBlock(b);
}

// Each 0xA5 gets the next block of the list (the last repeats); everything else is echoed.
PtyPeer::Responder Blocks(std::vector<Bytes> blocks)
{
    auto next = std::make_shared<size_t>(0);
    return [blocks, next](uint8_t b, const Bytes &) -> Bytes {
        if (b != 0xA5)
            return {b};
        return blocks[std::min((*next)++, blocks.size() - 1)];
    };
}

class InstrumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home.LinkPort(1, home.Path() + "/absent");
        home.LinkPort(2, peer.DevicePath());
        dll.SetEventPump([this] { ++pumped; });
        dll.SelectComPort(2);
    }
    TempConfigHome home;
    PtyPeer peer;
    FakeDialogs dialogs;
    TavrinDLL dll{dialogs};
    int pumped = 0;
};

TEST(TraceBlock, PointsAreTakenOnlyFromAWhollyValidBlock)
{
    FakeDialogs dialogs;
    TavrinDLL dll(dialogs);
    TraceBuffer &t = dll.Trace();
    EXPECT_FALSE(dll.ParseTracePoints()) << "no block yet";

    Bytes good = BlockOf(0);
    good[16] = 0xFF;
    good[17] = 0x03;  // point 0 = 1023
    good[1012] = 0x34;
    good[1013] = 0x02;  // point 498 = 0x234
    good[1014] = 0x99;
    good[1015] = 0x09;  // point 499 is never read
    t.block.assign(good.begin(), good.end());
    t.block.resize(1020, 0);
    ASSERT_TRUE(dll.ParseTracePoints());
    EXPECT_EQ(t.points[0], 1023);
    EXPECT_EQ(t.points[498], 0x234);
    EXPECT_EQ(t.points[499], 0);

    struct Case {
        int index;  // block byte set to 4
    };
    for (Case c : {Case{17}, Case{1013}}) {
        SCOPED_TRACE(c.index);
        auto before = t.points;
        t.block.assign(good.begin(), good.end());
        t.block[static_cast<size_t>(c.index)] = 4;
        EXPECT_FALSE(dll.ParseTracePoints());
        EXPECT_EQ(t.points, before) << "nothing of an invalid block reaches the points";
    }
}

TEST(TraceBlock, HeaderAccessors)
{
    FakeDialogs dialogs;
    TavrinDLL dll(dialogs);
    TraceBuffer &t = dll.Trace();
    EXPECT_EQ(dll.BlockCenterFreq(), 0);
    EXPECT_EQ(dll.BlockSpan(), "");
    EXPECT_EQ(dll.BlockRefLevel(), 0);
    EXPECT_EQ(dll.BlockRBW(), "");

    struct Case {
        const char *head;  // bytes 0..15
        double center;
        const char *span;
        int16_t ref;
        const char *rbw;
    };
    const Case cases[] = {
        {"0150500\x09\x05" "220KHZ ", 150.5, "1MHZ/DIV", 20, "220KHZ"},
        {"1100000\x0F\x00" "4MHZ   ", 1100, "100MHZ/DIV", -30, "4MHZ"},
        {"  80 00\x00\x03" "  3KHZ ", 8, "0HZ/DIV", 0, "3KHZ"},  // blanks trimmed as text grows
        {"12x4567\x10\x06" "30KHZ  ", 0.012, "", 0, "30KHZ"},    // codes outside the tables
        {"abcdefg\x02\x02" "\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 0, "5KHZ/DIV", -10, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.head);
        t.block.assign(1020, 0);
        std::memcpy(t.block.data(), c.head, 16);
        EXPECT_DOUBLE_EQ(dll.BlockCenterFreq(), c.center);
        EXPECT_DOUBLE_EQ(t.blockCenterMHz, c.center);
        EXPECT_EQ(dll.BlockSpan(), c.span);
        EXPECT_EQ(dll.BlockRefLevel(), c.ref);
        EXPECT_EQ(TrimSpaces(dll.BlockRBW()), c.rbw);
    }
}

TEST_F(InstrumentTest, FetchTraceAveragesCountTracesHalvesToEven)
{
    struct Case {
        std::vector<int> values;
        int16_t expected;
    };
    for (const Case &c : {Case{{1, 2, 2}, 2}, Case{{1, 2}, 2}, Case{{2, 3}, 2}, Case{{3, 4}, 4}, Case{{1023}, 1023}}) {
        std::vector<Bytes> blocks;
        for (int v : c.values)
            blocks.push_back(BlockOf(v));
        peer.SetResponder(Blocks(blocks));
        ASSERT_TRUE(dll.FetchTrace(static_cast<int>(c.values.size())));
        EXPECT_EQ(dll.Trace().points[0], c.expected);
        EXPECT_EQ(dll.Trace().points[498], c.expected);
        EXPECT_EQ(dll.Trace().points[499], 0);
    }
}

TEST_F(InstrumentTest, InvalidBlocksAreFetchedAgainWithEventsServedButNotForever)
{
    peer.SetResponder(Blocks({BlockOf(7, 10), BlockOf(7, 300, 0x80), BlockOf(600)}));
    ASSERT_TRUE(dll.FetchTrace(1));
    EXPECT_EQ(dll.Trace().points[10], 600);
    EXPECT_EQ(pumped, 3) << "events run after every request";

    peer.SetResponder(Blocks({BlockOf(5, 0)}));
    peer.ClearReceived();
    pumped = 0;
    EXPECT_FALSE(dll.FetchTrace(2));
    EXPECT_EQ(dll.Trace().points[10], 600) << "a failed fetch leaves the last trace";
    EXPECT_EQ(pumped, TavrinDLL::kMaxFetchAttempts);
    // Each request is one 0xA5, plus the library's one checksum retry when the block fails it.
    EXPECT_EQ(peer.Received(), Bytes(TavrinDLL::kMaxFetchAttempts, 0xA5));
}

TEST_F(InstrumentTest, ABlockFailingTheChecksumButWithValidPointsIsAccepted)
{
    Bytes b = BlockOf(321);
    b[1016] ^= 0x55;
    peer.SetResponder(Blocks({b}));
    ASSERT_TRUE(dll.FetchTrace(1));
    EXPECT_EQ(dll.Trace().points[100], 321);
}

TEST_F(InstrumentTest, NoPortGivesUpAtOnce)
{
    dll.SelectComPort(0);
    auto t0 = steady_clock::now();
    EXPECT_FALSE(dll.FetchTrace(1));
    EXPECT_EQ(pumped, 1);
    EXPECT_LT(MsSince(t0), 100);
    EXPECT_EQ(dll.SerialNumText(), "999999");
    EXPECT_EQ(dll.ComPort(), 0);
}

TEST_F(InstrumentTest, SendWrappersMapValuesOntoTheLibrarysCodes)
{
    struct Case {
        const char *name;
        std::function<void(TavrinDLL &)> send;
        Bytes sent;
    };
    auto frame = [](char l, uint8_t v) { return Bytes{0x55, static_cast<uint8_t>(l), v, '0', '0', '0', '0', '0', '0'}; };
    const std::vector<Case> cases = {
        {"80 MHz", [](TavrinDLL &d) { d.SendCenterFreq(80); }, ToBytes("UF0080000")},
        {"0.0005 MHz rounds to even 0", [](TavrinDLL &d) { d.SendCenterFreq(0.0005); }, ToBytes("UF0000000")},
        {"0.0015 MHz rounds to even 2", [](TavrinDLL &d) { d.SendCenterFreq(0.0015); }, ToBytes("UF0000002")},
        {"123.4567 MHz", [](TavrinDLL &d) { d.SendCenterFreq(123.4567); }, ToBytes("UF0123457")},
        {"span caption trimmed, any case", [](TavrinDLL &d) { d.SendSpan("  1mhz/div "); }, frame('S', 10)},
        {"unknown span sends row 0", [](TavrinDLL &d) { d.SendSpan("X"); }, frame('S', 1)},
        {"100MHZ/DIV", [](TavrinDLL &d) { d.SendSpan("100MHZ/DIV"); }, frame('S', 16)},
        {"ref 20", [](TavrinDLL &d) { d.SendRefLevel(20); }, frame('L', 6)},
        {"ref -30", [](TavrinDLL &d) { d.SendRefLevel(-30); }, frame('L', 1)},
        {"ref 5 sends nothing", [](TavrinDLL &d) { d.SendRefLevel(5); }, {}},
        {"rbw", [](TavrinDLL &d) { d.SendRBW(" 220khz "); }, frame('R', 3)},
        {"unknown rbw sends nothing", [](TavrinDLL &d) { d.SendRBW("X"); }, {}},
        {"tg on", [](TavrinDLL &d) { d.SendTGOnOff(true); }, ToBytes("GEN:MDE ON\n\r")},
        {"tg off", [](TavrinDLL &d) { d.SendTGOnOff(false); }, ToBytes("GEN:MDE OFF\n\r")},
        {"tg level", [](TavrinDLL &d) { d.SendTGLevel(-12); }, ToBytes("GEN:LEV -12\n\r")},
        {"tg offset", [](TavrinDLL &d) { d.SendTGOffset(7); }, ToBytes("GEN:OFF +07\n\r")},
        {"tg start", [](TavrinDLL &d) { d.SendStartTG(); }, ToBytes("GEN:DISP\n\r")},
        {"tg exit", [](TavrinDLL &d) { d.SendExitTG(); }, ToBytes("GEN:EXIT\n\r")},
        {"tg normalize", [](TavrinDLL &d) { d.SendNormalizeTG(); }, ToBytes("GEN:NRM\n\r")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        peer.ClearReceived();
        c.send(dll);
        std::this_thread::sleep_for(milliseconds(5));
        EXPECT_EQ(peer.Received(), c.sent);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(InstrumentTest, SerialNumberTextAndPortSelection)
{
    peer.SetResponder([](uint8_t b, const Bytes &) { return b == 'j' ? ToBytes("01234") : Bytes{}; });
    EXPECT_EQ(dll.SerialNumText(), "1234");
    EXPECT_EQ(dll.ComPort(), 2);

    PtyPeer other;
    other.SetResponder([](uint8_t b, const Bytes &) { return b == 'j' ? ToBytes("00007") : Bytes{}; });
    home.LinkPort(3, other.DevicePath());
    dll.SelectComPort(3);
    EXPECT_EQ(dll.ComPort(), 3);
    EXPECT_EQ(dll.SerialNumText(), "7");
    peer.SetResponder(PtyPeer::Silent());
    other.SetResponder(PtyPeer::Silent());
    EXPECT_EQ(dll.SerialNumText(), "999999");
}

TEST(InstrumentLibrary, AMissingLibraryIsReportedOnceByNameAndNothingBreaks)
{
    FakeDialogs dialogs;
    TavrinDLL dll(dialogs, "/nonexistent/folder/libTavrin.so");
    dll.SetEventPump([] {});
    EXPECT_FALSE(dll.LibraryAvailable());
    EXPECT_EQ(dll.SerialNumText(), "999999");
    EXPECT_FALSE(dll.FetchTrace(1));
    dll.SendCenterFreq(100);
    dll.SelectComPort(2);
    EXPECT_EQ(dll.ComPort(), 2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("/nonexistent/folder/libTavrin.so"), std::string::npos);
}

TEST(InstrumentLibrary, TheLibraryBesideTheProgramIsFound)
{
    TempConfigHome home;
    home.LinkPort(1, home.Path() + "/absent");
    FakeDialogs dialogs;
    TavrinDLL dll(dialogs);
    EXPECT_TRUE(dll.LibraryAvailable());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(Pause, WaitsTheTimeAcrossAWrapOfTheCounter)
{
    EXPECT_EQ(ElapsedMs(5, 0xFFFFFFF0u), 21u);
    EXPECT_EQ(ElapsedMs(100, 40), 60u);

    FakeDialogs dialogs;
    TavrinDLL dll(dialogs);
    const uint32_t base = SystemMsCounter();
    // A counter 100 ms short of its wrap when the pause starts.
    dll.SetMsCounter([base] { return SystemMsCounter() - base + 0xFFFFFF9Cu; });
    int pumped = 0;
    dll.SetEventPump([&] {
        ++pumped;
        std::this_thread::sleep_for(milliseconds(1));
    });
    auto t0 = steady_clock::now();
    dll.Pause(200);
    const double ms = MsSince(t0);
    EXPECT_GE(ms, 199);
    EXPECT_LT(ms, 300);
    EXPECT_GT(pumped, 10) << "window events are served while waiting";
}

// Against the simulator itself, with its fault options.
class InstrumentOnSim : public ::testing::Test {
protected:
    void Start(const std::vector<std::string> &args)
    {
        home.LinkPort(1, home.Path() + "/absent");
        std::string error;
        ASSERT_TRUE(sim.Start(2, args, error)) << error;
        dll.SetEventPump([this] { ++pumped; });
        dll.SelectComPort(2);
    }
    TempConfigHome home;
    SimProcess sim;
    FakeDialogs dialogs;
    TavrinDLL dll{dialogs};
    int pumped = 0;
};

TEST_F(InstrumentOnSim, PointsAreTheSimulatorsBlockAndTheHeaderItsSettings)
{
    Start({"--no-pace"});
    dll.SendCenterFreq(433.92);
    dll.SendSpan("1MHZ/DIV");
    dll.SendRefLevel(-10);
    ASSERT_TRUE(dll.FetchTrace(1));
    const auto &b = dll.Trace().block;
    for (int n = 0; n < 499; ++n)
        ASSERT_EQ(dll.Trace().points[n], b[16 + 2 * n] + 256 * b[17 + 2 * n]) << n;
    EXPECT_DOUBLE_EQ(dll.BlockCenterFreq(), 433.92);
    EXPECT_EQ(dll.BlockSpan(), "1MHZ/DIV");
    EXPECT_EQ(dll.BlockRefLevel(), -10);
    EXPECT_EQ(TrimSpaces(dll.BlockRBW()), "220KHZ");
}

TEST_F(InstrumentOnSim, OutOfRangePointsAndCorruptChecksums)
{
    Start({"--no-pace", "--bad-points", "2", "--corrupt-checksum", "3"});
    // Blocks 1 ok; 2 bad points -> 3 (corrupt checksum, library retries) -> 4 bad points -> 5 ok.
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(dll.FetchTrace(1)) << i;
    for (int p : dll.Trace().points)
        EXPECT_LE(p, 1023);
}

TEST_F(InstrumentOnSim, AnInstrumentThatOnlySendsInvalidBlocksEndsTheFetch)
{
    Start({"--no-pace", "--bad-points", "1"});
    EXPECT_FALSE(dll.FetchTrace(1));
    EXPECT_EQ(pumped, TavrinDLL::kMaxFetchAttempts);
    EXPECT_EQ(dll.Trace().points[0], 0);
}

TEST_F(InstrumentOnSim, ASilentInstrumentCostsOneRequestNotAFewMore)
{
    // The library waits out its read time-outs (2 x 10.28 s); the module must not add more.
    Start({"--silent"});
    auto t0 = steady_clock::now();
    EXPECT_FALSE(dll.FetchTrace(1));
    EXPECT_EQ(pumped, 1);
    EXPECT_LT(MsSince(t0), 25000);
}

}  // namespace

namespace {

TEST(PortCheck, APortHeldByAnotherProgramIsInUse)
{
    TempConfigHome home;
    PtyPeer peer;
    home.LinkPort(2, peer.DevicePath());
    home.LinkPort(3, home.Path() + "/absent");
    EXPECT_FALSE(PortInUse(2));
    {
        tavrin::SerialChannel holder;
        ASSERT_TRUE(holder.ChangePort(2));
        EXPECT_TRUE(PortInUse(2));
    }
    EXPECT_FALSE(PortInUse(2));
    EXPECT_FALSE(PortInUse(3)) << "a missing device is not in use";
    EXPECT_FALSE(PortInUse(0));
}

}  // namespace
