#include "ui/chart_painter.h"

#include "ui/surface_widget.h"

#include "assets.h"
#include "chart/artwork.h"
#include "chart/chart_export.h"
#include "chart/helper_threads.h"
#include "chart/plots.h"
#include "model/session.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <array>
#include <semaphore>
#include <utility>

namespace ui {

ChartPainter::ChartPainter(model::Session& session, SurfaceWidget* graph, SurfaceWidget* history,
                           QWidget* window)
    : QObject(window), m_session(session), m_graph(graph), m_history(history), m_window(window),
      m_drawTimer(new QTimer(this)), m_dashTimer(new QTimer(this)) {
    m_drawTimer->setSingleShot(true);
    m_drawTimer->setInterval(0);
    connect(m_drawTimer, &QTimer::timeout, this, &ChartPainter::draw);
    m_dashTimer->setObjectName(QStringLiteral("Timer2"));
    m_dashTimer->setInterval(200);
    connect(m_dashTimer, &QTimer::timeout, this, [this] {
        chart::Timer2_Timer(m_graph->surface(), m_session.chart(), m_anim);
        m_graph->update();
    });
    connect(&session, &model::Session::animationReset, this, [this](bool whole) {
        m_anim = whole ? chart::AnimationState{} : chart::AnimationState{0, 0, m_anim.LineIndex};
    });
    // A surface redrawn at a new size or pixel ratio starts blank; the
    // state it shows has not changed, so it is drawn, not recomputed.
    for (SurfaceWidget* w : {graph, history})
        connect(w, &SurfaceWidget::surfaceReplaced, this, &ChartPainter::schedule);
    // A year opened or closed, or rerun, is drawn.
    connect(&session.weather(), &model::WeatherStudy::changed, this, &ChartPainter::schedule);
}

void ChartPainter::schedule() {
    m_dashTimer->stop();
    m_stale = true;
    if (m_window->isVisible())
        m_drawTimer->start();
}

void ChartPainter::windowShown() {
    if (m_stale)
        m_drawTimer->start();
}

// Queued calls and layouts first, as the event loop delivers them before
// painting: the side panel's scroll bar hidden once the window took its
// size, the status bar's size grip moved to its corner.
void ChartPainter::settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

void ChartPainter::drawPending() {
    settle();
    if (m_stale)
        draw();
}

QImage ChartPainter::grabWindow() {
    settle();
    if (!m_stale)
        return m_window->grab().toImage();
    // Drawing the charts and painting the rest of the window take about as
    // long, and share nothing but the Session, which neither changes.
    const Surfaces s = beginDraw();
    const std::array<SurfaceWidget*, 2> widgets{m_graph, m_history};
    for (SurfaceWidget* w : widgets)
        w->setDrawnElsewhere(true);
    std::binary_semaphore drawn(0);
    const bool beside = chart::runBeside([this, &s, &drawn] {
        paint(s);
        drawn.release();
    });
    if (!beside)
        paint(s); // no thread to be had: drawn here, first
    QImage shot = m_window->grab().toImage();
    if (beside)
        drawn.acquire();
    for (SurfaceWidget* w : widgets)
        w->setDrawnElsewhere(false);
    endDraw();
    // A chart resized by the grab was drawn on the surface it replaced.
    if (m_stale) {
        draw();
        return m_window->grab().toImage();
    }
    QPainter p(&shot);
    for (SurfaceWidget* w : widgets)
        if (w->isVisibleTo(m_window))
            w->render(&p, w->mapTo(m_window, QPoint()), w->visibleRegion(), QWidget::DrawChildren);
    return shot;
}

void ChartPainter::start() {
    m_dashTimer->start();
}

void ChartPainter::showHours(bool on) {
    m_hoursShown = on;
    schedule();
}

// The year's hours as the chart shows them at a pixel ratio (a picture kept
// per year, chart and size), or none while no year is open or View hides
// them.
const QImage* ChartPainter::hours(qreal dpr) {
    if (!shownHours())
        return nullptr;
    m_hours = chart::renderDensity(m_session.weather().density(), m_session.chart(),
                                   chart::GraphWidthPx, chart::GraphHeightPx, dpr);
    return &m_hours;
}

const climate::DensityGrid* ChartPainter::shownHours() const {
    const model::WeatherStudy& w = m_session.weather();
    return w.isOpen() && m_hoursShown ? &w.density() : nullptr;
}

void ChartPainter::draw() {
    const Surfaces s = beginDraw();
    paint(s);
    endDraw();
}

ChartPainter::Surfaces ChartPainter::beginDraw() {
    m_drawTimer->stop();
    m_stale = false;
    m_dashTimer->stop(); // no tick on a half-drawn chart
    m_window->setCursor(Qt::WaitCursor);
    // The history chart, hidden in manual entry, is left alone until it is
    // shown.
    return {m_graph->sharedSurface(),
            m_history->isVisibleTo(m_window) ? m_history->sharedSurface() : nullptr};
}

// Reads the Session and draws on the surfaces, and touches no widget: it
// may run on a second thread.
void ChartPainter::paint(const Surfaces& s) {
    const psychro::ChartState& state = m_session.chart();
    // A surface made anew (a new size or pixel ratio) gets its background,
    // font and scale once; they stay for every redraw.
    auto prepare = [&state](chart::ImageSurface& surface, const char* art) {
        if (surface.picture().isNull()) {
            surface.Picture(chart::renderArtwork(art, surface.devicePixelRatio()));
            chart::SetScale(surface, state.objMyGraph);
        }
    };
    chart::ImageSurface& g = *s.graph;
    prepare(g, assets::graphBackground);
    if (state.method == psychro::Method::Ashrae) {
        // The equations' lines are a picture of their own, kept per
        // pressure, units and range: a keystroke draws only the states.
        const QImage lines =
            chart::renderAirReference(state.air, state.objMyGraph, chart::GraphWidthPx,
                                      chart::GraphHeightPx, g.devicePixelRatio());
        if (lines.cacheKey() != g.picture().cacheKey())
            g.Picture(lines);
        m_graphShowsAir = true;
        g.Cls();
        chart::drawAirOverlays(g, state, hours(g.devicePixelRatio()));
    } else {
        if (std::exchange(m_graphShowsAir, false))
            g.Picture(chart::renderArtwork(assets::graphBackground, g.devicePixelRatio()));
        // No clear here: the chart's first step, setting the background
        // colour, clears it, and a second copy of the picture costs a tenth
        // of a redraw.
        chart::drawPsychrometricChart(g, state, hours(g.devicePixelRatio()));
    }
    g.KeepAsDrawn();
    if (s.history) {
        chart::ImageSurface& c = *s.history;
        prepare(c, assets::chartBackground);
        c.Cls();
        const model::ObservationHistory& h = m_session.history();
        chart::Plot_Time_Axis(c, state.objMyGraph);
        chart::Plot_History(c, state.objMyGraph, h.obsTime, h.obsTemperature, h.obsDewPoint,
                            m_session.feedSettings().gGMTOffset);
    }
}

void ChartPainter::endDraw() {
    m_graph->update();
    m_history->update();
    m_window->unsetCursor();
    m_dashTimer->start();
}

} // namespace ui
