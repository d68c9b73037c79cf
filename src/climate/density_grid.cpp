#include "climate/density_grid.h"

#include "climate/year_run.h"

#include <cmath>

namespace climate {

DensityGrid densityGrid(const WeatherYear& year, psychro::moist::Units u) {
    const bool ip = u == psychro::moist::Units::IP;
    const double maxDryBulb = ip ? 120 : 50;
    constexpr double MaxRatio = 0.035;
    DensityGrid g;
    g.dryBulbStep = ip ? 1 : 0.5;
    // Columns centred on whole degrees (halves in C): weather files keep
    // whole-F readings as tenths of a C, which land a hair either side of a
    // whole F (70 F as 21.1 C is 69.98 F); on edges at whole degrees, every
    // other column of the chart would stand empty.
    g.minDryBulb = -40 - g.dryBulbStep / 2;
    g.ratioStep = ip ? 0.0005 : 0.00025;
    g.columns = int(std::lround((maxDryBulb - g.minDryBulb) / g.dryBulbStep));
    g.rows = int(std::lround(MaxRatio / g.ratioStep));
    g.counts.assign(size_t(g.columns * g.rows), 0);
    for (const WeatherHour& h : year.hours) {
        const OutdoorAir o = outdoorAir(h, u);
        const double column = std::floor((o.dryBulb - g.minDryBulb) / g.dryBulbStep);
        const double row = std::floor(o.ratio / g.ratioStep);
        if (column >= 0 && column < g.columns && row >= 0 && row < g.rows)
            ++g.counts[size_t(row) * size_t(g.columns) + size_t(column)];
        else
            ++g.outside; // NaN included
    }
    return g;
}

} // namespace climate
