#include "support/virtual_clock.h"

namespace tavrin::test {

Timers::Id VirtualClock::After(std::chrono::milliseconds delay, std::function<void()> run)
{
    const Id id = next_++;
    queue_.emplace(std::pair(now_ + std::max(delay, std::chrono::milliseconds(0)), id), std::move(run));
    return id;
}

void VirtualClock::Cancel(Id id)
{
    for (auto it = queue_.begin(); it != queue_.end(); ++it)
        if (it->first.second == id) {
            queue_.erase(it);
            return;
        }
}

void VirtualClock::Advance(std::chrono::milliseconds d)
{
    const Clock::time_point end = now_ + d;
    while (!queue_.empty() && queue_.begin()->first.first <= end) {
        auto node = queue_.extract(queue_.begin());
        now_ = node.key().first;
        node.mapped()();
    }
    now_ = end;
}

bool VirtualClock::RunUntil(const std::function<bool()> &pred, std::chrono::milliseconds limit)
{
    const Clock::time_point end = now_ + limit;
    while (!pred()) {
        if (queue_.empty() || queue_.begin()->first.first > end) {
            now_ = end;
            return pred();
        }
        auto node = queue_.extract(queue_.begin());
        now_ = node.key().first;
        node.mapped()();
    }
    return true;
}

long long VirtualClock::Ms() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(now_ - start_).count();
}

}  // namespace tavrin::test
