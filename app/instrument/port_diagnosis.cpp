#include "instrument/port_diagnosis.h"

#include "port_map.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

std::string ServiceAdvice(const std::string &service)
{
    if (service == "brltty")
        return "Unless you use a braille display, remove it with\n    sudo apt-get remove brltty\n";
    return "Stop it with\n    sudo systemctl stop ModemManager\n(or remove it: sudo apt-get remove modemmanager)\n";
}

std::string Com(const PortFacts &f) { return "COM" + std::to_string(f.port); }

std::string LinkName(const PortFacts &f) { return PortsFolder() + "/" + Com(f); }

std::string Octal(unsigned mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode);
    return text;
}

// The cause with what is wrong and what to do, in the program and on the command line.
struct Finding {
    PortCause cause;
    std::string summary, what, todo, cliTodo;
};

// Groups made for serial lines: joining one gives the serial ports and nothing else. Any other
// group (root above all) would give far more than the device.
bool SerialGroup(const std::string &group) { return group == "dialout" || group == "uucp"; }

// A device this user may not open: join its group when that is a serial group that may use it;
// otherwise the device must be given to such a group first.
Finding NoPermission(const PortFacts &f)
{
    const std::string device = f.device + " (" + Com(f) + ")";
    const bool groupMay = (f.mode & 060) == 060;
    if (SerialGroup(f.group) && groupMay) {
        const std::string join = "Join the group with\n    sudo adduser $USER " + f.group +
                                 "\nthen log out and in again (or restart the computer).";
        return {PortCause::PermissionDenied, "no permission",
                "You may not open " + device + ": it belongs to the group \"" + f.group + "\", and you are not in it.",
                join, join};
    }
    std::string kernel = std::filesystem::path(f.device).filename().string();
    while (!kernel.empty() && std::isdigit(static_cast<unsigned char>(kernel.back())))
        kernel.pop_back();
    const std::string rule =
        "Have the device given to the dialout group, the group for serial ports: as the administrator, put\n"
        "    SUBSYSTEM==\"tty\", KERNEL==\"" + kernel + "[0-9]*\", GROUP=\"dialout\", MODE=\"0660\"\n"
        "into /etc/udev/rules.d/70-serial-dialout.rules, run\n"
        "    sudo udevadm control --reload && sudo udevadm trigger\n"
        "then join the group (sudo adduser $USER dialout) and log out and in again. Or ask your administrator.";
    return {PortCause::PermissionDenied,
            groupMay ? "no permission (group " + f.group + ")" : "no permission (" + f.owner + "'s alone)",
            "You may not open " + device + ": " +
                (groupMay ? "it belongs to the group \"" + f.group +
                                "\", which gives far more than serial ports: joining it is no remedy."
                          : "it is " + f.owner + "'s alone (mode " + Octal(f.mode) + ", group \"" + f.group +
                                "\"), and joining a group would not help."),
            rule, rule};
}

Finding FindingOf(const PortFacts &f)
{
    const std::string device = f.device + " (" + Com(f) + ")";
    const std::string leads =
        Com(f) + " leads to " + f.target + (f.device.empty() || f.device == f.target ? "" : " (" + f.device + ")");
    const std::string choose = "Choose the analyzer's serial device in Setting > Device...";
    if (!f.linked && (f.device.empty() || !f.uart))
        return {PortCause::NotConnected, "not connected",
                Com(f) + " is not connected: no device has been chosen for it, and " + f.target +
                    (f.device.empty() ? " does not exist." : " has no serial port behind it."),
                choose + " (or link it by hand, see \"Serial ports\" in the manual).",
                "Link the analyzer's device as " + LinkName(f) + " (ln -sf /dev/serial/by-id/... " + LinkName(f) +
                    "), choose it in TavrinRemote's Setting > Device..., or name another port with --port N."};
    if (f.device.empty())
        return {PortCause::Missing, "device missing",
                leads + ", which is not there: the adapter is unplugged, or the device has another name now.",
                "Plug in the adapter, or choose the device again in Setting > Device....",
                "Plug in the adapter, or link the device again as " + LinkName(f) + "."};
    if (!f.notSerial.empty())
        return {PortCause::NotSerial, "not a serial port", leads + ", which is " + f.notSerial + ", not a serial port.",
                choose + ".",
                "Link the analyzer's serial device as " + LinkName(f) + " (ln -sf /dev/serial/by-id/... " +
                    LinkName(f) + "), or name another port with --port N."};
    if (f.accessDenied)
        return NoPermission(f);
    if (f.heldElsewhere && std::find(std::begin(kGrabbingServices), std::end(kGrabbingServices), f.holderName) !=
                               std::end(kGrabbingServices))
        return {PortCause::GrabbedByService, "held by " + f.holderName,
                device + " is held by " + f.holder +
                    ", a service that opens new serial devices to look for modems or braille displays.",
                ServiceAdvice(f.holderName) + "then unplug the adapter, plug it in again and press Start.",
                ServiceAdvice(f.holderName) + "then unplug the adapter, plug it in again and run tavrin-cli again."};
    const std::string closeIt = "Close that program, or choose another device in Setting, then press Start again.";
    if (f.unlocked)
        return {PortCause::HeldByProgram, "shared with " + f.holderName,
                device + " is open in another program: " + f.holder +
                    ". It does not lock the port, so it shares the line and takes the analyzer's answers.",
                closeIt, "Close that program, or name another port with --port N."};
    if (f.heldElsewhere)
        return {PortCause::HeldByProgram, "held by " + (f.holderName.empty() ? "another program" : f.holderName),
                device + " is in use by another program" + (f.holder.empty() ? "" : ": " + f.holder) + ".", closeIt,
                "Close that program (or end its sweep), or name another port with --port N."};
    std::string todo = "Check the cable, that the analyzer is switched on, and that this is the analyzer's port (57600 baud).";
    if (!f.services.empty())
        todo += "\n\n" + f.services.front() + " is running; it may have taken the adapter when it was plugged in.\n" +
                ServiceAdvice(f.services.front()) + "then unplug the adapter and plug it in again.";
    return {PortCause::NoAnswer, "no answer", Com(f) + " (" + f.device + ") opens, but the analyzer does not answer.",
            todo, todo};
}

}  // namespace

PortDiagnosis DiagnosePort(const PortFacts &f)
{
    Finding found = FindingOf(f);
    PortDiagnosis d;
    d.cause = found.cause;
    d.device = f.device.empty() ? f.target : f.device;
    d.holder = f.holder;
    if (d.cause == PortCause::GrabbedByService)
        d.service = f.holderName;
    else if (d.cause == PortCause::NoAnswer && !f.services.empty())
        d.service = f.services.front();
    d.summary = std::move(found.summary);
    d.what = std::move(found.what);
    d.todo = std::move(found.todo);
    d.cliTodo = std::move(found.cliTodo);
    d.message = "Communication Error!\n\n" + d.what + "\n" + d.todo;
    return d;
}

std::string PortTargetText(int port, bool reachedThroughLink)
{
    // Light enough for the status bar: nothing is opened, no process is looked at.
    const std::string entry = ResolvePortPath(port);
    const std::string fallback = "/dev/ttyS" + std::to_string(port - 1);
    struct stat st;
    const bool present = stat(entry.c_str(), &st) == 0;
    if (entry == fallback && reachedThroughLink)
        return "its link is gone (device missing)";
    if (entry == fallback)
        return present && UartBehind("/sys/class/tty", port - 1) ? entry + " (built-in port)" : "nothing";
    std::error_code ec;
    const std::string target =
        std::filesystem::is_symlink(entry, ec) ? std::filesystem::read_symlink(entry, ec).string() : entry;
    if (!present)
        return target + " (missing)";
    return NotSerialKind(entry).empty() ? target : target + " (not a serial port)";
}

std::string MakePortLink(int port, const std::string &target)
{
    const std::string folder = PortsFolder();
    if (folder.empty())
        return "neither XDG_CONFIG_HOME nor HOME is set";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return folder + ": " + ec.message();
    const std::string link = folder + "/COM" + std::to_string(port);
    const std::string temp = link + ".new" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(target.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), link.c_str()) != 0) {
        const std::string why = link + ": " + std::strerror(errno);
        unlink(temp.c_str());
        return why;
    }
    return {};
}

}  // namespace tavrin
