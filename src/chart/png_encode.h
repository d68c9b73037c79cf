#pragma once

#include <QByteArray>
#include <QImage>

namespace chart {

// An image as PNG bytes, fast rather than small: no search for the best row
// filter (where Qt's writer spends most of a screenshot), light compression.
// Such a file also decodes several times faster. Opaque unless keepAlpha.
// Empty when it cannot be encoded.
QByteArray encodePng(const QImage& image, bool keepAlpha = false);

// The same, opaque, compressed by every core at once: for a picture that is
// wanted now, such as the window's screenshot. Its pixels are those of
// encodePng; its bytes are not.
QByteArray encodePngInBands(const QImage& image);

} // namespace chart
