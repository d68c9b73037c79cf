#include "surface.h"

#include <QImage>

#include <algorithm>
#include <cmath>

namespace chart {

Surface::Surface(int widthPx, int heightPx)
    : m_widthPx(widthPx), m_heightPx(heightPx), m_scaleWidth(widthPx * TwipsPerPixel),
      m_scaleHeight(heightPx * TwipsPerPixel) {
    m_scaleMode = ScaleMode::Twips;
}

void Surface::Scale(double x1, double y1, double x2, double y2) {
    m_scaleMode = ScaleMode::User;
    m_scaleLeft = x1;
    m_scaleTop = y1;
    m_scaleWidth = x2 - x1;
    m_scaleHeight = y2 - y1;
}

void Surface::setScaleMode(ScaleMode mode) {
    m_scaleMode = mode;
    if (mode == ScaleMode::Twips) {
        m_scaleLeft = 0;
        m_scaleTop = 0;
        m_scaleWidth = m_widthPx * TwipsPerPixel;
        m_scaleHeight = m_heightPx * TwipsPerPixel;
    }
}

void Surface::setScaleLeft(double v) {
    m_scaleMode = ScaleMode::User;
    m_scaleLeft = v;
}
void Surface::setScaleTop(double v) {
    m_scaleMode = ScaleMode::User;
    m_scaleTop = v;
}
void Surface::setScaleWidth(double v) {
    m_scaleMode = ScaleMode::User;
    m_scaleWidth = v;
}
void Surface::setScaleHeight(double v) {
    m_scaleMode = ScaleMode::User;
    m_scaleHeight = v;
}

double Surface::toPxX(double x) const {
    return (x - m_scaleLeft) / m_scaleWidth * m_widthPx;
}
double Surface::toPxY(double y) const {
    return (y - m_scaleTop) / m_scaleHeight * m_heightPx;
}

void Surface::Cls() {
    m_currentX = m_scaleLeft;
    m_currentY = m_scaleTop;
    erase();
}

void Surface::BackColor(QRgb c) {
    m_backColor = c;
    Cls();
}

void Surface::FontSize(double points) {
    m_fontSize = points;
    fontChanged();
}

void Surface::ClipTo(double x1, double y1, double x2, double y2) {
    m_clip = true;
    m_clipLeft = std::min(x1, x2);
    m_clipRight = std::max(x1, x2);
    m_clipBottom = std::min(y1, y2);
    m_clipTop = std::max(y1, y2);
}

void Surface::Line(double x1, double y1, double x2, double y2) {
    m_currentX = x2;
    m_currentY = y2;
    if (!m_clip) {
        drawLine(x1, y1, x2, y2);
        return;
    }
    // Liang-Barsky: the part of the segment, t in [t0, t1], inside the rectangle.
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - m_clipLeft, m_clipRight - x1, y1 - m_clipBottom, m_clipTop - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return; // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 <= t1)
        drawLine(x1 + t0 * dx, y1 + t0 * dy, x1 + t1 * dx, y1 + t1 * dy);
}

void Surface::LineBoxFilled(double x1, double y1, double x2, double y2, QRgb c) {
    drawBox(x1, y1, x2, y2, c);
    m_currentX = x2;
    m_currentY = y2;
}

void Surface::FillBox(double x1, double y1, double x2, double y2, QRgb c) {
    drawFill(x1, y1, x2, y2, c);
    m_currentX = x2;
    m_currentY = y2;
}

void Surface::PaintPicture(const QImage& picture) {
    if (!picture.isNull())
        drawPicture(picture);
}

void Surface::Circle(double x, double y, double radius, QRgb outline) {
    if (!m_clip || (x >= m_clipLeft && x <= m_clipRight && y >= m_clipBottom && y <= m_clipTop))
        drawCircle(x, y, radius, outline);
    m_currentX = x;
    m_currentY = y;
}

void Surface::Print(const QString& text) {
    drawText(m_currentX, m_currentY, text);
    m_currentX = m_scaleLeft;
    m_currentY += lineHeightPx() / m_heightPx * m_scaleHeight;
}

void Surface::WipeLine(double x1, double y1, double x2, double y2) {
    // The pen's half width, its square caps and a pixel of anti-aliasing.
    const double pad = m_drawWidth + 1.0;
    const double ax = toPxX(x1), ay = toPxY(y1), bx = toPxX(x2), by = toPxY(y2);
    wipePx(std::min(ax, bx) - pad, std::min(ay, by) - pad, std::max(ax, bx) + pad,
           std::max(ay, by) + pad);
}

void Surface::WipeCircle(double x, double y, double radius) {
    const double r = std::abs(radius / m_scaleWidth * m_widthPx) + m_drawWidth + 1.0;
    const double cx = toPxX(x), cy = toPxY(y);
    wipePx(cx - r, cy - r, cx + r, cy + r);
}

} // namespace chart
