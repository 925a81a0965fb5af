// The screen settings most drawing and conversion tests start from: centre 100 MHz, 1MHZ/DIV
// (0.02 MHz per point), reference level 0 dBm.
#pragma once

#include "measure/measurement_state.h"

namespace tavrin::test {

inline MeasurementState ScreenAt100MHz()
{
    MeasurementState state;
    state.refLevelDbm = "0";
    state.centerFreqMHz = "100.000";
    state.spanCaption = "1MHZ/DIV";
    state.spanIndex = 9;
    state.unit = "dBm";
    return state;
}

}  // namespace tavrin::test
