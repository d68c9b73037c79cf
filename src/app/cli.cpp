#include "cli.h"

#include "assets.h"
#include "form1.h"
#include "sheet_export.h"

#include "inputs/design_cities.h"
#include "psychro/numconv.h"
#include "psychro/sheet.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace app {

namespace {

using psychro::Field;

constexpr int ExitUsage = 2;
constexpr int ExitFailure = 1;

// Options that run without showing the window.
constexpr const char* HeadlessOptions[] = {
    "--screenshot", "--sheet",   "--print-pdf", "--export-chart", "--csv", "--help",
    "-h",           "--version", "-v"};

// The offscreen platform's complaint about window size hints says nothing
// a headless user could act on.
void quietHeadlessMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    static const QtMessageHandler standard = qInstallMessageHandler(nullptr);
    if (standard)
        standard(type, context, text);
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

// What a user does: type the text into the field (one change of its text),
// then leave it (its focus-lost handler, where it has one).
void typeAndLeave(inputs::InputField* field, const QString& text,
                  void (inputs::InputHandlers::*lostFocus)(), inputs::InputHandlers& handlers) {
    field->setText(text);
    if (lostFocus)
        (handlers.*lostFocus)();
}

QByteArray sheetAsJson(Form1& w) {
    QJsonObject fields;
    for (int i = 0; i < psychro::FieldCount; ++i)
        fields.insert(QLatin1String(psychro::fieldName(Field(i))), w.field(Field(i))->text());
    QJsonObject root;
    root.insert(QStringLiteral("fields"), fields);
    root.insert(QStringLiteral("warning"), w.picWarning->isVisibleTo(&w));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace

int run(int argc, char* argv[]) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
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
    for (const QCommandLineOption& o : {screenshot, sheet, json, outdoor, ret, supply, cfm, fresh,
                                        city, heating, live, settings, printPdf, exportChart, csv})
        parser.addOption(o);

    // Usage is settled before any window system is touched, so a mistyped
    // option gets its message even where no display exists.
    const bool parsed = parser.parse(args);
    if (!parsed || parser.isSet(QStringLiteral("help")) ||
        parser.isSet(QStringLiteral("version"))) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
        QCoreApplication::setApplicationVersion(
            QStringLiteral("%1.%2").arg(VersionMajor).arg(VersionMinor));
        if (!parsed) {
            printErr(QStringLiteral("quorvel: %1\nTry 'quorvel --help'.").arg(parser.errorText()));
            return ExitUsage;
        }
        if (parser.isSet(QStringLiteral("help"))) {
            QTextStream(stdout) << parser.helpText();
            return 0;
        }
        QTextStream(stdout) << "quorvel " << QCoreApplication::applicationVersion() << Qt::endl;
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printErr(QStringLiteral("quorvel: unexpected argument '%1'\nTry 'quorvel --help'.")
                     .arg(parser.positionalArguments().first()));
        return ExitUsage;
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
        cityRow = inputs::cityRowByName(name);
        bool isRow = false;
        const int row = name.toInt(&isRow);
        if (cityRow < 0 && isRow && row >= 0 && row < inputs::CityCount)
            cityRow = row;
        if (cityRow < 0) {
            printErr(QStringLiteral("quorvel: unknown city '%1' (give its list text exactly, "
                                    "for example \"Denver, CO\", or a row 0 to 99)")
                         .arg(name));
            return ExitUsage;
        }
    }
    if (parser.isSet(json) && !parser.isSet(sheet)) {
        printErr(QStringLiteral("quorvel: --json goes with --sheet"));
        return ExitUsage;
    }

    const bool headless = wantsHeadless(argc, argv);
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
        qInstallMessageHandler(quietHeadlessMessages);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvel"));
    // Matches the window to its desktop entry (its icon and name in docks).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quorvel.Psychrometry"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(VersionMajor).arg(VersionMinor));
    assets::init();
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(assets::appIcon)));

    Form1 w(parser.value(settings));
    if (headless) {
        // Nobody is there to click a message away: it goes to stderr.
        w.messageBox = [](const QString& text) { printErr(text); };
    }

    // The same handlers a user's clicks and typing run, in the window's order.
    if (parser.isSet(heating))
        w.OptCoolHeat[1]->click();
    if (cityRow >= 0)
        w.designCities().selectRow(cityRow);
    if (parser.isSet(live)) {
        w.OptLive[0]->setChecked(true);
        w.OptLive_Click(0);
    }
    inputs::InputHandlers& h = w.inputHandlers();
    using H = inputs::InputHandlers;
    if (parser.isSet(outdoor)) {
        typeAndLeave(w.txtOutdoorTemp, outdoorPair.first, nullptr, h);
        typeAndLeave(w.txtOutdoorRH, outdoorPair.second, &H::txtOutdoorRH_LostFocus, h);
    }
    if (parser.isSet(ret)) {
        typeAndLeave(w.txtReturnTemp, returnPair.first, nullptr, h);
        typeAndLeave(w.txtReturnRH, returnPair.second, &H::txtReturnRH_LostFocus, h);
    }
    if (parser.isSet(supply)) {
        typeAndLeave(w.txtSupplyTemp, supplyPair.first, nullptr, h);
        typeAndLeave(w.txtSupplyRH, supplyPair.second, &H::txtSupplyRH_LostFocus, h);
    }
    if (parser.isSet(cfm))
        typeAndLeave(w.txtSupplyFlow, parser.value(cfm), &H::txtSupplyFlow_LostFocus, h);
    if (parser.isSet(fresh))
        typeAndLeave(w.txtFreshMix, parser.value(fresh), &H::txtFreshMix_LostFocus, h);

    if (parser.isSet(sheet)) {
        QTextStream out(stdout);
        if (parser.isSet(json))
            out << sheetAsJson(w);
        else
            out << sheetAsText(w);
        out.flush();
    }
    if (parser.isSet(screenshot)) {
        const QString path = parser.value(screenshot);
        const QFileInfo info(path);
        if (!info.absoluteDir().exists()) {
            printErr(QStringLiteral("quorvel: cannot write '%1': directory '%2' does not exist")
                         .arg(path, info.absolutePath()));
            return ExitFailure;
        }
        // Rendered straight from the widgets; no window needs to be mapped.
        // Without alpha, and with fast compression: the file is for looking
        // at, not archiving.
        const QImage image = w.grab().toImage().convertToFormat(QImage::Format_RGB888);
        if (!image.save(path, "PNG", 80)) {
            printErr(QStringLiteral("quorvel: cannot write '%1'").arg(path));
            return ExitFailure;
        }
    }
    if (parser.isSet(printPdf) && !w.printToPdf(parser.value(printPdf)))
        return ExitFailure; // "Print Failed" went to stderr
    if (parser.isSet(exportChart)) {
        QString error;
        if (!w.exportChart(parser.value(exportChart), &error)) {
            printErr(QStringLiteral("quorvel: %1").arg(error));
            return ExitFailure;
        }
    }
    if (parser.isSet(csv)) {
        QSaveFile file(parser.value(csv));
        if (!file.open(QIODevice::WriteOnly) || file.write(sheetAsCsv(w).toUtf8()) < 0 ||
            !file.commit()) {
            printErr(QStringLiteral("quorvel: cannot write '%1'").arg(parser.value(csv)));
            return ExitFailure;
        }
    }
    if (headless) {
        // Everything is written; tearing down the window and Qt's font and
        // plugin caches would take a fifth of a headless run.
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(0);
    }

    w.show();
    return QApplication::exec();
}

} // namespace app
