#pragma once

#include "surface.h"

#include "psychro/chart_state.h"

namespace chart {

// One 200 ms tick of the process-flow animation: a gold dash travels from
// RETURN to MIXED AIR, on to SUPPLY and back to RETURN, 32 ticks a cycle.
// Each tick wipes the current line back to the chart as drawn (taking off
// the previous dash), draws the dash and puts the markers back on top, the
// mixed one gold. After a full cycle the chart is as the redraw left it.
// The surface must have kept its picture (KeepAsDrawn) after the redraw.
struct AnimationState {
    float B1a = 0; // the dash's rear end, offset from its leg's start
    float A1a = 0;
    float LineIndex = 0; // grows by 0.1 a tick; the leg is its whole part
};

void Timer2_Timer(Surface& g, const psychro::ChartState& s, AnimationState& a);

} // namespace chart
