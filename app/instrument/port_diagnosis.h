// Why a COM port cannot be used, found out from the system without a byte on the line: where the
// port leads, the device's permissions, who holds it, and the services known to grab new serial
// devices. Plain C++ on the system's files, so that any program that reaches the instrument can
// tell its user the same.
#pragma once

#include <string>
#include <vector>

namespace tavrin {

enum class PortCause {
    NotConnected,      // no device chosen, and no serial port behind /dev/ttyS<n-1>
    Missing,           // the chosen device is not there (an adapter unplugged)
    NotSerial,         // it leads to something that is no serial port (/dev/null, a folder, a file)
    PermissionDenied,  // the device is there, but this user may not open it
    HeldByProgram,     // another program has it open (locked, or sharing the line without a lock)
    GrabbedByService,  // ... and that program is a service that grabs serial devices
    NoAnswer,          // nothing stands in the way: the line or the instrument is silent
};

// Services known to open every new serial device to probe it.
inline constexpr const char *kGrabbingServices[] = {"ModemManager", "brltty"};

// What the system says about COMn.
struct PortFacts {
    int port = 0;
    bool linked = false;       // the ports folder has an entry COMn
    std::string target;        // where COMn leads: the entry's link target, or /dev/ttyS<n-1>
    std::string device;        // the device file that is there; empty when nothing is
    std::string notSerial;     // what the device is when it is no serial port ("a folder"); else empty
    bool uart = true;          // /dev/ttyS<n-1> only: a serial chip behind it
    bool accessDenied = false;
    std::string owner;         // of the device file
    std::string group;
    unsigned mode = 0;         // its permission bits
    bool heldElsewhere = false;
    bool unlocked = false;     // the holder has it open without a lock: it shares the line
    std::string holder;        // "minicom (pid 1234)"; empty when it cannot be found
    std::string holderName;    // "minicom"
    bool usbSerial = false;    // ttyUSB or ttyACM
    std::vector<std::string> services;  // running services known to grab serial devices
};

struct PortDiagnosis {
    PortCause cause = PortCause::NoAnswer;
    std::string device;   // the device COMn leads to
    std::string holder;
    std::string service;  // a grabbing service that holds the device or runs beside it
    std::string summary;  // a few words, for the status bar
    std::string what;     // what is wrong
    std::string todo;     // what to do about it in the program
    std::string cliTodo;  // ... and with tavrin-cli
    std::string message;  // "Communication Error!", then what and todo: the program's message
};

// The facts of COMn; sysClassTty is where the kernel's tty class lives.
PortFacts GatherPortFacts(int port, const std::string &sysClassTty = "/sys/class/tty");
// Asked after the port gave no answer: the first thing in the way, or NoAnswer.
PortDiagnosis DiagnosePort(const PortFacts &facts);
inline PortDiagnosis DiagnosePort(int port) { return DiagnosePort(GatherPortFacts(port)); }
// The diagnosis in the words of the command line: what is wrong, then what to do there.
inline std::string CommandLineText(const PortDiagnosis &d) { return d.what + "\n" + d.cliTodo; }

// What a device file is when it is no serial port ("a folder", "a FIFO (named pipe)", "a device of
// another kind"); empty for a serial port or a pseudo-terminal. drivers: the kernel's
// list of tty drivers; when it cannot be read every character device counts as a serial port.
std::string NotSerialKind(const std::string &device, const std::string &drivers = "/proc/tty/drivers");

// Whether /dev/ttyS<index> has a serial chip behind it, as the kernel's tty class says.
bool UartBehind(const std::string &sysClassTty, int index);
// COMn has no entry in the ports folder and its /dev/ttyS fallback no chip: nothing to open.
bool PortNotConnected(int port, const std::string &sysClassTty = "/sys/class/tty");
// What COMn reaches now, in words: the link's target, the built-in port, or "nothing"; a link
// whose target is missing or no serial port says so. reachedThroughLink: the line was opened
// through the COMn link, which is now gone (the simulator ended, the link was removed).
std::string PortTargetText(int port, bool reachedThroughLink = false);
// Points COMn at target with a link in the ports folder, replaced in one step. "" or the reason.
std::string MakePortLink(int port, const std::string &target);

}  // namespace tavrin
