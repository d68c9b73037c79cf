#pragma once

#include "psychro/chart_state.h"

#include <QImage>

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

} // namespace chart
