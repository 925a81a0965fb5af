// The session's comparison and peak tools: the trace memories, the peak moves of the active
// marker, the tracking markers and adjacent channel power's channels.
#include "session/session.h"

#include "common/text_number.h"

#include <limits>

namespace tavrin {

SettledTrace Session::SettledRead() const
{
    if (!shown_)
        return {};
    const ReadTrace read = TraceToRead();
    return {read.trace, read.hold ? holds_.Settings() : shown_->settings};
}

void Session::SetChannelPlan(const ChannelPlan &plan)
{
    channelPlan_ = plan;
    Changed(SessionPart::TraceModes);
}

void Session::StoreMemory(MemorySlot slot)
{
    const SettledTrace read = SettledRead();
    if (!read.points) {
        emit problem({}, QString("There is no trace to store in memory %1 yet: press Start, or play a record, first.")
                             .arg(SlotLetter(slot)));
        return;
    }
    memories_.Store(slot, MakeRecord(shown_->time, read.settings, *read.points));
}

std::vector<tavrin::Peak> Session::Peaks() const
{
    if (!shown_)
        return {};
    return FindPeaks(settings_.State(), *TraceToRead().trace, peakTools_.Rules());
}

void Session::MoveActive(const PeakFinder &find)
{
    const int index = markers_.Active();
    const MarkerControl &marker = markers_.Controls()[static_cast<size_t>(index)];
    const std::vector<tavrin::Peak> peaks = Peaks();
    // A marker that is off or off the screen stands above every peak, left of them all.
    int point = 0;
    int16_t value = std::numeric_limits<int16_t>::max();
    if (marker.enabled && shown_) {
        point = ConvertMHzToNthPoint(settings_.State(), NumericValue(marker.freqText));
        if (point > 0)
            value = (*TraceToRead().trace)[static_cast<size_t>(point)];
    }
    if (const std::optional<tavrin::Peak> peak = find(peaks, point, value))
        markers_.PutOnPeak(index, peak->freqMHz);
    else
        emit beep();
}

void Session::NextPeak() { MoveActive(tavrin::NextPeak); }

void Session::PeakLeft()
{
    MoveActive([](const std::vector<tavrin::Peak> &peaks, int point, int16_t) {
        // From off the screen the search starts at its right edge.
        return PeakLeftOf(peaks, point > 0 ? point : kTracePoints);
    });
}

void Session::PeakRight()
{
    MoveActive([](const std::vector<tavrin::Peak> &peaks, int point, int16_t) { return PeakRightOf(peaks, point); });
}

void Session::SetTracking(int index, bool on)
{
    if (index < 0 || index >= kMarkerCount)
        return;
    peakTools_.SetTracking(index, on);
    if (!on)
        return;
    markers_.SetOn(index, true);
    FollowPeaks();
}

void Session::FollowPeaks()
{
    if (!shown_)
        return;
    std::optional<double> mhz;  // worked out once, for the first marker that tracks
    for (int i = 0; i < kMarkerCount; ++i) {
        if (!peakTools_.Tracking(i) || !markers_.Controls()[static_cast<size_t>(i)].enabled)
            continue;
        if (!mhz)
            mhz = PeakFrequencyMHz(settings_.State(), TrackPeakPoint(*TraceToRead().trace));
        markers_.Follow(i, *mhz);
    }
}

}  // namespace tavrin
