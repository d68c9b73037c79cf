// A weather year's hours over the reference lines: where the outdoor air
// spent the year, shaded by hours, so the busiest cells read darkest.
#include "plots.h"

#include "climate/density_grid.h"
#include "psychro/air_chart.h"
#include "psychro/chart_geometry.h"

#include <algorithm>
#include <cmath>

namespace chart {

namespace {

// The shades, lightest first: light teal to dark purple, away from the
// markers' red, green, blue and yellow. Each is translucent, the quiet
// cells most, so that the lines under them still read and the busy ones
// still stand out over the lines.
constexpr QRgb Shades[] = {qRgba(140, 210, 200, 120), qRgba(60, 160, 165, 145),
                           qRgba(80, 95, 165, 170), qRgba(75, 25, 110, 195)};
constexpr int ShadeCount = int(std::size(Shades));

// The scale, in user units: rows as far apart as the legend's, its
// swatches as wide as a marker, from this far under the top edge (below
// the legend's four rows and the room the air chart keeps for them).
constexpr double Row = 0.4, SwatchHalfWidth = 0.12, ScaleTop = LegendDepth + 0.1, Inset = 0.25;
// The name's line, a small gap, and a row per shade.
static_assert(ScaleTop + Row + 0.05 + ShadeCount * Row <= DensityScaleDepth);

// The number of 1, 2, 3 or 5 times a power of ten nearest to x (x >= 1)
// on a logarithmic scale: round counts for the scale's labels.
int roundCount(double x) {
    const double decade = std::pow(10.0, std::floor(std::log10(x)));
    int best = 1;
    for (const int m : {1, 2, 3, 5, 10})
        if (std::abs(std::log(m * decade / x)) < std::abs(std::log(best * decade / x)))
            best = m;
    return int(std::lround(best * decade));
}

} // namespace

std::vector<int> densityBins(int busiestCell) {
    if (busiestCell < 1)
        return {};
    // Evenly spread on a logarithmic scale: a year puts thousands of cells
    // at a few hours and a handful at a hundred, and both should be told apart.
    std::vector<int> lower{1};
    for (int k = 1; k < ShadeCount; ++k) {
        const int b = roundCount(std::pow(double(busiestCell), double(k) / ShadeCount));
        if (b > lower.back() && b <= busiestCell)
            lower.push_back(b);
    }
    return lower;
}

void Plot_Density(Surface& g, const climate::DensityGrid& grid, const psychro::ChartState& s) {
    if (grid.columns <= 0 || grid.rows <= 0 ||
        grid.counts.size() != size_t(grid.columns) * size_t(grid.rows))
        return;
    const psychro::clsGraph& f = s.objMyGraph;
    const bool air = s.method == psychro::Method::Ashrae;
    auto x = [&](double t) {
        return air ? psychro::xOfDryBulb(f, s.air, t) : psychro::xOfTemperature(f, t);
    };
    auto y = [&](double W) {
        return air ? psychro::yOfRatio(f, s.air, W) : psychro::yOfRatio(f, W);
    };
    const int busiest = *std::max_element(grid.counts.begin(), grid.counts.end());
    const std::vector<int> bins = densityBins(busiest);
    if (bins.empty())
        return;
    // The lightest shades go unused when there are fewer bins: the busiest
    // cells are always the darkest.
    const int firstShade = ShadeCount - int(bins.size());
    auto shade = [&](int count) {
        const auto bin = std::upper_bound(bins.begin(), bins.end(), count) - bins.begin() - 1;
        return Shades[firstShade + bin];
    };
    const double left = f.sngMinXValue, right = f.sngMaxXValue;
    const double bottom = f.sngMinYValue, top = f.sngMaxYValue;
    // A cell's edges by their index, so that neighbours compute the edge
    // they share from the same value and their boxes meet exactly.
    auto columnX = [&](int column) { return x(grid.minDryBulb + column * grid.dryBulbStep); };
    for (int row = 0; row < grid.rows; ++row) {
        const double y1 = std::max(bottom, y(row * grid.ratioStep));
        const double y2 = std::min(top, y((row + 1) * grid.ratioStep));
        if (!(y1 < y2))
            continue;
        for (int column = 0; column < grid.columns; ++column) {
            const int n = grid.count(column, row);
            if (n <= 0)
                continue;
            const double x1 = std::max(left, columnX(column));
            const double x2 = std::min(right, columnX(column + 1));
            if (x1 < x2)
                g.FillBox(x1, y1, x2, y2, shade(n));
        }
    }

    // The scale: its name, then a swatch per shade, lightest on top, with
    // the hours it stands for.
    g.FontTransparent(true);
    g.ForeColor(colour::Black);
    g.setCurrentX(left + Inset - SwatchHalfWidth);
    g.setCurrentY(top - ScaleTop);
    g.Print(QStringLiteral("Hours"));
    double rowTop = top - ScaleTop - Row - 0.05;
    for (size_t k = 0; k < bins.size(); ++k, rowTop -= Row) {
        const int from = bins[k], to = k + 1 < bins.size() ? bins[k + 1] - 1 : busiest;
        g.FillBox(left + Inset - SwatchHalfWidth, rowTop, left + Inset + SwatchHalfWidth,
                  rowTop - Row, Shades[firstShade + int(k)]);
        g.setCurrentX(left + DensityLabelX);
        g.setCurrentY(rowTop - 0.03);
        g.Print(from == to ? QString::number(from) : QStringLiteral("%1–%2").arg(from).arg(to));
    }
}

} // namespace chart
