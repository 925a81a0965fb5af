#include "instrument/serial_devices.h"

#include "port_map.h"

#include <QSerialPortInfo>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace tavrin {

namespace {

std::string RealPath(const fs::path &path)
{
    char real[PATH_MAX];
    return realpath(path.c_str(), real) ? real : "";
}

// Stable name -> the device it names, for every entry of a folder of links.
std::map<std::string, std::string> LinksIn(const std::string &folder)
{
    std::map<std::string, std::string> links;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(folder, ec))
        if (const std::string real = RealPath(entry.path()); !real.empty())
            links[entry.path().string()] = real;
    return links;
}

std::string Details(const QSerialPortInfo &info)
{
    std::string text;
    for (const QString &part : {info.manufacturer(), info.description()})
        if (!part.isEmpty() && text.find(part.toStdString()) == std::string::npos)
            text.append(text.empty() ? "" : " ").append(part.toStdString());
    if (!info.serialNumber().isEmpty())
        text += (text.empty() ? "serial " : ", serial ") + info.serialNumber().toStdString();
    return text;
}

}  // namespace

std::vector<SerialDeviceChoice> ListSerialDevices()
{
    const std::map<std::string, std::string> byId = LinksIn("/dev/serial/by-id");
    std::vector<SerialDeviceChoice> found;
    std::set<std::string> listed;  // real devices
    auto add = [&](const std::string &path, const std::string &device, std::string details) {
        if (!listed.insert(device).second)
            return;
        if (path != device)
            details += (details.empty() ? "" : ", ") + device;
        found.push_back({path, details.empty() ? path : path + "  \u2014  " + details});
    };
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const std::string device = info.systemLocation().toStdString();
        std::string path = device;
        for (const auto &[name, real] : byId)
            if (real == device)
                path = name;
        add(path, device, Details(info));
    }
    for (const auto &[name, real] : byId)
        add(name, real, "");
    for (const auto &[name, real] : LinksIn(PortsFolder()))
        if (real.rfind("/dev/pts/", 0) == 0)
            add(real, real, "pseudo-terminal registered as " + fs::path(name).filename().string() + " (simulator)");
    return found;
}

size_t DeviceOfPort(int port, const std::vector<SerialDeviceChoice> &devices)
{
    const std::string target = RealPath(ResolvePortPath(port));
    for (size_t i = 0; i < devices.size(); ++i)
        if (!target.empty() && RealPath(devices[i].path) == target)
            return i;
    return devices.size();
}

}  // namespace tavrin
