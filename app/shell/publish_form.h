// Setting > "Publish...": the publishing settings asked in a form, checked and applied, and kept
// once applied; and the status bar's label "Publishing", shown while there is something to say.
#pragma once

#include "settings/program_settings.h"

#include <functional>

class QMenu;
class QStatusBar;

namespace tavrin {

class Publishing;
class UserDialogs;

// record: where the settings are kept (written to TavrinRemote.ini with the others).
void AddPublishing(QMenu &settingMenu, QStatusBar &bar, Publishing &publishing, UserDialogs &dialogs,
                   std::function<PublishSettings &()> record);

}  // namespace tavrin
