// The serial channel on a real pseudo-terminal: time-outs, port changes, exclusive use.
#include "pseudo_terminal.h"
#include "serial_channel.h"
#include "support/pty_peer.h"
#include "support/temp_dir.h"

#include "support/test_util.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <thread>

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

TEST_F(ChannelTest, ReadOfNothingEndsAtTheTotalTimeOutAsSuccess)
{
    peer.SetResponder(PtyPeer::Silent());
    uint8_t buf[5] = {1, 2, 3, 4, 5};
    auto t0 = steady_clock::now();
    EXPECT_TRUE(channel.Read(buf, 5));
    double ms = MsSince(t0);
    EXPECT_EQ(channel.LastReadCount(), 0u);
    EXPECT_GE(ms, 145);  // 10 ms x 5 + 100 ms
    EXPECT_LT(ms, 260);
    EXPECT_EQ(buf[0], 1);
}

TEST_F(ChannelTest, ShortReadKeepsTheRestOfTheBufferAndEndsAtTheFirstTimeOut)
{
    struct Case {
        size_t requested;
        double minMs, maxMs;  // 5 bytes: total 150 ms wins; 100 bytes: 200 ms after the last byte
    };
    for (Case c : {Case{5, 145, 260}, Case{100, 195, 330}}) {
        SCOPED_TRACE(c.requested);
        peer.Send({0x41, 0x42, 0x43});
        std::this_thread::sleep_for(milliseconds(20));
        std::vector<uint8_t> buf(c.requested, 0xEE);
        auto t0 = steady_clock::now();
        EXPECT_TRUE(channel.Read(buf.data(), buf.size()));
        double ms = MsSince(t0);
        EXPECT_EQ(channel.LastReadCount(), 3u);
        EXPECT_EQ(buf[0], 0x41);
        EXPECT_EQ(buf[2], 0x43);
        EXPECT_EQ(buf[3], 0xEE);
        EXPECT_EQ(buf[4], 0xEE);
        EXPECT_GE(ms, c.minMs);
        EXPECT_LT(ms, c.maxMs);
    }
}

TEST_F(ChannelTest, BytesArrivingInTimeKeepTheReadGoing)
{
    // Three bytes 120 ms apart: each gap is under the 200 ms interval, so the read ends only
    // 200 ms after the last one, having taken all three.
    std::thread sender([&] {
        for (uint8_t b : {0x10, 0x20, 0x30}) {
            std::this_thread::sleep_for(milliseconds(120));
            peer.Send({b});
        }
    });
    uint8_t buf[100] = {};
    auto t0 = steady_clock::now();
    EXPECT_TRUE(channel.Read(buf, sizeof buf));
    double ms = MsSince(t0);
    sender.join();
    EXPECT_EQ(channel.LastReadCount(), 3u);
    EXPECT_EQ(buf[2], 0x30);
    EXPECT_GE(ms, 3 * 120 + 190);
    EXPECT_LT(ms, 3 * 120 + 400);
}

TEST_F(ChannelTest, FullReadReturnsAsSoonAsAllBytesArrived)
{
    peer.Send({1, 2, 3, 4});
    uint8_t buf[4] = {};
    auto t0 = steady_clock::now();
    EXPECT_TRUE(channel.Read(buf, 4));
    EXPECT_LT(MsSince(t0), 50);
    EXPECT_EQ(channel.LastReadCount(), 4u);
    EXPECT_EQ(buf[3], 4);
}

TEST_F(ChannelTest, PurgeDiscardsWhatWaitsOnTheLine)
{
    peer.Send({9, 9, 9});
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_TRUE(channel.Purge());
    uint8_t b = 0;
    EXPECT_TRUE(channel.Read(&b, 1));
    EXPECT_EQ(channel.LastReadCount(), 0u);
}

TEST_F(ChannelTest, SendEchoedSendsEveryByteInOrderPacedByTheEcho)
{
    const Bytes frame = {0x55, 'S', 0x01, '0', '0', '0', '0', '0', '0'};
    auto t0 = steady_clock::now();
    EXPECT_TRUE(channel.SendEchoed(frame.data(), frame.size()));
    EXPECT_LT(MsSince(t0), 100);
    EXPECT_EQ(peer.Received(), frame);
}

TEST_F(ChannelTest, SendEchoedWithoutEchoWaitsOneReadTimeOutPerByteAndSucceeds)
{
    peer.SetResponder(PtyPeer::Silent());
    const Bytes frame = ToBytes("UF0150500");
    auto t0 = steady_clock::now();
    EXPECT_TRUE(channel.SendEchoed(frame.data(), frame.size()));
    double ms = MsSince(t0);
    EXPECT_GE(ms, 9 * 110 - 10);
    EXPECT_LT(ms, 9 * 110 + 300);
    EXPECT_EQ(peer.Received(), frame);
}

TEST_F(ChannelTest, ChangePortOutsideOneToFourClosesThePort)
{
    for (int port : {0, 5, -1}) {
        SCOPED_TRACE(port);
        ASSERT_TRUE(channel.ChangePort(2));
        EXPECT_FALSE(channel.ChangePort(port));
        EXPECT_FALSE(channel.IsOpen());
        uint8_t b = 0x77;
        EXPECT_FALSE(channel.Read(&b, 1));
        EXPECT_EQ(channel.LastReadCount(), 0u);
        EXPECT_FALSE(channel.Write(&b, 1));
        EXPECT_FALSE(channel.Purge());
        EXPECT_FALSE(channel.SendEchoed(&b, 1));
    }
}

TEST_F(ChannelTest, MissingDeviceFailsWithoutFallingBackAndChangingBackReappliesTheSettings)
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

    const uint8_t b = 0x42;
    EXPECT_TRUE(channel.Write(&b, 1));
    EXPECT_TRUE(peer.WaitReceived(1));
}

TEST_F(ChannelTest, APortInUseIsRefusedUntilItIsReleased)
{
    SerialChannel other;
    EXPECT_FALSE(other.ChangePort(2));
    channel.Close();
    EXPECT_TRUE(other.ChangePort(2));
}

TEST_F(ChannelTest, AVanishedDeviceFailsReadsAndWritesAtOnce)
{
    peer.Hangup();
    uint8_t buf[1018];
    auto t0 = steady_clock::now();
    EXPECT_FALSE(channel.Read(buf, sizeof buf));
    EXPECT_EQ(channel.LastReadCount(), 0u);
    EXPECT_FALSE(channel.Write(buf, 1));
    EXPECT_LT(MsSince(t0), 100);
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
    auto t0 = steady_clock::now();
    EXPECT_FALSE(channel.Write(lots.data(), lots.size()));
    const double ms = MsSince(t0);
    // The limit counts from the last byte the line took; the terminal layer may take a late
    // chunk, so the end is bounded, not exact.
    EXPECT_GE(ms, SerialChannel::kWriteStallMs - 50);
    EXPECT_LT(ms, 4 * SerialChannel::kWriteStallMs + 1000);
    channel.Close();
    sim::ClosePseudoTerminal(pty);
}

}  // namespace
