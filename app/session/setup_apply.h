// A named setup taken from the session, and one recalled into it: the analyzer settings through
// the panel's own apply and confirm, one after the other, the rest through the session's intents.
#pragma once

#include "settings/setup_file.h"

#include <functional>
#include <string>
#include <vector>

namespace tavrin {

class Session;

// What a setup keeps, as the session holds it now.
Setup TakeSetup(const Session &session);

// Applies what the recall read. The analyzer settings go out as typing them sends them, and are
// confirmed from the analyzer's reports also while the acquisition is stopped (a recall means "set
// the analyzer so"); the RBW only at zero span, where it is the user's choice. After a silent
// confirmation the settings that follow are not sent. Limit files are read from limitFolder.
// done receives every field that was not read or not applied, and why, once the last setting is
// confirmed; it may come before ApplySetup returns.
void ApplySetup(Session &session, const SetupRecall &recall, const std::string &limitFolder,
                std::function<void(const std::vector<SetupProblem> &notApplied)> done);

}  // namespace tavrin
