// Adjacent channel power: the power of a channel centred on the screen's centre frequency and of
// the channels one spacing below and above it, those two relative to it in dBc.
//
// A channel's power is added up as band power's is, in linear units with each point standing for
// the point spacing and the sum corrected from the RBW filter's noise bandwidth to that spacing.
// Its edges are frequencies, not points: a point at an edge counts with the share of its spacing
// that lies inside the channel, so the channel's width is what is measured at any span.
#pragma once

#include "measure/screen_conversions.h"

#include <optional>
#include <string>

namespace tavrin {

struct ChannelPlan {
    double widthMHz = 1.0;
    double spacingMHz = 1.0;  // centre to centre; at least the width, so the channels do not overlap

    bool operator==(const ChannelPlan &) const = default;
};

struct ChannelPower {
    double lowMHz = 0;
    double highMHz = 0;
    std::optional<double> dBm;
    std::string problem;  // why there is none, for the "---" row
};

struct AdjacentChannels {
    ChannelPower main, lower, upper;
    std::optional<double> lowerDbc, upperDbc;  // none where either channel has no power
};

// The three channels on the screen's points 0..498. None where the span is zero, the RBW unknown,
// the plan impossible (a width of no point spacing or less, a spacing below the width) or the
// channel reaches beyond the points' frequencies; each with the reason. Levels in dBm.
AdjacentChannels MeasureAdjacentChannels(const MeasurementState &state, const TracePoints &trace, const ChannelPlan &plan);

}  // namespace tavrin
