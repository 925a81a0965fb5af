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

int OpenAnalyzer(TavrinDLL &dll, int port)
{
    // Asked before the port is opened, so that our own opening is not taken for another's.
    PortDiagnosis d = DiagnosePort(port);
    if (d.cause != PortCause::NoAnswer) {
        Complain(CommandLineText(d));
        return kExitPort;
    }
    dll.SelectComPort(static_cast<int16_t>(port));
    if (SerialNumberAnswers(dll.SerialNumText()))
        return kExitOk;
    // Another program may have taken the port in the meantime.
    dll.SelectComPort(0);
    d = DiagnosePort(port);
    Complain(CommandLineText(d));
    return d.cause == PortCause::NoAnswer ? kExitNoAnswer : kExitPort;
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
