// Speed of the things a user feels: one redraw, one keystroke, one slider
// move, and start-up; and the raster floor no pipeline can beat.
#include "raster_replay.h"

#include "app/artwork.h"
#include "app/form1.h"
#include "assets.h"
#include "chart/plots.h"
#include "psychro/chart_geometry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Median milliseconds of fn over n runs, after a few warm-up runs.
double timeMs(int n, const std::function<void()>& fn) {
    for (int i = 0; i < 5; ++i)
        fn();
    std::vector<double> ms;
    ms.reserve(size_t(n));
    QElapsedTimer t;
    for (int i = 0; i < n; ++i) {
        t.start();
        fn();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

void report(const char* name, double value) {
    std::printf("BENCH %s %.3f\n", name, value);
}

// Runs the program headless once; wall milliseconds and peak RSS in MB.
bool startup(const QString& pngPath, const QString& iniPath, double& ms, double& rssMb) {
    const QByteArray exe = QUORVEL_EXE;
    const QByteArray png = pngPath.toLocal8Bit(), ini = iniPath.toLocal8Bit();
    char* argv[] = {const_cast<char*>(exe.constData()), const_cast<char*>("--settings"),
                    const_cast<char*>(ini.constData()), const_cast<char*>("--screenshot"),
                    const_cast<char*>(png.constData()), nullptr};
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.constData(), nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    ms = double(t.nsecsElapsed()) / 1e6;
    rssMb = double(usage.ru_maxrss) / 1024.0;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString ini = tmp.filePath(QStringLiteral("bench.ini"));
    const int runs = 400;

    app::Form1 w(ini);
    w.messageBox = [](const QString&) {};
    w.show();
    QApplication::processEvents();

    report("drawgraphs_ms", timeMs(runs, [&] { w.DrawGraphs(); }));

    // One digit typed at the end of the outdoor temperature (90..99 F in
    // turn) until the sheet is written and the chart repainted.
    w.txtOutdoorTemp->setFocus();
    w.txtOutdoorTemp->setText(QStringLiteral("9"));
    w.txtOutdoorTemp->end(false);
    QApplication::processEvents();
    int digit = 0;
    std::vector<double> keys;
    QElapsedTimer t;
    for (int i = 0; i < runs + 5; ++i) {
        QTest::keyClick(w.txtOutdoorTemp, Qt::Key_Backspace);
        QApplication::processEvents();
        const char c = char('0' + digit++ % 10);
        t.start();
        QTest::keyClick(w.txtOutdoorTemp, c);
        QApplication::processEvents();
        if (i >= 5)
            keys.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    report("keystroke_ms", median(keys));

    // Pointer movement over the unlocked track: its two redraws and the repaint.
    w.freshAirSlider().toggleLock();
    int step = 0;
    report("slider_move_ms", timeMs(runs, [&] {
               const QPointF pos(20 + (step++ * 37) % 180, 20);
               QMouseEvent move(QEvent::MouseMove, pos, w.SliderBackGrnd->mapToGlobal(pos),
                                Qt::NoButton, Qt::NoButton, Qt::NoModifier);
               QApplication::sendEvent(w.SliderBackGrnd, &move);
               QApplication::processEvents();
           }));

    // The same primitives one redraw draws, straight into a QPainter.
    {
        psychro::ChartState state = w.chartState();
        chart::RecordingSurface rec(w.picGraph->surface().widthPx(),
                                    w.picGraph->surface().heightPx());
        rec.Scale(0, 14, 14, 0);
        rec.Cls();
        QString mixed;
        chart::drawPsychrometricChart(rec, state, 60, 75, mixed);
        const QImage background = app::renderArtwork(assets::graphBackground, 1.0);
        QImage image(rec.widthPx(), rec.heightPx(), QImage::Format_ARGB32_Premultiplied);
        report("raster_floor_ms", timeMs(runs, [&] { replayInto(image, background, rec); }));
    }

    std::vector<double> startMs, rss;
    for (int i = 0; i < 15; ++i) {
        double ms = 0, mb = 0;
        if (!startup(tmp.filePath(QStringLiteral("shot.png")), ini, ms, mb)) {
            std::fprintf(stderr, "bench: could not run %s\n", QUORVEL_EXE);
            return 1;
        }
        startMs.push_back(ms);
        rss.push_back(mb);
    }
    report("startup_ms", median(startMs));
    report("startup_rss_mb", median(rss));
    return 0;
}
