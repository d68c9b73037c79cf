#pragma once

#include "psychro/chart_state.h"

#include <QImage>

namespace climate {
struct DensityGrid;
}

namespace chart {

// Renders one of the compiled-in SVG pictures at its natural size in
// device-independent pixels, sharp at the given device pixel ratio.
QImage renderArtwork(const char* resourcePath, qreal devicePixelRatio);

// The air chart's reference layers (Plot_AirReference) as the background
// picture of a widthPx x heightPx surface at a device pixel ratio, so a
// redraw draws only the states over it (drawAirOverlays). The last few
// charts drawn are kept.
QImage renderAirReference(const psychro::AirChart& c, const psychro::clsGraph& graph, int widthPx,
                          int heightPx, qreal dpr);

// A weather year's hours (Plot_Density) as a transparent picture for a
// widthPx x heightPx surface at a device pixel ratio, drawn once and laid
// between the reference lines and the process on every redraw
// (drawPsychrometricChart's or drawAirOverlays' density). renderDensity
// keeps the last few, keyed by the grid's counts, the method, the air
// chart's range and units, the plot area and scale, the size and the
// ratio; densityPicture draws afresh (for a print, whose pictures are far
// larger than the screen's and wanted once).
QImage renderDensity(const climate::DensityGrid& grid, const psychro::ChartState& s, int widthPx,
                     int heightPx, qreal dpr);
QImage densityPicture(const climate::DensityGrid& grid, const psychro::ChartState& s, int widthPx,
                      int heightPx, qreal dpr);

} // namespace chart
