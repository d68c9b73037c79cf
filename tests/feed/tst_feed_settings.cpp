#include "feed/feed_settings.h"
#include "feed/ini_file.h"
#include "feed/xml_feed_dialog.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using feed::FeedSettings;
using feed::frmXMLFeed;
using feed::LoadFeedSettings;

namespace {

// The default URLs as the settings file documents them, from the host and
// station this build was configured with.
const QString kHost = QStringLiteral(QUORVEL_FEED_HOST);
const QString kStation = QStringLiteral(QUORVEL_FEED_STATION);
const QString kDefaultCurrent = kHost + "/weatherstation/WXCurrentObXML.asp?ID=" + kStation;
const QString kDefaultDaily =
    kHost + "/weatherstation/WXDailyHistory.asp?ID=" + kStation + "&format=XML";

} // namespace

class TestFeedSettings : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString iniPath() const { return m_dir->filePath(QStringLiteral("Quorvel_ZADUvuru.ini")); }
    void writeIni(const QByteArray& bytes) {
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray readIni(const QString& path = QString()) const {
        QFile f(path.isEmpty() ? iniPath() : path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    template <typename T> static T* child(QObject* parent, const char* name) {
        T* w = parent->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qWarning("no child %s", name);
        return w;
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void defaultsWithoutFile();
    void readFileZeroIgnoresFile();
    void fileValuesOverlayDefaults();
    void blankValuesKeepDefaults();
    void offsetConversion_data();
    void offsetConversion();
    void settingsBesideProgramOrInUserConfig();

    void dialogLayout();
    void dialogShowsCurrentSettings();
    void okStoresTypedValuesAndWritesFile();
    void okRoundsHalfOffsetToEven();
    void okKeepsPreviousOffsetWhenOutOfRange();
    void setToDefaultThenCloseBox();
    void closeBoxSavesNothing();
    void okWithUnwritableFileStillApplies();
};

void TestFeedSettings::defaultsWithoutFile() {
    FeedSettings s;
    s.gGMTOffset = -3;
    s.gXMLCurrent = QStringLiteral("stale");
    LoadFeedSettings(s, 1, iniPath());
    QCOMPARE(s.gIniFile, iniPath());
    QCOMPARE(s.gXMLCurrent, kDefaultCurrent);
    QCOMPARE(s.gXMLDaily, kDefaultDaily);
    QCOMPARE(s.gGMTOffset, qint16(5));
    QCOMPARE(feed::defaultCurrentUrl(), kDefaultCurrent);
    QCOMPARE(feed::defaultDailyUrl(), kDefaultDaily);
}

void TestFeedSettings::readFileZeroIgnoresFile() {
    writeIni("[XMLSetup]\nXMLCurrent=http://file/c\nXMLDaily=http://file/d\nXMLGMTOffset=7\n");
    FeedSettings s;
    LoadFeedSettings(s, 0, iniPath());
    QCOMPARE(s.gXMLCurrent, kDefaultCurrent);
    QCOMPARE(s.gXMLDaily, kDefaultDaily);
    QCOMPARE(s.gGMTOffset, qint16(5));
    QCOMPARE(s.gIniFile, iniPath());
}

void TestFeedSettings::fileValuesOverlayDefaults() {
    writeIni("[xmlsetup]\r\nXMLCurrent=   http://file/c?ID=X   \r\n"
             "xmldaily=http://file/d\r\nXMLGMTOffset= -6 \r\n");
    FeedSettings s;
    LoadFeedSettings(s, 1, iniPath());
    QCOMPARE(s.gXMLCurrent, QStringLiteral("http://file/c?ID=X"));
    QCOMPARE(s.gXMLDaily, QStringLiteral("http://file/d"));
    QCOMPARE(s.gGMTOffset, qint16(-6));
}

void TestFeedSettings::blankValuesKeepDefaults() {
    writeIni("[XMLSetup]\nXMLCurrent=   \nXMLDaily=\nXMLGMTOffset=  \n");
    FeedSettings s;
    LoadFeedSettings(s, 1, iniPath());
    QCOMPARE(s.gXMLCurrent, kDefaultCurrent);
    QCOMPARE(s.gXMLDaily, kDefaultDaily);
    QCOMPARE(s.gGMTOffset, qint16(5));
}

void TestFeedSettings::offsetConversion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // offset after loading; 5 is the default

    QTest::newRow("whole") << "-6" << -6;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("half down to even") << "2.5" << 2;
    QTest::newRow("half up to even") << "3.5" << 4;
    QTest::newRow("negative half to even") << "-2.5" << -2;
    QTest::newRow("just under a half") << "2.49" << 2;
    QTest::newRow("letters read as 0, not the default") << "abc" << 0;
    QTest::newRow("leading number of text") << "7 hours" << 7;
    QTest::newRow("blanks inside ignored") << "1 2" << 12;
    QTest::newRow("exponent") << "1E3" << 1000;
    QTest::newRow("largest 16-bit") << "32767" << 32767;
    QTest::newRow("rounds past 16 bits") << "32767.5" << 5;
    QTest::newRow("smallest 16-bit by rounding") << "-32768.5" << -32768;
    QTest::newRow("too large") << "40000" << 5;
    QTest::newRow("too small") << "-32769" << 5;
    QTest::newRow("beyond double range") << "1E400" << 5;
}

void TestFeedSettings::offsetConversion() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    writeIni("[XMLSetup]\nXMLGMTOffset=" + text.toLatin1() + "\n");
    FeedSettings s;
    LoadFeedSettings(s, 1, iniPath());
    QCOMPARE(int(s.gGMTOffset), expected);

    // The shared conversion leaves the previous value alone on overflow.
    qint16 offset = -9;
    const bool fits = feed::convertGmtOffset(text, &offset);
    QCOMPARE(int(offset), fits ? expected : -9);
}

// An installed program's directory is not the user's to write: the
// settings then live in the user's configuration directory, starting from
// the file installed beside the program.
void TestFeedSettings::settingsBesideProgramOrInUserConfig() {
    // The program is in m_dir; the user's configuration directory inside it.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("config"))));
    const QByteArray installed = "[Other]\nkept=1\n\n[XMLSetup]\nXMLCurrent=http://installed/c\n";
    writeIni(installed);
    FeedSettings s;
    QCOMPARE(
        feed::settingsFilePath(m_dir->path(), &s.gIniSeed, [](const QString&) { return true; }),
        iniPath());
    QVERIFY(s.gIniSeed.isEmpty());

    const QString own =
        feed::settingsFilePath(m_dir->path(), &s.gIniSeed, [](const QString&) { return false; });
    qunsetenv("XDG_CONFIG_HOME");
    QVERIFY(own.startsWith(m_dir->filePath(QStringLiteral("config/"))));
    QVERIFY(own.endsWith(QStringLiteral("/Quorvel_ZADUvuru.ini")));
    LoadFeedSettings(s, 1, own);
    QCOMPARE(s.gXMLCurrent, QStringLiteral("http://installed/c"));
    s.gXMLDaily = QStringLiteral("http://own/d");
    QVERIFY(feed::saveFeedSettings(s));
    QCOMPARE(readIni(own), installed + "XMLDaily=http://own/d\nXMLGMTOffset=5\n");
    QCOMPARE(readIni(), installed);
}

void TestFeedSettings::dialogLayout() {
    FeedSettings s;
    LoadFeedSettings(s, 0, iniPath());
    frmXMLFeed dlg(s);
    QCOMPARE(dlg.objectName(), QStringLiteral("frmXMLFeed"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("XML Feed"));
    // 10755 x 3990 twips at 15 twips per pixel.
    QCOMPARE(dlg.size(), QSize(717, 266));

    struct Expect {
        const char* name;
        QString text;
        QPoint pos;
    };
    const Expect labels[] = {
        {"Label1", QStringLiteral("XML Feed Current Conditions"), {0, 16}},
        {"Label2", QStringLiteral("XML Daily History"), {0, 96}},
        {"Lablel3", QStringLiteral("Local time offset from GMT"), {16, 224}},
    };
    for (const Expect& e : labels) {
        auto* l = child<QLabel>(&dlg, e.name);
        QVERIFY(l);
        QCOMPARE(l->text(), e.text);
        QCOMPARE(l->pos(), e.pos);
        QVERIFY(l->width() >= l->fontMetrics().horizontalAdvance(e.text));
    }
    auto* current = child<QLineEdit>(&dlg, "txtXMLCurrent");
    auto* daily = child<QLineEdit>(&dlg, "txtXMLDaily");
    auto* offset = child<QLineEdit>(&dlg, "txtGMTOffet");
    QVERIFY(current && daily && offset);
    QCOMPARE(current->geometry(), QRect(16, 40, 681, 33));
    QCOMPARE(daily->geometry(), QRect(16, 112, 681, 33));
    // Right of its caption, however wide the font makes that.
    QCOMPARE(offset->y(), 224);
    QVERIFY(offset->x() > child<QLabel>(&dlg, "Lablel3")->geometry().right());
    QCOMPARE(offset->width(), 49);

    auto* setDefault = child<QPushButton>(&dlg, "Command2");
    auto* ok = child<QPushButton>(&dlg, "Command1");
    QVERIFY(setDefault && ok);
    QCOMPARE(setDefault->text(), QStringLiteral("Set to Default"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(setDefault->geometry(), QRect(512, 224, 89, 41));
    QCOMPARE(ok->geometry(), QRect(608, 224, 89, 41));
}

void TestFeedSettings::dialogShowsCurrentSettings() {
    FeedSettings s;
    s.gXMLCurrent = QStringLiteral("http://c");
    s.gXMLDaily = QStringLiteral("http://d");
    s.gGMTOffset = -6;
    frmXMLFeed dlg(s);
    QCOMPARE(child<QLineEdit>(&dlg, "txtXMLCurrent")->text(), QStringLiteral("http://c"));
    QCOMPARE(child<QLineEdit>(&dlg, "txtXMLDaily")->text(), QStringLiteral("http://d"));
    QCOMPARE(child<QLineEdit>(&dlg, "txtGMTOffet")->text(), QStringLiteral("-6"));
}

void TestFeedSettings::okStoresTypedValuesAndWritesFile() {
    FeedSettings s;
    LoadFeedSettings(s, 1, iniPath());
    frmXMLFeed dlg(s);
    dlg.show();
    const QString typedCurrent = QStringLiteral(" http://typed/c?ID=AB ");
    // Latin-1 goes into the file as it is; beyond it, percent-encoded.
    const QString typedDaily =
        QStringLiteral("http://typed/d?ID=AB&format=XML&at=Z\u00FCrich\u2013Ost");
    child<QLineEdit>(&dlg, "txtXMLCurrent")->setText(typedCurrent);
    child<QLineEdit>(&dlg, "txtXMLDaily")->setText(typedDaily);
    child<QLineEdit>(&dlg, "txtGMTOffet")->setText(QStringLiteral("-6"));
    QTest::keyClick(child<QLineEdit>(&dlg, "txtGMTOffet"), Qt::Key_Return); // presses OK

    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(s.gXMLCurrent, typedCurrent); // untrimmed, as typed
    QCOMPARE(s.gXMLDaily, typedDaily);
    QCOMPARE(s.gGMTOffset, qint16(-6));
    QCOMPARE(readIni(),
             QByteArray("[XMLSetup]\nXMLCurrent= http://typed/c?ID=AB \n"
                        "XMLDaily=http://typed/d?ID=AB&format=XML&at=Z\xFCrich%E2%80%93Ost\n"
                        "XMLGMTOffset=-6\n"));

    // The next start reads them back (the reader trims the blanks), as the
    // same addresses.
    FeedSettings next;
    LoadFeedSettings(next, 1, iniPath());
    QCOMPARE(next.gXMLCurrent, typedCurrent.trimmed());
    QCOMPARE(QUrl(next.gXMLDaily), QUrl(typedDaily));
    QCOMPARE(next.gGMTOffset, qint16(-6));
}

void TestFeedSettings::okRoundsHalfOffsetToEven() {
    FeedSettings s;
    LoadFeedSettings(s, 1, iniPath());
    frmXMLFeed dlg(s);
    child<QLineEdit>(&dlg, "txtGMTOffet")->setText(QStringLiteral("2.5"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QCOMPARE(s.gGMTOffset, qint16(2));
    QCOMPARE(
        feed::ReadIniKey(iniPath(), QStringLiteral("XMLSetup"), QStringLiteral("XMLGMTOffset")),
        QStringLiteral("2"));
}

void TestFeedSettings::okKeepsPreviousOffsetWhenOutOfRange() {
    writeIni("[XMLSetup]\nXMLGMTOffset=7\n");
    FeedSettings s;
    LoadFeedSettings(s, 1, iniPath());
    QCOMPARE(s.gGMTOffset, qint16(7));
    frmXMLFeed dlg(s);
    child<QLineEdit>(&dlg, "txtGMTOffet")->setText(QStringLiteral("40000"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QCOMPARE(s.gGMTOffset, qint16(7));
    QCOMPARE(
        feed::ReadIniKey(iniPath(), QStringLiteral("XMLSetup"), QStringLiteral("XMLGMTOffset")),
        QStringLiteral("7"));
}

void TestFeedSettings::setToDefaultThenCloseBox() {
    const QByteArray file =
        "[XMLSetup]\nXMLCurrent=http://file/c\nXMLDaily=http://file/d\nXMLGMTOffset=-7\n";
    writeIni(file);
    FeedSettings s;
    LoadFeedSettings(s, 1, iniPath());
    QCOMPARE(s.gXMLCurrent, QStringLiteral("http://file/c"));

    frmXMLFeed dlg(s);
    dlg.show();
    QTest::mouseClick(child<QPushButton>(&dlg, "Command2"), Qt::LeftButton);
    // The boxes show the defaults and the settings hold them at once.
    QCOMPARE(child<QLineEdit>(&dlg, "txtXMLCurrent")->text(), kDefaultCurrent);
    QCOMPARE(child<QLineEdit>(&dlg, "txtXMLDaily")->text(), kDefaultDaily);
    QCOMPARE(child<QLineEdit>(&dlg, "txtGMTOffet")->text(), QStringLiteral("5"));
    QVERIFY(dlg.close());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));

    QCOMPARE(s.gXMLCurrent, kDefaultCurrent);
    QCOMPARE(s.gXMLDaily, kDefaultDaily);
    QCOMPARE(s.gGMTOffset, qint16(5));
    QCOMPARE(s.gIniFile, iniPath());
    QCOMPARE(readIni(), file);

    FeedSettings nextStart;
    LoadFeedSettings(nextStart, 1, iniPath());
    QCOMPARE(nextStart.gXMLCurrent, QStringLiteral("http://file/c"));
    QCOMPARE(nextStart.gGMTOffset, qint16(-7));
}

void TestFeedSettings::closeBoxSavesNothing() {
    FeedSettings s;
    LoadFeedSettings(s, 1, iniPath());
    frmXMLFeed dlg(s);
    dlg.show();
    child<QLineEdit>(&dlg, "txtXMLCurrent")->setText(QStringLiteral("http://edited"));
    child<QLineEdit>(&dlg, "txtGMTOffet")->setText(QStringLiteral("3"));
    QVERIFY(dlg.close());
    QCOMPARE(s.gXMLCurrent, kDefaultCurrent);
    QCOMPARE(s.gGMTOffset, qint16(5));
    QVERIFY(!QFile::exists(iniPath()));
}

void TestFeedSettings::okWithUnwritableFileStillApplies() {
    // A regular file standing where the settings directory should be makes
    // every write fail, even for root.
    const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    FeedSettings s;
    LoadFeedSettings(s, 1, blocker + QStringLiteral("/Quorvel_ZADUvuru.ini"));
    frmXMLFeed dlg(s);
    child<QLineEdit>(&dlg, "txtXMLDaily")->setText(QStringLiteral("http://d2"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(s.gXMLDaily, QStringLiteral("http://d2"));
    QCOMPARE(QFileInfo(blocker).size(), 0);
}

QTEST_MAIN(TestFeedSettings)
#include "tst_feed_settings.moc"
