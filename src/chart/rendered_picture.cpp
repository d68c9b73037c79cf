#include "rendered_picture.h"

#include <array>
#include <cstring>

namespace chart {

namespace {

constexpr quint32 Mark = 0x51565058; // "QVPX", read back in another order when swapped
constexpr qsizetype HeaderSize = 4 * sizeof(quint32);

} // namespace

QByteArray encodeRenderedPicture(const QImage& image) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const std::array<quint32, 4> header{Mark, quint32(pixels.width()), quint32(pixels.height()),
                                        quint32(pixels.bytesPerLine())};
    QByteArray bytes(reinterpret_cast<const char*>(header.data()), HeaderSize);
    bytes.append(reinterpret_cast<const char*>(pixels.constBits()), pixels.sizeInBytes());
    return bytes;
}

QImage decodeRenderedPicture(const QByteArray& bytes) {
    std::array<quint32, 4> header{};
    if (bytes.size() < HeaderSize)
        return QImage();
    std::memcpy(header.data(), bytes.constData(), HeaderSize);
    const auto [mark, width, height, bytesPerLine] = header;
    if (mark != Mark || width == 0 || height == 0 || width > 0x8000 || height > 0x8000 ||
        bytesPerLine != width * 4 || qsizetype(bytesPerLine) * height != bytes.size() - HeaderSize)
        return QImage();
    // The image reads the bytes in place and keeps them alive; pixels not on
    // a word boundary are copied to one.
    auto* kept = new QByteArray(bytes);
    const QImage image(
        reinterpret_cast<const uchar*>(kept->constData()) + HeaderSize, int(width), int(height),
        qsizetype(bytesPerLine), QImage::Format_ARGB32_Premultiplied,
        [](void* b) { delete static_cast<QByteArray*>(b); }, kept);
    return quintptr(image.constBits()) % alignof(quint32) == 0 ? image : image.copy();
}

} // namespace chart
