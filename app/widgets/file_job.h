// Long file work (loading, saving, exporting a big record) off the window thread: the job runs on
// a worker while the window goes on, its progress shown in a dialog whose Cancel stops it; the
// caller hears of its end later, on the window thread.
#pragma once

#include "common/job_control.h"

#include <functional>
#include <string>

class QObject;

namespace tavrin {

class UserDialogs;

// Starts job on a worker thread and returns at once. The job reports its progress and checks for
// a cancel through its JobControl; it must not touch widgets, and whatever it makes it hands on
// through what it captured. done(completed) runs on the window thread once the job has ended
// (completed false: it was cancelled), unless context went first: then the job is cancelled and
// waited for, and done never runs.
void StartFileJob(QObject *context, UserDialogs &dialogs, const std::string &title, const std::string &text,
                  std::function<void(JobControl &)> job, std::function<void(bool completed)> done);

}  // namespace tavrin
