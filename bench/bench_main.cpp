// Speed of the things a user feels: one redraw, one keystroke, one slider
// move, and start-up; and the raster floor no pipeline can beat.
#include "raster_replay.h"

#include "assets.h"
#include "chart/artwork.h"
#include "chart/chart_export.h"
#include "chart/plots.h"
#include "chart/recording_surface.h"
#include "feed/feed_settings.h"
#include "model/session.h"
#include "psychro/ashrae_sheet.h"
#include "ui/form1.h"
#include "ui/surface_widget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
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

// Runs a program (the program by default) once with these arguments; wall
// milliseconds and peak RSS in MB.
bool spawnRun(const QStringList& args, double& ms, double& rssMb,
              const char* program = QUORVEL_EXE) {
    QList<QByteArray> bytes{QByteArray(program)};
    for (const QString& a : args)
        bytes << a.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    // The program's output is not what is measured.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    ms = double(t.nsecsElapsed()) / 1e6;
    rssMb = double(usage.ru_maxrss) / 1024.0;
    return true;
}

// Median wall ms (and peak MB) of n runs of a program.
bool medianRun(const QStringList& args, int n, double& ms, double& mb,
               const char* program = QUORVEL_EXE) {
    std::vector<double> times, rss;
    for (int i = 0; i < n; ++i) {
        double t = 0, m = 0;
        if (!spawnRun(args, t, m, program)) {
            std::fprintf(stderr, "bench: could not run %s %s\n", QUORVEL_EXE,
                         qPrintable(args.join(u' ')));
            return false;
        }
        times.push_back(t);
        rss.push_back(m);
    }
    ms = median(times);
    mb = median(rss);
    return true;
}

// Whole runs of the program: loading it, a headless sheet, the window's
// start-up, and beside it Qt's own start-up of a bare window grabbed the
// same way. Run before this process grows: a spawned child's peak memory
// counts its parent's until it starts the program.
bool wholeRuns(const QString& ini, const QTemporaryDir& tmp) {
    const QStringList settings{QStringLiteral("--settings"), ini};
    double ms = 0, mb = 0;
    if (!medianRun({QStringLiteral("--version")}, 15, ms, mb))
        return false;
    report("version_ms", ms);
    if (!medianRun(settings + QStringList{QStringLiteral("--sheet"), QStringLiteral("--json")}, 15,
                   ms, mb))
        return false;
    report("sheet_cli_ms", ms);
    // The window and the bare one in turn, so that both meet the same
    // moments of a busy machine.
    std::vector<double> startup, startupMb, bare;
    const QStringList shot = settings + QStringList{QStringLiteral("--screenshot"),
                                                    tmp.filePath(QStringLiteral("shot.png"))};
    for (int i = 0; i < 21; ++i) {
        if (!spawnRun(shot, ms, mb))
            return false;
        startup.push_back(ms);
        startupMb.push_back(mb);
        if (!spawnRun({tmp.filePath(QStringLiteral("bare.png"))}, ms, mb, QUORVEL_BARE_WINDOW))
            return false;
        bare.push_back(ms);
    }
    report("startup_ms", median(startup));
    report("startup_rss_mb", median(startupMb));
    report("bare_window_ms", median(bare));
    report("startup_over_bare", median(startup) / median(bare));
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir tmp;
    const QString ini = tmp.filePath(QStringLiteral("bench.ini"));
    if (!wholeRuns(ini, tmp))
        return 1;
    QApplication app(argc, argv);
    const int runs = 400;

    feed::IniSettingsStore store(ini);
    model::Session session(nullptr, &store);
    ui::Form1 w(session);
    w.messageBox = [](const QString&) {};
    // The size the window opens at on a 1366 x 768 screen, as the screenshot
    // is taken: the chart is drawn zoomed, as a user sees it.
    w.resize(1366, 740);
    w.show();
    QApplication::processEvents();

    // One recompute and the chart drawn from it; one digit typed at the end
    // of the outdoor temperature over the one there (90..99 F in turn) until
    // the sheet is written and the chart repainted. By each method.
    auto* temp = w.findChild<QLineEdit*>(QStringLiteral("txtOutdoorTemp"));
    auto redrawAndKeystroke = [&](const char* redrawName, const char* keystrokeName) {
        report(redrawName, timeMs(runs, [&] {
                   session.recompute();
                   w.drawPendingCharts();
               }));
        temp->setFocus();
        temp->setText(QStringLiteral("90"));
        QApplication::processEvents();
        int digit = 0;
        std::vector<double> keys;
        QElapsedTimer t;
        for (int i = 0; i < runs + 5; ++i) {
            temp->setSelection(1, 1); // the last digit, typed over
            QApplication::processEvents();
            const char c = char('0' + digit++ % 10);
            t.start();
            QTest::keyClick(temp, c);
            QApplication::processEvents();
            if (i >= 5)
                keys.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        report(keystrokeName, median(keys));
    };
    redrawAndKeystroke("drawgraphs_ms", "keystroke_ms");
    session.chooseMethod(psychro::Method::Ashrae);
    redrawAndKeystroke("drawgraphs_ashrae_ms", "keystroke_ashrae_ms");

    // One whole sheet by the equations: four states, the mixed point, the
    // loads and the ADP, in microseconds (the median of batches of 100).
    {
        psychro::Sheet sheet = session.sheet();
        psychro::ChartState state = session.chart();
        const psychro::AshraeInputs in{
            psychro::moist::Units::IP, 14.696, 95, 40, 75, 50, 55, 90, 0.25, false};
        report("ashrae_sheet_us", 10 * timeMs(runs, [&] {
                                      for (int i = 0; i < 100; ++i)
                                          psychro::RunAshraeSheet(sheet, state, in);
                                  }));
    }
    session.chooseMethod(psychro::Method::ChartTables);

    // A year of 8,760 hours run through the design again, as any change of
    // the design runs it, with the window's panel showing the results.
    {
        QFile epw(tmp.filePath(QStringLiteral("year.epw")));
        if (!epw.open(QIODevice::WriteOnly))
            return 1;
        epw.write(
            "LOCATION,Bench,IL,USA,TMY3,725300,41.98,-87.92,-6.0,201.0\nDESIGN CONDITIONS,0\n"
            "TYPICAL/EXTREME PERIODS,0\nGROUND TEMPERATURES,0\nHOLIDAYS/DAYLIGHT "
            "SAVINGS,No\nCOMMENTS 1,\nCOMMENTS 2,\nDATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n");
        // A year's swing and a day's, the dew point 5 to 15 C below.
        const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int m = 0, n = 0; m < 12; ++m)
            for (int d = 1; d <= days[m]; ++d)
                for (int h = 1; h <= 24; ++h, ++n) {
                    const double t = 10 - 15 * std::cos(n * 2 * M_PI / 8760) -
                                     5 * std::cos((h - 3) * 2 * M_PI / 24);
                    epw.write(QString::asprintf("1999,%d,%d,%d,60,?9,%.1f,%.1f,70,99000,0\n", m + 1,
                                                d, h, t, t - 5 - 10 * ((n * 7919) % 13) / 13.0)
                                  .toLatin1());
                }
        epw.close();
        QString error;
        if (!session.weather().open(epw.fileName(), &error))
            return 1;
        int run = 0;
        report("weather_year_ms", timeMs(runs / 4, [&] {
                   session.weather().setEconomizer(++run % 2 ? climate::Economizer::DryBulb
                                                             : climate::Economizer::None);
                   QApplication::processEvents();
               }));
        session.weather().close();
    }

    // Pointer movement over the unlocked track: its two recomputes and the repaint.
    session.toggleSliderLock();
    auto* track = w.findChild<QWidget*>(QStringLiteral("SliderBackGrnd"));
    int step = 0;
    report("slider_move_ms", timeMs(runs, [&] {
               const QPointF pos(20 + (step++ * 37) % 180, 20);
               QMouseEvent move(QEvent::MouseMove, pos, track->mapToGlobal(pos), Qt::NoButton,
                                Qt::NoButton, Qt::NoModifier);
               QApplication::sendEvent(track, &move);
               QApplication::processEvents();
           }));

    // The same primitives one redraw draws, straight into a QPainter.
    {
        chart::RecordingSurface rec(chart::GraphWidthPx, chart::GraphHeightPx);
        rec.Scale(0, 14, 14, 0);
        rec.Cls();
        chart::drawPsychrometricChart(rec, session.chart());
        // At the window's zoom, as the redraws above.
        const qreal dpr = w.findChild<ui::SurfaceWidget*>(QStringLiteral("picGraph"))
                              ->surface()
                              .devicePixelRatio();
        const QImage background = chart::renderArtwork(assets::graphBackground, dpr);
        QImage image(int(std::ceil(rec.widthPx() * dpr)), int(std::ceil(rec.heightPx() * dpr)),
                     QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        report("raster_floor_ms", timeMs(runs, [&] { replayInto(image, background, rec); }));
    }

    return 0;
}
