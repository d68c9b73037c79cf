#pragma once

#include "painter_surface.h"

#include <QImage>
#include <QPainter>

#include <memory>

namespace chart {

// A blank ARGB32 premultiplied image whose pixels lie in huge pages where
// the kernel offers them: a chart-sized image is otherwise some four
// hundred page faults, which in a virtual machine cost more than drawing
// the chart on it.
QImage largeImage(int width, int height);

// A surface that keeps everything drawn in a persistent image: the same
// image is shown on screen, saved headless and exported. Rendered at a
// device pixel ratio so the chart stays crisp on high-density displays
// (and at any zoom: a larger ratio draws the same chart bigger).
class ImageSurface : public PainterSurface {
public:
    ImageSurface(int widthPx, int heightPx, qreal devicePixelRatio = 1.0);
    ~ImageSurface() override;

    // Background picture, drawn at the top-left corner at its natural size
    // (in device-independent pixels) under everything drawn.
    void Picture(const QImage& picture);
    const QImage& picture() const { return m_picture; }

    // The persistent picture of everything drawn so far, background included.
    const QImage& Image() const { return m_image; }
    qreal devicePixelRatio() const { return m_dpr; }

protected:
    QPainter& painter() override;
    void erase() override;
    qreal textScale() const override { return m_dpr; }
    void keepAsDrawn() override;
    void wipePx(double left, double top, double right, double bottom) override;

private:
    void rebuildCleared();

    qreal m_dpr;
    QImage m_image;
    QImage m_picture;
    QImage m_cleared; // background colour with the picture on it, copied by erase()
    QRgb m_clearedBack = 0;
    // The picture as drawn, copied from m_image only when the first wipe
    // needs it: nothing but the animation draws between a redraw and that.
    QImage m_drawn;
    bool m_drawnPending = false;
    std::unique_ptr<QPainter> m_painter;
};

} // namespace chart
