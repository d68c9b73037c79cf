#include "image_surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

} // namespace

ImageSurface::ImageSurface(int widthPx, int heightPx, qreal devicePixelRatio)
    : PainterSurface(widthPx, heightPx), m_dpr(devicePixelRatio > 0 ? devicePixelRatio : 1.0),
      m_image(int(std::ceil(widthPx * m_dpr)), int(std::ceil(heightPx * m_dpr)),
              QImage::Format_ARGB32_Premultiplied) {
    m_image.setDevicePixelRatio(m_dpr);
    m_image.setDotsPerMeterX(DotsPerMeter96);
    m_image.setDotsPerMeterY(DotsPerMeter96);
    setCacheText(true);
    rebuildCleared();
    erase();
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
    rebuildCleared();
}

void ImageSurface::rebuildCleared() {
    m_cleared = QImage(m_image.size(), QImage::Format_ARGB32_Premultiplied);
    m_cleared.setDevicePixelRatio(m_dpr);
    m_clearedBack = backColor();
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
    if (m_clearedBack != backColor())
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
