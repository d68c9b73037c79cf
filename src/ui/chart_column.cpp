#include "ui/chart_column.h"

#include "ui/method_box.h"
#include "ui/surface_widget.h"

#include <QEvent>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {
// Pixels between the two charts at zoom 1.
constexpr int ChartGap = 8;
// Below this the charts would be no use; the column is never made smaller.
constexpr double LeastZoom = 0.35;
} // namespace

ChartColumn::ChartColumn(MethodBox* bar, SurfaceWidget* graph, SurfaceWidget* history,
                         QWidget* panel, QWidget* parent)
    : QWidget(parent), m_bar(bar), m_graph(graph), m_history(history), m_panel(panel) {
    setObjectName(QStringLiteral("chartColumn"));
    bar->setParent(this);
    panel->setParent(this);
    panel->installEventFilter(this);
    graph->setParent(this);
    history->setParent(this);
    history->installEventFilter(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

int ChartColumn::barSpace(int width) const {
    return m_bar->heightFor(width) + ChartGap;
}

int ChartColumn::panelSpace() const {
    return m_panel->isVisibleTo(this) ? ChartGap + m_panel->sizeHint().height() : 0;
}

QSize ChartColumn::sizeAtZoom(double zoom) const {
    const QSize charts = chartsAtZoom(zoom);
    const int width = std::max(charts.width(), m_bar->minimumSizeHint().width());
    return QSize(width, charts.height() + barSpace(width) + panelSpace());
}

QSize ChartColumn::chartsAtZoom(double zoom) const {
    const QSize g = m_graph->sizeAtZoom(zoom);
    if (!m_history->isVisibleTo(this))
        return g;
    const QSize h = m_history->sizeAtZoom(zoom);
    return QSize(std::max(g.width(), h.width()),
                 g.height() + int(std::lround(ChartGap * zoom)) + h.height());
}

double ChartColumn::zoomFor(const QSize& whole) const {
    const QSize size(whole.width(), whole.height() - barSpace(whole.width()) - panelSpace());
    const QSize at1 = chartsAtZoom(1.0);
    // The frames do not scale; the drawing does.
    const double zoomW = double(size.width()) / at1.width();
    const double zoomH = double(size.height()) / at1.height();
    double zoom = std::max(LeastZoom, std::min(zoomW, zoomH));
    // Rounding the sizes must not make the column overflow by a pixel.
    while (zoom > LeastZoom && (chartsAtZoom(zoom).width() > size.width() ||
                                chartsAtZoom(zoom).height() > size.height()))
        zoom -= 0.002;
    return zoom;
}

QSize ChartColumn::minimumSizeHint() const {
    return sizeAtZoom(LeastZoom);
}

void ChartColumn::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    layoutCharts();
}

bool ChartColumn::eventFilter(QObject* watched, QEvent* event) {
    // Showing or hiding the history chart changes the column's share of
    // each chart.
    if ((watched == m_history || watched == m_panel) &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        updateGeometry();
        layoutCharts();
    }
    return QWidget::eventFilter(watched, event);
}

bool ChartColumn::event(QEvent* e) {
    // The panel's rows changed its height.
    if (e->type() == QEvent::LayoutRequest)
        layoutCharts();
    return QWidget::event(e);
}

void ChartColumn::layoutCharts() {
    const double zoom = zoomFor(size());
    const bool changed = m_graph->zoom() != zoom || m_history->zoom() != zoom;
    {
        // One redraw for both charts, once both are resized.
        const QSignalBlocker blockGraph(m_graph), blockHistory(m_history);
        m_graph->setZoom(zoom);
        m_history->setZoom(zoom);
    }
    const int top = barSpace(width());
    m_bar->setGeometry(0, 0, width(), top - ChartGap);
    m_graph->move(0, top);
    m_history->move(0, top + m_graph->height() + int(std::lround(ChartGap * zoom)));
    const QWidget* lowest = m_history->isVisibleTo(this) ? m_history : m_graph;
    m_panel->setGeometry(0, lowest->geometry().bottom() + 1 + ChartGap, width(),
                         m_panel->sizeHint().height());
    if (changed)
        emit chartsReplaced();
}

} // namespace ui
