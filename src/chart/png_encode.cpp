#include "png_encode.h"

#include <png.h>

namespace chart {

QByteArray encodePng(const QImage& image, bool keepAlpha) {
    const QImage pixels =
        image.convertToFormat(keepAlpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(pixels.width());
    png.height = png_uint_32(pixels.height());
    png.format = keepAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    png.flags = PNG_IMAGE_FLAG_FAST;
    // Room for the worst case, so that it is written in one pass.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png);
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (pixels.isNull() ||
        !png_image_write_to_memory(&png, out.data(), &size, 0, pixels.constBits(),
                                   png_int_32(pixels.bytesPerLine()), nullptr))
        return QByteArray();
    out.truncate(qsizetype(size));
    return out;
}

} // namespace chart
