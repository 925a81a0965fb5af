// Timers on Qt's event loop, for the program and tavrin-cli.
#pragma once

#include "common/timers.h"

#include <QObject>
#include <map>

class QTimer;

namespace tavrin {

class QtTimers : public Timers {
public:
    QtTimers() = default;
    ~QtTimers() override;
    QtTimers(const QtTimers &) = delete;
    QtTimers &operator=(const QtTimers &) = delete;

    Clock::time_point Now() const override { return Clock::now(); }
    Id After(std::chrono::milliseconds delay, std::function<void()> run) override;
    void Cancel(Id id) override;

private:
    std::map<Id, QTimer *> timers_;
    Id next_ = 1;
};

}  // namespace tavrin
