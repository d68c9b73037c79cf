#include "image_surface.h"

#include <QFontMetricsF>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace chart {

namespace {

// Pixels per metre of a 96-dpi image, so that point sizes come out at the
// screen size the chart was laid out for.
constexpr int DotsPerMeter96 = 3780;

// Anything further than this outside the surface is cut off before it
// reaches the rasteriser, whose fixed-point coordinates would overflow.
constexpr double Margin = 4096.0;

bool finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// Cuts the segment to lo <= a <= hi along one axis, moving the other
// coordinate along the segment; false when nothing is left. Interpolating
// from the kept end keeps far-away ends (1e30 pixels) from swamping it.
bool clipAxis(double& a1, double& b1, double& a2, double& b2, double lo, double hi) {
    if ((a1 < lo && a2 < lo) || (a1 > hi && a2 > hi))
        return false;
    auto cut = [](double& aOut, double& bOut, double aIn, double bIn, double edge) {
        bOut = bIn + (edge - aIn) * ((bOut - bIn) / (aOut - aIn));
        aOut = edge;
    };
    if (a1 < lo)
        cut(a1, b1, a2, b2, lo);
    else if (a1 > hi)
        cut(a1, b1, a2, b2, hi);
    if (a2 < lo)
        cut(a2, b2, a1, b1, lo);
    else if (a2 > hi)
        cut(a2, b2, a1, b1, hi);
    return std::isfinite(b1) && std::isfinite(b2);
}

bool clipSegment(double& x1, double& y1, double& x2, double& y2, double xlo, double ylo, double xhi,
                 double yhi) {
    return clipAxis(x1, y1, x2, y2, xlo, xhi) && clipAxis(y1, x1, y2, x2, ylo, yhi);
}

} // namespace

ImageSurface::ImageSurface(int widthPx, int heightPx, qreal devicePixelRatio)
    : Surface(widthPx, heightPx), m_dpr(devicePixelRatio > 0 ? devicePixelRatio : 1.0),
      m_image(int(std::ceil(widthPx * m_dpr)), int(std::ceil(heightPx * m_dpr)),
              QImage::Format_ARGB32_Premultiplied) {
    m_image.setDevicePixelRatio(m_dpr);
    m_image.setDotsPerMeterX(DotsPerMeter96);
    m_image.setDotsPerMeterY(DotsPerMeter96);
    // Narrow enough at 8 points for every label to stay inside its margin at
    // the fixed offsets the chart places it by (no label is measured).
    m_font.setFamily(QStringLiteral("Liberation Sans"));
    m_font.setStyleHint(QFont::SansSerif);
    fontChanged();
    rebuildCleared();
    m_image = m_cleared.copy();
    m_image.setDevicePixelRatio(m_dpr);
}

ImageSurface::~ImageSurface() {
    if (m_painter)
        m_painter->end();
}

QPainter& ImageSurface::painter() {
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_image);
        m_painter->setRenderHint(QPainter::Antialiasing, true);
        m_painter->setRenderHint(QPainter::TextAntialiasing, true);
        m_painter->setFont(m_font);
    }
    return *m_painter;
}

void ImageSurface::Picture(const QImage& picture) {
    m_picture = picture;
    rebuildCleared();
}

const QImage& ImageSurface::Image() {
    // The raster engine writes straight into the image, so it is current
    // even while the painter stays open between redraws.
    return m_image;
}

void ImageSurface::rebuildCleared() {
    m_cleared = QImage(m_image.size(), QImage::Format_ARGB32_Premultiplied);
    m_cleared.setDevicePixelRatio(m_dpr);
    m_cleared.setDotsPerMeterX(DotsPerMeter96);
    m_cleared.setDotsPerMeterY(DotsPerMeter96);
    m_clearedBack = backColor();
    m_cleared.fill(QColor::fromRgb(backColor()));
    if (!m_picture.isNull()) {
        QPainter p(&m_cleared);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        const QSizeF natural = m_picture.deviceIndependentSize();
        p.drawImage(QRectF(QPointF(0, 0), natural), m_picture);
    }
}

void ImageSurface::erase() {
    if (m_clearedBack != backColor())
        rebuildCleared();
    std::memcpy(m_image.bits(), m_cleared.constBits(), size_t(m_image.sizeInBytes()));
}

void ImageSurface::drawLine(double x1, double y1, double x2, double y2) {
    double px1 = toPxX(x1), py1 = toPxY(y1), px2 = toPxX(x2), py2 = toPxY(y2);
    if (!finite(px1, py1) || !finite(px2, py2))
        return;
    if (!clipSegment(px1, py1, px2, py2, -Margin, -Margin, widthPx() + Margin, heightPx() + Margin))
        return;
    QPainter& p = painter();
    QPen pen(QColor::fromRgb(foreColor()));
    pen.setWidthF(drawWidth());
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(px1, py1), QPointF(px2, py2));
}

void ImageSurface::drawBox(double x1, double y1, double x2, double y2, QRgb c) {
    const double px1 = std::clamp(toPxX(x1), -Margin, widthPx() + Margin);
    const double px2 = std::clamp(toPxX(x2), -Margin, widthPx() + Margin);
    const double py1 = std::clamp(toPxY(y1), -Margin, heightPx() + Margin);
    const double py2 = std::clamp(toPxY(y2), -Margin, heightPx() + Margin);
    if (!finite(px1, py1) || !finite(px2, py2))
        return;
    QPainter& p = painter();
    const QRectF r = QRectF(QPointF(px1, py1), QPointF(px2, py2)).normalized();
    p.setPen(QPen(QColor::fromRgb(c), 1));
    p.setBrush(QColor::fromRgb(c));
    p.drawRect(r);
    p.setBrush(Qt::NoBrush);
}

void ImageSurface::drawCircle(double x, double y, double radius, QRgb outline) {
    const double cx = toPxX(x), cy = toPxY(y);
    const double r = std::fabs(radius / ScaleWidth() * widthPx());
    if (!finite(cx, cy) || !std::isfinite(r))
        return;
    if (cx + r < -Margin || cy + r < -Margin || cx - r > widthPx() + Margin ||
        cy - r > heightPx() + Margin)
        return;
    QPainter& p = painter();
    QPen pen(QColor::fromRgb(outline));
    pen.setWidthF(drawWidth());
    p.setPen(pen);
    if (fillStyle() == 0)
        p.setBrush(QColor::fromRgb(fillColor()));
    else
        p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(cx, cy), r, r);
    p.setBrush(Qt::NoBrush);
}

const QStaticText& ImageSurface::staticText(const QString& text) {
    auto it = m_textCache.find(text);
    if (it == m_textCache.end()) {
        QStaticText st(text);
        st.setTextFormat(Qt::PlainText);
        st.setPerformanceHint(QStaticText::AggressiveCaching);
        st.prepare(QTransform::fromScale(m_dpr, m_dpr), m_font);
        it = m_textCache.insert(text, st);
    }
    return *it;
}

void ImageSurface::drawText(double x, double y, const QString& text) {
    const double px = toPxX(x), py = toPxY(y);
    if (!finite(px, py) || px > widthPx() + Margin || py > heightPx() + Margin || px < -Margin ||
        py < -Margin)
        return;
    QPainter& p = painter();
    const QStaticText& st = staticText(text);
    if (!fontTransparent())
        p.fillRect(QRectF(QPointF(px, py), st.size()), QColor::fromRgb(backColor()));
    p.setPen(QColor::fromRgb(foreColor()));
    p.drawStaticText(QPointF(px, py), st);
}

void ImageSurface::fontChanged() {
    m_font.setPointSizeF(fontSize());
    const QFontMetricsF fm(m_font, &m_image);
    m_lineHeight = fm.height();
    m_ascent = fm.ascent();
    m_textCache.clear();
    if (m_painter)
        m_painter->setFont(m_font);
}

double ImageSurface::lineHeightPx() const { return m_lineHeight; }

} // namespace chart
