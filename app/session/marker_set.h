// The five markers as the user set them (on, frequency text, delta reference), Peak, a dropped
// label, and the marker touched last (the one the pointer and the keys move).
#pragma once

#include "markers/markers.h"
#include "measure/measurement_state.h"
#include "measure/screen_conversions.h"

#include <functional>
#include <string>

namespace tavrin {

struct OperationFile;

class MarkerSet {
public:
    explicit MarkerSet(std::function<void()> changed) : changed_(std::move(changed)) {}

    // The five frequency texts from and into the operation file.
    void Restore(const OperationFile &op);
    void Save(OperationFile &op) const;
    // Every delta reference back to NONE, every marker off (the panel's first activation).
    void ResetDeltas();

    void SetOn(int index, bool on);
    // The text as typed (read by the leading-number rule wherever it is used).
    void SetFrequencyText(int index, const std::string &text);
    // One frequency step up or down; nothing at the ends of 0..1100 MHz.
    void Step(int index, int direction, float stepMHz);
    // "NONE" or "1".."5".
    void SetDelta(int index, const std::string &reference);
    // Marker 1 on, at the highest point of trace.
    void Peak(const MeasurementState &state, const TracePoints &trace);
    // A label dropped at screen x (clamped to the graticule): its marker at that point.
    void Dropped(int index, double x, const MeasurementState &state);
    // The marker at a frequency, switched on, as if it were typed (pointer clicks).
    void PutAt(int index, double mhz);
    // The marker on a peak's frequency, written as Peak writes it, switched on (the peak tools).
    void PutOnPeak(int index, double mhz);
    // A tracking marker follows a peak: its text as Peak writes it, the marker touched last kept;
    // nothing changes while it stays.
    void Follow(int index, double mhz);

    const MarkerControls &Controls() const { return markers_; }
    // The marker touched last (0 before any).
    int Active() const { return active_; }

private:
    bool Valid(int index) const { return index >= 0 && index < kMarkerCount; }
    void Touched(int index);

    std::function<void()> changed_;
    MarkerControls markers_{};
    int active_ = 0;
};

}  // namespace tavrin
