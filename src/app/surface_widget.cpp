#include "surface_widget.h"

#include <QGuiApplication>
#include <QPainter>

namespace app {

SurfaceWidget::SurfaceWidget(int innerWidth, int innerHeight, QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(Border);
    setFixedSize(innerWidth + 2 * Border, innerHeight + 2 * Border);
    m_surface = std::make_unique<chart::ImageSurface>(innerWidth, innerHeight,
                                                      qApp ? qApp->devicePixelRatio() : 1.0);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void SurfaceWidget::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    QPainter p(this);
    p.drawImage(QPointF(Border, Border), m_surface->Image());
}

} // namespace app
