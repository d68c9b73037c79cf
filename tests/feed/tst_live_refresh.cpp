#include "feed/live_refresh.h"
#include "test_http_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QtTest>

#include <memory>

using feed::FeedSettings;
using feed::LiveRefresher;
using feed::ObservationHistory;

namespace {

constexpr int kTimeoutMs = 1500;

const QString kCurrentPath = QStringLiteral("/weatherstation/WXCurrentObXML.asp");
const QString kDailyPath = QStringLiteral("/weatherstation/WXDailyHistory.asp");

QByteArray sampleDocument() {
    QFile f(QStringLiteral(QUORVEL_TEST_DATA "/current-observation-KDTO.xml"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray kHistory =
    "<?xml version=\"1.0\"?>\n<WXDailyHistory>"
    "<observation><observation_time_rfc822>Thu, 10 Aug 2023 05:00:00 -0500"
    "</observation_time_rfc822><temp_f>80.5</temp_f><dewpoint_f>68.0</dewpoint_f></observation>"
    "<observation><observation_time_rfc822>Thu, 10 Aug 2023 05:20:00 -0500"
    "</observation_time_rfc822><temp_f>81.0</temp_f><dewpoint_f>68.5</dewpoint_f></observation>"
    "</WXDailyHistory>\n";

// The message for a failed daily history: what failed on its second line.
QString failed(const QString& url, const QString& why) {
    return QStringLiteral("Failed to Load Data\n%1: %2").arg(url, why);
}

} // namespace

class TestLiveRefresh : public QObject {
    Q_OBJECT

private:
    // What the main window owns, rebuilt for every test.
    struct Window {
        QLabel lblTempF{QStringLiteral("lblTempF")}, lblTempC{QStringLiteral("lblTempC")},
            lblRH{QStringLiteral("lblRH")}, lblDewF{QStringLiteral("lblDewF")},
            lblDewC{QStringLiteral("lblDewC")}, lblTime{QStringLiteral("lblTime")};
        QLineEdit txtOutdoorTemp{QStringLiteral("95")}, txtOutdoorRH{QStringLiteral("51")},
            txtOutdoorDew{QStringLiteral("19")};
        psychro::WorkingInputs inputs;
        FeedSettings settings;
        ObservationHistory history;
        QStringList messages;
        std::function<void()> whileMessageOpen; // runs inside the message callback
        std::unique_ptr<LiveRefresher> refresher;

        Window() {
            refresher = std::make_unique<LiveRefresher>(
                settings,
                feed::CurrentTargets{&lblTempF, &lblTempC, &lblRH, &lblDewF, &lblDewC, &lblTime,
                                     &txtOutdoorTemp, &txtOutdoorRH, &txtOutdoorDew, &inputs},
                history, [this](const QString& text) {
                    messages << text;
                    if (whileMessageOpen)
                        whileMessageOpen();
                });
            refresher->setTimeoutMs(kTimeoutMs);
        }
    };

    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<Window> m_w;

    void pointAtServer() {
        m_w->settings.gXMLCurrent = m_server->url(kCurrentPath + "?ID=KDTO").toString();
        m_w->settings.gXMLDaily = m_server->url(kDailyPath + "?ID=KDTO&format=XML").toString();
    }
    void hang(const QString& path) {
        TestHttpServer::Route r;
        r.mode = TestHttpServer::Mode::Hang;
        m_server->setRoute(path, r);
    }

private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
    void init() {
        m_server = std::make_unique<TestHttpServer>();
        QVERIFY(m_server->start());
        m_w = std::make_unique<Window>();
        pointAtServer();
    }
    void cleanup() {
        m_w.reset();
        m_server.reset();
    }

    void refreshFillsPanelAndHistory();
    void urlsTypedWithBlanksStillWork();
    void dailyFailureShowsMessageOnce_data();
    void dailyFailureShowsMessageOnce();
    void unreachableServiceLeavesFieldsAlone();
    void badCurrentDocumentIsSkippedSilently_data();
    void badCurrentDocumentIsSkippedSilently();
    void oversizedDocumentIsRefused();
    void silentServerEndsWithinTimeouts();
    void refreshDuringRefreshIsRefused();
    void onlyOneMessageAtATime();
};

void TestLiveRefresh::refreshFillsPanelAndHistory() {
    m_server->serve(kCurrentPath, sampleDocument());
    m_server->serve(kDailyPath, kHistory);
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QCOMPARE(m_w->txtOutdoorTemp.text(), QStringLiteral("96"));
    QCOMPARE(m_w->txtOutdoorRH.text(), QStringLiteral("37"));
    QCOMPARE(m_w->txtOutdoorDew.text(), QStringLiteral("66"));
    QCOMPARE(m_w->lblTempF.text(), QStringLiteral("Temperature: 96.0 deg F"));
    QCOMPARE(m_w->lblTime.text(), QStringLiteral("Thu, 10 Aug 2023 23:53:00 -0500"));
    QCOMPARE(m_w->history.obsIndex, qint16(2));
    QCOMPARE(m_w->history.obsTemperature[1], 81.0f);
    QCOMPARE(m_w->history.obsTime[1], QStringLiteral("Thu, 10 Aug 2023 05:20:00 -0500"));
    QVERIFY(m_w->messages.isEmpty());
    QVERIFY(!m_w->refresher->lastRefreshFailed());
    QCOMPARE(m_server->requestCount(kCurrentPath), 1);
    QCOMPARE(m_server->requestCount(kDailyPath), 1);
    QVERIFY(!m_w->refresher->isRefreshing());
}

void TestLiveRefresh::urlsTypedWithBlanksStillWork() {
    m_server->serve(kCurrentPath, sampleDocument());
    m_server->serve(kDailyPath, kHistory);
    m_w->settings.gXMLCurrent = "  " + m_w->settings.gXMLCurrent + " ";
    m_w->settings.gXMLDaily = m_w->settings.gXMLDaily + "\t";
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QCOMPARE(m_w->txtOutdoorTemp.text(), QStringLiteral("96"));
    QCOMPARE(m_w->history.obsIndex, qint16(2));
}

void TestLiveRefresh::dailyFailureShowsMessageOnce_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("why");
    QTest::newRow("server error") << 500 << kHistory << "HTTP 500 Internal Server Error";
    QTest::newRow("not found") << 404 << kHistory << "HTTP 404 Not Found";
    // Broken after a whole reading: not even that one is taken.
    QTest::newRow("malformed") << 200 << kHistory.left(kHistory.indexOf("</observation>") + 20)
                               << "not a station document (not well-formed XML, line 2)";
    QTest::newRow("not XML") << 200 << QByteArray("temp_f=80")
                             << "not a station document (not well-formed XML, line 1)";
    QTest::newRow("entity declarations")
        << 200 << QByteArray("<!DOCTYPE h [<!ENTITY t \"80\">]><h><temp_f>&t;</temp_f></h>")
        << "not a station document (it declares entities)";
}

void TestLiveRefresh::dailyFailureShowsMessageOnce() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, why);
    m_server->serve(kCurrentPath, sampleDocument());
    m_server->serve(kDailyPath, body, status);
    m_w->history.obsTime[0] = QStringLiteral("kept");
    m_w->history.obsTemperature[0] = 77;
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QCOMPARE(m_w->messages, QStringList{failed(m_w->settings.gXMLDaily, why)});
    QCOMPARE(m_w->refresher->lastFailure(), m_w->settings.gXMLDaily + ": " + why);
    // The current conditions were applied before the history failed.
    QCOMPARE(m_w->txtOutdoorTemp.text(), QStringLiteral("96"));
    QCOMPARE(m_w->history.obsTime[0], QStringLiteral("kept"));
    QCOMPARE(m_w->history.obsTemperature[0], 77.0f);
    QCOMPARE(m_w->history.obsIndex, qint16(0));
    QVERIFY(!m_w->refresher->isMessageOpen());
}

void TestLiveRefresh::unreachableServiceLeavesFieldsAlone() {
    const quint16 port = TestHttpServer::closedPort();
    QVERIFY(port != 0);
    m_w->settings.gXMLCurrent = QStringLiteral("http://127.0.0.1:%1/c").arg(port);
    m_w->settings.gXMLDaily = QStringLiteral("http://127.0.0.1:%1/d").arg(port);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QVERIFY(clock.elapsed() < kTimeoutMs);
    QCOMPARE(m_w->messages,
             QStringList{failed(m_w->settings.gXMLDaily, QStringLiteral("connection refused"))});
    QCOMPARE(m_w->txtOutdoorTemp.text(), QStringLiteral("95"));
    QCOMPARE(m_w->txtOutdoorRH.text(), QStringLiteral("51"));
    QCOMPARE(m_w->lblTempF.text(), QStringLiteral("lblTempF"));
}

void TestLiveRefresh::badCurrentDocumentIsSkippedSilently_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("server error") << 500 << sampleDocument();
    QTest::newRow("malformed") << 200 << sampleDocument().left(1200);
    QTest::newRow("html page") << 200 << QByteArray("<html><body>Moved<br></body></html>");
    QTest::newRow("entity expansion")
        << 200
        << QByteArray("<!DOCTYPE o [<!ENTITY a \"1\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
                      "<o><temp_f>&b;</temp_f></o>");
}

void TestLiveRefresh::badCurrentDocumentIsSkippedSilently() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    m_server->serve(kCurrentPath, body, status);
    m_server->serve(kDailyPath, kHistory);
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QVERIFY(m_w->messages.isEmpty());
    // Silent, but not hidden from whoever asks (the command line does).
    QVERIFY(m_w->refresher->lastFailure().startsWith(m_w->settings.gXMLCurrent + ": "));
    QCOMPARE(m_w->txtOutdoorTemp.text(), QStringLiteral("95"));
    QCOMPARE(m_w->lblTempF.text(), QStringLiteral("lblTempF"));
    QCOMPARE(m_w->history.obsIndex, qint16(2));
}

void TestLiveRefresh::oversizedDocumentIsRefused() {
    // A well-formed current-conditions document padded past the cap.
    QByteArray padded = sampleDocument();
    padded.insert(padded.indexOf("<credit>"), QByteArray(4000, ' '));
    m_server->serve(kCurrentPath, padded);
    m_server->serve(kDailyPath, kHistory);
    m_w->refresher->setMaxBytes(4000);
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QCOMPARE(m_w->txtOutdoorTemp.text(), QStringLiteral("95"));
    QCOMPARE(m_w->history.obsIndex, qint16(2));
}

void TestLiveRefresh::silentServerEndsWithinTimeouts() {
    hang(kCurrentPath);
    hang(kDailyPath);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_w->refresher->refreshLiveFeed());
    const qint64 elapsed = clock.elapsed();
    // Two fetches, each cut off at the timeout.
    QVERIFY2(elapsed >= 2 * kTimeoutMs - 200, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < 2 * kTimeoutMs + 2000, qPrintable(QString::number(elapsed)));
    QCOMPARE(m_w->messages, QStringList{failed(m_w->settings.gXMLDaily,
                                               QStringLiteral("no answer within 1.5 s"))});
    QCOMPARE(m_w->txtOutdoorTemp.text(), QStringLiteral("95"));
}

void TestLiveRefresh::refreshDuringRefreshIsRefused() {
    // A timer tick arriving while the current document hangs tries to start
    // another refresh: it must be turned away without fetching anything.
    hang(kCurrentPath);
    m_server->serve(kDailyPath, kHistory);
    QList<bool> nested;
    QTimer tick;
    tick.setSingleShot(true);
    connect(&tick, &QTimer::timeout, this, [&] {
        QVERIFY(m_w->refresher->isRefreshing());
        nested << m_w->refresher->refreshLiveFeed();
    });
    tick.start(200);
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QCOMPARE(nested, QList<bool>{false});
    QCOMPARE(m_server->requestCount(kCurrentPath), 1);
    QCOMPARE(m_server->requestCount(kDailyPath), 1);
    QCOMPARE(m_w->history.obsIndex, qint16(2));
    QVERIFY(m_w->messages.isEmpty());
    // Once over, the next refresh runs normally.
    m_server->serve(kCurrentPath, sampleDocument());
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QCOMPARE(m_w->txtOutdoorTemp.text(), QStringLiteral("96"));
}

void TestLiveRefresh::onlyOneMessageAtATime() {
    m_server->serve(kCurrentPath, sampleDocument());
    m_server->serve(kDailyPath, "down", 500);
    // While the message is open a timer tick refreshes again and fails
    // again: the refresh runs, but no second message stacks up.
    QList<bool> nested;
    m_w->whileMessageOpen = [this, &nested] {
        QVERIFY(m_w->refresher->isMessageOpen());
        m_w->whileMessageOpen = nullptr;
        nested << m_w->refresher->refreshLiveFeed();
    };
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QCOMPARE(nested, QList<bool>{true});
    QCOMPARE(m_server->requestCount(kDailyPath), 2);
    QCOMPARE(m_w->messages.size(), 1);
    QVERIFY(!m_w->refresher->isMessageOpen());
    // After the user closed it, the next failure is reported again.
    QVERIFY(m_w->refresher->refreshLiveFeed());
    QCOMPARE(m_w->messages.size(), 2);
}

QTEST_MAIN(TestLiveRefresh)
#include "tst_live_refresh.moc"
