#pragma once

#include "surface.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QStaticText>

#include <memory>

namespace chart {

// A surface that keeps everything drawn in a persistent image: the same
// image is shown on screen, saved headless and printed. Rendered at a
// device pixel ratio so the chart stays crisp on high-density displays.
class ImageSurface : public Surface {
public:
    ImageSurface(int widthPx, int heightPx, qreal devicePixelRatio = 1.0);
    ~ImageSurface() override;

    // Background picture, drawn at the top-left corner at its natural size
    // (in device-independent pixels) under everything drawn.
    void Picture(const QImage& picture);
    const QImage& picture() const { return m_picture; }

    // The persistent picture of everything drawn so far, background included.
    const QImage& Image();
    qreal devicePixelRatio() const { return m_dpr; }

    // Point size of the surface font on a 96-dpi reference, the screen
    // resolution at which 15 twips make one pixel.
    static constexpr double ReferenceDpi = 96.0;

protected:
    void erase() override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void drawBox(double x1, double y1, double x2, double y2, QRgb c) override;
    void drawCircle(double x, double y, double radius, QRgb outline) override;
    void drawText(double x, double y, const QString& text) override;
    void fontChanged() override;
    double lineHeightPx() const override;

private:
    QPainter& painter();
    void rebuildCleared();
    const QStaticText& staticText(const QString& text);

    qreal m_dpr;
    QImage m_image;
    QImage m_picture;
    QImage m_cleared; // background colour with the picture on it, copied by erase()
    QRgb m_clearedBack = 0;
    std::unique_ptr<QPainter> m_painter;
    QFont m_font;
    double m_lineHeight = 0;
    double m_ascent = 0;
    QHash<QString, QStaticText> m_textCache;
};

} // namespace chart
