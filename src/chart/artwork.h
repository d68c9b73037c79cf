#pragma once

#include <QImage>

namespace chart {

// Renders one of the compiled-in SVG pictures at its natural size in
// device-independent pixels, sharp at the given device pixel ratio.
QImage renderArtwork(const char* resourcePath, qreal devicePixelRatio);

} // namespace chart
