// The instrument module's waits on the link thread, in a running Qt application.
#include "instrument/tavrin_dll.h"
#include "support/fake_dialogs.h"
#include "support/pty_peer.h"
#include "support/temp_dir.h"
#include "support/test_util.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace tavrin;
using namespace tavrin::test;
using namespace std::chrono;

namespace {

class InstrumentWait : public ::testing::Test {
protected:
    void SetUp() override
    {
        home.LinkPort(1, home.Path() + "/absent");
        home.LinkPort(2, peer.DevicePath());
        dll->SelectComPort(2);
        peer.ClearReceived();
    }

    // Starts a trace fetch on a silent line, lets `leave` run 50 ms into it, and checks that the
    // fetch and then the module's end come quickly although the library is still reading.
    void LeaveDuringAFetchOnASilentLine(const std::function<void()> &leave)
    {
        peer.SetResponder(PtyPeer::Silent());
        bool inFlight = false;
        QTimer::singleShot(50, [&] {
            inFlight = dll->CallInFlight();
            leave();
        });
        auto t0 = steady_clock::now();
        EXPECT_FALSE(dll->FetchTrace(1));
        EXPECT_LT(MsSince(t0), 400);
        EXPECT_TRUE(inFlight);
        EXPECT_FALSE(dll->LastFetchSilent()) << "leaving is not a lost line";

        t0 = steady_clock::now();
        dll->SendCenterFreq(80);
        dll->Pause(1000);
        EXPECT_EQ(dll->SerialNumText(), "999999");
        EXPECT_LT(MsSince(t0), 100) << "nothing waits any more";
        dll.reset();
        EXPECT_LT(MsSince(t0), 1000) << "the stuck call is not waited for";
        EXPECT_EQ(peer.Received(), Bytes{0xA5}) << "nothing more reached the line";
    }

    TempConfigHome home;
    PtyPeer peer;
    FakeDialogs dialogs;
    std::unique_ptr<TavrinDLL> dll = std::make_unique<TavrinDLL>(dialogs);
};

TEST_F(InstrumentWait, EventsRunDuringACallAndAHandlersCallQueuesBehindIt)
{
    // The serial number comes late enough for a handler to run while it is awaited.
    peer.SetResponder([](uint8_t b, const Bytes &) {
        if (b != 'j')
            return Bytes{b};
        std::this_thread::sleep_for(milliseconds(80));
        return ToBytes("01234");
    });
    std::vector<std::string> steps;
    QTimer::singleShot(0, [&] {
        steps.push_back("handler");
        dll->SendCenterFreq(80);
        steps.push_back("handler's call done, " + std::to_string(peer.Received().size()) + " bytes out");
    });
    const std::string serial = dll->SerialNumText();
    steps.push_back("serial " + serial);
    EXPECT_EQ(steps, (std::vector<std::string>{"handler", "handler's call done, 10 bytes out", "serial 1234"}));
    EXPECT_EQ(peer.Received(), ToBytes("jUF0080000")) << "one call at a time, in the order asked";
}

TEST_F(InstrumentWait, AbandonEndsAWaitOnASilentLine)
{
    LeaveDuringAFetchOnASilentLine([this] { dll->Abandon(); });
}

TEST_F(InstrumentWait, TheApplicationQuittingEndsAWaitOnASilentLine)
{
    LeaveDuringAFetchOnASilentLine([] { QCoreApplication::exit(0); });
    // Leave the application able to run event loops again, for the tests after this one.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

}  // namespace
