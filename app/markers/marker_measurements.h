// The measurements the screen shows under the marker table, each switched on or off: the band
// power between markers 1 and 2, the occupied bandwidth of the whole trace, marker 1's level per
// hertz (the noise marker), and adjacent channel power around the centre (three rows).
#pragma once

#include "markers/markers.h"
#include "measure/adjacent_channel.h"
#include "measure/band_measurements.h"

#include <optional>

namespace tavrin {

struct MeasurementSwitches {
    bool bandPower = false;
    bool occupiedBandwidth = false;
    bool noiseMarker = false;
    bool adjacentChannel = false;

    // The rows of the table.
    constexpr int Count() const
    {
        return int{bandPower} + int{occupiedBandwidth} + int{noiseMarker} + kAdjacentChannelRows * int{adjacentChannel};
    }
    static constexpr int kAdjacentChannelRows = 3;  // main, lower, upper
};

// Levels in the display unit (dBm, or dBu when that is the unit); none where a measurement is off
// or cannot be made (its markers off or off the screen, zero span, an unknown RBW).
struct MeasurementReadings {
    MeasurementSwitches on;
    std::optional<double> bandPower;
    double bandMHz = 0;  // the band's width: its points times the spacing
    std::optional<OccupiedBand> occupied;
    std::optional<double> noiseDensity;  // per Hz
    double noiseBandwidthHz = 0;
    std::optional<AdjacentChannels> adjacent;  // levels in dBm
};

// The measurements on trace, the trace the markers were read on; adjacent channel power over the
// channels of plan.
MeasurementReadings MeasureWithMarkers(const MeasurementState &state, const TracePoints &trace,
                                       const MarkerReadings &readings, MeasurementSwitches on,
                                       const ChannelPlan &plan = {});

}  // namespace tavrin
