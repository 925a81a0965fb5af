#include "publish/publish_rhythm.h"

namespace tavrin {

bool TraceThinning::Take(double seconds)
{
    if (!(interval_ > 0))
        return true;
    if (due_ && seconds < *due_)
        return false;
    due_ = due_ && seconds - *due_ < interval_ ? *due_ + interval_ : seconds + interval_;
    return true;
}

bool LimitRhythm::Take(const std::vector<LimitLineReport> &lines, double seconds)
{
    std::vector<Key> keys;
    for (const LimitLineReport &l : lines)
        keys.push_back({l.line, l.name, l.kind, l.verdict.outcome,
                        l.verdict.outcome == LimitOutcome::None ? l.verdict.reason : std::string()});
    if (last_ == keys && seconds - sent_ < kRefreshSeconds)
        return false;
    last_ = std::move(keys);
    sent_ = seconds;
    return true;
}

}  // namespace tavrin
