#pragma once

#include "chart/image_surface.h"

#include <QFrame>

#include <memory>

namespace ui {

// A picture box: a sunken frame around a chart surface whose persistent
// image it paints 1:1 in device pixels. The surface keeps its 0 to 14 user
// scale at every zoom: a zoomed surface is the same drawing rendered at a
// larger pixel ratio, text and pen widths included.
class SurfaceWidget : public QFrame {
    Q_OBJECT
public:
    static constexpr int Border = 2; // pixels of the sunken frame on each side

    // innerWidth, innerHeight: the drawable area at zoom 1, in
    // device-independent pixels.
    SurfaceWidget(int innerWidth, int innerHeight, QWidget* parent = nullptr);

    chart::ImageSurface& surface();
    // The surface, shared with whoever draws on it off this thread: should
    // the widget replace it meanwhile (a new zoom), the drawing goes to the
    // old one, which lives until it is done.
    std::shared_ptr<chart::ImageSurface> sharedSurface();
    // While its surface is drawn on another thread the widget paints its
    // frame alone, and reads nothing of the surface.
    void setDrawnElsewhere(bool on) { m_drawnElsewhere = on; }
    qreal zoom() const { return m_zoom; }
    // Resizes the widget; the surface is replaced by a blank one at the new
    // size, and surfaceReplaced() asks the owner to draw it again.
    void setZoom(qreal zoom);
    // Size of the whole widget at a zoom.
    QSize sizeAtZoom(qreal zoom) const;
    // User coordinates of a point of the widget.
    QPointF toUser(const QPointF& widgetPos) const;

signals:
    void surfaceReplaced();
    void pointerMoved(QPointF user);
    void pointerLeft();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void rebuildSurface();

    int m_innerWidth;
    int m_innerHeight;
    qreal m_zoom = 1.0;
    qreal m_screenDpr = 1.0;
    bool m_drawnElsewhere = false;
    std::shared_ptr<chart::ImageSurface> m_surface;
};

} // namespace ui
