#include "ui/surface_widget.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>

namespace ui {

SurfaceWidget::SurfaceWidget(int innerWidth, int innerHeight, QWidget* parent)
    : QFrame(parent), m_innerWidth(innerWidth), m_innerHeight(innerHeight) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(Border);
    setMouseTracking(true);
    m_screenDpr = qApp ? qApp->devicePixelRatio() : 1.0;
    setFixedSize(sizeAtZoom(1.0));
}

// Made when first drawn on or shown: the window's layout sets the size
// first, so the surface is made once, at that size.
chart::ImageSurface& SurfaceWidget::surface() {
    return *sharedSurface();
}

std::shared_ptr<chart::ImageSurface> SurfaceWidget::sharedSurface() {
    if (!m_surface)
        rebuildSurface();
    return m_surface;
}

QSize SurfaceWidget::sizeAtZoom(qreal zoom) const {
    return QSize(int(std::lround(m_innerWidth * zoom)) + 2 * Border,
                 int(std::lround(m_innerHeight * zoom)) + 2 * Border);
}

void SurfaceWidget::rebuildSurface() {
    m_surface =
        std::make_shared<chart::ImageSurface>(m_innerWidth, m_innerHeight, m_screenDpr * m_zoom);
}

void SurfaceWidget::setZoom(qreal zoom) {
    if (zoom <= 0 ||
        (zoom == m_zoom && (!m_surface || m_surface->devicePixelRatio() == m_screenDpr * zoom)))
        return;
    m_zoom = zoom;
    setFixedSize(sizeAtZoom(zoom));
    m_surface.reset(); // made anew, blank, when next drawn on
    emit surfaceReplaced();
    update();
}

QPointF SurfaceWidget::toUser(const QPointF& widgetPos) const {
    if (!m_surface) // nothing drawn yet: no point of the chart there
        return QPointF();
    const chart::Surface& s = *m_surface;
    const double px = (widgetPos.x() - Border) / m_zoom;
    const double py = (widgetPos.y() - Border) / m_zoom;
    return QPointF(s.ScaleLeft() + px / s.widthPx() * s.ScaleWidth(),
                   s.ScaleTop() + py / s.heightPx() * s.ScaleHeight());
}

void SurfaceWidget::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    // Moved to a screen of another pixel ratio: draw again, sharp there.
    if (devicePixelRatioF() != m_screenDpr) {
        m_screenDpr = devicePixelRatioF();
        QTimer::singleShot(0, this, [this] {
            m_surface.reset();
            emit surfaceReplaced();
            update();
        });
    }
    // Nothing drawn yet, or being drawn: the frame alone until it is.
    if (m_drawnElsewhere || !m_surface)
        return;
    // Pixel for pixel: the surface was made at the ratio the frame shows it
    // at. Stretched to the frame's fractional size it lost a column, blurred
    // and cost a resampled copy on every repaint.
    const QImage& image = m_surface->Image();
    const QRectF inner = contentsRect();
    const QSizeF shown = QSizeF(image.size()).boundedTo(inner.size() * m_screenDpr);
    QPainter p(this);
    p.drawImage(QRectF(inner.topLeft(), shown / m_screenDpr), image, QRectF(QPointF(), shown));
}

void SurfaceWidget::mouseMoveEvent(QMouseEvent* e) {
    emit pointerMoved(toUser(e->position()));
    QFrame::mouseMoveEvent(e);
}

void SurfaceWidget::leaveEvent(QEvent* e) {
    emit pointerLeft();
    QFrame::leaveEvent(e);
}

} // namespace ui
