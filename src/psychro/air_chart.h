#pragma once

#include "chart_state.h"
#include "moist_air.h"

#include <span>

// The ASHRAE chart's range and mappings. It uses the plot area of the graph
// settings, as the chart of the tables does, so that the process, its
// animation and the legend draw on either.
namespace psychro {

// The default range (20..120 F, or -5..50 C; W up to 0.030), widened to take
// the dry bulbs and humidity ratios given, on round values (10 F, 5 C,
// 0.005) and at most to the equations' -40..200 F; W up to 0.1 at most.
AirChart airChartFor(moist::Units units, double pressure, std::span<const double> dryBulbs,
                     std::span<const double> ratios);

double xOfDryBulb(const clsGraph& g, const AirChart& c, double t);
double yOfRatio(const clsGraph& g, const AirChart& c, double W);
double dryBulbOfX(const clsGraph& g, const AirChart& c, double x);
double ratioOfY(const clsGraph& g, const AirChart& c, double y);

} // namespace psychro
