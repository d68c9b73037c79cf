#include "ui/chart_painter.h"

#include "ui/surface_widget.h"

#include "assets.h"
#include "chart/artwork.h"
#include "chart/chart_export.h"
#include "chart/plots.h"
#include "model/session.h"

#include <QTimer>
#include <QWidget>

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

void ChartPainter::drawPending() {
    if (m_stale)
        draw();
}

void ChartPainter::start() {
    m_dashTimer->start();
}

void ChartPainter::showHours(bool on) {
    m_hoursShown = on;
    schedule();
}

// The year's hours as the chart shows them (a picture kept per year, chart
// and size), or none while no year is open or View hides them.
const QImage* ChartPainter::hours() {
    if (!shownHours())
        return nullptr;
    m_hours =
        chart::renderDensity(m_session.weather().density(), m_session.chart(), chart::GraphWidthPx,
                             chart::GraphHeightPx, m_graph->surface().devicePixelRatio());
    return &m_hours;
}

const climate::DensityGrid* ChartPainter::shownHours() const {
    const model::WeatherStudy& w = m_session.weather();
    return w.isOpen() && m_hoursShown ? &w.density() : nullptr;
}

void ChartPainter::draw() {
    m_drawTimer->stop();
    m_stale = false;
    m_dashTimer->stop(); // no tick on a half-drawn chart
    m_window->setCursor(Qt::WaitCursor);
    const psychro::ChartState& state = m_session.chart();
    // A surface made anew (a new size or pixel ratio) gets its background,
    // font and scale once; they stay for every redraw. The history chart,
    // hidden in manual entry, is left alone until it is shown.
    auto prepare = [&state](SurfaceWidget* w, const char* art) -> chart::ImageSurface& {
        chart::ImageSurface& surface = w->surface();
        if (surface.picture().isNull()) {
            surface.Picture(chart::renderArtwork(art, surface.devicePixelRatio()));
            chart::SetScale(surface, state.objMyGraph);
        }
        return surface;
    };
    chart::ImageSurface& g = prepare(m_graph, assets::graphBackground);
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
        chart::drawAirOverlays(g, state, hours());
    } else {
        if (std::exchange(m_graphShowsAir, false))
            g.Picture(chart::renderArtwork(assets::graphBackground, g.devicePixelRatio()));
        // No clear here: the chart's first step, setting the background
        // colour, clears it, and a second copy of the picture costs a tenth
        // of a redraw.
        chart::drawPsychrometricChart(g, state, hours());
    }
    g.KeepAsDrawn();
    if (m_history->isVisibleTo(m_window)) {
        chart::ImageSurface& c = prepare(m_history, assets::chartBackground);
        c.Cls();
        const model::ObservationHistory& h = m_session.history();
        chart::Plot_Time_Axis(c, state.objMyGraph);
        chart::Plot_History(c, state.objMyGraph, h.obsTime, h.obsTemperature, h.obsDewPoint,
                            m_session.feedSettings().gGMTOffset);
    }
    m_graph->update();
    m_history->update();
    m_window->unsetCursor();
    m_dashTimer->start();
}

} // namespace ui
