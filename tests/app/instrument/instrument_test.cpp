// The instrument on the real library against a scripted analyzer on a pseudo-terminal (the fetch
// and its retries, requests in order, a silent line that holds nothing up), and what the program
// says when a COM port cannot be used, from facts gathered on the system.
#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "instrument/library_instrument.h"
#include "instrument/port_diagnosis.h"
#include "instrument/trace_block.h"
#include "support/pty_peer.h"
#include "support/temp_dir.h"

using namespace tavrin;
using namespace tavrin::test;
namespace fs = std::filesystem;

namespace {

// A block whose points all hold value, except point `bad`, which is out of range.
Bytes Flat(int value, int bad = -1)
{
    return TraceBlock([=](int n) { return static_cast<uint16_t>(n == bad ? 1024 : value); });
}

class InstrumentTest : public ::testing::Test {
protected:
    InstrumentTest()
    {
        home.LinkPort(2, peer.DevicePath());
        bool selected = false;
        instrument->SelectPort(2, [&](const PortSelected &) { selected = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return selected; }, 5000));
    }
    Fetched FetchNow()
    {
        std::optional<Fetched> got;
        instrument->Fetch([&](const Fetched &f) { got = f; });
        EXPECT_FALSE(got) << "a reply never comes inside the call";
        EXPECT_TRUE(QTest::qWaitFor([&] { return got.has_value(); }, 30000));
        return got.value_or(Fetched{});
    }

    TempConfigHome home;
    PtyPeer peer;
    std::unique_ptr<LibraryInstrument> instrument = std::make_unique<LibraryInstrument>(TAVRIN_LIBRARY_PATH);
};

// Invalid blocks (a point above 1023 from point 0 to 498; point 499 is never read) fetched again,
// but not forever; a failed checksum with valid points accepted; a line that sends nothing (the
// library marks missing bytes 0xFF) asked once. Each block that failed a check counts as rejected.
TEST_F(InstrumentTest, AFetchRetriesInvalidBlocksAndGivesUp)
{
    Bytes badSum = Flat(321);
    badSum[1016] ^= 0x55;
    struct Case { std::vector<Bytes> blocks; FetchOutcome outcome; int16_t point; unsigned attempts, rejected; };
    const Case cases[] = {
        {{badSum}, FetchOutcome::Trace, 321, 1, 1},
        {{Flat(8, 499)}, FetchOutcome::Trace, 8, 1, 0},
        {{Flat(7, 0), Flat(7, 498), Flat(600)}, FetchOutcome::Trace, 600, 3, 2},
        {{Flat(5, 300)}, FetchOutcome::Garbled, 0, 5, 5},  // never a valid one
        {{Bytes(1017, 0xFF)}, FetchOutcome::Silent, 0, 1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.attempts);
        peer.SetResponder(PtyPeer::Traces(c.blocks));
        const Fetched f = FetchNow();
        EXPECT_EQ(f.outcome, c.outcome);
        EXPECT_EQ(std::tuple(f.attempts, f.rejected), std::tuple(c.attempts, c.rejected));
        EXPECT_EQ(std::tuple(f.points[10], f.points[498], f.points[499]), std::tuple(c.point, c.point, int16_t{0}));
        if (c.outcome == FetchOutcome::Trace) {
            EXPECT_EQ(f.settings, (AnalyzerSettings{80.0, "10MHZ/DIV", 0, "4MHZ"}));
        }
    }
}

// Requests go out in the order asked, one at a time, each answered once; a cancelled one that is
// still queued never reaches the line, and one on a silent line is neither waited for nor answered.
TEST_F(InstrumentTest, RequestsGoOutInOrderAndACancelledOneNeverAnswers)
{
    // The analyzer holds its echo of the first byte until the cancel is made: the span is
    // still queued then, however slow or loaded the machine.
    std::atomic<bool> cancelled{false};
    peer.SetResponder([&, traces = PtyPeer::Traces({Flat(100)})](uint8_t byte, const Bytes &soFar) {
        while (!cancelled)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return traces(byte, soFar);
    });
    std::vector<std::string> replies;
    instrument->Send(CenterCommand(433.92), [&](const bool &) { replies.push_back("F"); });
    const RequestId dropped = instrument->Send(SpanCommand("1MHZ/DIV"), [&](const bool &) { replies.push_back("S"); });
    instrument->Fetch([&](const Fetched &) { replies.push_back("T"); });
    instrument->Cancel(dropped);
    cancelled = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return replies.size() == 2; }, 5000));
    EXPECT_EQ(replies, (std::vector<std::string>{"F", "T"}));
    EXPECT_EQ(peer.Received(), Join({ToBytes("UF0433920"), {0xA5}}));

    peer.SetResponder(PtyPeer::Silent());
    peer.ClearReceived();
    bool answered = false;
    const RequestId stuck = instrument->Fetch([&](const Fetched &) { answered = true; });
    const auto t0 = std::chrono::steady_clock::now();
    QTest::qWait(100);
    EXPECT_TRUE(instrument->Busy());
    ASSERT_TRUE(instrument->FreeBy());
    EXPECT_GT(*instrument->FreeBy() - std::chrono::steady_clock::now(), std::chrono::seconds(15))
        << "a silent line's time-outs are told";
    instrument->Cancel(stuck);
    instrument->Send(CenterCommand(80), {});
    instrument.reset();
    EXPECT_LT(MsSince(t0), 1000) << "the stuck call is not waited for";
    QTest::qWait(50);
    EXPECT_FALSE(answered);
    EXPECT_EQ(peer.Received(), Bytes{0xA5}) << "nothing more reached the line";
}

// A serial number read from the tail of a block still arriving (bytes that are no digits) is
// asked again, so the analyzer is known by its own number.
// The rest of a block another program asked for is still arriving for a block's time (177 ms):
// the serial number is asked again once it has passed.
TEST_F(InstrumentTest, ASerialNumberOfNoDigitsIsAskedAgainOnceTheBlockOnTheLineHasPassed)
{
    int asked = 0;
    std::optional<std::chrono::steady_clock::time_point> first;
    peer.SetResponder([&](uint8_t byte, const Bytes &) {
        if (byte != 'j')
            return Bytes{};
        ++asked;
        const auto now = std::chrono::steady_clock::now();
        if (!first)
            first = now;
        return now - *first < std::chrono::milliseconds(177) ? Bytes{0xA5, 0x7F, 0x33, 0x41, 0x30} : ToBytes("12345");
    });
    std::optional<LinkCheck> check;
    instrument->CheckLink([&](const LinkCheck &c) { check = c; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return check.has_value(); }, 5000));
    EXPECT_EQ(check->serial, "12345");
    EXPECT_TRUE(check->answers);
    EXPECT_EQ(asked, 2);
}

TEST(PortDiagnosis, EachCauseSaysWhatIsWrongAndWhatToDo)
{
    PortFacts usb;  // COM2 linked to a USB adapter's stable name
    usb.port = 2, usb.linked = true, usb.target = "/dev/serial/by-id/usb-FTDI_A1", usb.device = "/dev/ttyUSB0";
    usb.owner = "root", usb.group = "dialout", usb.mode = 0660;
    auto with = [&](auto change) { PortFacts f = usb; change(f); return f; };
    struct Case { PortFacts facts; PortCause cause; const char *summary, *says; };
    const Case cases[] = {
        {with([](PortFacts &f) { f.linked = false, f.target = f.device = "/dev/ttyS1", f.uart = false; }),
         PortCause::NotConnected, "not connected", "no device has been chosen for it, and /dev/ttyS1 has no serial port"},
        {with([](PortFacts &f) { f.linked = false, f.target = "/dev/ttyS1", f.device = ""; }), PortCause::NotConnected,
         "not connected", "/dev/ttyS1 does not exist.\nChoose the analyzer's serial device in Setting > Device..."},
        {with([](PortFacts &f) { f.device = ""; }), PortCause::Missing, "device missing",
         "COM2 leads to /dev/serial/by-id/usb-FTDI_A1, which is not there: the adapter is unplugged"},
        {with([](PortFacts &f) { f.notSerial = "a folder"; }), PortCause::NotSerial, "not a serial port",
         "COM2 leads to /dev/serial/by-id/usb-FTDI_A1 (/dev/ttyUSB0), which is a folder, not a serial port."},
        {with([](PortFacts &f) { f.accessDenied = true; }), PortCause::PermissionDenied,
         "no permission", "belongs to the group \"dialout\", and you are not in it.\nJoin the group with\n    sudo "
                          "adduser $USER dialout\nthen log out and in again"},
        // Joining root, or a group that gives more than serial ports, is never the advice.
        {with([](PortFacts &f) { f.accessDenied = true, f.group = "root", f.mode = 0600; }), PortCause::PermissionDenied,
         "no permission (root's alone)", "it is root's alone (mode 0600, group \"root\"), and joining a group would "
                                         "not help.\nHave the device given to the dialout group"},
        {with([](PortFacts &f) { f.accessDenied = true, f.group = "dialout", f.mode = 0600; }), PortCause::PermissionDenied,
         "no permission (root's alone)", "KERNEL==\"ttyUSB[0-9]*\", GROUP=\"dialout\", MODE=\"0660\""},
        {with([](PortFacts &f) { f.accessDenied = true, f.group = "disk", f.mode = 0660; }), PortCause::PermissionDenied,
         "no permission (group disk)", "the group \"disk\", which gives far more than serial ports"},
        {with([](PortFacts &f) { f.heldElsewhere = true; }), PortCause::HeldByProgram, "held by another program",
         "/dev/ttyUSB0 (COM2) is in use by another program.\nClose that program"},
        {with([](PortFacts &f) { f.heldElsewhere = true, f.holder = "minicom (pid 7)", f.holderName = "minicom"; }),
         PortCause::HeldByProgram, "held by minicom", "in use by another program: minicom (pid 7)."},
        {with([](PortFacts &f) { f.heldElsewhere = f.unlocked = true, f.holder = "cat (pid 8)", f.holderName = "cat"; }),
         PortCause::HeldByProgram, "shared with cat", "is open in another program: cat (pid 8). It does not lock the "
                                                     "port, so it shares the line and takes the analyzer's answers."},
        {with([](PortFacts &f) { f.heldElsewhere = true, f.holder = "ModemManager (pid 9)", f.holderName = "ModemManager"; }),
         PortCause::GrabbedByService, "held by ModemManager", "held by ModemManager (pid 9), a service that opens "
                                                             "new serial devices to look for modems or braille "
                                                             "displays.\nStop it with\n    sudo systemctl stop ModemManager"},
        {usb, PortCause::NoAnswer, "no answer", "COM2 (/dev/ttyUSB0) opens, but the analyzer does not answer."},
        {with([](PortFacts &f) { f.services = {"brltty"}; }), PortCause::NoAnswer, "no answer",
         "brltty is running; it may have taken the adapter when it was plugged in.\nUnless you use a braille "
         "display, remove it with\n    sudo apt-get remove brltty"},
    };
    for (const Case &c : cases) {
        const PortDiagnosis d = DiagnosePort(c.facts);
        EXPECT_EQ(d.cause, c.cause) << c.says;
        EXPECT_EQ(d.summary, c.summary);
        EXPECT_EQ(d.message.rfind("Communication Error!\n\n", 0), 0u) << d.message;
        EXPECT_NE(d.message.find(c.says), std::string::npos) << d.message;
        EXPECT_EQ(CommandLineText(d).find("adduser $USER root"), std::string::npos);
        EXPECT_EQ(CommandLineText(d).find("adduser $USER disk"), std::string::npos);
    }
}

TEST(PortDiagnosis, TheFactsComeFromTheSystemAndTheChoiceMakesALink)
{
    TempConfigHome home;
    PtyPeer peer;
    // ttyS0 has a chip, ttyS1 is a slot without one, ttyS2 tells no type but has a device.
    const std::string sys = home.Path() + "/sys";
    for (auto [name, type] : {std::pair{"/ttyS0", "4\n"}, {"/ttyS1", "0\n"}, {"/ttyS2", ""}})
        if (fs::create_directories(sys + name + "/device"); *type)
            std::ofstream(sys + name + "/type") << type;
    EXPECT_EQ(std::vector<bool>({UartBehind(sys, 0), UartBehind(sys, 1), UartBehind(sys, 2), UartBehind(sys, 3)}),
              std::vector<bool>({true, false, true, false}));
    EXPECT_TRUE(PortNotConnected(2, sys));
    home.LinkPort(2, peer.DevicePath());
    EXPECT_FALSE(PortNotConnected(2, sys)) << "a link is opened whatever lies behind /dev/ttyS1";
    const PortFacts pty = GatherPortFacts(2, sys);
    EXPECT_EQ(std::tuple(pty.linked, pty.target, pty.device, pty.accessDenied, pty.heldElsewhere),
              std::tuple(true, peer.DevicePath(), peer.DevicePath(), false, false));
    EXPECT_EQ(DiagnosePort(pty).cause, PortCause::NoAnswer);

    home.LinkPort(3, home.Path() + "/unplugged");
    EXPECT_EQ(DiagnosePort(3).cause, PortCause::Missing);
    EXPECT_EQ(PortTargetText(3), home.Path() + "/unplugged (missing)");
    ASSERT_EQ(MakePortLink(3, peer.DevicePath()), "");
    EXPECT_EQ(fs::read_symlink(home.PortsFolder() + "/COM3"), peer.DevicePath());
    EXPECT_EQ(PortTargetText(3), peer.DevicePath());
    EXPECT_EQ(std::distance(fs::directory_iterator(home.PortsFolder()), {}), 2) << "no temporary link left";
    EXPECT_EQ(PortTargetText(4, true), "its link is gone (device missing)");
}

// A COM link to something that is no serial port is told as such (tavrin-cli shows /dev/null).
TEST(PortDiagnosis, WhatIsNoSerialPortIsNamed)
{
    TempConfigHome home;
    PtyPeer peer;
    const std::string fifo = home.Path() + "/fifo", file = home.Path() + "/file";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(file) << "x";
    for (const auto &[target, kind] : {std::pair{home.Path(), "a folder"}, {fifo, "a FIFO (named pipe)"},
                                       {file, "a regular file"}, {peer.DevicePath(), ""}}) {
        home.LinkPort(1, target);
        EXPECT_EQ(std::tuple(NotSerialKind(target), DiagnosePort(1).cause),
                  std::tuple(std::string(kind), *kind ? PortCause::NotSerial : PortCause::NoAnswer)) << target;
    }
    EXPECT_EQ(NotSerialKind("/dev/null", home.Path() + "/no-drivers"), "") << "unknown drivers: any device may be one";
    home.LinkPort(1, "/dev/null");
    EXPECT_EQ(PortTargetText(1), "/dev/null (not a serial port)");
}

// As root, who may open any device, the check runs in a child process that became nobody;
// otherwise the child makes the device unreadable for its owner.
TEST(PortDiagnosis, ADeviceThisUserMayNotOpenNamesItsGroup)
{
    TempConfigHome home;
    PtyPeer peer;
    home.LinkPort(1, peer.DevicePath());
    ASSERT_EQ(chmod(home.Path().c_str(), 0755), 0);  // the ports folder is reachable for nobody
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 ? setgid(65534) != 0 || setuid(65534) != 0 : chmod(peer.DevicePath().c_str(), 0) != 0)
            _exit(1);
        const PortFacts f = GatherPortFacts(1);
        const std::string group = f.accessDenied ? f.group : "(may open it)";
        _exit(write(out[1], group.data(), group.size()) < 0);
    }
    char group[64] = {};
    close(out[1]);
    EXPECT_GT(read(out[0], group, sizeof group - 1), 0);
    close(out[0]), waitpid(child, nullptr, 0);
    struct stat device;
    ASSERT_EQ(stat(peer.DevicePath().c_str(), &device), 0);
    EXPECT_STREQ(group, getgrgid(device.st_gid)->gr_name);
}

}  // namespace
