#include "cli.h"

#include "options.h"
#include "outputs.h"
#include "png_reader.h"

#include "assets.h"
#include "version.h"

#include "fileio/safe_write.h"

#include "chart/chart_export.h"
#include "chart/helper_threads.h"
#include "feed/feed_settings.h"
#include "feed/station_feed.h"
#include "model/design_document.h"
#include "model/session.h"
#include "model/sheet_export.h"
#include "print/print_report.h"
#include "psychro/numconv.h"
#include "psychro/units.h"
#include "ui/form1.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QStringDecoder>
#include <QTextStream>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <unistd.h>

namespace app {

namespace {

// Whoever handled Qt's messages before the headless filter: everything the
// filter lets through goes on to it.
QtMessageHandler previousMessageHandler = nullptr;

// The offscreen platform's complaint about window size hints says nothing
// a headless user could act on.
void quietHeadlessMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    if (previousMessageHandler)
        previousMessageHandler(type, context, text);
}

// Arguments as text; false when one is not UTF-8 (it would silently become
// another file name).
bool decodeArguments(int argc, char* argv[], QStringList& args) {
    for (int i = 0; i < argc; ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString arg = utf8(QByteArrayView(argv[i]));
        if (utf8.hasError())
            return false;
        args.append(arg);
    }
    return true;
}

// A headless run needs no display: Qt's offscreen platform, and a runtime
// directory of its own instead of Qt's warning about a missing one.
void prepareHeadless() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString dir = QDir::tempPath() + QStringLiteral("/runtime-quorvel-") +
                            QString::number(qulonglong(getuid()));
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
    }
    // Nothing of a desktop to join: Qt's own event loop. GLib's wakes
    // itself with a system call for every event posted, some 300 while the
    // window for a screenshot is built.
    qputenv("QT_NO_GLIB", "1");
    previousMessageHandler = qInstallMessageHandler(quietHeadlessMessages);
}

// Widgets only for the window and its screenshot, fonts only where
// something is drawn; the sheet and the CSV need neither.
std::unique_ptr<QCoreApplication> makeApplication(const Request& r, int& argc, char* argv[]) {
    std::unique_ptr<QCoreApplication> application;
    if (r.widgets || r.drawing)
        registerPngReader();
    if (r.widgets)
        application = std::make_unique<QApplication>(argc, argv);
    else if (r.drawing)
        application = std::make_unique<QGuiApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(version::Text));
    // The window's icon, but for a screenshot, which has no title bar and
    // would load the SVG icon engine only to throw it away.
    if (r.widgets && !r.headless) {
        // Matches the window to its desktop entry (its icon and name in docks).
        QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quorvel.Psychrometry"));
        assets::init();
        QGuiApplication::setWindowIcon(QIcon(QString::fromLatin1(assets::appIcon)));
    }
    return application;
}

// The same procedures a user's clicks and typing run, in the window's
// order. Returns why it could not: the design could not be opened or the
// feed settings asked for were refused.
QString apply(const Request& r, model::DesignDocument& document, model::Session& s) {
    QString problem;
    if (!r.designPath.isEmpty() && !document.open(r.designPath, &problem))
        return problem;
    // The units first: SI takes the equations, and the pressure is read in
    // the units.
    if (r.units)
        s.chooseUnits(*r.units);
    if (r.method)
        s.chooseMethod(*r.method);
    if (r.pressure && !(problem = s.setPressure(*r.pressure)).isEmpty())
        return problem;
    if (r.economizer)
        s.weather().setEconomizer(*r.economizer);
    if (!r.weatherYear.isEmpty() && !s.weather().open(r.weatherYear, &problem))
        return problem;
    if (r.heating)
        s.chooseOperation(1);
    if (r.cityRow >= 0)
        s.chooseCity(r.cityRow);
    if (r.station || r.weatherApi) {
        model::FeedSettings settings = s.feedSettings();
        if (r.station) {
            settings.feedSource = QStringLiteral("nws");
            settings.nwsStation = *r.station;
        }
        if (r.weatherApi)
            settings.nwsBaseUrl = *r.weatherApi;
        if (problem = s.useFeedSettings(settings); !problem.isEmpty())
            return problem;
    }
    if (r.live)
        s.chooseLive(0);
    // What a user does: type the text into the field (one change of its
    // text), then leave it.
    for (auto [field, text] : r.typed) {
        // --cfm is in CFM whatever the units.
        bool number = false;
        const double cfm = psychro::StrictNumber(text, &number);
        if (field == psychro::Field::txtSupplyFlow && r.flowInCfm && number &&
            s.units() == psychro::moist::Units::SI)
            text = psychro::NumText(
                std::round(psychro::flowIn(psychro::moist::Units::SI, cfm) * 100) / 100);
        s.changeText(field, text);
        s.leaveField(field);
    }
    return QString();
}

// The window, opened as the user opens a file when a design is given:
// named in the title, saved as it is; one that cannot be read is said so
// in the window.
int runWindow(model::Session& session, const QString& designPath) {
    ui::Form1 w(session);
    w.show();
    if (!designPath.isEmpty())
        QTimer::singleShot(0, &w, [&w, &designPath] { w.openDesign(designPath); });
    return QApplication::exec();
}

// A headless run: the Session (and for a screenshot the window) started,
// the options applied, the outputs written.
int runHeadless(const Request& r, model::Session& session) {
    // Nobody is there to click a message away: it goes to stderr.
    std::unique_ptr<ui::Form1> window;
    std::unique_ptr<model::DesignDocument> own;
    if (!r.screenshot.isEmpty()) {
        window = std::make_unique<ui::Form1>(session);
        window->messageBox = [](const QString& message) { printErr(message); };
        // As it opens on a 1366 x 768 screen, less the window's title bar.
        window->resize(1366, 740);
        // Shown where no screen is: laid out as a window on screen is.
        window->setAttribute(Qt::WA_DontShowOnScreen);
        window->show();
    } else {
        QObject::connect(&session, &model::Session::message,
                         [](const QString& message) { printErr(message); });
        session.startUp();
        own = std::make_unique<model::DesignDocument>(session);
    }
    if (!session.settingsProblem().isEmpty())
        printErr(QStringLiteral("quorvel: %1; using the built-in feed settings")
                     .arg(session.settingsProblem()));
    model::DesignDocument& document = window ? window->document() : *own;
    // A script's designs are not what the user opened: the File menu's
    // list stays theirs.
    document.setKeepsRecent(false);
    if (const QString problem = apply(r, document, session); !problem.isEmpty()) {
        printErr(QStringLiteral("quorvel: %1").arg(problem));
        return ExitFailure;
    }
    const int code = writeOutputs(r, session, document, window.get());
    if (window && code == 0) {
        // Tearing down a window and Qt's widget caches costs a fifth of a
        // screenshot run, and everything is written.
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(0);
    }
    return code;
}

// Usage is settled before any window system is touched, so a mistyped
// option gets its message even where no display exists. Returns the exit
// code when the run ends here.
std::optional<int> settleUsage(int argc, char* argv[], Request& r) {
    QStringList args;
    QString text;
    const Parsed parsed =
        decodeArguments(argc, argv, args) ? parseArguments(args, &r, &text) : Parsed::Usage;
    if (parsed == Parsed::Run)
        return std::nullopt;
    const QCoreApplication core(argc, argv);
    // Qt names the program in the usage line only once an application
    // exists; before, it writes a placeholder.
    if (parsed == Parsed::Help)
        parseArguments(args, &r, &text);
    if (parsed != Parsed::Usage)
        return writeStdout(text.toUtf8()) ? 0 : ExitFailure;
    printErr(args.size() == argc ? QStringLiteral("quorvel: %1\nTry 'quorvel --help'.").arg(text)
                                 : QStringLiteral("quorvel: an argument is not valid UTF-8 text"));
    return ExitUsage;
}

} // namespace

int run(int argc, char* argv[]) {
    Request r;
    if (const std::optional<int> code = settleUsage(argc, argv, r))
        return *code;
    if (!r.headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        printErr(QStringLiteral("quorvel: no display available; use --screenshot FILE to render "
                                "the window to a PNG instead"));
        return ExitFailure;
    }
    if (r.headless)
        prepareHeadless();
    // A screenshot's charts are drawn, and its PNG compressed, beside the
    // window's painting: the thread for that is made now, while the
    // application is made.
    if (!r.screenshot.isEmpty())
        chart::prepareHelperThread();
    const auto application = makeApplication(r, argc, argv);

    QString seed;
    const QString settingsPath =
        !r.settingsPath.isEmpty()
            ? r.settingsPath
            : feed::settingsFilePath(QCoreApplication::applicationDirPath(), &seed);
    feed::IniSettingsStore store(settingsPath, seed);
    feed::StationFeed stationFeed;
    stationFeed.setNow(r.now);
    model::Session session(&stationFeed, &store);
    session.setNow(r.now);
    return r.headless ? runHeadless(r, session) : runWindow(session, r.designPath);
}

} // namespace app
