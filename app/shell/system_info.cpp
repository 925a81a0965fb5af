#include "shell/system_info.h"

#include "common/program_folder.h"
#include "instrument/port_check.h"
#include "port_map.h"

#include <QCoreApplication>
#include <QSysInfo>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tavrin {

namespace {

std::string FirstLine(const fs::path &file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

std::vector<SerialDevice> SerialDevices(const std::string &sysClassTty)
{
    std::vector<SerialDevice> found;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(sysClassTty, ec)) {
        const fs::path dir = entry.path();
        if (!fs::exists(dir / "device", ec))
            continue;  // a virtual terminal or pseudo-terminal
        const std::string name = dir.filename().string();
        if (name.rfind("ttyS", 0) == 0 && FirstLine(dir / "type") == "0")
            continue;  // a UART slot without a chip
        found.push_back({name, fs::read_symlink(dir / "device" / "driver", ec).filename().string()});
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
    return found;
}

std::vector<std::string> ComPortLines()
{
    std::vector<std::string> lines;
    for (int port = 1; port <= 4; ++port) {
        const std::string path = ResolvePortPath(port);
        std::error_code ec;
        const fs::path target = fs::canonical(path, ec);
        std::string state;
        if (ec)
            state = "not present";
        else if (PortPermissionProblem(port))
            state = "no permission (see the dialout group in the manual)";
        else
            state = "present";
        lines.push_back("COM" + std::to_string(port) + "  " + path +
                        (ec || target.string() == path ? "" : " -> " + target.string()) + "  (" + state + ")");
    }
    return lines;
}

std::string SystemReport()
{
    std::string text;
    auto line = [&](const std::string &label, const std::string &value) { text += label + ": " + value + "\n"; };
    line("Operating system", QSysInfo::prettyProductName().toStdString());
    line("Kernel", QSysInfo::kernelType().toStdString() + " " + QSysInfo::kernelVersion().toStdString());
    line("Architecture", QSysInfo::currentCpuArchitecture().toStdString());
    line("Qt", std::string(qVersion()) + " (built with " QT_VERSION_STR ")");
    line("Program", QCoreApplication::applicationName().toStdString() + " " +
                        QCoreApplication::applicationVersion().toStdString() + " in " + ExecutableFolder());
    line("Settings folder", ProgramFolder());
    text += "\nSerial devices found:\n";
    const auto devices = SerialDevices("/sys/class/tty");
    for (const SerialDevice &d : devices) {
        const std::string dev = "/dev/" + d.name;
        text += "  " + dev + (d.driver.empty() ? "" : "  [" + d.driver + "]") +
                (access(dev.c_str(), R_OK | W_OK) == 0 ? "" : "  (no permission)") + "\n";
    }
    if (devices.empty())
        text += "  none\n";
    text += "\nCOM ports (ports folder " + PortsFolder() + "):\n";
    for (const std::string &l : ComPortLines())
        text += "  " + l + "\n";
    return text;
}

}  // namespace tavrin
