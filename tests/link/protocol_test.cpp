// The library's exports through a pseudo-terminal: exact bytes on the line and exact results.
#include "serial_channel.h"
#include "support/pty_peer.h"
#include "support/tavrin_lib.h"
#include "support/temp_dir.h"

#include "support/test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

using namespace tavrin::test;
using namespace std::chrono;

namespace {

Bytes Frame(char letter, uint8_t value)
{
    return {0x55, static_cast<uint8_t>(letter), value, '0', '0', '0', '0', '0', '0'};
}

Bytes TextLfCr(const std::string &text) { return ToBytes(text + "\n\r"); }

// A trace block with a valid checksum; `seed` makes blocks tell apart.
Bytes MakeBlock(uint8_t seed)
{
    Bytes b(1017);
    std::memcpy(b.data(), "0150500", 7);
    b[7] = 9;
    b[8] = 3;
    std::memcpy(b.data() + 9, "220KHZ ", 7);
    for (size_t i = 16; i < 1016; i += 2) {
        b[i] = static_cast<uint8_t>(i * 7 + seed);
        b[i + 1] = static_cast<uint8_t>((i / 2 + seed) % 4);
    }
    return SealBlock(b);
}

// Answers each 0xA5 with the next reply of a list (the last one repeats), echoes everything else.
PtyPeer::Responder TraceReplies(std::vector<Bytes> replies)
{
    auto next = std::make_shared<size_t>(0);
    return [replies, next](uint8_t b, const Bytes &) -> Bytes {
        if (b != 0xA5)
            return {b};
        const Bytes &r = replies[std::min(*next, replies.size() - 1)];
        ++*next;
        return r;
    };
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // COM1 points nowhere, so the load-time open fails quietly instead of reaching a real port.
        home.LinkPort(1, home.Path() + "/absent");
        home.LinkPort(2, peer.DevicePath());
        std::string error;
        ASSERT_TRUE(lib.Load(error)) << error;
        ASSERT_EQ(lib.CHANGECOMPORT(2), 1);
    }
    void TearDown() override
    {
        TavrinByteArrayRelease(array);
        lib.Unload();
    }
    TempConfigHome home;
    PtyPeer peer;
    TavrinLib lib;
    TavrinByteArray *array = nullptr;
};

struct SentCase {
    const char *name;
    std::function<int32_t(TavrinLib &)> call;
    Bytes sent;
    int32_t result;
};

TEST_F(LinkTest, SettingFramesAndTextCommandsSendExactBytes)
{
    const std::vector<SentCase> cases = {
        {"SETFREQ 150.5 MHz", [](TavrinLib &l) { return l.SETFREQ(150500); }, ToBytes("UF0150500"), 1},
        {"SETFREQ 0", [](TavrinLib &l) { return l.SETFREQ(0); }, ToBytes("UF0000000"), 1},
        {"SETFREQ 1000000", [](TavrinLib &l) { return l.SETFREQ(1000000); }, ToBytes("UF1000000"), 1},
        {"SETFREQ cut to 7", [](TavrinLib &l) { return l.SETFREQ(12345678); }, ToBytes("UF1234567"), 1},
        {"SETFREQ negative", [](TavrinLib &l) { return l.SETFREQ(-5); }, ToBytes("UF00000-5"), 1},
        {"SETSPAN 0", [](TavrinLib &l) { return l.SETSPAN(0); }, Frame('S', 0x01), 1},
        {"SETSPAN 15", [](TavrinLib &l) { return l.SETSPAN(15); }, Frame('S', 0x10), 1},
        {"SETREFLVL 0", [](TavrinLib &l) { return l.SETREFLVL(0); }, Frame('L', 0x01), 1},
        {"SETREFLVL 5", [](TavrinLib &l) { return l.SETREFLVL(5); }, Frame('L', 0x06), 1},
        {"SETRBW 3", [](TavrinLib &l) { return l.SETRBW(3); }, Frame('R', 0x04), 1},
        {"SETRBW 255", [](TavrinLib &l) { return l.SETRBW(255); }, Frame('R', 0x00), 1},
        {"MARKERTOPEAK", [](TavrinLib &l) { return l.MARKERTOPEAK(); }, TextLfCr("MKR:PKSR"), 1},
        {"MARKERTOCENTER", [](TavrinLib &l) { return l.MARKERTOCENTER(); }, TextLfCr("MKR:M2C"), 1},
        {"STARTTG", [](TavrinLib &l) { return l.STARTTG(); }, TextLfCr("GEN:DISP"), 1},
        {"EXITTG", [](TavrinLib &l) { return l.EXITTG(); }, TextLfCr("GEN:EXIT"), 1},
        {"NORMALIZETG", [](TavrinLib &l) { return l.NORMALIZETG(); }, TextLfCr("GEN:NRM"), 1},
        {"TGONOFF 1", [](TavrinLib &l) { return l.TGONOFF(1); }, TextLfCr("GEN:MDE ON"), 1},
        {"TGONOFF 2", [](TavrinLib &l) { return l.TGONOFF(2); }, TextLfCr("GEN:MDE OFF"), 1},
        {"TGLEVEL -59", [](TavrinLib &l) { return l.TGLEVEL(-59); }, TextLfCr("GEN:LEV -59"), 1},
        {"TGLEVEL 25", [](TavrinLib &l) { return l.TGLEVEL(25); }, TextLfCr("GEN:LEV -25"), 1},
        {"TGLEVEL -5", [](TavrinLib &l) { return l.TGLEVEL(-5); }, TextLfCr("GEN:LEV -05"), 1},
        {"TGLEVEL 60", [](TavrinLib &l) { return l.TGLEVEL(60); }, {}, 0},
        {"TGLEVEL min", [](TavrinLib &l) { return l.TGLEVEL(INT32_MIN); }, {}, 0},
        {"TGOFFSET -5", [](TavrinLib &l) { return l.TGOFFSET(-5); }, TextLfCr("GEN:OFF -05"), 1},
        {"TGOFFSET 0", [](TavrinLib &l) { return l.TGOFFSET(0); }, TextLfCr("GEN:OFF +00"), 1},
        {"TGOFFSET 99", [](TavrinLib &l) { return l.TGOFFSET(99); }, TextLfCr("GEN:OFF +99"), 1},
        {"TGOFFSET -100", [](TavrinLib &l) { return l.TGOFFSET(-100); }, {}, 0},
        {"EXTREF 1", [](TavrinLib &l) { return l.EXTREF(1); }, TextLfCr("REF ON"), 1},
        {"EXTREF 0", [](TavrinLib &l) { return l.EXTREF(0); }, TextLfCr("REF OFF"), 1},
        {"ECHOON", [](TavrinLib &l) { return l.ECHOON(); }, TextLfCr("ECHO ON"), 1},
        {"ECHOOFF", [](TavrinLib &l) { return l.ECHOOFF(); }, TextLfCr("ECHO OFF"), 1},
    };
    for (const SentCase &c : cases) {
        SCOPED_TRACE(c.name);
        peer.ClearReceived();
        EXPECT_EQ(c.call(lib), c.result);
        std::this_thread::sleep_for(milliseconds(5));
        EXPECT_EQ(peer.Received(), c.sent);
    }
}

TEST_F(LinkTest, SixAliasesAreTheSameEntries)
{
    const char *pairs[][2] = {{"CHANGECOMPORT", "ChangeComPort"}, {"GETSERIALNUM", "GetSerialNum"},
                              {"SETFREQ", "SetFreq"},             {"SETRBW", "SetRBW"},
                              {"SETREFLVL", "SetReflvl"},         {"SETSPAN", "SetSpan"}};
    for (auto &p : pairs) {
        ASSERT_NE(lib.Symbol(p[0]), nullptr) << p[0];
        EXPECT_EQ(lib.Symbol(p[0]), lib.Symbol(p[1])) << p[1];
    }
}

TEST_F(LinkTest, SerialNumberIsFiveDigitsOr999999)
{
    struct Case {
        Bytes reply;
        int32_t result;
    };
    for (const Case &c : {Case{ToBytes("01234"), 1234}, Case{ToBytes("98765"), 98765},
                          Case{ToBytes("0123"), 999999}, Case{{}, 999999},
                          Case{ToBytes("0A000"), 17 * 1000}}) {
        peer.SetResponder([reply = c.reply](uint8_t b, const Bytes &) { return b == 'j' ? reply : Bytes{}; });
        peer.ClearReceived();
        EXPECT_EQ(lib.GETSERIALNUM(), c.result);
        EXPECT_EQ(peer.Received(), Bytes{'j'});
    }
}

TEST_F(LinkTest, QueriesReadLeadByteReplyAndTwoTrailers)
{
    auto answer = [&](const Bytes &body) {
        peer.SetResponder([body](uint8_t b, const Bytes &) {
            if (b != '\r')
                return Bytes{b};
            Bytes out = {b, '\n'};
            for (uint8_t c : body)
                out.push_back(c);
            out.push_back('\r');
            out.push_back('\n');
            return out;
        });
        peer.ClearReceived();
    };
    answer({0x00, 0xFF, 0x9C});
    EXPECT_EQ(lib.GETMARKERLEVEL(1), -100);
    EXPECT_EQ(peer.Received(), ToBytes("MKR:LEV 0\r"));
    answer({0x7F, 0x01, 0x02});
    EXPECT_EQ(lib.GETMARKERLEVEL(3), 0x0102);
    EXPECT_EQ(peer.Received(), ToBytes("MKR:LEV 1\r"));

    answer(ToBytes("SWVER2.07-TAVRIN01"));
    EXPECT_EQ(lib.SWVERSION(), 207);
    EXPECT_EQ(peer.Received(), ToBytes("OPT:VER\r"));
    answer(ToBytes("SWVER .1x-TAVRIN01"));  // " 1x": leading blank skipped, stops at 'x'
    EXPECT_EQ(lib.SWVERSION(), 1);
    answer(ToBytes("1.4"));
    EXPECT_EQ(lib.FPGAVERSION(), 14);
    EXPECT_EQ(peer.Received(), ToBytes("OPT:FPGA\r"));

    // The reply stops after ten of eighteen bytes.
    answer(ToBytes("SWVER2.07-"));
    auto t0 = steady_clock::now();
    EXPECT_EQ(lib.SWVERSION(), 0);
    EXPECT_LT(MsSince(t0), 600);
}

TEST_F(LinkTest, TraceBlockIsCopiedWithoutItsChecksumIntoAFreshArray)
{
    const Bytes block = MakeBlock(1);
    peer.SetResponder(TraceReplies({block}));
    array = static_cast<TavrinByteArray *>(std::malloc(sizeof(TavrinByteArray)));
    array->count = 3;
    array->data = static_cast<uint8_t *>(std::malloc(3));  // released by the call (the sanitizer checks)
    const auto t0 = steady_clock::now();
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_LT(MsSince(t0), 120) << "the read ends with the block, not 200 ms after it";
    ASSERT_NE(array, nullptr);
    ASSERT_EQ(array->count, 1020);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 1016, array->data));
    for (int i = 1016; i < 1020; ++i)
        EXPECT_EQ(array->data[i], 0) << i;
    EXPECT_EQ(peer.Received(), Bytes{0xA5});
}

TEST_F(LinkTest, TraceChecksumGetsOneRetry)
{
    Bytes bad1 = MakeBlock(1), bad2 = MakeBlock(2);
    bad1[1016] ^= 0x01;
    bad2[1016] ^= 0x80;
    const Bytes good = MakeBlock(3);

    peer.SetResponder(TraceReplies({bad1, good}));
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_TRUE(std::equal(good.begin(), good.begin() + 1016, array->data));
    EXPECT_EQ(peer.Received(), (Bytes{0xA5, 0xA5}));

    peer.SetResponder(TraceReplies({bad1, bad2, good}));
    peer.ClearReceived();
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 0);
    EXPECT_TRUE(std::equal(bad2.begin(), bad2.begin() + 1016, array->data)) << "holds the last attempt";
    EXPECT_EQ(peer.Received(), (Bytes{0xA5, 0xA5}));
}

// Each trace request gets the next block of the list (the last repeats) and, `late` after it, a
// 1018th byte that lands when the read has long ended.
std::jthread LateTrailerInstrument(PtyPeer &peer, std::vector<Bytes> blocks, milliseconds late)
{
    peer.SetResponder(PtyPeer::Silent());
    return std::jthread([&peer, blocks, late](std::stop_token stop) {
        for (size_t served = 0; !stop.stop_requested();) {
            if (!peer.WaitReceived(served + 1, milliseconds(10)))
                continue;
            peer.Send(blocks[std::min(served++, blocks.size() - 1)]);
            std::this_thread::sleep_for(late);
            peer.Send({0x5A});
        }
    });
}

TEST_F(LinkTest, ALateTrailingByteShiftsNeitherTheRetryNorTheNextBlock)
{
    Bytes bad = MakeBlock(6);
    bad[1016] ^= 0x01;
    const Bytes second = MakeBlock(7), third = MakeBlock(8);
    const auto instrument = LateTrailerInstrument(peer, {bad, second, third}, milliseconds(40));
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_TRUE(std::equal(second.begin(), second.begin() + 1016, array->data));
    // Asked at once, before the last block's trailing byte is on the line.
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_TRUE(std::equal(third.begin(), third.begin() + 1016, array->data));
}

TEST_F(LinkTest, ShortTraceReadIsAFailedAttemptAndNeverMixesInAnOlderReply)
{
    const Bytes full = MakeBlock(4);
    const Bytes other = MakeBlock(5);
    const Bytes shortBlock(other.begin(), other.begin() + 500);
    peer.SetResponder(TraceReplies({full, shortBlock, full}));
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1) << "short, then the retry is whole";
    EXPECT_TRUE(std::equal(full.begin(), full.begin() + 1016, array->data));

    // Both attempts short: the bytes that came are there, the rest is marked invalid (0xFF),
    // never left over from the whole block before.
    peer.SetResponder(TraceReplies({full, shortBlock}));
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 0);
    EXPECT_TRUE(std::equal(shortBlock.begin(), shortBlock.end(), array->data));
    for (int i = 500; i < 1016; ++i)
        ASSERT_EQ(array->data[i], 0xFF) << i;
    EXPECT_EQ(array->data[1016], 0);

    // A block of exactly 1017 bytes whose checksum byte is right passes even though a 1018th
    // byte was asked for.
    peer.SetResponder(TraceReplies({full}));
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
}

TEST_F(LinkTest, StreamingHandshakeNeedsFiftyFiveThenAA)
{
    peer.SetResponder([](uint8_t b, const Bytes &) { return b == 0x55 ? Bytes{0x55, 0xAA} : Bytes{}; });
    EXPECT_EQ(lib.STARTSTREAMING(), 1);
    EXPECT_EQ(peer.Received(), (Bytes{0xAA, 0x55}));

    // 55 55 AA does not complete it (the second 55 switches the state off); a later 55 AA does.
    peer.SetResponder([&](uint8_t b, const Bytes &) {
        if (b == 0x55) {
            std::thread([&] {
                std::this_thread::sleep_for(milliseconds(300));
                peer.Send({0x55, 0xAA});
            }).detach();
            return Bytes{0x55, 0x55, 0xAA};
        }
        return Bytes{};
    });
    auto t0 = steady_clock::now();
    EXPECT_EQ(lib.STARTSTREAMING(), 1);
    EXPECT_GE(MsSince(t0), 290);
}

TEST_F(LinkTest, StopStreamingAcknowledgesOnlyWhenSomethingArrived)
{
    peer.SetResponder([](uint8_t b, const Bytes &) { return b == 0xAA ? Bytes{0x01, 0x02} : Bytes{}; });
    EXPECT_EQ(lib.STOPSTREAMING(), 1);
    EXPECT_TRUE(peer.WaitReceived(2));
    EXPECT_EQ(peer.Received(), (Bytes{0xAA, 0x55}));

    peer.SetResponder(PtyPeer::Silent());
    peer.ClearReceived();
    EXPECT_EQ(lib.STOPSTREAMING(), 0);
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(peer.Received(), Bytes{0xAA});
}

TEST_F(LinkTest, SilentInstrumentGivesFailureValuesWithThePortOpen)
{
    peer.SetResponder(PtyPeer::Silent());
    auto t0 = steady_clock::now();
    EXPECT_EQ(lib.SETFREQ(80000), 1);  // port open: purge succeeded
    double frameMs = MsSince(t0);
    EXPECT_GE(frameMs, 9 * 110 - 10);
    EXPECT_LT(frameMs, 9 * 110 + 300);
    EXPECT_EQ(lib.SETSPAN(3), 1);
    EXPECT_EQ(lib.GETSERIALNUM(), 999999);
    EXPECT_EQ(lib.GETMARKERLEVEL(1), 0);
    EXPECT_EQ(lib.FPGAVERSION(), 0);
}

TEST_F(LinkTest, NoPortGivesTheFailureValuesWithoutHanging)
{
    EXPECT_EQ(lib.CHANGECOMPORT(0), 0);
    peer.ClearReceived();
    auto t0 = steady_clock::now();
    EXPECT_EQ(lib.SETFREQ(80000), 0);
    EXPECT_EQ(lib.SETREFLVL(1), 0);
    EXPECT_EQ(lib.SETRBW(1), 0);
    EXPECT_EQ(lib.SETSPAN(1), 1);
    EXPECT_EQ(lib.STARTTG(), 1);
    EXPECT_EQ(lib.TGLEVEL(10), 1);
    EXPECT_EQ(lib.GETSERIALNUM(), 999999);
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 0);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(array->data[17], 0xFF) << "nothing arrived: no point may pass for valid";
    EXPECT_LT(MsSince(t0), 100);
    EXPECT_EQ(lib.GETMARKERLEVEL(1), 0);
    EXPECT_EQ(lib.STOPSTREAMING(), 0);
    EXPECT_LT(MsSince(t0), 2500);
    EXPECT_TRUE(peer.Received().empty());

    EXPECT_EQ(lib.CHANGECOMPORT(5), 0);
    home.LinkPort(3, home.Path() + "/gone");
    EXPECT_EQ(lib.CHANGECOMPORT(3), 0);
    EXPECT_EQ(lib.CHANGECOMPORT(2), 1);
    EXPECT_EQ(lib.SETSPAN(2), 1);
    EXPECT_EQ(peer.Received(), Frame('S', 3));

    // The port it has, after an open of that same port failed: opened again.
    home.LinkPort(2, home.Path() + "/unplugged");
    EXPECT_EQ(lib.CHANGECOMPORT(2), 0);
    home.LinkPort(2, peer.DevicePath());
    EXPECT_EQ(lib.CHANGECOMPORT(2), 1);
    peer.ClearReceived();
    EXPECT_EQ(lib.SETSPAN(4), 1);
    EXPECT_EQ(peer.Received(), Frame('S', 5));
}

TEST(LinkLoad, LoadingOpensComOneAndUnloadingClosesIt)
{
    TempConfigHome home;
    PtyPeer peer;
    peer.SetResponder([](uint8_t b, const Bytes &) { return b == 'j' ? ToBytes("54321") : Bytes{}; });
    home.LinkPort(1, peer.DevicePath());
    TavrinLib lib;
    std::string error;
    ASSERT_TRUE(lib.Load(error)) << error;
    EXPECT_EQ(lib.GETSERIALNUM(), 54321);

    // While the library holds COM1 nobody else gets it; once unloaded, the port is free again.
    tavrin::SerialChannel other;
    EXPECT_FALSE(other.ChangePort(1));
    ASSERT_TRUE(lib.Unload());
    EXPECT_TRUE(other.ChangePort(1));
}

TEST(LinkLoad, LoadingWithoutAnyComOneIsQuiet)
{
    TempConfigHome home;
    home.LinkPort(1, home.Path() + "/absent");
    TavrinLib lib;
    std::string error;
    ASSERT_TRUE(lib.Load(error)) << error;
    EXPECT_EQ(lib.SETFREQ(1), 0);
    EXPECT_EQ(lib.GETSERIALNUM(), 999999);
    EXPECT_TRUE(lib.Unload());
}

}  // namespace
