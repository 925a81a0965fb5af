#include "session/qt_timers.h"

#include <QTimer>

namespace tavrin {

QtTimers::~QtTimers()
{
    for (auto &[id, timer] : timers_)
        delete timer;
}

Timers::Id QtTimers::After(std::chrono::milliseconds delay, std::function<void()> run)
{
    const Id id = next_++;
    auto *timer = new QTimer;
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [this, id, run = std::move(run)] {
        const auto it = timers_.find(id);
        if (it == timers_.end())
            return;
        QTimer *done = it->second;
        timers_.erase(it);
        done->deleteLater();
        run();
    });
    timers_.emplace(id, timer);
    timer->start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, delay.count())));
    return id;
}

void QtTimers::Cancel(Id id)
{
    const auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

}  // namespace tavrin
