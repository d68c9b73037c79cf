#include "cli.h"

#include "assets.h"
#include "version.h"

#include "fileio/safe_write.h"

#include "chart/chart_export.h"
#include "chart/image_surface.h"
#include "feed/feed_settings.h"
#include "feed/station_feed.h"
#include "feed/weather_service.h"
#include "model/design.h"
#include "model/session.h"
#include "model/sheet_export.h"
#include "print/print_report.h"
#include "print/report_content.h"
#include "psychro/design_cities.h"
#include "psychro/numconv.h"
#include "psychro/sheet.h"
#include "ui/form1.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace app {

namespace {

using psychro::Field;

constexpr int ExitUsage = 2;
constexpr int ExitFailure = 1;

// Options that run without showing the window.
constexpr const char* HeadlessOptions[] = {
    "--screenshot",  "--sheet", "--print-pdf", "--export-chart", "--csv",
    "--save-design", "--help",  "-h",          "--version",      "-v"};

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

// Options whose value names a file, and every option that takes a value.
const QStringList FileOptions = {QStringLiteral("screenshot"), QStringLiteral("settings"),
                                 QStringLiteral("print-pdf"),  QStringLiteral("export-chart"),
                                 QStringLiteral("csv"),        QStringLiteral("design"),
                                 QStringLiteral("save-design")};
const QStringList OtherValueOptions = {QStringLiteral("outdoor"), QStringLiteral("return"),
                                       QStringLiteral("supply"),  QStringLiteral("cfm"),
                                       QStringLiteral("fresh"),   QStringLiteral("city")};

// An option that takes a value swallows whatever follows it: "--csv --sheet"
// would write a file called "--sheet". A value that looks like an option
// (or a file name that starts with '-') must be written --opt=value. The
// numbers "-10,63" and "-3" stay values. Returns the complaint, or empty.
QString swallowedOption(const QStringList& args) {
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--"))
            break;
        if (!a.startsWith(QLatin1String("--")) || a.contains(u'='))
            continue;
        const QString name = a.mid(2);
        const bool file = FileOptions.contains(name);
        if (!file && !OtherValueOptions.contains(name))
            continue;
        const QString& v = args[i + 1];
        if (v.startsWith(QLatin1String("--")) ||
            (file && v.startsWith(u'-') && v != QLatin1String(fileio::StdoutName)))
            return QStringLiteral("option '%1' takes a value, got '%2' (write %1=%2 if that is "
                                  "the value)")
                .arg(a, v);
        ++i;
    }
    return QString();
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

bool wantsHeadless(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        for (const char* opt : HeadlessOptions) {
            const size_t n = std::strlen(opt);
            if (std::strncmp(argv[i], opt, n) == 0 && (argv[i][n] == '\0' || argv[i][n] == '='))
                return true;
        }
    return false;
}

void printErr(const QString& text) {
    QTextStream err(stderr);
    err << text << Qt::endl;
}

struct Pair {
    QString first, second;
};

// "T,RH" splits at the first comma; either side may be empty.
bool splitPair(const QString& value, Pair& out) {
    const qsizetype comma = value.indexOf(u',');
    if (comma < 0)
        return false;
    out = {value.left(comma), value.mid(comma + 1)};
    return true;
}

// The day's history as kept in its slots, oldest first, times in UTC.
QJsonArray historyAsJson(const model::ObservationHistory& h) {
    QJsonArray out;
    // A float's shortest text, as the document gave it.
    auto number = [](float x) { return QString::number(x).toDouble(); };
    for (qint16 i = 0; i < h.obsIndex; ++i) {
        const QString& text = h.obsTime[size_t(i)];
        QDateTime t = QDateTime::fromString(text, Qt::ISODate);
        if (!t.isValid())
            t = QDateTime::fromString(text, Qt::RFC2822Date);
        out.append(QJsonObject{
            {QStringLiteral("time"), t.isValid() ? t.toUTC().toString(Qt::ISODate) : text},
            {QStringLiteral("temperature"), number(h.obsTemperature[size_t(i)])},
            {QStringLiteral("dewpoint"), number(h.obsDewPoint[size_t(i)])}});
    }
    return out;
}

QByteArray sheetAsJson(const model::Session& s) {
    QJsonObject fields;
    for (int i = 0; i < psychro::FieldCount; ++i)
        fields.insert(QLatin1String(psychro::fieldName(psychro::Field(i))),
                      s.text(psychro::Field(i)));
    QJsonObject root;
    root.insert(QStringLiteral("fields"), fields);
    root.insert(QStringLiteral("warning"), s.warning());
    if (s.liveFeed())
        root.insert(QStringLiteral("history"), historyAsJson(s.history()));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

// Standard output through the program's one checked writer: a full or
// closed stdout is a failed write.
bool writeStdout(const QByteArray& bytes) {
    QString error;
    if (fileio::writeFile(QString::fromLatin1(fileio::StdoutName), bytes, &error))
        return true;
    printErr(QStringLiteral("quorvel: %1").arg(error));
    return false;
}

} // namespace

int run(int argc, char* argv[]) {
    QStringList args;
    if (!decodeArguments(argc, argv, args)) {
        printErr(QStringLiteral("quorvel: an argument is not valid UTF-8 text"));
        return ExitUsage;
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quorvel Psychrometry: a psychrometric calculator for air-handling units."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Render the window to a PNG file and exit."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption sheet(QStringLiteral("sheet"),
                                   QStringLiteral("Print the state sheet and exit."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("With --sheet: print the sheet as JSON."));
    const QCommandLineOption outdoor(QStringLiteral("outdoor"),
                                     QStringLiteral("Outdoor dry bulb (F) and RH (%)."),
                                     QStringLiteral("T,RH"));
    const QCommandLineOption ret(QStringLiteral("return"),
                                 QStringLiteral("Return dry bulb (F) and RH (%)."),
                                 QStringLiteral("T,RH"));
    const QCommandLineOption supply(QStringLiteral("supply"),
                                    QStringLiteral("Supply dry bulb (F) and RH (%)."),
                                    QStringLiteral("T,RH"));
    const QCommandLineOption cfm(QStringLiteral("cfm"), QStringLiteral("Supply air flow (CFM)."),
                                 QStringLiteral("N"));
    const QCommandLineOption fresh(QStringLiteral("fresh"), QStringLiteral("Fresh-air share (%)."),
                                   QStringLiteral("P"));
    const QCommandLineOption city(
        QStringLiteral("city"),
        QStringLiteral("Design city: its list text exactly, or a row 0 to 99."),
        QStringLiteral("NAME|ROW"));
    const QCommandLineOption heating(
        QStringLiteral("heating"),
        QStringLiteral("Heating with humidification (winter design points)."));
    const QCommandLineOption live(
        QStringLiteral("live"),
        QStringLiteral("Switch to the live weather feed before computing."));
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral(
            "Read and write this feed settings file instead of the one beside the program."),
        QStringLiteral("FILE"));
    const QCommandLineOption printPdf(
        QStringLiteral("print-pdf"),
        QStringLiteral("Write the printed report to a PDF file and exit."), QStringLiteral("FILE"));
    const QCommandLineOption exportChart(
        QStringLiteral("export-chart"),
        QStringLiteral("Write the chart to FILE (.png, .svg or .pdf) and exit."),
        QStringLiteral("FILE"));
    const QCommandLineOption csv(
        QStringLiteral("csv"),
        QStringLiteral("Write the sheet to FILE as comma-separated values and exit."),
        QStringLiteral("FILE"));
    const QCommandLineOption design(
        QStringLiteral("design"),
        QStringLiteral("Open a design file (.qpsy) before the other inputs are applied."),
        QStringLiteral("FILE"));
    const QCommandLineOption saveDesign(
        QStringLiteral("save-design"),
        QStringLiteral("Write the design (inputs, choices, title block) to FILE and exit."),
        QStringLiteral("FILE"));
    const QCommandLineOption station(
        QStringLiteral("station"),
        QStringLiteral("Take the live feed from this weather-service station (3 to 5 letters "
                       "and digits) for this run."),
        QStringLiteral("ID"));
    const QCommandLineOption weatherApi(
        QStringLiteral("weather-api"),
        QStringLiteral("The weather service's base address for this run."), QStringLiteral("URL"));
    const QCommandLineOption at(
        QStringLiteral("at"),
        QStringLiteral("Take this moment (ISO 8601, with its zone) as now, to replay a day."),
        QStringLiteral("TIME"));
    for (const QCommandLineOption& o :
         {screenshot, sheet,  json,       outdoor, ret,        supply,   cfm,
          fresh,      city,   heating,    live,    settings,   printPdf, exportChart,
          csv,        design, saveDesign, station, weatherApi, at})
        parser.addOption(o);
    parser.addPositionalArgument(QStringLiteral("design"),
                                 QStringLiteral("A design file (.qpsy) to open, as --design."),
                                 QStringLiteral("[FILE.qpsy]"));

    // Usage is settled before any window system is touched, so a mistyped
    // option gets its message even where no display exists.
    const bool parsed = parser.parse(args);
    const bool help = parsed && (parser.isSet(QStringLiteral("help")) ||
                                 parser.isSet(QStringLiteral("help-all")));
    if (!parsed || help || parser.isSet(QStringLiteral("version"))) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
        QCoreApplication::setApplicationVersion(QString::fromLatin1(version::Text));
        if (!parsed) {
            printErr(QStringLiteral("quorvel: %1\nTry 'quorvel --help'.").arg(parser.errorText()));
            return ExitUsage;
        }
        if (help)
            return writeStdout(parser.helpText().toUtf8()) ? 0 : ExitFailure;
        return writeStdout("quorvel " + QCoreApplication::applicationVersion().toUtf8() + '\n')
                   ? 0
                   : ExitFailure;
    }
    if (const QString swallowed = swallowedOption(args); !swallowed.isEmpty()) {
        printErr(QStringLiteral("quorvel: %1\nTry 'quorvel --help'.").arg(swallowed));
        return ExitUsage;
    }
    // One positional argument is accepted: a design file, as a file manager
    // passes it.
    const QStringList positional = parser.positionalArguments();
    QString designPath = parser.value(design);
    for (qsizetype i = 0; i < positional.size(); ++i) {
        const bool isDesign =
            i == 0 && positional[i].endsWith(QLatin1String(".qpsy"), Qt::CaseInsensitive);
        if (!isDesign) {
            printErr(QStringLiteral("quorvel: unexpected argument '%1'\nTry 'quorvel --help'.")
                         .arg(positional[i]));
            return ExitUsage;
        }
        if (parser.isSet(design)) {
            printErr(QStringLiteral("quorvel: two designs given ('%1' and --design '%2')")
                         .arg(positional[i], designPath));
            return ExitUsage;
        }
        designPath = positional[i];
    }
    Pair outdoorPair, returnPair, supplyPair;
    for (auto [opt, pair] : {std::pair{&outdoor, &outdoorPair}, std::pair{&ret, &returnPair},
                             std::pair{&supply, &supplyPair}})
        if (parser.isSet(*opt) && !splitPair(parser.value(*opt), *pair)) {
            printErr(QStringLiteral("quorvel: --%1 takes T,RH (a comma between the two), got '%2'")
                         .arg(opt->names().first(), parser.value(*opt)));
            return ExitUsage;
        }
    int cityRow = -1;
    if (parser.isSet(city)) {
        const QString name = parser.value(city);
        cityRow = psychro::cityRowByName(name);
        bool isRow = false;
        const int row = name.toInt(&isRow);
        if (cityRow < 0 && isRow && row >= 0 && row < psychro::CityCount)
            cityRow = row;
        if (cityRow < 0) {
            printErr(QStringLiteral("quorvel: unknown city '%1' (give its list text exactly, "
                                    "for example \"Denver, CO\", or a row 0 to 99)")
                         .arg(name));
            return ExitUsage;
        }
    }
    if (parser.isSet(station) && !feed::isStationId(parser.value(station))) {
        printErr(QStringLiteral("quorvel: --station takes 3 to 5 letters and digits, for "
                                "example KDTO"));
        return ExitUsage;
    }
    QDateTime now;
    if (parser.isSet(at)) {
        now = QDateTime::fromString(parser.value(at), Qt::ISODate);
        // Without a zone the moment would depend on the machine's.
        if (!now.isValid() || now.timeSpec() == Qt::LocalTime) {
            printErr(QStringLiteral("quorvel: --at takes an ISO 8601 time with its zone, for "
                                    "example 2019-08-17T12:00:00Z"));
            return ExitUsage;
        }
    }
    if (parser.isSet(json) && !parser.isSet(sheet)) {
        printErr(QStringLiteral("quorvel: --json goes with --sheet"));
        return ExitUsage;
    }

    const bool headless = wantsHeadless(argc, argv);
    model::Design designRead;
    QString designError;
    const bool haveDesign =
        !designPath.isEmpty() && model::readDesignFile(designPath, &designRead, &designError);
    if (!designError.isEmpty()) {
        printErr(QStringLiteral("quorvel: %1").arg(designError));
        // The window opens anyway and says why: whoever double-clicked the
        // file sees no terminal.
        if (headless)
            return ExitFailure;
    }
    if (!headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        printErr(QStringLiteral("quorvel: no display available; use --screenshot FILE to render "
                                "the window to a PNG instead"));
        return ExitFailure;
    }
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (headless && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // What Qt would pick itself, without its warning on every run.
        const QString dir = QDir::tempPath() + QStringLiteral("/runtime-quorvel-") +
                            QString::number(qulonglong(getuid()));
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
    }
    if (headless)
        previousMessageHandler = qInstallMessageHandler(quietHeadlessMessages);

    // Widgets only for the window and its screenshot, fonts only where
    // something is drawn; the sheet and the CSV need neither.
    const bool widgets = !headless || parser.isSet(screenshot);
    const bool drawing = parser.isSet(printPdf) || parser.isSet(exportChart);
    std::unique_ptr<QCoreApplication> application;
    if (widgets)
        application = std::make_unique<QApplication>(argc, argv);
    else if (drawing)
        application = std::make_unique<QGuiApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(version::Text));
    if (widgets) {
        // Matches the window to its desktop entry (its icon and name in docks).
        QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quorvel.Psychrometry"));
        assets::init();
        QGuiApplication::setWindowIcon(QIcon(QString::fromLatin1(assets::appIcon)));
    }

    QString seed;
    const QString settingsPath =
        parser.isSet(settings)
            ? parser.value(settings)
            : feed::settingsFilePath(QCoreApplication::applicationDirPath(), &seed);
    feed::IniSettingsStore store(settingsPath, seed);
    feed::StationFeed stationFeed;
    stationFeed.setNow(now);
    model::Session session(&stationFeed, &store);

    if (!headless) {
        ui::Form1 w(session, &store);
        w.show();
        // Opened as the user opens a file: named in the title, saved as it
        // is; a file that cannot be read is said so in the window.
        if (!designPath.isEmpty())
            QTimer::singleShot(0, &w, [&w, &designPath] { w.openDesign(designPath); });
        return QApplication::exec();
    }

    // Nobody is there to click a message away: it goes to stderr.
    std::unique_ptr<ui::Form1> window;
    if (parser.isSet(screenshot)) {
        window = std::make_unique<ui::Form1>(session, &store);
        window->messageBox = [](const QString& text) { printErr(text); };
    } else {
        QObject::connect(&session, &model::Session::message,
                         [](const QString& text) { printErr(text); });
        session.startUp();
    }

    // The same procedures a user's clicks and typing run, in the window's order.
    using psychro::Field;
    if (haveDesign)
        model::applyDesign(session, designRead);
    if (parser.isSet(heating))
        session.chooseOperation(1);
    if (cityRow >= 0)
        session.chooseCity(cityRow);
    if (parser.isSet(station)) {
        session.feedSettings().feedSource = QStringLiteral("nws");
        session.feedSettings().nwsStation = parser.value(station);
    }
    if (parser.isSet(weatherApi))
        session.feedSettings().nwsBaseUrl = parser.value(weatherApi);
    if (parser.isSet(live))
        session.chooseLive(0);
    // What a user does: type the text into the field (one change of its
    // text), then leave it.
    auto typeAndLeave = [&session](Field f, const QString& text) {
        session.changeText(f, text);
        session.leaveField(f);
    };
    if (parser.isSet(outdoor)) {
        typeAndLeave(Field::txtOutdoorTemp, outdoorPair.first);
        typeAndLeave(Field::txtOutdoorRH, outdoorPair.second);
    }
    if (parser.isSet(ret)) {
        typeAndLeave(Field::txtReturnTemp, returnPair.first);
        typeAndLeave(Field::txtReturnRH, returnPair.second);
    }
    if (parser.isSet(supply)) {
        typeAndLeave(Field::txtSupplyTemp, supplyPair.first);
        typeAndLeave(Field::txtSupplyRH, supplyPair.second);
    }
    if (parser.isSet(cfm))
        typeAndLeave(Field::txtSupplyFlow, parser.value(cfm));
    if (parser.isSet(fresh))
        typeAndLeave(Field::txtFreshMix, parser.value(fresh));

    if (parser.isSet(sheet) &&
        !writeStdout(parser.isSet(json) ? sheetAsJson(session)
                                        : model::sheetAsText(session).toUtf8()))
        return ExitFailure;
    // Every file below is prepared in memory and then replaced in one step;
    // a failed write leaves the old file as it was and exits with 1.
    auto writeOutput = [](const QString& path, const QByteArray& bytes) {
        QString error;
        if (fileio::writeFile(path, bytes, &error))
            return true;
        printErr(QStringLiteral("quorvel: %1").arg(error));
        return false;
    };
    if (window) {
        // Rendered straight from the widgets; no window needs to be mapped.
        // Without alpha, and with fast compression: the file is for looking
        // at, not archiving.
        const QImage image = window->grab().toImage().convertToFormat(QImage::Format_RGB888);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        if (!image.save(&png, "PNG", 80) || !writeOutput(parser.value(screenshot), png.data()))
            return ExitFailure;
    }
    if (parser.isSet(printPdf)) {
        // The report switches a chart surface's scale to twips while it
        // prints; headless, a scratch surface of the chart's size stands in.
        chart::ImageSurface picGraph(chart::GraphWidthPx, chart::GraphHeightPx);
        const psychro::clsGraph& g = session.chart().objMyGraph;
        picGraph.Scale(g.MinXScale, g.MaxYScale, g.MaxXScale, g.MinYScale);
        const psychro::ChartState& state = session.chart();
        QString error;
        if (!print::printReportToPdf(
                parser.value(printPdf), print::reportContent(session), picGraph,
                [&state](qreal dpr) { return chart::renderGraphImage(state, dpr); }, &error)) {
            printErr(QStringLiteral("Print Failed\nquorvel: %1").arg(error));
            return ExitFailure;
        }
    }
    if (parser.isSet(exportChart)) {
        const QString path = parser.value(exportChart);
        QString error;
        QByteArray bytes;
        if (!chart::encodeChart(session.chart(), QFileInfo(path).suffix().toLower(), &bytes,
                                &error)) {
            printErr(QStringLiteral("quorvel: '%1': %2").arg(path, error));
            return ExitFailure;
        }
        if (!writeOutput(path, bytes))
            return ExitFailure;
    }
    if (parser.isSet(csv) && !writeOutput(parser.value(csv), model::sheetAsCsv(session).toUtf8()))
        return ExitFailure;
    if (parser.isSet(saveDesign) &&
        !writeOutput(parser.value(saveDesign), model::designToJson(model::designOf(session))))
        return ExitFailure;
    // What was printed came partly from the defaults: a live run whose
    // station did not answer has not done what it was asked.
    if (parser.isSet(live) && !session.lastFeedFailure().isEmpty()) {
        printErr(
            QStringLiteral("quorvel: the live feed failed:\n%1").arg(session.lastFeedFailure()));
        return ExitFailure;
    }
    if (window) {
        // Tearing down a window and Qt's widget caches costs a fifth of a
        // screenshot run, and everything is written.
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(0);
    }
    return 0;
}

} // namespace app
