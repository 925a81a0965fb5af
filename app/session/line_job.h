// One job of the line, as LineControl keeps it while it runs.
#pragma once

#include "session/line_control.h"

namespace tavrin {

struct LineControl::Job {
    explicit Job(Timers &timers) : pause(timers) {}
    std::vector<JobStep> steps;
    size_t next = 0;
    JobResult result;
    std::function<void(const JobResult &)> done;
    RequestId request = 0;
    OneTimer pause;
};

}  // namespace tavrin
