#pragma once

#include "surface.h"

#include "psychro/chart_state.h"

#include <QString>

#include <span>
#include <vector>

namespace climate {
struct DensityGrid;
}

// The drawing steps of the redraw, each one layer of a chart. The routines
// that lay down reference lines also fill the tables the sheet reads.
namespace chart {

// The scale and font every chart surface is drawn with: the 0..14 user
// field of the graph settings, y upward, and 8-point labels.
void SetScale(Surface& surface, const psychro::clsGraph& g);
// How wide one character of those labels is, in x units: a label is
// centred by half its length times this.
inline constexpr double CharWidth = 5.0 / 72.0;

// Psychrometric chart (picGraph), in pipeline order. Every layer is drawn
// from the state a recompute left (tables, positions, mixed point) and
// changes none of it.
void Plot_WetBulb(Surface& g, const psychro::ChartState& s);
void WetBulbData(Surface& g, const psychro::ChartState& s, int i, const QString& WBLabel);
void Plot_Y_Axis(Surface& g, const psychro::clsGraph& graph);
void Plot_Saturation(Surface& g, const psychro::clsGraph& graph);
// The nine relative-humidity curves with their labels.
void Plot_RH(Surface& g, const psychro::clsGraph& graph);
void Plot_SPVol(Surface& g, const psychro::ChartState& s);
void SpVolData(Surface& g, const psychro::ChartState& s, int i, const QString& SpVolLabel);
// Process lines and the four markers.
void PlotPoints(Surface& g, const psychro::ChartState& s);
// When switched on: the coil line's extension from the supply point to the
// ADP as a thin dashed line, and a small marker at the ADP (placed by the
// air chart's mapping with the ASHRAE method).
void PlotCoilLine(Surface& g, const psychro::ChartState& s);
// Length of one dash of the coil line, in x units.
inline constexpr double CoilDash = 0.08;
// The four states' markers and names, top left inside the frame.
void PlotLegend(Surface& g, const psychro::clsGraph& graph);
// How far under the plot area's top edge the legend reaches, and a
// weather year's scale of hours under it, in y units; how far right of
// the left edge the scale's counts begin, in x units. The air chart places
// none of its labels on either.
inline constexpr double LegendDepth = 1.75, DensityScaleDepth = 3.95, DensityLabelX = 0.45;

// A weather year's hours on either chart: each cell of the grid that has
// hours a box where the chart's own mapping puts its dry bulbs and humidity
// ratios, cut to the plot area and shaded by its count on a ramp from light
// teal to dark purple (translucent, so the lines under it read through),
// and a scale of the shades under the legend. The chart of the tables reads
// the grid in F and lb/lb; the air chart in its own units.
void Plot_Density(Surface& g, const climate::DensityGrid& grid, const psychro::ChartState& s);
// The counts where each shade of the scale begins: 1, then up to three
// more spread evenly on a logarithmic scale up to the busiest cell's count,
// each rounded to 1, 2, 3 or 5 times a power of ten; none for a grid
// without hours.
std::vector<int> densityBins(int busiestCell);

// Every layer of the psychrometric chart in drawing order, from the
// dry-bulb grid to the state markers and the legend, every line and marker
// clipped to the plot area's frame; the air chart with the ASHRAE method.
// A density picture (renderDensity) goes over the reference lines, under
// the process.
void drawPsychrometricChart(Surface& g, const psychro::ChartState& s,
                            const QImage* density = nullptr);

// The chart the ASHRAE equations draw (air_chart.h's range and mapping):
// every reference line computed at the chart's pressure in its unit system,
// on white, each line clipped to the plot area, whose clip stays set.
void Plot_AirReference(Surface& g, const psychro::clsGraph& graph, const psychro::AirChart& c);
// The reference, then the overlays.
void drawAirChart(Surface& g, const psychro::ChartState& s, const QImage* density = nullptr);
// Only what depends on the states (process, coil line, legend), clipped to
// the plot area, for a surface whose background picture holds the
// reference; a density picture first, under them.
void drawAirOverlays(Surface& g, const psychro::ChartState& s, const QImage* density = nullptr);

// Near-black of the saturation curve: the number 12 taken as a colour value.
inline constexpr QRgb SaturationColour = qRgb(12, 0, 0);

// Working point of a curve drawn as chords: the previous point, 0 before
// the first.
struct CurveWork {
    float Y = 0;
    double gx1 = 0;
    double gy1 = 0;
};

// Marker colours of the four states.
namespace marker {
constexpr QRgb Return = qRgb(0, 255, 0);
constexpr QRgb Supply = qRgb(0, 0, 255);
constexpr QRgb Outdoor = qRgb(220, 20, 60);
constexpr QRgb Mixed = qRgb(255, 255, 0);
constexpr QRgb Gold = qRgb(255, 225, 0);
constexpr QRgb Adp = qRgb(255, 140, 0);
} // namespace marker

// A white ring with a coloured rim around a coloured dot; MarkerRadius is
// the ring's, in x units.
inline constexpr double MarkerRadius = 0.12;
void RingMarker(Surface& g, double x, double y, QRgb c);

// Outside-air history chart (picChart), live mode only.
void Plot_Time_Axis(Surface& c, const psychro::clsGraph& graph);
// obsTime/obsTemperature/obsDewPoint: the day's history, read from slot 1
// up to the first empty time stamp; gGMTOffset in whole hours.
void Plot_History(Surface& c, const psychro::clsGraph& graph, std::span<const QString> obsTime,
                  std::span<const float> obsTemperature, std::span<const float> obsDewPoint,
                  int gGMTOffset);

} // namespace chart
