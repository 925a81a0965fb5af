#include "markers/marker_measurements.h"

#include "common/text_number.h"

#include <cstdlib>

namespace tavrin {

MeasurementReadings MeasureWithMarkers(const MeasurementState &state, const TracePoints &trace,
                                       const MarkerReadings &readings, MeasurementSwitches on, const ChannelPlan &plan)
{
    const double unitOffset = TrimSpaces(state.unit) == "dBm" ? 0.0 : 107.0;
    const MarkerReading &m1 = readings[0], &m2 = readings[1];
    MeasurementReadings r;
    r.on = on;
    if (on.bandPower && m1.onScreen && m2.onScreen) {
        if (auto dBm = BandPowerDbm(state, trace, m1.point, m2.point)) {
            r.bandPower = *dBm + unitOffset;
            r.bandMHz = (std::abs(m1.point - m2.point) + 1) * MHzPerDivision(state.spanCaption) / kPointsPerDivision;
        }
    }
    if (on.occupiedBandwidth)
        r.occupied = OccupiedBandwidth(state, trace);
    if (on.noiseMarker && m1.onScreen) {
        r.noiseDensity = PerHertz(m1.level, state.rbwCaption);
        r.noiseBandwidthHz = NoiseBandwidthHz(state.rbwCaption);
    }
    if (on.adjacentChannel)
        r.adjacent = MeasureAdjacentChannels(state, trace, plan);
    return r;
}

}  // namespace tavrin
