#pragma once

#include <QByteArray>
#include <QImage>

namespace chart {

// A picture the build renders for the program: its premultiplied pixels as
// they lie in memory, behind a header of four native 32-bit words (a mark,
// width, height, bytes per line). The resource compiler keeps it compressed
// in the executable; taking it back is a decompression, with no decoding
// and no conversion. Also built into the artwork renderer.
QByteArray encodeRenderedPicture(const QImage& image);

// The picture, sharing the bytes; null when they are not such a picture or
// were written with another byte order.
QImage decodeRenderedPicture(const QByteArray& bytes);

} // namespace chart
