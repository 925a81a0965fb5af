#include "session/marker_set.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "markers/peak.h"
#include "measure/frequency_step.h"
#include "settings/operation_file.h"

namespace tavrin {

void MarkerSet::Restore(const OperationFile &op)
{
    for (size_t i = 0; i < kMarkerCount; ++i)
        markers_[i].freqText = TrimSpaces(op.SavedMarkers[i]);
    changed_();
}

void MarkerSet::Save(OperationFile &op) const
{
    for (size_t i = 0; i < kMarkerCount; ++i)
        op.SavedMarkers[i] = markers_[i].freqText;
}

void MarkerSet::ResetDeltas()
{
    for (MarkerControl &m : markers_)
        m.deltaRef = "NONE";
    changed_();
}

void MarkerSet::Touched(int index)
{
    active_ = index;
    changed_();
}

void MarkerSet::SetOn(int index, bool on)
{
    if (!Valid(index))
        return;
    markers_[static_cast<size_t>(index)].enabled = on;
    Touched(index);
}

void MarkerSet::SetFrequencyText(int index, const std::string &text)
{
    if (!Valid(index))
        return;
    markers_[static_cast<size_t>(index)].freqText = text;
    Touched(index);
}

void MarkerSet::Step(int index, int direction, float stepMHz)
{
    if (!Valid(index))
        return;
    std::string &text = markers_[static_cast<size_t>(index)].freqText;
    if (auto moved = StepFrequencyText(text, direction, stepMHz))
        text = *moved;
    Touched(index);
}

void MarkerSet::SetDelta(int index, const std::string &reference)
{
    if (!Valid(index))
        return;
    markers_[static_cast<size_t>(index)].deltaRef = reference;
    Touched(index);
}

void MarkerSet::Peak(const MeasurementState &state, const TracePoints &trace)
{
    const int n = PeakPoint(trace);
    PutOnPeak(0, ConvertNthPointToMHz(state, static_cast<int16_t>(n)));
}

void MarkerSet::PutOnPeak(int index, double mhz)
{
    if (!Valid(index))
        return;
    MarkerControl &m = markers_[static_cast<size_t>(index)];
    m.freqText = FormatFixed(mhz, 4, 4);
    m.enabled = true;
    Touched(index);
}

void MarkerSet::Follow(int index, double mhz)
{
    if (!Valid(index))
        return;
    std::string text = FormatFixed(mhz, 4, 4);
    std::string &shown = markers_[static_cast<size_t>(index)].freqText;
    if (text == shown)
        return;
    shown = std::move(text);
    changed_();
}

void MarkerSet::Dropped(int index, double x, const MeasurementState &state)
{
    if (!Valid(index))
        return;
    const auto n = static_cast<int16_t>(RoundHalfEvenToInt32(x));
    markers_[static_cast<size_t>(index)].freqText = FormatPicture(ConvertNthPointToMHz(state, n), "#0.000##");
    Touched(index);
}

void MarkerSet::PutAt(int index, double mhz)
{
    if (!Valid(index))
        return;
    MarkerControl &m = markers_[static_cast<size_t>(index)];
    m.freqText = FormatPicture(mhz, "#0.000##");
    m.enabled = true;
    Touched(index);
}

}  // namespace tavrin
