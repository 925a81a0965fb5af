// The analyzer reached the way the program reaches it (the same library, COM names and exclusive
// opening), with what went wrong said on standard error in the words of the command line.
#pragma once

#include "cli/options.h"
#include "common/dialogs.h"
#include "instrument/port_diagnosis.h"
#include "instrument/tavrin_dll.h"

#include <string>

namespace tavrin::cli {

// "tavrin-cli: " + text on standard error.
void Complain(const std::string &text);

// The library's own messages (it could not be loaded) go to standard error.
class StderrDialogs : public UserDialogs {
public:
    void ShowMessage(const std::string &title, const std::string &text) override;
};

// --port, else the port saved in Tavrin.Log (in --folder when given), else 1.
int ChosenPort(const CommandLine &line);

// Opens COMn and checks that the analyzer answers. kExitOk, or the exit code after the reason
// was told: kExitPort when the port cannot be had, kExitNoAnswer when nothing answers.
int OpenAnalyzer(TavrinDLL &dll, int port);

// Why the last fetch brought no trace, told.
void TellFetchFailed(const TavrinDLL &dll);
// A fresh trace with its report; false (told, kExitNoAnswer) when none comes.
bool TakeTrace(TavrinDLL &dll);

}  // namespace tavrin::cli
