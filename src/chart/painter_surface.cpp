#include "painter_surface.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace chart {

namespace {

// Anything further than this outside the surface is cut off before it
// reaches the rasteriser, whose fixed-point coordinates would overflow.
constexpr double Margin = 4096.0;

bool finite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b);
}

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

// The font every surface draws its labels in, at a point size measured on
// the 96-dpi reference (fonts on other devices are sized by pixels).
QFont surfaceFont() {
    QFont f;
    // Narrow enough at 8 points for every label to stay inside its margin
    // at the fixed offsets the chart places it by (no label is measured).
    f.setFamily(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace

PainterSurface::PainterSurface(int widthPx, int heightPx)
    : Surface(widthPx, heightPx), m_font(surfaceFont()) {
    fontChanged();
}

void PainterSurface::drawLine(double x1, double y1, double x2, double y2) {
    double px1 = toPxX(x1), py1 = toPxY(y1), px2 = toPxX(x2), py2 = toPxY(y2);
    if (!finite(px1, py1) || !finite(px2, py2))
        return;
    if (!clipSegment(px1, py1, px2, py2, -Margin, -Margin, widthPx() + Margin, heightPx() + Margin))
        return;
    QPainter& p = painter();
    QPen pen(QColor::fromRgb(foreColor()));
    pen.setWidthF(drawWidth());
    // On a raster, a line under one and a half device pixels wide (a chart
    // zoomed a little, as the window opens on a laptop) is drawn one pixel
    // wide: the rasteriser draws those directly, ten times faster than it
    // strokes the outline of a wider one. Vector output keeps its widths.
    if (const qreal px = drawWidth() * p.deviceTransform().m11();
        px > 1.0 && px < 1.5 && p.paintEngine()->type() == QPaintEngine::Raster) {
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
    }
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(px1, py1), QPointF(px2, py2));
}

std::optional<QRectF> PainterSurface::pxBox(double x1, double y1, double x2, double y2) const {
    const double px1 = std::clamp(toPxX(x1), -Margin, widthPx() + Margin);
    const double px2 = std::clamp(toPxX(x2), -Margin, widthPx() + Margin);
    const double py1 = std::clamp(toPxY(y1), -Margin, heightPx() + Margin);
    const double py2 = std::clamp(toPxY(y2), -Margin, heightPx() + Margin);
    if (!finite(px1, py1) || !finite(px2, py2))
        return std::nullopt;
    return QRectF(QPointF(px1, py1), QPointF(px2, py2)).normalized();
}

void PainterSurface::drawBox(double x1, double y1, double x2, double y2, QRgb c) {
    const std::optional<QRectF> box = pxBox(x1, y1, x2, y2);
    if (!box)
        return;
    QPainter& p = painter();
    p.setPen(QPen(QColor::fromRgb(c), 1));
    p.setBrush(QColor::fromRgb(c));
    p.drawRect(*box);
    p.setBrush(Qt::NoBrush);
}

void PainterSurface::drawFill(double x1, double y1, double x2, double y2, QRgb c) {
    const std::optional<QRectF> box = pxBox(x1, y1, x2, y2);
    if (!box)
        return;
    QPainter& p = painter();
    // Without anti-aliasing both edges are rounded to device pixels the
    // same way, so a box ends on the very pixel where its neighbour begins:
    // translucent neighbours neither overlap (a darker line) nor leave a
    // gap (a light one).
    const bool antialiased = p.testRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(*box, QColor::fromRgba(c));
    p.setRenderHint(QPainter::Antialiasing, antialiased);
}

void PainterSurface::drawPicture(const QImage& picture) {
    // At the point, Qt draws an image at its pixel ratio's size: at the
    // surface's own ratio a straight copy, on a vector device the picture
    // embedded at that size.
    painter().drawImage(QPointF(0, 0), picture);
}

void PainterSurface::drawCircle(double x, double y, double radius, QRgb outline) {
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
    p.setBrush(fillStyle() == 0 ? QBrush(QColor::fromRgb(fillColor())) : QBrush(Qt::NoBrush));
    p.drawEllipse(QPointF(cx, cy), r, r);
    p.setBrush(Qt::NoBrush);
}

const QStaticText& PainterSurface::staticText(const QString& text) {
    auto it = m_textCache.find(text);
    if (it == m_textCache.end()) {
        QStaticText st(text);
        st.setTextFormat(Qt::PlainText);
        st.setPerformanceHint(QStaticText::AggressiveCaching);
        st.prepare(QTransform::fromScale(textScale(), textScale()), m_font);
        it = m_textCache.insert(text, st);
    }
    return *it;
}

void PainterSurface::drawText(double x, double y, const QString& text) {
    const double px = toPxX(x), py = toPxY(y);
    if (!finite(px, py) || px > widthPx() + Margin || py > heightPx() + Margin || px < -Margin ||
        py < -Margin)
        return;
    QPainter& p = painter();
    // Prepared layouts are drawn in the painter's font, so it must be ours;
    // compared first because setting it is not free.
    if (p.font() != m_font)
        p.setFont(m_font);
    if (m_cacheText) {
        const QStaticText& st = staticText(text);
        if (!fontTransparent())
            p.fillRect(QRectF(QPointF(px, py), st.size()), QColor::fromRgb(backColor()));
        p.setPen(QColor::fromRgb(foreColor()));
        p.drawStaticText(QPointF(px, py), st);
        return;
    }
    if (!fontTransparent()) {
        const QFontMetricsF fm(m_font, referenceDevice());
        p.fillRect(QRectF(px, py, fm.horizontalAdvance(text), fm.height()),
                   QColor::fromRgb(backColor()));
    }
    p.setPen(QColor::fromRgb(foreColor()));
    p.drawText(QPointF(px, py + m_ascent), text);
}

// Every device a surface draws on runs at 96 dpi (images, SVG and PDF
// writers are set up that way), so point sizes mean the same everywhere;
// metrics are taken on such a device rather than on whatever screen exists.
const QPaintDevice* PainterSurface::referenceDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(DotsPerMeter96);
        image.setDotsPerMeterY(DotsPerMeter96);
        return image;
    }();
    return &device;
}

void PainterSurface::fontChanged() {
    m_font.setPointSizeF(fontSize());
    const QFontMetricsF fm(m_font, referenceDevice());
    m_lineHeight = fm.height();
    m_ascent = fm.ascent();
    m_textCache.clear();
}

DeviceSurface::DeviceSurface(QPainter& painter, int widthPx, int heightPx,
                             std::function<void(QPainter&)> background)
    : PainterSurface(widthPx, heightPx), m_painter(painter), m_background(std::move(background)) {
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
}

void DeviceSurface::erase() {
    m_painter.fillRect(QRectF(0, 0, widthPx(), heightPx()), QColor::fromRgba(backColor()));
    if (m_background)
        m_background(m_painter);
}

} // namespace chart
