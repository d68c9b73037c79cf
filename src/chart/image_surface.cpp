#include "image_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <sys/mman.h>

namespace chart {

namespace {

// Qt scales a painter on an image by the image's pixel ratio only when that
// is above 1; a chart shown smaller than 100 % would be drawn at full size
// and cut off. The scale is made whole here.
void scaleToRatio(QPainter& p, qreal dpr) {
    const qreal applied = p.deviceTransform().m11();
    if (applied != dpr)
        p.scale(dpr / applied, dpr / applied);
}

struct Mapping {
    void* start;
    size_t length;
};

bool opaque(const QImage& image, int rows) {
    // The alpha of every pixel ANDed together: one pass the compiler can
    // vectorise, rather than a test per pixel.
    const int width = image.width();
    QRgb all = 0xff000000;
    for (int y = 0; y < rows; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            all &= line[x];
    }
    return qAlpha(all) == 255;
}

} // namespace

QImage largeImage(int width, int height) {
#ifdef MADV_HUGEPAGE
    constexpr size_t Huge = size_t(2) << 20;
    const size_t bytes = size_t(std::max(width, 0)) * 4 * size_t(std::max(height, 0));
    if (bytes >= Huge / 2 && bytes <= size_t(1) << 30) {
        // Mapped one huge page larger than needed, to start on a boundary.
        const size_t length = (bytes + Huge - 1) / Huge * Huge + Huge;
        void* mapped =
            mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped != MAP_FAILED) {
            auto* aligned = reinterpret_cast<uchar*>(
                (reinterpret_cast<uintptr_t>(mapped) + Huge - 1) / Huge * Huge);
            madvise(aligned, length - Huge, MADV_HUGEPAGE); // a hint: refused, pages stay small
            return QImage(
                aligned, width, height, width * 4, QImage::Format_ARGB32_Premultiplied,
                [](void* info) {
                    auto* m = static_cast<Mapping*>(info);
                    munmap(m->start, m->length);
                    delete m;
                },
                new Mapping{mapped, length});
        }
    }
#endif
    return QImage(width, height, QImage::Format_ARGB32_Premultiplied);
}

ImageSurface::ImageSurface(int widthPx, int heightPx, qreal devicePixelRatio)
    : PainterSurface(widthPx, heightPx), m_dpr(devicePixelRatio > 0 ? devicePixelRatio : 1.0),
      m_image(largeImage(int(std::ceil(widthPx * m_dpr)), int(std::ceil(heightPx * m_dpr)))) {
    m_image.setDevicePixelRatio(m_dpr);
    m_image.setDotsPerMeterX(DotsPerMeter96);
    m_image.setDotsPerMeterY(DotsPerMeter96);
    setCacheText(true);
    // Blank until the first clear, which makes the cleared picture once,
    // with whatever background has been given by then.
    m_image.fill(QColor::fromRgba(backColor()));
}

ImageSurface::~ImageSurface() {
    if (m_painter)
        m_painter->end();
}

// One painter stays open on the image between redraws: the raster engine
// writes straight into the image, so Image() is always current.
QPainter& ImageSurface::painter() {
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_image);
        scaleToRatio(*m_painter, m_dpr);
        m_painter->setRenderHint(QPainter::Antialiasing, true);
        m_painter->setRenderHint(QPainter::TextAntialiasing, true);
    }
    return *m_painter;
}

void ImageSurface::Picture(const QImage& picture) {
    m_picture = picture;
    m_cleared = QImage(); // made at the next clear
}

void ImageSurface::rebuildCleared() {
    m_clearedBack = backColor();
    // An opaque picture as wide as the surface and at least as tall hides
    // the colour entirely: its top rows are the cleared picture as they
    // stand, read in place rather than copied (m_picture keeps them alive).
    if (m_picture.width() == m_image.width() && m_picture.height() >= m_image.height() &&
        m_picture.devicePixelRatio() == m_dpr && m_picture.format() == m_image.format() &&
        opaque(m_picture, m_image.height())) {
        m_cleared = QImage(m_picture.constBits(), m_image.width(), m_image.height(),
                           m_picture.bytesPerLine(), m_image.format());
        return;
    }
    m_cleared = QImage(m_image.size(), QImage::Format_ARGB32_Premultiplied);
    m_cleared.setDevicePixelRatio(m_dpr);
    // A translucent background colour stays so: a layer drawn on its own.
    m_cleared.fill(QColor::fromRgba(backColor()));
    if (!m_picture.isNull()) {
        QPainter p(&m_cleared);
        scaleToRatio(p, m_dpr);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(QRectF(QPointF(0, 0), m_picture.deviceIndependentSize()), m_picture);
    }
}

void ImageSurface::erase() {
    if (m_cleared.isNull() || m_clearedBack != backColor())
        rebuildCleared();
    m_drawnPending = false;
    std::memcpy(m_image.bits(), m_cleared.constBits(), size_t(m_image.sizeInBytes()));
}

void ImageSurface::keepAsDrawn() {
    m_drawnPending = true;
}

void ImageSurface::wipePx(double left, double top, double right, double bottom) {
    if (m_drawnPending) {
        // A deep copy: the open painter writes into m_image's own buffer.
        m_drawn = m_image.copy();
        m_drawnPending = false;
    }
    if (m_drawn.isNull())
        return;
    const int x0 = std::max(0, int(std::floor(left * m_dpr)));
    const int y0 = std::max(0, int(std::floor(top * m_dpr)));
    const int x1 = std::min(m_image.width(), int(std::ceil(right * m_dpr)));
    const int y1 = std::min(m_image.height(), int(std::ceil(bottom * m_dpr)));
    if (x0 >= x1 || y0 >= y1)
        return;
    const size_t bytes = size_t(x1 - x0) * 4; // ARGB32: four bytes a pixel
    for (int y = y0; y < y1; ++y)
        std::memcpy(m_image.scanLine(y) + x0 * 4, m_drawn.constScanLine(y) + x0 * 4, bytes);
}

} // namespace chart
