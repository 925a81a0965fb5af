#include "markers/peak_tools.h"

#include "common/number_format.h"
#include "common/text_number.h"
#include "markers/peak.h"

#include <algorithm>

namespace tavrin {

namespace {

int16_t At(const TracePoints &trace, int point) { return trace[static_cast<size_t>(point)]; }

// The lowest point from `from` outwards in steps of `step`, up to the first point that ends the
// valley (`ends`) or the screen's edge.
template <class Ends>
int16_t ValleyFrom(const TracePoints &trace, int from, int step, Ends ends)
{
    int16_t lowest = At(trace, from);
    for (int k = from; k >= 0 && k <= kLastScreenPoint && !ends(At(trace, k)); k += step)
        lowest = std::min(lowest, At(trace, k));
    return lowest;
}

bool TableOrder(const Peak &a, const Peak &b) { return a.value != b.value ? a.value > b.value : a.point < b.point; }

}  // namespace

std::vector<Peak> FindPeaks(const MeasurementState &state, const TracePoints &trace, const PeakRules &rules)
{
    const PointScale scale(state);
    const bool zeroSpan = IsZeroSpan(state.spanCaption);
    const double center = NumericValue(state.centerFreqMHz);
    std::vector<Peak> peaks;
    for (int first = 0, last = 0; first <= kLastScreenPoint; first = last + 1) {
        const int16_t top = At(trace, first);
        last = first;
        while (last < kLastScreenPoint && At(trace, last + 1) == top)
            ++last;
        if (first == 0 || last == kLastScreenPoint || At(trace, first - 1) > top || At(trace, last + 1) > top)
            continue;
        // Steps are exact binary fractions of a dB: the rise compares exactly with the excursion.
        const int16_t left = ValleyFrom(trace, first - 1, -1, [&](int16_t v) { return v >= top; });
        const int16_t right = ValleyFrom(trace, last + 1, 1, [&](int16_t v) { return v > top; });
        const int fall = std::min(top - left, top - right);
        const int point = first + (last - first) / 2;
        const double level = scale.Dbm(trace, point);
        if (fall * kDbPerStepRead >= rules.excursionDb && level >= rules.thresholdDbm)
            peaks.push_back({point, top, zeroSpan ? center : scale.MHz(point), level});
    }
    return peaks;
}

std::vector<Peak> PeakTable(std::vector<Peak> peaks, size_t count)
{
    std::stable_sort(peaks.begin(), peaks.end(), TableOrder);
    if (peaks.size() > count)
        peaks.resize(count);
    return peaks;
}

std::optional<Peak> NextPeak(const std::vector<Peak> &peaks, int markerPoint, int16_t markerValue)
{
    const Peak marker{markerPoint, markerValue, 0, 0};
    std::optional<Peak> next;
    for (const Peak &p : peaks)
        if (TableOrder(marker, p) && (!next || TableOrder(p, *next)))
            next = p;
    return next;
}

std::optional<Peak> PeakLeftOf(const std::vector<Peak> &peaks, int point)
{
    std::optional<Peak> nearest;
    for (const Peak &p : peaks)
        if (p.point < point)
            nearest = p;
    return nearest;
}

std::optional<Peak> PeakRightOf(const std::vector<Peak> &peaks, int point)
{
    for (const Peak &p : peaks)
        if (p.point > point)
            return p;
    return std::nullopt;
}

int TrackPeakPoint(const TracePoints &trace) { return std::min(PeakPoint(trace), kLastScreenPoint); }

double PeakFrequencyMHz(const MeasurementState &state, int point)
{
    if (IsZeroSpan(state.spanCaption))
        return NumericValue(state.centerFreqMHz);
    return ConvertNthPointToMHz(state, static_cast<int16_t>(point));
}

std::string PeakTableCsv(const std::vector<Peak> &table, bool dbu)
{
    std::string csv = dbu ? "rank,freq_mhz,level_dbu\r\n" : "rank,freq_mhz,level_dbm\r\n";
    for (size_t i = 0; i < table.size(); ++i)
        csv += std::to_string(i + 1) + "," + PlainDecimal(table[i].freqMHz) + "," +
               PlainDecimal(table[i].levelDbm + (dbu ? 107.0 : 0.0)) + "\r\n";
    return csv;
}

}  // namespace tavrin
