#pragma once

#include "climate/epw.h"
#include "psychro/moist_air.h"

#include <vector>

// How a year's outdoor hours spread over the chart: a count per cell of
// dry bulb and humidity ratio, for the chart to shade.
namespace climate {

struct DensityGrid {
    double minDryBulb = 0, dryBulbStep = 0; // F or C: the left edge, a column's width
    double ratioStep = 0;                   // lb/lb: a row's height; row 0 starts at W = 0
    int columns = 0, rows = 0;
    std::vector<int> counts; // counts[row * columns + column]
    int outside = 0;         // hours beyond the grid

    int count(int column, int row) const { return counts[size_t(row * columns + column)]; }
};

// Cells of 1 F x 0.0005 lb/lb centred on whole degrees from -40 to 120 F,
// over 0..0.035 lb/lb (IP), or of 0.5 C x 0.25 g/kg centred on -40 to 50 C
// in halves, over 0..35 g/kg (SI).
DensityGrid densityGrid(const WeatherYear& year, psychro::moist::Units u);

} // namespace climate
