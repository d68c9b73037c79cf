#pragma once

#include "surface.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QStaticText>

#include <functional>
#include <optional>

namespace chart {

// The chart operations drawn with a QPainter, in device-independent pixels
// of the surface's drawable area. Subclasses provide the painter: a
// persistent image for the screen, or any paint device (SVG, PDF) for a
// vector copy of the chart.
class PainterSurface : public Surface {
public:
    PainterSurface(int widthPx, int heightPx);

    // Pixels per metre at 96 dpi, the screen resolution at which 15 twips
    // make one pixel; every device a surface draws on is set to it.
    static constexpr int DotsPerMeter96 = 3780;
    static const QPaintDevice* referenceDevice();

protected:
    virtual QPainter& painter() = 0;
    // Prepared text layouts are kept per text; only worth it for a device
    // that is drawn on again and again.
    void setCacheText(bool on) { m_cacheText = on; }

    void drawLine(double x1, double y1, double x2, double y2) override;
    void drawBox(double x1, double y1, double x2, double y2, QRgb c) override;
    void drawFill(double x1, double y1, double x2, double y2, QRgb c) override;
    // A box's device pixels, held near the surface; none for a point that
    // is not finite.
    std::optional<QRectF> pxBox(double x1, double y1, double x2, double y2) const;
    void drawPicture(const QImage& picture) override;
    void drawCircle(double x, double y, double radius, QRgb outline) override;
    void drawText(double x, double y, const QString& text) override;
    void fontChanged() override;
    double lineHeightPx() const override { return m_lineHeight; }

    const QFont& font() const { return m_font; }
    // Device pixels per device-independent pixel, for prepared text.
    virtual qreal textScale() const { return 1.0; }

private:
    const QStaticText& staticText(const QString& text);

    QFont m_font;
    double m_lineHeight = 0;
    double m_ascent = 0;
    bool m_cacheText = false;
    QHash<QString, QStaticText> m_textCache;
};

// A surface on a paint device the caller owns and has begun a painter on,
// with its coordinates in device-independent pixels at 96 dpi. Erasing
// paints the background colour and then the background (which may be
// vector artwork).
class DeviceSurface : public PainterSurface {
public:
    DeviceSurface(QPainter& painter, int widthPx, int heightPx,
                  std::function<void(QPainter&)> background);

protected:
    QPainter& painter() override { return m_painter; }
    void erase() override;

private:
    QPainter& m_painter;
    std::function<void(QPainter&)> m_background;
};

} // namespace chart
