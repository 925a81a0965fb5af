#include "measure/averaging.h"

#include "common/rounding.h"

#include <algorithm>

namespace tavrin {

void RunningAverage::Restart(int n)
{
    count_ = std::max(n, 1);
    history_.assign(static_cast<size_t>(count_), std::array<int16_t, kTracePoints>{});
    sums_.fill(0);
    fill_ = 0;
    slot_ = 0;
}

void RunningAverage::Add(const TracePoints &points, TracePoints &live)
{
    auto &slot = history_[static_cast<size_t>(slot_)];
    const bool full = fill_ >= count_;
    const double divisor = full ? count_ : fill_ + 1;
    for (size_t j = 0; j < kTracePoints; ++j) {
        if (full)
            sums_[j] -= slot[j];
        slot[j] = points[j];
        sums_[j] += points[j];
        live[j] = static_cast<int16_t>(RoundHalfEven(sums_[j] / divisor));
    }
    if (!full)
        ++fill_;
    slot_ = (slot_ + 1) % count_;
}

}  // namespace tavrin
