// The running average over the last N traces, kept incrementally so that its cost per trace
// does not grow with N.
#pragma once

#include "measure/screen_conversions.h"

#include <cstdint>
#include <vector>

namespace tavrin {

class RunningAverage {
public:
    // Empties the ring for n traces (at least 1).
    void Restart(int n);
    // Folds a new trace in and writes the average into live (halves to even).
    void Add(const TracePoints &points, TracePoints &live);

    int Count() const { return count_; }
    int Fill() const { return fill_; }
    int Slot() const { return slot_; }

private:
    int count_ = 1;
    int fill_ = 0;
    int slot_ = 0;
    std::vector<std::array<int16_t, kTracePoints>> history_ = std::vector<std::array<int16_t, kTracePoints>>(1);
    std::array<int32_t, kTracePoints> sums_{};
};

}  // namespace tavrin
