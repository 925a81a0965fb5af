// The peak tools as the user set them: what counts as a peak (excursion and threshold), which
// markers follow the highest point of every trace, and whether the screen shows the peak table.
// The moves themselves are the session's (Next peak, Peak left, Peak right, the tracking sink).
#pragma once

#include "markers/markers.h"
#include "markers/peak_tools.h"

#include <array>
#include <functional>

namespace tavrin {

class PeakToolsState {
public:
    explicit PeakToolsState(std::function<void()> changed) : changed_(std::move(changed)) {}

    void SetRules(const PeakRules &rules);
    void SetTracking(int index, bool on);
    void SetTable(bool on);

    const PeakRules &Rules() const { return rules_; }
    bool Tracking(int index) const { return index >= 0 && index < kMarkerCount && tracking_[static_cast<size_t>(index)]; }
    const std::array<bool, kMarkerCount> &Tracks() const { return tracking_; }
    bool TableOn() const { return table_; }

private:
    std::function<void()> changed_;
    PeakRules rules_;
    std::array<bool, kMarkerCount> tracking_{};
    bool table_ = false;
};

// The settled reach of the entries: an excursion of 0..80 dB (the screen's height), a threshold
// anywhere the screen may show, or none.
inline constexpr double kMostPeakExcursionDb = 80.0;

}  // namespace tavrin
