#pragma once

#include "surface.h"

#include "psychro/chart_state.h"

#include <QString>

#include <span>

// The drawing steps of the redraw, each one layer of a chart. The routines
// that lay down reference lines also fill the tables the sheet reads.
namespace chart {

// Psychrometric chart (picGraph), in pipeline order.
void Plot_WetBulb(Surface& g, psychro::ChartState& s);
void WetBulbData(Surface& g, psychro::ChartState& s, int i, double WB1, double WBx, double WBy,
                 const QString& WBLabel);
void WetBulbData2(Surface& g, psychro::ChartState& s, int i, double WB1, double WBx, double WBy,
                  const QString& WBLabel);
void Plot_Y_Axis(Surface& g, const psychro::clsGraph& graph);
void Plot_Saturation(Surface& g, psychro::ChartState& s);
// Draws the nine relative-humidity curves and places OUTDOOR, SUPPLY and
// RETURN; supplyT and returnT are the typed temperatures read as numbers.
void Plot_RH(Surface& g, psychro::ChartState& s, double supplyT, double returnT);
void Plot_SPVol(Surface& g, psychro::ChartState& s);
void SpVolData(Surface& g, psychro::ChartState& s, int i, float x1, float y1, float x2, float y2,
               const QString& SpVolLabel);
// Process lines, the mixed point and the four markers; writes the mixed
// dry bulb into txtMixedTemp.
void PlotPoints(Surface& g, psychro::ChartState& s, QString& txtMixedTemp);

// Every layer of the psychrometric chart in drawing order, from the
// dry-bulb grid to the state markers: fills the line tables, places the
// states and the mixed point, and writes the mixed dry bulb.
void drawPsychrometricChart(Surface& g, psychro::ChartState& s, double supplyT, double returnT,
                            QString& txtMixedTemp);

// Marker colours of the four states.
namespace marker {
constexpr QRgb Return = qRgb(0, 255, 0);
constexpr QRgb Supply = qRgb(0, 0, 255);
constexpr QRgb Outdoor = qRgb(220, 20, 60);
constexpr QRgb Mixed = qRgb(255, 255, 0);
constexpr QRgb Gold = qRgb(255, 225, 0);
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
