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
    PermissionDenied,  // the device is there, but this user may not open it
    HeldByProgram,     // another program has it open
    GrabbedByService,  // ... and that program is a service that grabs serial devices
    NoAnswer,          // nothing stands in the way: the line or the instrument is silent
};

// What the system says about COMn.
struct PortFacts {
    int port = 0;
    bool linked = false;       // the ports folder has an entry COMn
    std::string target;        // where COMn leads: the entry's link target, or /dev/ttyS<n-1>
    std::string device;        // the device file that is there; empty when nothing is
    bool uart = true;          // /dev/ttyS<n-1> only: a serial chip behind it
    bool accessDenied = false;
    std::string group;         // of the device file
    bool heldElsewhere = false;
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
    std::string message;  // "Communication Error!", then what is wrong and what to do
};

// The facts of COMn; sysClassTty is where the kernel's tty class lives.
PortFacts GatherPortFacts(int port, const std::string &sysClassTty = "/sys/class/tty");
// Asked after the port gave no answer: the first thing in the way, or NoAnswer.
PortDiagnosis DiagnosePort(const PortFacts &facts);
inline PortDiagnosis DiagnosePort(int port) { return DiagnosePort(GatherPortFacts(port)); }

// Whether /dev/ttyS<index> has a serial chip behind it, as the kernel's tty class says.
bool UartBehind(const std::string &sysClassTty, int index);
// COMn has no entry in the ports folder and its /dev/ttyS fallback no chip: nothing to open.
bool PortNotConnected(int port, const std::string &sysClassTty = "/sys/class/tty");
// What COMn reaches now, in words: the link's target, the built-in port, or "nothing".
std::string PortTargetText(int port);
// Points COMn at target with a link in the ports folder, replaced in one step. "" or the reason.
std::string MakePortLink(int port, const std::string &target);

}  // namespace tavrin
