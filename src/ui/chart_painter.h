#pragma once

#include "chart/animation.h"

#include <QImage>
#include <QObject>

#include <memory>

class QTimer;
class QWidget;

namespace chart {
class ImageSurface;
}
namespace climate {
struct DensityGrid;
}
namespace model {
class Session;
}

namespace ui {

class SurfaceWidget;

// Draws a Session's charts on the window's two surfaces: once an event-loop
// turn however many recomputes asked (a city choice, the slider, start-up),
// only while the window is shown, from the last state; and runs the
// process lines' moving dash between draws. Also keeps whether the weather
// year's hours are shown under the process (View -> Weather Year Hours).
class ChartPainter : public QObject {
    Q_OBJECT
public:
    ChartPainter(model::Session& session, SurfaceWidget* graph, SurfaceWidget* history,
                 QWidget* window);

    // The charts are to be drawn when the event loop comes round.
    void schedule();
    // Brings the window up to date now, as the event loop would before it
    // paints: queued calls and layouts delivered, the charts drawn if they
    // are waiting to be drawn.
    void drawPending();
    // The window brought up to date and grabbed as a picture, the charts
    // drawn on a second thread while the rest of it is painted.
    QImage grabWindow();
    // The window was shown: charts left waiting are drawn.
    void windowShown();
    // Starts the moving dash.
    void start();

    void showHours(bool on);
    // The grid of hours the chart shows, for an export; null for none.
    const climate::DensityGrid* shownHours() const;

private:
    // The surfaces one draw paints; no history while it is hidden.
    struct Surfaces {
        std::shared_ptr<chart::ImageSurface> graph, history;
    };
    static void settle();
    void draw();
    Surfaces beginDraw();
    void paint(const Surfaces& s);
    void endDraw();
    const QImage* hours(qreal dpr);

    model::Session& m_session;
    SurfaceWidget* m_graph;
    SurfaceWidget* m_history;
    QWidget* m_window;
    QTimer* m_drawTimer;
    QTimer* m_dashTimer; // Timer2
    chart::AnimationState m_anim;
    bool m_stale = false;
    bool m_graphShowsAir = false; // the chart's background is the equations' lines
    bool m_hoursShown = false;
    QImage m_hours; // the year's hours drawn last
};

} // namespace ui
