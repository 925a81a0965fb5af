#include "shell/system_info.h"

#include "common/program_folder.h"
#include "instrument/port_diagnosis.h"
#include "instrument/serial_devices.h"
#include "port_map.h"

#include <QCoreApplication>
#include <QSysInfo>

namespace tavrin {

std::vector<std::string> ComPortLines()
{
    std::vector<std::string> lines;
    for (int port = 1; port <= 4; ++port) {
        const PortFacts f = GatherPortFacts(port);
        const PortDiagnosis d = DiagnosePort(f);
        const std::string state = f.device.empty() || !f.uart                ? "not present"
                                  : f.heldElsewhere && !f.holder.empty()     ? "in use by " + f.holder
                                  : d.cause == PortCause::NoAnswer           ? "present"
                                                                             : d.summary;
        lines.push_back("COM" + std::to_string(port) + "  " + PortTargetText(port) + "  (" + state + ")");
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
    const auto devices = ListSerialDevices();
    for (const SerialDeviceChoice &d : devices)
        text += "  " + d.label + "\n";
    if (devices.empty())
        text += "  none\n";
    text += "\nCOM ports (ports folder " + PortsFolder() + "):\n";
    for (const std::string &l : ComPortLines())
        text += "  " + l + "\n";
    return text;
}

}  // namespace tavrin
