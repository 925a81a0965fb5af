// Long file work (loading, saving, exporting a big record) off the window thread: the job runs on
// a worker while the window thread keeps serving its events and shows the job's progress in a
// dialog whose Cancel stops it.
#pragma once

#include "common/job_control.h"

#include <functional>
#include <string>

namespace tavrin {

class UserDialogs;

// Runs job on a worker thread and returns once it has ended. The job reports its progress and
// checks for a cancel through its JobControl; it must not touch widgets. Returns false when the
// job was cancelled (by the user, or because the application is ending every event loop).
bool RunFileJob(UserDialogs &dialogs, const std::string &title, const std::string &text,
                const std::function<void(JobControl &)> &job);

}  // namespace tavrin
