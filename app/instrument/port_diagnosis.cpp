#include "instrument/port_diagnosis.h"

#include "instrument/port_check.h"
#include "port_map.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tavrin {

namespace {

constexpr const char *kGrabbingServices[] = {"ModemManager", "brltty"};

std::string FirstLine(const std::string &file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string FallbackPath(int port) { return "/dev/ttyS" + std::to_string(port - 1); }

// Calls visit(pid, name) for every process but this one, until it returns true.
template <class Visit>
void ForEachProcess(Visit visit)
{
    DIR *proc = opendir("/proc");
    if (!proc)
        return;
    while (const dirent *entry = readdir(proc)) {
        const char *name = entry->d_name;
        if (!std::all_of(name, name + std::strlen(name), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const int pid = std::atoi(name);
        if (pid != getpid() && visit(pid, FirstLine("/proc/" + std::string(name) + "/comm")))
            break;
    }
    closedir(proc);
}

bool HasDeviceOpen(int pid, dev_t rdev)
{
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR *fds = opendir(folder.c_str());
    if (!fds)
        return false;
    bool found = false;
    while (const dirent *entry = readdir(fds)) {
        struct stat st;
        if (entry->d_name[0] != '.' && fstatat(dirfd(fds), entry->d_name, &st, 0) == 0 && S_ISCHR(st.st_mode) &&
            st.st_rdev == rdev) {
            found = true;
            break;
        }
    }
    closedir(fds);
    return found;
}

// The process whose lock the kernel lists for the device file ("1: FLOCK ADVISORY WRITE <pid>
// <major>:<minor>:<inode> 0 EOF"), or 0.
int LockHolder(const struct stat &device)
{
    std::ifstream locks("/proc/locks");
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%lu", major(device.st_dev), minor(device.st_dev),
                  static_cast<unsigned long>(device.st_ino));
    for (std::string line; std::getline(locks, line);) {
        char kind[16] = {}, file[64] = {};
        int pid = 0;
        if (std::sscanf(line.c_str(), "%*d: %15s %*s %*s %d %63s", kind, &pid, file) == 3 && wanted == std::string(file) &&
            std::string(kind) == "FLOCK" && pid != getpid())
            return pid;
    }
    return 0;
}

// The lock's owner when the kernel names one; otherwise the first other process that has the
// device open (one that holds it exclusively without a lock).
void FindHolder(PortFacts &facts, const struct stat &device)
{
    auto found = [&](int pid, const std::string &name) {
        facts.holderName = name;
        facts.holder = name + " (pid " + std::to_string(pid) + ")";
    };
    if (const int pid = LockHolder(device))
        return found(pid, FirstLine("/proc/" + std::to_string(pid) + "/comm"));
    ForEachProcess([&](int pid, const std::string &name) {
        if (!HasDeviceOpen(pid, device.st_rdev))
            return false;
        found(pid, name);
        return true;
    });
}

std::vector<std::string> RunningServices()
{
    std::vector<std::string> found;
    ForEachProcess([&](int, const std::string &name) {
        for (const char *service : kGrabbingServices)
            if (name == service && std::find(found.begin(), found.end(), name) == found.end())
                found.push_back(name);
        return false;
    });
    return found;
}

std::string ServiceAdvice(const std::string &service)
{
    if (service == "brltty")
        return "Unless you use a braille display, remove it with\n    sudo apt-get remove brltty\n";
    return "Stop it with\n    sudo systemctl stop ModemManager\n(or remove it: sudo apt-get remove modemmanager)\n";
}

std::string Com(const PortFacts &f) { return "COM" + std::to_string(f.port); }

}  // namespace

bool UartBehind(const std::string &sysClassTty, int index)
{
    const std::string folder = sysClassTty + "/ttyS" + std::to_string(index);
    const std::string type = FirstLine(folder + "/type");
    if (!type.empty())
        return std::atoi(type.c_str()) != 0;  // 0: the port's slot has no chip
    struct stat st;
    return stat((folder + "/device").c_str(), &st) == 0;
}

bool PortNotConnected(int port, const std::string &sysClassTty)
{
    return ResolvePortPath(port) == FallbackPath(port) && !UartBehind(sysClassTty, port - 1);
}

PortFacts GatherPortFacts(int port, const std::string &sysClassTty)
{
    PortFacts f;
    f.port = port;
    const std::string entry = ResolvePortPath(port);
    f.linked = entry != FallbackPath(port);
    std::error_code ec;
    f.target = f.linked && std::filesystem::is_symlink(entry, ec) ? std::filesystem::read_symlink(entry, ec).string()
                                                                   : entry;
    if (!f.linked)
        f.uart = UartBehind(sysClassTty, port - 1);
    char real[PATH_MAX];
    struct stat st;
    if (!realpath(entry.c_str(), real) || stat(real, &st) != 0)
        return f;
    f.device = real;
    if (!f.uart)
        return f;  // a slot without a chip is not opened, not even to test it
    if (access(real, R_OK | W_OK) != 0 && errno == EACCES) {
        f.accessDenied = true;
        const group *g = getgrgid(st.st_gid);
        f.group = g ? g->gr_name : std::to_string(st.st_gid);
        return f;
    }
    const std::string name = std::filesystem::path(f.device).filename().string();
    f.usbSerial = name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
    f.heldElsewhere = PortHeldElsewhere(port);
    if (f.heldElsewhere && S_ISCHR(st.st_mode))
        FindHolder(f, st);
    if (f.usbSerial)
        f.services = RunningServices();
    return f;
}

PortDiagnosis DiagnosePort(const PortFacts &f)
{
    PortDiagnosis d;
    d.device = f.device.empty() ? f.target : f.device;
    d.holder = f.holder;
    auto say = [&](PortCause cause, std::string summary, const std::string &text) {
        d.cause = cause;
        d.summary = std::move(summary);
        d.message = "Communication Error!\n\n" + text;
        return d;
    };
    if (!f.linked && (f.device.empty() || !f.uart))
        return say(PortCause::NotConnected, "not connected",
                   Com(f) + " is not connected: no device has been chosen for it, and " + f.target +
                       (f.device.empty() ? " does not exist" : " has no serial port behind it") +
                       ".\nChoose the analyzer's serial device in Setting > Device... (or link it by hand, see "
                       "\"Serial ports\" in the manual).");
    if (f.device.empty())
        return say(PortCause::Missing, "device missing",
                   Com(f) + " leads to " + f.target +
                       ", which is not there: the adapter is unplugged, or the device has another name now.\n"
                       "Plug in the adapter, or choose the device again in Setting > Device....");
    if (f.accessDenied)
        return say(PortCause::PermissionDenied, "no permission",
                   "You may not open " + f.device + " (" + Com(f) + "): it belongs to the group \"" + f.group +
                       "\", and you are not in it.\nJoin the group with\n    sudo adduser $USER " + f.group +
                       "\nthen log out and in again (or restart the computer).");
    const auto grabbing = std::find(std::begin(kGrabbingServices), std::end(kGrabbingServices), f.holderName);
    if (f.heldElsewhere && grabbing != std::end(kGrabbingServices)) {
        d.service = f.holderName;
        return say(PortCause::GrabbedByService, "held by " + d.service,
                   f.device + " (" + Com(f) + ") is held by " + f.holder +
                       ", a service that opens new serial devices to look for modems or braille displays.\n" +
                       ServiceAdvice(d.service) + "then unplug the adapter, plug it in again and press Start.");
    }
    if (f.heldElsewhere)
        return say(PortCause::HeldByProgram, "held by " + (f.holderName.empty() ? "another program" : f.holderName),
                   f.device + " (" + Com(f) + ") is in use by another program" +
                       (f.holder.empty() ? "" : ": " + f.holder) +
                       ".\nClose that program, or choose another device in Setting, then press Start again.");
    std::string text = Com(f) + " (" + f.device +
                       ") opens, but the analyzer does not answer.\nCheck the cable, that the analyzer is switched "
                       "on, and that this is the analyzer's port (57600 baud).";
    if (!f.services.empty()) {
        d.service = f.services.front();
        text += "\n\n" + d.service + " is running; it may have taken the adapter when it was plugged in.\n" +
                ServiceAdvice(d.service) + "then unplug the adapter and plug it in again.";
    }
    return say(PortCause::NoAnswer, "no answer", text);
}

std::string PortTargetText(int port)
{
    // Light enough for the status bar: nothing is opened, no process is looked at.
    const std::string entry = ResolvePortPath(port);
    struct stat st;
    const bool present = stat(entry.c_str(), &st) == 0;
    if (entry == FallbackPath(port))
        return present && UartBehind("/sys/class/tty", port - 1) ? entry + " (built-in port)" : "nothing";
    std::error_code ec;
    const std::string target =
        std::filesystem::is_symlink(entry, ec) ? std::filesystem::read_symlink(entry, ec).string() : entry;
    return present ? target : target + " (not present)";
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
