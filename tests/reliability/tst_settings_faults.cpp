// The feed settings file in bad shape: unusable places, damaged content,
// and a save cut off by the process being killed. Start-up must come up
// with sensible settings, "OK" in the XML Feed dialog must not damage what
// it does not own, and a save must leave either the old or the new file.

#include "app/form1.h"
#include "feed/feed_settings.h"
#include "feed/ini_file.h"
#include "feed/xml_feed_dialog.h"
#include "save_values.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>
#include <random>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kSection = QString::fromLatin1(feed::kIniSection);
const QString kCurrent = QString::fromLatin1(feed::kIniKeyCurrent);
const QString kDaily = QString::fromLatin1(feed::kIniKeyDaily);
const QString kOffset = QString::fromLatin1(feed::kIniKeyOffset);

// What the user types into the dialog before pressing "OK".
const QString kNewCurrent = QStringLiteral("http://127.0.0.1:9/new/current?ID=KXYZ");
const QString kNewDaily = QStringLiteral("http://127.0.0.1:9/new/daily?ID=KXYZ&format=XML");
constexpr int kNewOffset = -7;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Bytes of every value, NUL and line breaks included; never a '[' so that
// no section can appear by chance.
QByteArray garbage(int size, quint32 seed) {
    std::mt19937 rng(seed);
    QByteArray b;
    while (b.size() < size) {
        const char c = char(rng() & 0xff);
        if (c != '[')
            b += c;
    }
    return b;
}

QByteArray section(const QByteArray& current, const QByteArray& daily, const QByteArray& offset,
                   const QByteArray& eol = "\n") {
    return "[XMLSetup]" + eol + "XMLCurrent=" + current + eol + "XMLDaily=" + daily + eol +
           "XMLGMTOffset=" + offset + eol;
}

// The lines of a settings file that "OK" has no business touching: all of
// them except blank lines, XMLSetup headers and the three keys inside an
// XMLSetup section. A trailing '\r' is not part of a line here (the CRLF
// case checks line endings on its own).
QList<QByteArray> untouchableLines(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    if (bytes.endsWith('\n'))
        lines.removeLast();
    QList<QByteArray> kept;
    bool inSetup = false;
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        QByteArray logical = line.trimmed();
        if (logical.startsWith("\xEF\xBB\xBF"))
            logical = logical.mid(3);
        if (logical.isEmpty())
            continue;
        if (logical.startsWith('[')) {
            inSetup = logical.toLower().startsWith("[xmlsetup]");
            if (inSetup)
                continue;
        } else if (inSetup) {
            const QByteArray key = logical.left(logical.indexOf('=')).trimmed().toLower();
            if (key == "xmlcurrent" || key == "xmldaily" || key == "xmlgmtoffset")
                continue;
        }
        kept << line;
    }
    return kept;
}

} // namespace

class TestSettingsFaults : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path() const { return m_dir->filePath(QStringLiteral("quorvel.ini")); }

    // Starts a window on settingsPath and presses "OK" in its XML Feed
    // dialog after typing the new settings. Returns whether the dialog
    // closed accepted.
    static bool pressOk(app::Form1& form, QStringList* messages) {
        bool accepted = false;
        form.messageBox = [messages](const QString& text) { *messages << text; };
        form.runFeedDialog = [&accepted](feed::frmXMLFeed& d) {
            d.txtXMLCurrent->setText(kNewCurrent);
            d.txtXMLDaily->setText(kNewDaily);
            d.txtGMTOffet->setText(QString::number(kNewOffset));
            d.Command1->click();
            accepted = d.result() == QDialog::Accepted;
        };
        form.cmdLiveSet->click();
        return accepted;
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() {
        alarm(0);
        m_dir.reset();
    }

    void damagedFileIsReadSafely_data();
    void damagedFileIsReadSafely();
    void okKeepsWhatItDoesNotOwn_data();
    void okKeepsWhatItDoesNotOwn();
    void unusableSettingsPlace_data();
    void unusableSettingsPlace();
    void okWritesThroughSymlinkedFile();
    void failedSaveKeepsOldFile();
    void killedSaveLeavesOldOrNewFile();
};

void TestSettingsFaults::damagedFileIsReadSafely_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("current"); // empty: the built-in default
    QTest::addColumn<QString>("daily");
    QTest::addColumn<int>("offset");

    const QString c = QStringLiteral("http://127.0.0.1:7/c");
    const QString d = QStringLiteral("http://127.0.0.1:7/d");
    const QByteArray good = section(c.toLatin1(), d.toLatin1(), "3");

    QTest::newRow("empty file") << QByteArray() << QString() << QString() << 5;
    QTest::newRow("binary garbage") << garbage(4096, 1) << QString() << QString() << 5;
    QTest::newRow("garbage around the section")
        << garbage(4096, 2) + "\n" + good + garbage(4096, 3) << c << d << 3;
    // Both just within the 1 MiB a settings file may have.
    QTest::newRow("1 MB line before the section")
        << "[Junk]\n" + QByteArray(1000 * 1000, 'x') + "\n" + good << c << d << 3;
    const QByteArray longUrl = "http://127.0.0.1:7/" + QByteArray(1000 * 1000, 'v');
    QTest::newRow("1 MB value") << section(longUrl, d.toLatin1(), "3")
                                << QString::fromLatin1(longUrl.left(519)) << d << 3;
    QTest::newRow("CRLF line endings")
        << section(c.toLatin1(), d.toLatin1(), "-6", "\r\n") + "[Other]\r\nz=1\r\n"
        << c << d << -6;
    QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + good << c << d << 3;
    QTest::newRow("duplicate sections and keys")
        << "[XMLSetup]\nXMLCurrent=" + c.toLatin1() +
               "\nxmlcurrent=http://127.0.0.1:7/second\nXMLGMTOffset=3\nXMLGMTOffset=9\n"
               "[Other]\nXMLDaily=http://127.0.0.1:7/other\n"
               "[xmlsetup]\nXMLDaily=http://127.0.0.1:7/later\nXMLCurrent=http://127.0.0.1:7/"
               "third\n"
        << c << QString() << 3;
    QTest::newRow("blank values") << QByteArray("[XMLSetup]\nXMLCurrent=   \nXMLDaily=\t\n"
                                                "XMLGMTOffset= \n")
                                  << QString() << QString() << 5;
    QTest::newRow("offset beyond any number")
        << section(c.toLatin1(), d.toLatin1(), "1e400") << c << d << 5;
}

// Start-up reads whatever is there without failing, keeps the defaults for
// what it cannot read, and never writes the file.
void TestSettingsFaults::damagedFileIsReadSafely() {
    QFETCH(QByteArray, content);
    QFETCH(QString, current);
    QFETCH(QString, daily);
    QFETCH(int, offset);
    if (current.isEmpty())
        current = feed::defaultCurrentUrl();
    if (daily.isEmpty())
        daily = feed::defaultDailyUrl();
    QVERIFY(writeFile(path(), content));

    feed::FeedSettings direct;
    feed::LoadFeedSettings(direct, 1, path());
    QCOMPARE(direct.gXMLCurrent, current);
    QCOMPARE(direct.gXMLDaily, daily);
    QCOMPARE(int(direct.gGMTOffset), offset);

    QElapsedTimer clock;
    clock.start();
    app::Form1 form(path());
    QVERIFY2(clock.elapsed() < 15000, "start-up took too long");
    QCOMPARE(form.feedSettings().gXMLCurrent, current);
    QCOMPARE(form.feedSettings().gXMLDaily, daily);
    QCOMPARE(int(form.feedSettings().gGMTOffset), offset);
    QVERIFY(form.redrawCount() > 0);
    QVERIFY(readFile(path()) == content);
}

void TestSettingsFaults::okKeepsWhatItDoesNotOwn_data() {
    damagedFileIsReadSafely_data();
}

// "OK" writes the three settings and leaves every other byte of meaning in
// the file as it was: other sections and keys, junk lines, the byte-order
// mark and the line-ending style.
void TestSettingsFaults::okKeepsWhatItDoesNotOwn() {
    QFETCH(QByteArray, content);
    QVERIFY(writeFile(path(), content));

    QStringList messages;
    {
        app::Form1 form(path());
        QVERIFY(pressOk(form, &messages));
        QCOMPARE(form.feedSettings().gXMLCurrent, kNewCurrent);
        QCOMPARE(form.feedSettings().gXMLDaily, kNewDaily);
        QCOMPARE(int(form.feedSettings().gGMTOffset), kNewOffset);
    }
    QCOMPARE(messages, QStringList());

    // The next start reads what was typed.
    feed::FeedSettings next;
    feed::LoadFeedSettings(next, 1, path());
    QCOMPARE(next.gXMLCurrent, kNewCurrent);
    QCOMPARE(next.gXMLDaily, kNewDaily);
    QCOMPARE(int(next.gGMTOffset), kNewOffset);

    const QByteArray saved = readFile(path());
    QCOMPARE(untouchableLines(saved), untouchableLines(content));
    if (content.startsWith("\xEF\xBB\xBF")) {
        QVERIFY(saved.startsWith("\xEF\xBB\xBF"));
        QVERIFY(!saved.mid(3).contains("\xEF\xBB\xBF"));
    }
    if (content.contains("\r\n") && content.count('\n') == content.count("\r\n"))
        QCOMPARE(saved.count('\n'), saved.count("\r\n"));
    if (content.contains("xmlcurrent=http://127.0.0.1:7/second")) {
        // The first of duplicate keys is the one that counts and changes.
        QVERIFY(saved.contains("xmlcurrent=http://127.0.0.1:7/second"));
        QVERIFY(saved.contains("XMLCurrent=http://127.0.0.1:7/third"));
    }
}

void TestSettingsFaults::unusableSettingsPlace_data() {
    QTest::addColumn<QString>("place");
    QTest::newRow("parent is a regular file") << QStringLiteral("blocker/quorvel.ini");
    QTest::newRow("path is a directory") << QStringLiteral("adir");
    QTest::newRow("parent does not exist") << QStringLiteral("missing/deeper/quorvel.ini");
    QTest::newRow("a FIFO without a writer") << QStringLiteral("fifo");
    QTest::newRow("a link to /dev/zero") << QStringLiteral("zero");
    QTest::newRow("settings in a file over 1 MiB") << QStringLiteral("big.ini");
}

// A settings file that cannot be read or written: start-up uses the
// defaults, "OK" still closes the dialog and the typed settings hold for
// this run; nothing in the way is harmed and no message appears.
void TestSettingsFaults::unusableSettingsPlace() {
    QFETCH(QString, place);
    // A FIFO could block start-up for good and /dev/zero fill the memory:
    // ended by the alarm (cleanup disarms it).
    alarm(60);
    const QByteArray blockerContent = "a regular file where a directory is expected\n";
    QVERIFY(writeFile(m_dir->filePath(QStringLiteral("blocker")), blockerContent));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("adir")));
    QCOMPARE(mkfifo(QFile::encodeName(m_dir->filePath(QStringLiteral("fifo"))).constData(), 0600),
             0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_dir->filePath(QStringLiteral("zero"))));
    const QByteArray big =
        section("http://127.0.0.1:7/c", "http://127.0.0.1:7/d", "3") + QByteArray(1 << 20, ';');
    QVERIFY(writeFile(m_dir->filePath(QStringLiteral("big.ini")), big));
    const QStringList entriesBefore =
        QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    const QString settingsPath = m_dir->filePath(place);
    QStringList messages;
    {
        app::Form1 form(settingsPath);
        QCOMPARE(form.feedSettings().gXMLCurrent, feed::defaultCurrentUrl());
        QCOMPARE(form.feedSettings().gXMLDaily, feed::defaultDailyUrl());
        QCOMPARE(int(form.feedSettings().gGMTOffset), 5);
        QVERIFY(pressOk(form, &messages));
        QCOMPARE(form.feedSettings().gXMLCurrent, kNewCurrent);
        QCOMPARE(form.feedSettings().gXMLDaily, kNewDaily);
        QCOMPARE(int(form.feedSettings().gGMTOffset), kNewOffset);
        // The window goes on working.
        const int redraws = form.redrawCount();
        form.txtReturnTemp->setText(QStringLiteral("74"));
        QVERIFY(form.redrawCount() > redraws);
    }
    QCOMPARE(messages, QStringList());
    QCOMPARE(feed::WriteIniKey(settingsPath, kSection, kCurrent, kNewCurrent),
             QStringLiteral("ERROR"));
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("blocker"))), blockerContent);
    QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("adir"))).isDir());
    QVERIFY(QDir(m_dir->filePath(QStringLiteral("adir"))).isEmpty());
    QVERIFY(!QFileInfo(m_dir->filePath(QStringLiteral("fifo"))).isFile());
    QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("zero"))).isSymLink());
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("big.ini"))), big);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             entriesBefore);
}

// A settings file kept elsewhere and linked beside the program: "OK" saves
// into the file the link points to and leaves the link in place.
void TestSettingsFaults::okWritesThroughSymlinkedFile() {
    const QString target = m_dir->filePath(QStringLiteral("shared.ini"));
    const QByteArray content = "[Station notes]\nowner=plant room\n\n" +
                               section("http://127.0.0.1:7/c", "http://127.0.0.1:7/d", "3");
    QVERIFY(writeFile(target, content));
    QVERIFY(QFile::link(target, path()));

    QStringList messages;
    {
        app::Form1 form(path());
        QCOMPARE(form.feedSettings().gXMLCurrent, QStringLiteral("http://127.0.0.1:7/c"));
        QVERIFY(pressOk(form, &messages));
    }
    QCOMPARE(messages, QStringList());
    QVERIFY2(QFileInfo(path()).isSymLink(), "the link was replaced by a copy");
    feed::FeedSettings next;
    feed::LoadFeedSettings(next, 1, target);
    QCOMPARE(next.gXMLCurrent, kNewCurrent);
    QCOMPARE(next.gXMLDaily, kNewDaily);
    QCOMPARE(untouchableLines(readFile(target)), untouchableLines(content));
}

// A save that runs out of room (a file-size limit stands in for a full
// disk) fails, and the old file stays byte for byte with nothing beside it.
void TestSettingsFaults::failedSaveKeepsOldFile() {
    QByteArray content = "[Station notes]\n";
    for (int i = 0; i < 200; ++i)
        content += "note" + QByteArray::number(i) + "=kept exactly as written\n";
    content += section("http://127.0.0.1:7/c", "http://127.0.0.1:7/d", "3");
    QVERIFY(writeFile(path(), content));
    QProcess helper;
    helper.start(QStringLiteral(QUORVEL_SAVE_HELPER),
                 {QStringLiteral("--file-size-limit"), QStringLiteral("4096"), path()});
    QVERIFY(helper.waitForFinished(30000));
    QCOMPARE(helper.readAllStandardOutput().trimmed(), QByteArray("ERROR"));
    QCOMPARE(readFile(path()), content);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("quorvel.ini")});
}

// A helper process saves the settings key by key in a loop and is killed
// with SIGKILL at random moments. After every kill the file must be whole:
// byte for byte one of the files the saves can produce, each key holding
// one of its two values, the rest of the file untouched.
void TestSettingsFaults::killedSaveLeavesOldOrNewFile() {
    const quint64 seed = qEnvironmentVariableIsSet("QUORVEL_FUZZ_SEED")
                             ? qEnvironmentVariable("QUORVEL_FUZZ_SEED").toULongLong()
                             : 20240611;
    bool killsOk = false;
    int kills = qEnvironmentVariableIntValue("QUORVEL_SAVE_KILLS", &killsOk);
    if (!killsOk || kills <= 0)
        kills = 200;
    qInfo("seed %llu (QUORVEL_FUZZ_SEED), %d kills (QUORVEL_SAVE_KILLS)",
          static_cast<unsigned long long>(seed), kills);
    std::mt19937_64 rng(seed);

    // Sections before and after ours, large enough that a save takes a
    // while and a kill can land in the middle of one.
    QByteArray before = "; feed settings\n[Station notes]\n";
    for (int i = 0; i < 3000; ++i)
        before += "note" + QByteArray::number(i) + "=kept exactly as written, line " +
                  QByteArray::number(i) + "\n";
    const QByteArray after = "\n[Trailer]\nlast=1\n";
    auto layout = [&](int combo) {
        return before + "\n" +
               section(savetest::currentUrl(combo & 1).toLatin1(),
                       savetest::dailyUrl(combo & 2).toLatin1(),
                       savetest::gmtOffset(combo & 4).toLatin1()) +
               after;
    };
    QList<QByteArray> valid;
    for (int combo = 0; combo < 8; ++combo)
        valid << layout(combo);
    // Kill within the first few rounds of saving: calibrated on how long
    // one save of this file takes here (sanitizer builds are much slower).
    const QString probe = m_dir->filePath(QStringLiteral("probe.ini"));
    QVERIFY(writeFile(probe, valid[0]));
    QElapsedTimer saveClock;
    saveClock.start();
    for (int i = 0; i < 3; ++i)
        QCOMPARE(feed::WriteIniKey(probe, kSection, kCurrent, savetest::currentUrl(i % 2)),
                 QStringLiteral("OK"));
    const qint64 saveUs = std::max<qint64>(saveClock.nsecsElapsed() / 3000, 100);
    QVERIFY(QFile::remove(probe));
    QVERIFY(writeFile(path(), valid[0]));

    QSet<int> seen;
    for (int k = 0; k < kills; ++k) {
        QProcess helper;
        helper.start(QStringLiteral(QUORVEL_SAVE_HELPER), {path()});
        QVERIFY2(helper.waitForStarted(10000), qPrintable(helper.errorString()));
        while (!helper.canReadLine())
            QVERIFY2(helper.waitForReadyRead(10000), "the helper never got ready");
        QCOMPARE(helper.readLine().trimmed(), QByteArray("ready"));
        // Up to three rounds of the helper's three saves.
        const int delayUs = int(rng() % quint64(9 * saveUs));
        QThread::usleep(ulong(delayUs));
        QVERIFY2(helper.state() == QProcess::Running,
                 qPrintable(QStringLiteral("the helper stopped by itself: ") +
                            QString::fromLocal8Bit(helper.readAllStandardError())));
        QCOMPARE(::kill(pid_t(helper.processId()), SIGKILL), 0);
        QVERIFY(helper.waitForFinished(10000));

        const QByteArray now = readFile(path());
        const int combo = int(valid.indexOf(now));
        if (combo < 0) {
            const QString why =
                QStringLiteral("after kill %1 (%2 us after ready) the file has %3 bytes; "
                               "XMLCurrent %4 chars, XMLDaily %5 chars, XMLGMTOffset '%6'")
                    .arg(k)
                    .arg(delayUs)
                    .arg(now.size())
                    .arg(feed::ReadIniKey(path(), kSection, kCurrent).size())
                    .arg(feed::ReadIniKey(path(), kSection, kDaily).size())
                    .arg(feed::ReadIniKey(path(), kSection, kOffset));
            QFAIL(qPrintable(why));
        }
        // The same through the reader the program starts with.
        feed::FeedSettings read;
        feed::LoadFeedSettings(read, 1, path());
        QCOMPARE(read.gXMLCurrent, savetest::currentUrl(combo & 1));
        QCOMPARE(read.gXMLDaily, savetest::dailyUrl(combo & 2));
        QCOMPARE(QString::number(read.gGMTOffset), savetest::gmtOffset(combo & 4));
        seen.insert(combo);
    }
    // The kills met the helper at different points of its saving.
    QVERIFY2(seen.size() >= 3,
             qPrintable(QStringLiteral("only %1 distinct files seen").arg(seen.size())));
    const QStringList left =
        QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    qInfo() << seen.size() << "distinct files seen, one save" << saveUs
            << "us; files in the directory afterwards:" << left;
}

QTEST_MAIN(TestSettingsFaults)
#include "tst_settings_faults.moc"
