// The facts behind a port diagnosis, read from the system's files: where COMn leads, what that
// is, its permissions, and which processes have it open.
#include "instrument/port_check.h"
#include "instrument/port_diagnosis.h"
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
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tavrin {

namespace {

std::string FirstLine(const std::string &file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string FallbackPath(int port) { return "/dev/ttyS" + std::to_string(port - 1); }

bool AllDigits(const char *name)
{
    return *name && std::all_of(name, name + std::strlen(name), [](char c) { return c >= '0' && c <= '9'; });
}

// Calls visit(pid, name) for every process but this one, until it returns true.
template <class Visit>
void ForEachProcess(Visit visit)
{
    DIR *proc = opendir("/proc");
    if (!proc)
        return;
    while (const dirent *entry = readdir(proc)) {
        const int pid = AllDigits(entry->d_name) ? std::atoi(entry->d_name) : 0;
        if (pid > 0 && pid != getpid() && visit(pid, FirstLine("/proc/" + std::string(entry->d_name) + "/comm")))
            break;
    }
    closedir(proc);
}

// How a process has the device open: not at all, as one more user of the line, or as the other
// end of a pseudo-terminal (its master, the simulator), which is no other user.
enum class Opener { None, User, OtherEnd };

Opener HowOpen(int pid, dev_t rdev, int ptyIndex)
{
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR *fds = opendir(folder.c_str());
    if (!fds)
        return Opener::None;
    Opener how = Opener::None;
    const dev_t ptmx = makedev(5, 2);
    while (const dirent *entry = readdir(fds)) {
        // Only files under /dev are looked at: a stat of another process's file on a network
        // share that hangs would hold the caller.
        char target[16] = {};
        struct stat st;
        if (entry->d_name[0] == '.' || readlinkat(dirfd(fds), entry->d_name, target, sizeof target - 1) < 5 ||
            std::strncmp(target, "/dev/", 5) != 0 || fstatat(dirfd(fds), entry->d_name, &st, 0) != 0 ||
            !S_ISCHR(st.st_mode))
            continue;
        if (st.st_rdev == rdev && how == Opener::None)
            how = Opener::User;
        if (st.st_rdev == ptmx && ptyIndex >= 0) {
            std::ifstream info("/proc/" + std::to_string(pid) + "/fdinfo/" + entry->d_name);
            for (std::string line; std::getline(info, line);)
                if (line.rfind("tty-index:", 0) == 0 && std::atoi(line.c_str() + 10) == ptyIndex)
                    how = Opener::OtherEnd;
        }
        if (how == Opener::OtherEnd)
            break;
    }
    closedir(fds);
    return how;
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
// device open (one that holds it exclusively, or one that shares the line without a lock).
void FindHolder(PortFacts &facts, const struct stat &device)
{
    auto found = [&](int pid, const std::string &name) {
        facts.holderName = name;
        facts.holder = name + " (pid " + std::to_string(pid) + ")";
    };
    if (const int pid = LockHolder(device))
        return found(pid, FirstLine("/proc/" + std::to_string(pid) + "/comm"));
    const std::string pts = "/dev/pts/";
    const int ptyIndex = facts.device.rfind(pts, 0) == 0 && AllDigits(facts.device.c_str() + pts.size())
                             ? std::atoi(facts.device.c_str() + pts.size())
                             : -1;
    ForEachProcess([&](int pid, const std::string &name) {
        if (HowOpen(pid, device.st_rdev, ptyIndex) != Opener::User)
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

// Whether a character device belongs to a serial or pseudo-terminal driver of the kernel's list
// ("serial  /dev/ttyS  4  64-111  serial"); true when the list cannot be read.
bool SerialDriverOf(dev_t rdev, const std::string &drivers)
{
    std::ifstream in(drivers);
    if (!in)
        return true;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream words(line);
        for (std::string w; words >> w;)
            fields.push_back(w);
        if (fields.size() < 4)
            continue;
        const std::string &type = fields.back(), &minors = fields[fields.size() - 2];
        const unsigned first = static_cast<unsigned>(std::atoi(minors.c_str()));
        const size_t dash = minors.find('-');
        const unsigned last = dash == std::string::npos ? first : static_cast<unsigned>(std::atoi(minors.c_str() + dash + 1));
        if (static_cast<unsigned>(std::atoi(fields[fields.size() - 3].c_str())) == major(rdev) &&
            minor(rdev) >= first && minor(rdev) <= last)
            return type.rfind("serial", 0) == 0 || type == "pty:slave";
    }
    return false;
}

}  // namespace

std::string NotSerialKind(const std::string &device, const std::string &drivers)
{
    struct stat st;
    if (stat(device.c_str(), &st) != 0)
        return {};
    if (S_ISCHR(st.st_mode))
        return SerialDriverOf(st.st_rdev, drivers) ? "" : "a device of another kind";
    return S_ISDIR(st.st_mode)    ? "a folder"
           : S_ISFIFO(st.st_mode) ? "a FIFO (named pipe)"
           : S_ISREG(st.st_mode)  ? "a regular file"
           : S_ISSOCK(st.st_mode) ? "a socket"
                                  : "a block device";
}

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
    f.notSerial = NotSerialKind(f.device);
    if (!f.uart || !f.notSerial.empty())
        return f;  // nothing to open, not even to test it
    const passwd *user = getpwuid(st.st_uid);
    const group *g = getgrgid(st.st_gid);
    f.owner = user ? user->pw_name : std::to_string(st.st_uid);
    f.group = g ? g->gr_name : std::to_string(st.st_gid);
    f.mode = st.st_mode & 07777;
    if (access(real, R_OK | W_OK) != 0 && errno == EACCES) {
        f.accessDenied = true;
        return f;
    }
    const std::string name = std::filesystem::path(f.device).filename().string();
    f.usbSerial = name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
    f.heldElsewhere = PortHeldElsewhere(port);
    // A program with the device open but no lock (a cat, a getty) takes the analyzer's answers unseen.
    FindHolder(f, st);
    f.unlocked = !f.heldElsewhere && !f.holder.empty();
    f.heldElsewhere = f.heldElsewhere || f.unlocked;
    if (f.usbSerial)
        f.services = RunningServices();
    return f;
}

}  // namespace tavrin
