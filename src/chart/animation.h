#pragma once

#include "surface.h"

#include "psychro/chart_state.h"

namespace chart {

// One 200 ms tick of the process-flow animation: a gold dash travels from
// RETURN to MIXED AIR, on to SUPPLY and back to RETURN, 32 ticks a cycle.
// Each tick repaints the current line black, draws the dash and repaints
// the markers, the mixed one gold.
void Timer2_Timer(Surface& g, psychro::ChartState& s);

} // namespace chart
