// The built program's headless command line: the sheet as text and JSON,
// the inputs given as options, the design cities, the screenshot, and the
// exit codes of bad usage.

#include "window_fixture.h"

#include <QImage>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

class TestCli : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    struct Run {
        int exitCode = -1;
        QByteArray out, err;
    };
    // Runs the program with a settings file of its own in the temporary
    // directory; bounded, so a hanging run fails instead of stalling.
    // withoutDisplay: no platform chosen and no display to connect to, as on
    // a build server; the program has to pick its headless platform itself.
    Run run(const QStringList& options, bool withoutDisplay = false,
            const QStringList& extraEnv = {}, const QString& shellPrefix = {}) {
        // The settings go first, so an option left without its value at the
        // end stays without one.
        const QStringList args = QStringList{QStringLiteral("--settings"),
                                             m_dir->filePath(QStringLiteral("quorvel.ini"))} +
                                 options;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (withoutDisplay) {
            for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(QLatin1String(name));
        } else {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        for (const QString& e : extraEnv)
            env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));
        p.setProcessEnvironment(env);
        if (shellPrefix.isEmpty())
            p.start(QStringLiteral(QUORVEL_EXE), args);
        else // the shell sets limits or bytes the argument list cannot carry
            p.start(QStringLiteral("/bin/sh"),
                    QStringList{QStringLiteral("-c"), shellPrefix + QStringLiteral(" \"$@\""),
                                QStringLiteral(QUORVEL_EXE)} +
                        args);
        Run r;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
    // The "fields" object of a --sheet --json run.
    QJsonObject sheet(const QStringList& args, bool* warning = nullptr) {
        const Run r = run(QStringList{QStringLiteral("--sheet"), QStringLiteral("--json")} + args);
        if (r.exitCode != 0)
            return {};
        const QJsonObject root = QJsonDocument::fromJson(r.out).object();
        if (warning)
            *warning = root.value(QStringLiteral("warning")).toBool();
        return root.value(QStringLiteral("fields")).toObject();
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void jsonSheetHoldsEveryField();
    void textSheetShowsTheStates();
    void optionsSetTheInputs();
    void designCityByNameOrRow_data();
    void designCityByNameOrRow();
    void badUsageExitsWithTwo_data();
    void badUsageExitsWithTwo();
    void badUsageNeedsNoDisplay_data();
    void badUsageNeedsNoDisplay();
    void screenshotIntoMissingDirectoryFails();
    void screenshotOntoADirectoryFails();
    void screenshotIsAPngOfTheWindow();
    void helpAndVersion();
    void headlessRunsEndOnQtWarnings_data();
    void headlessRunsEndOnQtWarnings();
    void failedWritesKeepTheOldFile_data();
    void failedWritesKeepTheOldFile();
    void sheetReadsOneFlowAndKeepsItsOrder();
};

void TestCli::jsonSheetHoldsEveryField() {
    const Run r = run({QStringLiteral("--sheet"), QStringLiteral("--json")});
    QCOMPARE(r.exitCode, 0);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    const QJsonObject root = doc.object();
    QVERIFY(root.contains(QStringLiteral("warning")));
    QCOMPARE(root.value(QStringLiteral("warning")), QJsonValue(false));
    const QJsonObject fields = root.value(QStringLiteral("fields")).toObject();
    QCOMPARE(fields.size(), 39);
    for (const QString& name : fixture::fieldNames())
        QVERIFY2(fields.value(name).isString(), qPrintable(name));
    // The start-up state, as the window shows it.
    const reference::Expected want =
        reference::sheet({95, 51, 75, 60, 60, 99, QStringLiteral("6000"), 0.25});
    for (auto it = want.text.cbegin(); it != want.text.cend(); ++it)
        QCOMPARE(fields.value(it.key()).toString(), it.value());
    QCOMPARE(fields.value(QStringLiteral("txtOutdoorTemp")).toString(), QStringLiteral("95"));
    QCOMPARE(fields.value(QStringLiteral("txtFreshMix")).toString(), QStringLiteral("25"));
}

void TestCli::textSheetShowsTheStates() {
    const Run r = run({QStringLiteral("--sheet")});
    QCOMPARE(r.exitCode, 0);
    const QString out = QString::fromUtf8(r.out);
    for (const char* s : {"OUTDOOR", "RETURN", "SUPPLY", "MIXED AIR", "Enthalpy (BTU/lb)", "1500",
                          "4500", ".01819"})
        QVERIFY2(out.contains(QLatin1String(s)), s);
    QVERIFY(!out.contains(QLatin1String("Values Outside Range of Program")));
}

void TestCli::optionsSetTheInputs() {
    const QJsonObject f = sheet({QStringLiteral("--outdoor"), QStringLiteral("80,50")});
    QCOMPARE(f.value(QStringLiteral("txtOutdoorTemp")).toString(), QStringLiteral("80"));
    QCOMPARE(f.value(QStringLiteral("txtOutdoorRH")).toString(), QStringLiteral("50"));
    const reference::Expected want =
        reference::sheet({80, 50, 75, 60, 60, 99, QStringLiteral("6000"), 0.25});
    for (auto it = want.text.cbegin(); it != want.text.cend(); ++it)
        QVERIFY2(f.value(it.key()).toString() == it.value(), qPrintable(it.key()));

    // All inputs at once, the RH clamped as on leaving its field.
    bool warning = true;
    const QJsonObject g =
        sheet({QStringLiteral("--return"), QStringLiteral("72,150"), QStringLiteral("--supply"),
               QStringLiteral("55,90"), QStringLiteral("--cfm"), QStringLiteral("4000"),
               QStringLiteral("--fresh"), QStringLiteral("40")},
              &warning);
    QVERIFY(!warning);
    QCOMPARE(g.value(QStringLiteral("txtReturnRH")).toString(), QStringLiteral("100"));
    QCOMPARE(g.value(QStringLiteral("txtOutdoorFlow")).toString(), QStringLiteral("1600"));
    QCOMPARE(g.value(QStringLiteral("txtReturnFlow")).toString(), QStringLiteral("2400"));
    const reference::Expected want2 =
        reference::sheet({95, 51, 72, 100, 55, 90, QStringLiteral("4000"), 0.4});
    for (auto it = want2.text.cbegin(); it != want2.text.cend(); ++it)
        QVERIFY2(g.value(it.key()).toString() == it.value(), qPrintable(it.key()));
}

void TestCli::designCityByNameOrRow_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("t");
    QTest::addColumn<QString>("rh");
    QTest::newRow("Denver heating") << QStringList{"--city", "Denver, CO", "--heating"} << "-10"
                                    << "37";
    QTest::newRow("row 32 heating") << QStringList{"--city", "32", "--heating"} << "-10"
                                    << "37";
    QTest::newRow("Denver cooling") << QStringList{"--city", "Denver, CO"} << "95"
                                    << "27";
    QTest::newRow("Yuma") << QStringList{"--city", "Yuma, AZ"} << "110"
                          << "31";
    QTest::newRow("row 0 heating") << QStringList{"--city", "0", "--heating"} << "25"
                                   << "80";
}

void TestCli::designCityByNameOrRow() {
    QFETCH(QStringList, args);
    QFETCH(QString, t);
    QFETCH(QString, rh);
    const QJsonObject f = sheet(args);
    QCOMPARE(f.value(QStringLiteral("txtOutdoorTemp")).toString(), t);
    QCOMPARE(f.value(QStringLiteral("txtOutdoorRH")).toString(), rh);
}

void TestCli::badUsageExitsWithTwo_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("pair without comma") << QStringList{"--sheet", "--outdoor", "80"};
    QTest::newRow("unknown option") << QStringList{"--sheet", "--colour"};
    QTest::newRow("missing value") << QStringList{"--sheet", "--cfm"};
    QTest::newRow("unknown city") << QStringList{"--sheet", "--city", "Atlantis, XX"};
    QTest::newRow("row out of range") << QStringList{"--sheet", "--city", "100"};
    QTest::newRow("stray argument") << QStringList{"--sheet", "extra"};
    // A value that looks like an option is not swallowed as a value.
    QTest::newRow("option as a file name") << QStringList{"--csv", "--sheet"};
    QTest::newRow("option as settings") << QStringList{"--settings", "--sheet", "--sheet"};
    QTest::newRow("dash file name") << QStringList{"--sheet", "--csv", "-x.csv"};
}

void TestCli::badUsageExitsWithTwo() {
    QFETCH(QStringList, args);
    const Run r = run(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(!r.err.trimmed().isEmpty());
    QVERIFY(r.out.isEmpty());
}

void TestCli::badUsageNeedsNoDisplay_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    // The headless modes work without a display...
    QTest::newRow("sheet") << QStringList{"--sheet"} << 0;
    QTest::newRow("bad pair with sheet") << QStringList{"--sheet", "--outdoor", "80"} << 2;
    // ...and so must the usage errors around them: they are found before
    // any window would be shown.
    QTest::newRow("json without sheet") << QStringList{"--json"} << 2;
    QTest::newRow("unknown option") << QStringList{"--colour"} << 2;
    QTest::newRow("bad pair") << QStringList{"--outdoor", "80"} << 2;
}

void TestCli::badUsageNeedsNoDisplay() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    const Run r = run(args, true);
    QVERIFY2(r.exitCode == exitCode,
             qPrintable(
                 QStringLiteral("exit %1: %2").arg(r.exitCode).arg(QString::fromLocal8Bit(r.err))));
    if (exitCode == 2)
        QVERIFY(r.err.startsWith("quorvel: "));
}

void TestCli::screenshotIntoMissingDirectoryFails() {
    const QString path = m_dir->filePath(QStringLiteral("no/such/dir/shot.png"));
    const Run r = run({QStringLiteral("--screenshot"), path});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!r.err.trimmed().isEmpty());
    QVERIFY(!QFile::exists(path));
}

void TestCli::screenshotOntoADirectoryFails() {
    const Run r = run({QStringLiteral("--screenshot"), m_dir->path()});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains(QFile::encodeName(m_dir->path())));
}

void TestCli::screenshotIsAPngOfTheWindow() {
    const QString path = m_dir->filePath(QStringLiteral("shot.png"));
    const Run r = run({QStringLiteral("--screenshot"), path});
    QCOMPARE(r.exitCode, 0);
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage shot = reader.read();
    QVERIFY(!shot.isNull());
    // The same window built here, on the same platform.
    fixture::Window w;
    QCOMPARE(shot.size(), w.form->size() * w.form->devicePixelRatio());
    // Not a blank picture: the chart area holds more than one colour.
    const QImage graph = shot.copy(
        QRect(w.form->picGraph->mapTo(w.form.get(), QPoint(0, 0)), w.form->picGraph->size()));
    QSet<QRgb> colours;
    for (int y = 0; y < graph.height(); y += 7)
        for (int x = 0; x < graph.width(); x += 7)
            colours.insert(graph.pixel(x, y));
    QVERIFY(colours.size() > 5);
}

void TestCli::helpAndVersion() {
    const Run help = run({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains("--sheet"));
    QVERIFY(help.out.contains("--screenshot"));
    QCOMPARE(run({QStringLiteral("--help-all")}, true).out, help.out);
    // A file name that is not UTF-8 would silently become another name.
    QCOMPARE(run({QStringLiteral("--sheet")}, true, {}, QStringLiteral("exec \"$0\" --csv \"$(printf '\\377.csv')\"")).exitCode, 2);
    const Run version = run({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(version.out.contains("1.1"), version.out.constData());
}

void TestCli::headlessRunsEndOnQtWarnings_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("env");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");
    QTest::newRow("non-Latin digits") << QStringList{"--sheet", "--json", "--fresh", "१२"}
                                      << QStringList{} << 0 << QString();
    QTest::newRow("debug logging") << QStringList{"--sheet"}
                                   << QStringList{"QT_LOGGING_RULES=*.debug=true"} << 0 << QString();
    QTest::newRow("open runtime dir") << QStringList{"--sheet"} << QStringList{"XDG_RUNTIME_DIR=/tmp"}
                                      << 0 << QString();
    QTest::newRow("report onto a folder") << QStringList{"--print-pdf", "."} << QStringList{} << 1
                                          << "is a directory";
    QTest::newRow("report into no folder") << QStringList{"--print-pdf", "no/such/r.pdf"}
                                           << QStringList{} << 1 << "does not exist";
    // The sheet is printed, but from the defaults: the run failed.
    QTest::newRow("live feed down") << QStringList{"--live", "--sheet"} << QStringList{} << 1
                                    << "connection refused";
}

// Each of these made Qt warn, and the headless message filter called
// itself for ever.
void TestCli::headlessRunsEndOnQtWarnings() {
    QFETCH(QStringList, args);
    QFETCH(QStringList, env);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QFile ini(m_dir->filePath(QStringLiteral("quorvel.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[XMLSetup]\nXMLCurrent=http://127.0.0.1:9/c\nXMLDaily=http://127.0.0.1:9/d\n");
    ini.close();
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    const Run r = run(args, false, env);
    QDir::setCurrent(cwd);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(r.err).contains(err), r.err.constData());
}

void TestCli::failedWritesKeepTheOldFile_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("name");
    for (const char* o : {"--csv", "--screenshot", "--print-pdf", "--export-chart"})
        QTest::newRow(o) << o << "out";
    QTest::newRow("svg") << "--export-chart" << "out.svg";
    QTest::newRow("pdf") << "--export-chart" << "out.pdf";
}

// A write that fails (here: no file may grow, as on a full disk) reports the
// failure and leaves the old file as it was; a FIFO is never replaced.
void TestCli::failedWritesKeepTheOldFile() {
    QFETCH(QString, option);
    QFETCH(QString, name);
    if (option == QLatin1String("--export-chart") && !name.contains(u'.'))
        name += QStringLiteral(".png");
    const QString path = m_dir->filePath(name);
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old contents") == 12);
    }
    const Run full = run({option, path}, false, {},
                         QStringLiteral("trap '' XFSZ; ulimit -f 0; exec \"$0\""));
    QCOMPARE(full.exitCode, 1);
    QVERIFY(!full.err.trimmed().isEmpty());
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old contents"));

    const QString fifo = m_dir->filePath(QStringLiteral("fifo.") + QFileInfo(path).suffix());
    QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {fifo}), 0);
    const Run special = run({option, fifo});
    QCOMPARE(special.exitCode, 1);
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

void TestCli::sheetReadsOneFlowAndKeepsItsOrder() {
    // The flow as it is written in the US is the same flow for every step.
    QCOMPARE(sheet({QStringLiteral("--cfm"), QStringLiteral("6,000")}),
             sheet({QStringLiteral("--cfm"), QStringLiteral("6000")}));
    // Dew point <= wet bulb <= dry bulb, beyond the dew-point table and low
    // on the chart alike.
    for (const char* outdoor : {"88,100", "35,46"}) {
        const QJsonObject f = sheet({QStringLiteral("--outdoor"), QLatin1String(outdoor)});
        const double dry = QString::fromLatin1(outdoor).section(u',', 0, 0).toDouble();
        const double wet = f.value(QStringLiteral("txtOutDoorWetBulb")).toString().toDouble();
        const double dew = f.value(QStringLiteral("txtOutdoorDew")).toString().toDouble();
        QVERIFY2(dew <= wet && wet <= dry, outdoor);
    }
    QCOMPARE(sheet({QStringLiteral("--outdoor"), QStringLiteral("88,100")})
                 .value(QStringLiteral("txtOutdoorDew")),
             QJsonValue(QStringLiteral("88")));
    // Values that cannot be read off the chart take the load with them, in
    // every output; a wide value never runs into the next column.
    const Run text = run({QStringLiteral("--sheet"), QStringLiteral("--outdoor"),
                          QStringLiteral("abc,50"), QStringLiteral("--cfm"), QStringLiteral("1e30")});
    QVERIFY(text.out.contains("Cooling Load (BTU/hr): \n"));
    QVERIFY(text.out.contains("Values Outside Range of Program"));
    for (const QByteArray& line : text.out.split('\n'))
        if (line.startsWith("Air Flow") || line.startsWith("Temperature"))
            QCOMPARE(line.mid(20).simplified().split(' ').size(), 4);
    const Run csv = run({QStringLiteral("--csv"), QStringLiteral("-"), QStringLiteral("--outdoor"),
                         QStringLiteral("abc,50")});
    QVERIFY(csv.out.contains("Cooling Load (BTU/hr),\r\n"));
    QVERIFY(csv.out.endsWith("Values Outside Range of Program\r\n"));
    // A full standard output is a failed write.
    QProcess p;
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(QUORVEL_EXE), {QStringLiteral("--sheet")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
}

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
