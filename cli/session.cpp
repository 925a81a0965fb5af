#include "cli/session.h"

#include "common/program_folder.h"
#include "settings/operation_file.h"

#include <cstdio>

namespace tavrin::cli {

void Complain(const std::string &text) { std::fprintf(stderr, "tavrin-cli: %s\n", text.c_str()); }

void StderrDialogs::ShowMessage(const std::string &, const std::string &text) { Complain(text); }

int ChosenPort(const CommandLine &line)
{
    if (line.Has("port"))
        return static_cast<int>(*ParseInteger(line.Value("port"), 1, 4));
    OperationFile saved = DefaultOperation();
    LoadOperation(OperationFilePath(), saved);
    return saved.ComPortSetting >= 1 && saved.ComPortSetting <= 4 ? saved.ComPortSetting : 1;
}

namespace {

std::string Com(int port) { return "COM" + std::to_string(port); }

std::string ServiceAdvice(const std::string &service)
{
    if (service == "brltty")
        return "Unless you use a braille display, remove it (sudo apt-get remove brltty)";
    return "Stop it (sudo systemctl stop ModemManager, or sudo apt-get remove modemmanager)";
}

}  // namespace

std::string PortProblem(const PortDiagnosis &d, int port)
{
    const std::string com = Com(port);
    const std::string link = "~/.config/tavrin/ports/" + com;
    switch (d.cause) {
    case PortCause::NotConnected:
        return com + " is not connected: no device is linked as " + link + ", and " + d.device +
               " has no serial port behind it.\nLink the analyzer's device there (ln -sf /dev/serial/by-id/... " +
               link + "), choose it in TavrinRemote's Setting > Device..., or name another port with --port N.";
    case PortCause::Missing:
        return com + " leads to " + d.device +
               ", which is not there: the adapter is unplugged, or the device has another name now.\n"
               "Plug in the adapter, or link the device again as " + link + ".";
    case PortCause::PermissionDenied:
        return d.message.substr(d.message.find("You may not"));
    case PortCause::GrabbedByService:
        return d.device + " (" + com + ") is held by " + d.holder +
               ", a service that opens new serial devices.\n" + ServiceAdvice(d.service) +
               ", then unplug the adapter, plug it in again and run tavrin-cli again.";
    case PortCause::HeldByProgram:
        return d.device + " (" + com + ") is in use by another program" + (d.holder.empty() ? "" : ": " + d.holder) +
               ".\nClose that program (or end its sweep), or name another port with --port N.";
    case PortCause::NoAnswer:
        break;
    }
    return {};
}

std::string NoAnswerText(const PortDiagnosis &d, int port)
{
    std::string text = Com(port) + " (" + d.device +
                       ") opens, but the analyzer does not answer.\nCheck the cable, that the analyzer is switched "
                       "on, and that this is the analyzer's port (57600 baud).";
    if (!d.service.empty())
        text += "\n" + d.service + " is running and may have taken the adapter when it was plugged in. " +
                ServiceAdvice(d.service) + ", then plug the adapter in again.";
    return text;
}

int OpenAnalyzer(TavrinDLL &dll, int port)
{
    // Asked before the port is opened, so that our own opening is not taken for another's.
    PortDiagnosis d = DiagnosePort(port);
    if (d.cause != PortCause::NoAnswer) {
        Complain(PortProblem(d, port));
        return kExitPort;
    }
    dll.SelectComPort(static_cast<int16_t>(port));
    if (SerialNumberAnswers(dll.SerialNumText()))
        return kExitOk;
    // Another program may have taken the port in the meantime.
    dll.SelectComPort(0);
    d = DiagnosePort(port);
    if (d.cause != PortCause::NoAnswer) {
        Complain(PortProblem(d, port));
        return kExitPort;
    }
    Complain(NoAnswerText(d, port));
    return kExitNoAnswer;
}

void TellFetchFailed(const TavrinDLL &dll)
{
    Complain(dll.LastFetchSilent() ? "the analyzer stopped answering. Check the cable and that it is switched on."
                                   : "the analyzer sends no valid trace: the line garbles its blocks. Check the "
                                     "cable and that this is the analyzer's port (57600 baud).");
}

bool TakeTrace(TavrinDLL &dll)
{
    if (dll.FetchTrace())
        return true;
    TellFetchFailed(dll);
    return false;
}

}  // namespace tavrin::cli
