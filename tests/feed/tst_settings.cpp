// The settings file: the private-profile rules of its reader and writer,
// the feed settings kept in it, where it lives, and a save that fails.
#include "feed/feed_settings.h"
#include "feed/ini_file.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

const QString DefaultCurrent =
    QStringLiteral(QUORVEL_FEED_HOST "/weatherstation/WXCurrentObXML.asp?ID=" QUORVEL_FEED_STATION);
const QString DefaultDaily = QStringLiteral(
    QUORVEL_FEED_HOST "/weatherstation/WXDailyHistory.asp?ID=" QUORVEL_FEED_STATION "&format=XML");

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Every byte value, NUL and lone CR included, but '[': no section by chance.
QByteArray garbage(const QByteArray& middle) {
    QByteArray b;
    for (int i = 0; i < 4096; ++i)
        b += char(i * 7919 % 256 == '[' ? ']' : i * 7919 % 256);
    return b + middle + b;
}

// What stands at path, without opening anything but a regular file.
QByteArray state(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink())
        return "link to " + QFile::encodeName(info.symLinkTarget());
    return info.isFile() ? readBytes(path) : QByteArray(info.exists() ? "special" : "none");
}

QByteArray section(const QString& current, const QString& daily, const QString& offset) {
    return "[XMLSetup]\nXMLCurrent=" + current.toLatin1() + "\nXMLDaily=" + daily.toLatin1() +
           "\nXMLGMTOffset=" + offset.toLatin1() + "\n";
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const QString& name = "s.ini") const { return m_dir.filePath(name); }
    QStringList entries() const {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

private slots:
    void init() { QVERIFY(QDir(m_dir.path()).removeRecursively() && QDir().mkdir(m_dir.path())); }

    void ini_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QString>("entry");     // key (read it) or key=value (write it)
        QTest::addColumn<QByteArray>("result"); // the value read (UTF-8), or the file written
        const QByteArray cut = "[XMLSetup]\nXMLCurrent=" + QByteArray(517, 'x');
        const std::tuple<const char*, QByteArray, const char*, QByteArray> rows[] = {
            {"case", "[xmlSETUP]\nxmlcurrent=v\n", "XMLCurrent", "v"},
            {"blanks", "  [ XMLSetup ] \n  XMLCurrent = \t h?a=b \t \n", "XMLCurrent", "h?a=b"},
            {"quotes", "[XMLSetup]\nXMLCurrent= \" q \" \n", "XMLCurrent", "q"},
            {"one quote", "[XMLSetup]\nXMLCurrent='q\n", "XMLCurrent", "'q"},
            {"elsewhere", "k=a\n[O]\nk=b\n[XMLSetupX]\nk=c\n[XMLSetup]\n;k=d\nkk=e\n", "k", ""},
            {"first", "[XMLSetup]\nk=1\nk=2\n[XMLSetup]\nk=3\n", "k", "1"},
            {"BOM, CRLF", "\xEF\xBB\xBF[XMLSetup]\r\nk=crlf\r\nXMLDaily=x", "k", "crlf"},
            {"Latin-1", "[XMLSetup]\nk=caf\xE9", "k", "caf\u00E9"},
            {"519", cut + "xxz\n", "XMLCurrent", QByteArray(519, 'x')},
            {"519, trimmed", cut + "   yyy\n", "XMLCurrent", QByteArray(517, 'x')},
            {"in garbage", garbage("\n[XMLSetup]\nk=v\n"), "k", "v"},
            {"new file", {}, "k=\u00B0 F\r\nb", "[XMLSetup]\nk=\xB0 F  b\n"},
            {"in place", "[W]\nk=w\n\n[xmlsetup]\n; n\nK=o\nXMLDaily=d\n", "k=n",
             "[W]\nk=w\n\n[xmlsetup]\n; n\nk=n\nXMLDaily=d\n"},
            {"end of section", "[XMLSetup]\nk=c\n\n[O]\n", "d=d", "[XMLSetup]\nk=c\nd=d\n\n[O]\n"},
            {"new section", "[O]\nx=1", "k=d", "[O]\nx=1\n\n[XMLSetup]\nk=d\n"},
            {"unterminated", "[XMLSetup]\nk=c", "k=e", "[XMLSetup]\nk=e"},
            {"first of two", "[XMLSetup]\nk=1\nk=2\n[XMLSetup]\nk=3\n", "k=9",
             "[XMLSetup]\nk=9\nk=2\n[XMLSetup]\nk=3\n"},
            {"BOM, CRLF kept", "\xEF\xBB\xBF[O]\r\nx=1", "k=d",
             "\xEF\xBB\xBF[O]\r\nx=1\r\n\r\n[XMLSetup]\r\nk=d\r\n"},
            {"garbage kept", garbage("\n[XMLSetup]\nk=v\n"), "k=w",
             garbage("\n[XMLSetup]\nk=w\n")}};
        for (const auto& [name, before, entry, result] : rows)
            QTest::newRow(name) << before << QString::fromUtf8(entry) << result;
    }
    void ini() {
        QFETCH(QByteArray, before);
        QFETCH(QString, entry);
        QFETCH(QByteArray, result);
        QVERIFY(before.isNull() || writeBytes(file(), before));
        if (!entry.contains(u'=')) {
            QCOMPARE(feed::ReadIniKey(file(), "XMLSetup", entry), QString::fromUtf8(result));
            return;
        }
        QCOMPARE(feed::WriteIniKey(file(), "XMLSetup", entry.section(u'=', 0, 0),
                                   entry.section(u'=', 1)),
                 QStringLiteral("OK"));
        QCOMPARE(readBytes(file()), result);
        QCOMPARE(entries(), QStringList{"s.ini"});
    }

    // What stands at the settings path, what loads from it, and whether a
    // save gets through; one that cannot leaves everything as it was.
    void settings_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QByteArray>("text"); // of the file, for "file" and "link"
        QTest::addColumn<QString>("current"); // loaded; empty: the default
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("problem"); // said about the file; empty: nothing
        // Saved as read, so that the save keeps the size.
        const QByteArray edge = section("h://c", "h://t/d?at=Z\u00FCrich%E2%80%93Ost", "-7");
        const char* irregular = "not a regular file";
        const std::tuple<const char*, const char*, QByteArray, const char*, int, const char*>
            rows[] = {{"none", "none", {}, "", 5, ""},
                      {"values", "file", "[xmlsetup]\r\nXMLCurrent= h://c\r\nxmldaily=h://d\r\n",
                       "h://c", 5, ""},
                      {"blanks", "file", "[XMLSetup]\nXMLCurrent= \nXMLDaily=\nXMLGMTOffset=\t\n",
                       "", 5, ""},
                      {"link", "link", section("h://l", "h://d", "3"), "h://l", 3, ""},
                      {"1 MiB", "file", edge + QByteArray(1024 * 1024 - edge.size(), ';'), "h://c",
                       -7, ""},
                      {"over 1 MiB", "file", edge + QByteArray(1024 * 1024 + 1 - edge.size(), ';'),
                       "", 5, "larger than 1048576 bytes"},
                      {"FIFO", "fifo", {}, "", 5, irregular},
                      {"/dev/zero", "zero", {}, "", 5, irregular},
                      {"binary", "file", garbage("\n"), "", 5, "holds binary data"},
                      // The offset's leading number, halves to even; the default when
                      // that lies outside -12..14 hours.
                      {"2.5", "file", "[XMLSetup]\nXMLGMTOffset=2.5", "", 2, ""},
                      {"3.5 h", "file", "[XMLSetup]\nXMLGMTOffset=3.5 h", "", 4, ""},
                      {"14", "file", "[XMLSetup]\nXMLGMTOffset=14", "", 14, ""},
                      {"15", "file", "[XMLSetup]\nXMLGMTOffset=15", "", 5, ""},
                      {"-12", "file", "[XMLSetup]\nXMLGMTOffset=-12", "", -12, ""},
                      {"-13", "file", "[XMLSetup]\nXMLGMTOffset=-13", "", 5, ""}};
        for (const auto& [name, place, text, current, offset, problem] : rows)
            QTest::newRow(name) << QString::fromLatin1(place) << text << QString(current) << offset
                                << QString(problem);
    }
    void settings() {
        QFETCH(QString, place);
        QFETCH(QByteArray, text);
        QFETCH(QString, current);
        QFETCH(int, offset);
        QFETCH(QString, problem);
        QVERIFY(place != "file" || writeBytes(file(), text));
        QVERIFY(place != "link" || (writeBytes(file("t"), text) && QFile::link(file("t"), file())));
        QVERIFY(place != "fifo" || mkfifo(QFile::encodeName(file()), 0600) == 0);
        QVERIFY(place != "zero" || QFile::link("/dev/zero", file()));
        const QStringList before = entries();
        const QByteArray stateBefore = state(file());
        feed::IniSettingsStore store(file());
        model::FeedSettings s;
        store.LoadFeedSettings(s, 0);
        QCOMPARE(s.gXMLCurrent, DefaultCurrent);
        const QString said = store.LoadFeedSettings(s, 1);
        QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));
        QCOMPARE(s.gIniFile, file());
        QCOMPARE(s.gXMLCurrent, current.isEmpty() ? DefaultCurrent : current);
        QCOMPARE(s.gXMLDaily == DefaultDaily, current.isEmpty());
        QCOMPARE(int(s.gGMTOffset), offset);

        // Beyond Latin-1 (the file's encoding) a URL is percent-encoded.
        s.gXMLDaily = QStringLiteral("h://t/d?at=Z\u00FCrich\u2013Ost");
        s.gGMTOffset = -7;
        const bool usable =
            QStringList{"none", "file", "link"}.contains(place) && text.size() <= 1024 * 1024;
        QCOMPARE(store.save(s), usable);
        if (!usable) {
            QCOMPARE(entries(), before);
            QCOMPARE(state(file()), stateBefore);
            return;
        }
        QVERIFY(readBytes(file()).contains("XMLDaily=h://t/d?at=Z\xFCrich%E2%80%93Ost"));
        QCOMPARE(QFileInfo(file()).isSymLink(), place == "link");
        model::FeedSettings next;
        feed::IniSettingsStore(file()).LoadFeedSettings(next, 1);
        QCOMPARE(QUrl(next.gXMLDaily), QUrl(s.gXMLDaily));
        QCOMPARE(next.gXMLCurrent, s.gXMLCurrent);
        QCOMPARE(int(next.gGMTOffset), -7);
    }

    // The weather-service keys: read when there, and written back only once
    // the file has them or they are set, in either case as xml after a
    // switch back.
    void weatherServiceKeys_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("loaded");   // source station base contact
        QTest::addColumn<QByteArray>("saved"); // after a switch to xml; empty: no source key
        QTest::newRow("without") << QByteArray("[XMLSetup]\nXMLCurrent=h://c\n")
                                 << "xml  https://api.weather.gov " << QByteArray();
        QTest::newRow("nws") << QByteArray("[XMLSetup]\nFeedSource=NWS\nNWSStation= KPWM \n"
                                           "NWSBaseURL=h://api\nNWSContact=a@b\n; x\n")
                             << "nws KPWM h://api a@b"
                             << QByteArray("FeedSource=xml\nNWSStation=KPWM\nNWSBaseURL=h://api\n"
                                           "NWSContact=a@b\n; x\n");
        QTest::newRow("unknown source") << QByteArray("[XMLSetup]\nFeedSource=json\n")
                                        << "xml  https://api.weather.gov " << QByteArray("=xml");
        // A line break would start a header of its own in the request.
        QTest::newRow("contact with a CR") << QByteArray("[XMLSetup]\nNWSContact=a@b\rX-Evil: 1\n")
                                           << "xml  https://api.weather.gov " << QByteArray();
    }
    void weatherServiceKeys() {
        QFETCH(QByteArray, text);
        QFETCH(QString, loaded);
        QFETCH(QByteArray, saved);
        QVERIFY(writeBytes(file(), text));
        feed::IniSettingsStore store(file());
        model::FeedSettings s;
        store.LoadFeedSettings(s, 1);
        QCOMPARE(QStringList({s.feedSource, s.nwsStation, s.nwsBaseUrl, s.nwsContact}).join(' '),
                 loaded);
        s.feedSource = "xml";
        QVERIFY(store.save(s));
        const QByteArray after = readBytes(file());
        QVERIFY2(saved.isEmpty() ? !after.contains("FeedSource") : after.contains(saved),
                 after.constData());
    }

    // An installed program's directory is not the user's to write: the
    // settings then live in the user's configuration directory, starting
    // from the file installed beside the program.
    void location() {
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(file("config")));
        const QString beside = file(QString::fromLatin1(feed::IniFileName));
        const QByteArray installed = "[O]\nkept=1\n\n[XMLSetup]\nXMLCurrent=h://installed\n";
        QVERIFY(writeBytes(beside, installed));
        QString seed = "stale";
        QCOMPARE(feed::settingsFilePath(m_dir.path(), &seed) + seed, beside);
        const QString own =
            feed::settingsFilePath(m_dir.path(), &seed, [](auto&) { return false; });
        // Put back as CTest set it, so that later tests stay in the build.
        configHome.isNull() ? qunsetenv("XDG_CONFIG_HOME")
                            : qputenv("XDG_CONFIG_HOME", configHome);
        QCOMPARE(own,
                 file("config/" + QCoreApplication::applicationName() + "/Quorvel_ZADUvuru.ini"));
        QCOMPARE(seed, beside);
        feed::IniSettingsStore store(own, seed);
        model::FeedSettings s;
        store.LoadFeedSettings(s, 1);
        QCOMPARE(s.gXMLCurrent, QStringLiteral("h://installed"));
        QVERIFY(store.save(s));
        QCOMPARE(readBytes(own),
                 installed + "XMLDaily=" + DefaultDaily.toLatin1() + "\nXMLGMTOffset=5\n");
        QCOMPARE(readBytes(beside), installed);
    }

    // A file-size limit stands in for a full disk.
    void fullDiskKeepsOldFile() {
        const QByteArray text =
            QByteArray("; note\n").repeated(1000) + section("h://c", "h://d", "3");
        QVERIFY(writeBytes(file(), text));
        QProcess helper;
        helper.start(QUORVEL_SAVE_HELPER, {file(), "4096", "h://n", "", "-6"});
        QVERIFY(helper.waitForFinished(QUORVEL_HANG_GUARD_MS));
        QCOMPARE(helper.readAllStandardOutput(), QByteArray("ERROR\n"));
        QCOMPARE(readBytes(file()), text);
        QCOMPARE(entries(), QStringList{"s.ini"});
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
