// What the program says when a COM port cannot be used: each cause from the system's facts, and
// the facts gathered from a fake kernel tty class, a pseudo-terminal, a dangling link and a
// device this user may not open.
#include "instrument/port_diagnosis.h"
#include "support/pty_peer.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavrin;
using namespace tavrin::test;
namespace fs = std::filesystem;

namespace {

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
