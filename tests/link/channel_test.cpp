// The serial channel on a real pseudo-terminal: time-outs, port names, port changes.
#include "port_map.h"
#include "pseudo_terminal.h"
#include "serial_channel.h"
#include "support/pty_peer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <filesystem>

using namespace tavrin;
using namespace tavrin::test;
using namespace std::chrono;

namespace {

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
