// The serial channel and the library's exports on a real pseudo-terminal: time-outs, port names and
// changes, exact bytes on the line and exact results.
#include <filesystem>
#include <functional>
#include <termios.h>

#include <gtest/gtest.h>

#include "instrument/tavrin_library.h"
#include "port_map.h"
#include "pseudo_terminal.h"
#include "serial_channel.h"
#include "support/pty_peer.h"
#include "support/temp_dir.h"

using namespace tavrin;
using namespace tavrin::test;
using namespace std::chrono;

namespace {

Bytes TextLfCr(const std::string &text) { return ToBytes(text + "\n\r"); }

// Blocks that tell apart by their seed.
Bytes Block(int seed)
{
    return TraceBlock([seed](int n) { return static_cast<uint16_t>((n * 7 + seed) % 1024); });
}

Bytes BadChecksum(Bytes b) { b[1016] ^= 0x01; return b; }

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // COM1 points nowhere, so the load-time open fails quietly instead of reaching a real port.
        home.LinkPort(1, home.Path() + "/absent");
        home.LinkPort(2, peer.DevicePath());
        ASSERT_TRUE(library.Load()) << library.Error();
        lib = library.Exports();
        ASSERT_EQ(lib.CHANGECOMPORT(2), 1);
    }
    void TearDown() override
    {
        TavrinByteArrayRelease(array);
        library.Unload();
    }
    Bytes ArrayBytes(size_t from, size_t to) const { return Bytes(array->data + from, array->data + to); }

    TempConfigHome home;
    PtyPeer peer;
    tavrin::TavrinLibrary library{TAVRIN_LIBRARY_PATH};
    tavrin::TavrinExports lib;
    TavrinByteArray *array = nullptr;
};

using Lib = const tavrin::TavrinExports &;
using Call = std::function<int32_t(Lib)>;

TEST_F(LinkTest, FramesAndTextCommandsGoOutByteByByteEachAfterTheEchoOfTheOneBefore)
{
    struct Case { const char *name; Call call; Bytes sent; int32_t result; };
    const Case cases[] = {
        {"SETFREQ 150.5 MHz", [](Lib l) { return l.SETFREQ(150500); }, ToBytes("UF0150500"), 1},
        {"SETFREQ 0", [](Lib l) { return l.SETFREQ(0); }, ToBytes("UF0000000"), 1},
        {"SETFREQ 1000000", [](Lib l) { return l.SETFREQ(1000000); }, ToBytes("UF1000000"), 1},
        {"SETFREQ cut to 7", [](Lib l) { return l.SETFREQ(12345678); }, ToBytes("UF1234567"), 1},
        {"SETFREQ negative", [](Lib l) { return l.SETFREQ(-5); }, ToBytes("UF00000-5"), 1},
        {"SETSPAN 0", [](Lib l) { return l.SETSPAN(0); }, SettingFrame('S', 0x01), 1},
        {"SETSPAN 15", [](Lib l) { return l.SETSPAN(15); }, SettingFrame('S', 0x10), 1},
        {"SETREFLVL 0", [](Lib l) { return l.SETREFLVL(0); }, SettingFrame('L', 0x01), 1},
        {"SETREFLVL 5", [](Lib l) { return l.SETREFLVL(5); }, SettingFrame('L', 0x06), 1},
        {"SETRBW 3", [](Lib l) { return l.SETRBW(3); }, SettingFrame('R', 0x04), 1},
        {"SETRBW 255", [](Lib l) { return l.SETRBW(255); }, SettingFrame('R', 0x00), 1},
        {"MARKERTOPEAK", [](Lib l) { return l.MARKERTOPEAK(); }, TextLfCr("MKR:PKSR"), 1},
        {"MARKERTOCENTER", [](Lib l) { return l.MARKERTOCENTER(); }, TextLfCr("MKR:M2C"), 1},
        {"STARTTG", [](Lib l) { return l.STARTTG(); }, TextLfCr("GEN:DISP"), 1},
        {"EXITTG", [](Lib l) { return l.EXITTG(); }, TextLfCr("GEN:EXIT"), 1},
        {"NORMALIZETG", [](Lib l) { return l.NORMALIZETG(); }, TextLfCr("GEN:NRM"), 1},
        {"TGONOFF 1", [](Lib l) { return l.TGONOFF(1); }, TextLfCr("GEN:MDE ON"), 1},
        {"TGONOFF 2", [](Lib l) { return l.TGONOFF(2); }, TextLfCr("GEN:MDE OFF"), 1},
        {"TGLEVEL -59", [](Lib l) { return l.TGLEVEL(-59); }, TextLfCr("GEN:LEV -59"), 1},
        {"TGLEVEL 25", [](Lib l) { return l.TGLEVEL(25); }, TextLfCr("GEN:LEV -25"), 1},
        {"TGLEVEL -5", [](Lib l) { return l.TGLEVEL(-5); }, TextLfCr("GEN:LEV -05"), 1},
        {"TGLEVEL 60", [](Lib l) { return l.TGLEVEL(60); }, {}, 0},
        {"TGLEVEL min", [](Lib l) { return l.TGLEVEL(INT32_MIN); }, {}, 0},
        {"TGOFFSET -5", [](Lib l) { return l.TGOFFSET(-5); }, TextLfCr("GEN:OFF -05"), 1},
        {"TGOFFSET 0", [](Lib l) { return l.TGOFFSET(0); }, TextLfCr("GEN:OFF +00"), 1},
        {"TGOFFSET 99", [](Lib l) { return l.TGOFFSET(99); }, TextLfCr("GEN:OFF +99"), 1},
        {"TGOFFSET -100", [](Lib l) { return l.TGOFFSET(-100); }, {}, 0},
        {"EXTREF 1", [](Lib l) { return l.EXTREF(1); }, TextLfCr("REF ON"), 1},
        {"EXTREF 0", [](Lib l) { return l.EXTREF(0); }, TextLfCr("REF OFF"), 1},
        {"ECHOON", [](Lib l) { return l.ECHOON(); }, TextLfCr("ECHO ON"), 1},
        {"ECHOOFF", [](Lib l) { return l.ECHOOFF(); }, TextLfCr("ECHO OFF"), 1},
    };
    // Each echo takes a moment: a byte sent without waiting for it would be on the line early.
    peer.SetResponder([](uint8_t b, const Bytes &) {
        std::this_thread::sleep_for(milliseconds(1));
        return Bytes{b};
    });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        peer.ClearReceived();
        EXPECT_EQ(c.call(lib), c.result);
        EXPECT_EQ(peer.Received(), c.sent);
        EXPECT_EQ(peer.EarlyBytes(), 0u) << "a byte went out before the echo of the one before";
    }
}

TEST_F(LinkTest, QueryRepliesAreReadAndDecoded)
{
    struct Case { Call call; Bytes reply; const char *sent; int32_t result; };
    const Case cases[] = {
        {[](Lib l) { return l.GETSERIALNUM(); }, ToBytes("01234"), "j", 1234},
        {[](Lib l) { return l.GETSERIALNUM(); }, ToBytes("0123"), "j", 999999},
        {[](Lib l) { return l.GETSERIALNUM(); }, ToBytes("0A000"), "j", 17000},  // digits are not checked
        // The three text queries: their echo, a lead byte, the reply, two trailing bytes.
        {[](Lib l) { return l.GETMARKERLEVEL(1); }, {0x00, 0xFF, 0x9C}, "MKR:LEV 0\r", -100},
        {[](Lib l) { return l.GETMARKERLEVEL(3); }, {0x7F, 0x01, 0x02}, "MKR:LEV 1\r", 0x0102},
        {[](Lib l) { return l.SWVERSION(); }, ToBytes("SWVER2.07-TAVRIN01"), "OPT:VER\r", 207},
        {[](Lib l) { return l.FPGAVERSION(); }, ToBytes("1.4"), "OPT:FPGA\r", 14},
        {[](Lib l) { return l.SWVERSION(); }, ToBytes("SWVER2.07-"), "OPT:VER\r", 0},  // stops after 10 of 18
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sent + std::to_string(c.result));
        peer.SetResponder([&c](uint8_t b, const Bytes &) {
            return b == 'j' ? c.reply : b == '\r' ? Join({{'\r', '\n'}, c.reply, {'\r', '\n'}}) : Bytes{b};
        });
        peer.ClearReceived();
        const auto t0 = steady_clock::now();
        EXPECT_EQ(c.call(lib), c.result);
        EXPECT_LT(MsSince(t0), 600);
        EXPECT_EQ(peer.Received(), ToBytes(c.sent));
    }
}

TEST_F(LinkTest, TraceBlockIsCopiedWithoutItsChecksumAndRetriedOnce)
{
    const Bytes a = Block(1), b = Block(2), cut(b.begin(), b.begin() + 500);
    // data: the array's bytes 0..1015; requests: how many 0xA5 went out.
    struct Case { const char *name; std::vector<Bytes> replies; int32_t result; Bytes data; size_t requests, maxMs; };
    auto data = [](Bytes block) {  // what never arrived reads 0xFF
        block.resize(1016, 0xFF);
        return block;
    };
    const Case cases[] = {
        {"whole: the read ends with the block", {a}, 1, data(a), 1, 120},
        {"bad checksum, then whole", {BadChecksum(a), b}, 1, data(b), 2, 600},
        {"bad twice: the last attempt stays", {BadChecksum(a), BadChecksum(b)}, 0, data(b), 2, 600},
        {"short, then whole", {cut, a}, 1, data(a), 2, 600},
        // After whole blocks: nothing of them left in the receive buffer may pass for points.
        {"short twice", {cut}, 0, data(cut), 2, 900},
    };
    array = static_cast<TavrinByteArray *>(std::malloc(sizeof(TavrinByteArray)));
    *array = {3, static_cast<uint8_t *>(std::malloc(3))};  // released by the call (the sanitizer checks)
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        peer.SetResponder(PtyPeer::Traces(c.replies));
        peer.ClearReceived();
        const auto t0 = steady_clock::now();
        EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), c.result);
        EXPECT_LT(MsSince(t0), c.maxMs);
        ASSERT_EQ(array->count, 1020);
        EXPECT_EQ(ArrayBytes(0, 1016), c.data);
        EXPECT_EQ(ArrayBytes(1016, 1020), Bytes(4, 0));
        EXPECT_EQ(peer.Received(), Bytes(c.requests, 0xA5));
    }
}

TEST_F(LinkTest, ALateTrailingByteDoesNotShiftTheRetriedBlock)
{
    // Each request gets the next block and, 40 ms later, a 1018th byte that lands when the read
    // has long ended.
    const std::vector<Bytes> blocks = {BadChecksum(Block(6)), Block(7)};
    peer.SetResponder(PtyPeer::Silent());
    const std::jthread instrument([&](std::stop_token stop) {
        for (size_t served = 0; !stop.stop_requested();) {
            if (!peer.WaitReceived(served + 1, milliseconds(10)))
                continue;
            peer.Send(blocks[std::min(served++, blocks.size() - 1)]);
            std::this_thread::sleep_for(milliseconds(40));
            peer.Send({0x5A});
        }
    });
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(ArrayBytes(0, 1016), Bytes(blocks[1].begin(), blocks[1].begin() + 1016));
}

TEST_F(LinkTest, BytesLeftOnTheLineAreDiscardedBeforeTheSerialQueryAndTheTraceRequest)
{
    const Bytes older = Block(1), fresh = Block(2);
    const auto traces = PtyPeer::Traces({fresh});
    peer.SetResponder([traces](uint8_t b, const Bytes &s) { return b == 'j' ? ToBytes("01234") : traces(b, s); });
    peer.Preload(ToBytes("99999"));
    EXPECT_EQ(lib.GETSERIALNUM(), 1234);
    peer.Preload(older);
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(ArrayBytes(0, 1016), Bytes(fresh.begin(), fresh.begin() + 1016));
}

TEST_F(LinkTest, WithoutAPortEveryCallGivesItsFailureValueAtOnce)
{
    EXPECT_EQ(lib.CHANGECOMPORT(5), 0);
    EXPECT_EQ(lib.CHANGECOMPORT(0), 0);
    const auto t0 = steady_clock::now();
    EXPECT_EQ(lib.SETFREQ(80000), 0) << "the purge's result";
    EXPECT_EQ(lib.SETREFLVL(1), 0);
    EXPECT_EQ(lib.SETRBW(1), 0);
    EXPECT_EQ(lib.SETSPAN(1), 1);
    EXPECT_EQ(lib.STARTTG(), 1);
    EXPECT_EQ(lib.GETSERIALNUM(), 999999);
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 0);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(ArrayBytes(0, 1016), Bytes(1016, 0xFF)) << "nothing arrived: no point may pass for valid";
    EXPECT_LT(MsSince(t0), 100);
    EXPECT_TRUE(peer.Received().empty());
}

TEST(LinkLoad, LoadingOpensComOneAndUnloadingClosesIt)
{
    TempConfigHome home;
    PtyPeer peer;
    peer.SetResponder([](uint8_t b, const Bytes &) { return b == 'j' ? ToBytes("54321") : Bytes{}; });
    home.LinkPort(1, peer.DevicePath());
    tavrin::TavrinLibrary library(TAVRIN_LIBRARY_PATH);
    ASSERT_TRUE(library.Load()) << library.Error();
    EXPECT_EQ(library.Exports().GETSERIALNUM(), 54321);

    // While the library holds COM1 nobody else gets it; once unloaded, the port is free again.
    tavrin::SerialChannel other;
    EXPECT_FALSE(other.ChangePort(1));
    ASSERT_TRUE(library.Unload());
    EXPECT_TRUE(other.ChangePort(1));
}

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home.LinkPort(2, peer.DevicePath());
        ASSERT_TRUE(channel.ChangePort(2));
    }
    TempConfigHome home;
    PtyPeer peer;
    SerialChannel channel;
};

TEST_F(ChannelTest, AReadEndsAtTheFirstTimeOutThatRunsOutAndATimeOutIsASuccess)
{
    // gapMs: before each byte sent.
    struct Case { const char *name; int gapMs; Bytes sent; size_t requested; double minMs, maxMs; };
    const Case cases[] = {
        {"nothing: 10 ms x 30 + 100 ms", 0, {}, 30, 395, 480},
        {"3 of 5: the total time-out", 0, {0x41, 0x42, 0x43}, 5, 145, 260},
        {"3 of 100: 200 ms after the last byte", 0, {0x41, 0x42, 0x43}, 100, 195, 330},
        {"bytes 120 ms apart keep it going", 120, {0x10, 0x20, 0x30}, 100, 3 * 120 + 190, 3 * 120 + 400},
        {"all 4 arrived: at once", 0, {1, 2, 3, 4}, 4, 0, 50},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::jthread sender([&] {
            for (uint8_t b : c.sent) {
                std::this_thread::sleep_for(milliseconds(c.gapMs));
                peer.Send({b});
            }
        });
        Bytes buf(c.requested, 0xEE);
        const auto t0 = steady_clock::now();
        EXPECT_TRUE(channel.Read(buf.data(), buf.size()));
        const double ms = MsSince(t0);
        EXPECT_EQ(channel.LastReadCount(), c.sent.size());
        Bytes expected = c.sent;
        expected.resize(c.requested, 0xEE);  // the rest of the buffer keeps what it held
        EXPECT_EQ(buf, expected);
        EXPECT_GE(ms, c.minMs);
        EXPECT_LT(ms, c.maxMs);
    }
}

TEST_F(ChannelTest, SendEchoedWithoutEchoWaitsOneReadTimeOutPerByteAndSucceeds)
{
    peer.SetResponder(PtyPeer::Silent());
    const Bytes frame = ToBytes("UF0");
    const auto t0 = steady_clock::now();
    EXPECT_TRUE(channel.SendEchoed(frame.data(), frame.size()));
    const double ms = MsSince(t0);
    EXPECT_GE(ms, 3 * 110 - 10);
    EXPECT_LT(ms, 3 * 110 + 200);
    EXPECT_EQ(peer.Received(), frame);
}

TEST_F(ChannelTest, MissingDeviceFailsAndChangingBackReappliesTheSettings)
{
    home.LinkPort(3, home.Path() + "/no-such-device");
    EXPECT_FALSE(channel.ChangePort(3));
    EXPECT_FALSE(channel.IsOpen());

    // Spoil the line settings while the channel is away, then come back.
    termios tio{};
    ASSERT_EQ(tcgetattr(peer.KeptSlave(), &tio), 0);
    tio.c_lflag |= ICANON | ECHO;
    tio.c_iflag |= ICRNL | IXON;
    tio.c_cflag |= PARENB | CSTOPB;
    cfsetspeed(&tio, B9600);
    ASSERT_EQ(tcsetattr(peer.KeptSlave(), TCSANOW, &tio), 0);

    ASSERT_TRUE(channel.ChangePort(2));
    ASSERT_EQ(tcgetattr(peer.KeptSlave(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF), 0u);
}

TEST(ChannelWrite, ALineThatStopsTakingBytesFailsTheWriteInsteadOfBlocking)
{
    TempConfigHome home;
    sim::PseudoTerminal pty;  // nobody reads its instrument end
    std::string error;
    ASSERT_TRUE(sim::OpenPseudoTerminal(pty, error)) << error;
    home.LinkPort(4, pty.slavePath);
    SerialChannel channel;
    ASSERT_TRUE(channel.ChangePort(4));
    const std::vector<uint8_t> lots(1 << 20, 0x41);
    const auto t0 = steady_clock::now();
    EXPECT_FALSE(channel.Write(lots.data(), lots.size()));
    const double ms = MsSince(t0);
    // The limit counts from the last byte the line took; the terminal layer may take a late
    // chunk, so the end is bounded, not exact.
    EXPECT_GE(ms, 2000 - 50);
    EXPECT_LT(ms, 4 * 2000 + 1000);
    channel.Close();
    sim::ClosePseudoTerminal(pty);
}

TEST(PortNames, AnEntryOfThePortsFolderElseTheSerialDevice)
{
    TempConfigHome home;  // the ports folder under XDG_CONFIG_HOME
    home.LinkPort(2, home.Path() + "/nowhere");
    EXPECT_EQ(ResolvePortPath(2), home.Path() + "/tavrin/ports/COM2") << "even a dangling entry is used";
    EXPECT_EQ(ResolvePortPath(1), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortPath(4), "/dev/ttyS3");

    // Without XDG_CONFIG_HOME the folder is $HOME/.config/tavrin/ports.
    const ScopedEnv noXdg("XDG_CONFIG_HOME", nullptr);
    const ScopedEnv homeDir("HOME", home.Path().c_str());
    const std::string folder = home.Path() + "/.config/tavrin/ports";
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink("/dev/null", folder + "/COM3");
    EXPECT_EQ(ResolvePortPath(3), folder + "/COM3");
    EXPECT_EQ(ResolvePortPath(2), "/dev/ttyS1");
}

}  // namespace
