#include "feed/http_fetch.h"
#include "test_http_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QtTest>

using feed::fetchDocument;
using feed::FetchResult;

namespace {

// Short enough to keep the suite quick, long enough for a loaded machine to
// answer a local request well within it.
constexpr int kTimeoutMs = 1500;

QByteArray sampleDocument() {
    QFile f(QStringLiteral(QUORVEL_TEST_DATA "/current-observation-KDTO.xml"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestHttpFetch : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_network;

    FetchResult fetch(const QString& path, qint64 maxBytes = 8 * 1024 * 1024) {
        return fetchDocument(*m_network, m_server->url(path), kTimeoutMs, maxBytes);
    }

private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
    void init() {
        m_server = std::make_unique<TestHttpServer>();
        QVERIFY(m_server->start());
        m_network = std::make_unique<QNetworkAccessManager>();
    }
    void cleanup() {
        m_network.reset();
        m_server.reset();
    }

    void fetchesDocumentBody();
    void httpErrorStatusFails_data();
    void httpErrorStatusFails();
    void connectionRefusedFails();
    void silentServerTimesOut();
    void slowDripTimesOut();
    void eventLoopRunsWhileWaiting();
    void followsUpToFiveRedirects_data();
    void followsUpToFiveRedirects();
    void oversizedBodyIsRefusedEarly_data();
    void oversizedBodyIsRefusedEarly();
    void sizeCapBoundary();
    void onlyHttpUrls_data();
    void onlyHttpUrls();
};

void TestHttpFetch::fetchesDocumentBody() {
    const QByteArray body = sampleDocument();
    QVERIFY(!body.isEmpty());
    m_server->serve(QStringLiteral("/weatherstation/WXCurrentObXML.asp"), body);
    const FetchResult r = fetch(QStringLiteral("/weatherstation/WXCurrentObXML.asp?ID=KDTO"));
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.body, body);
    QVERIFY(r.error.isEmpty());
}

void TestHttpFetch::httpErrorStatusFails_data() {
    QTest::addColumn<int>("status");
    QTest::newRow("500") << 500;
    QTest::newRow("404") << 404;
    QTest::newRow("400") << 400;
}

void TestHttpFetch::httpErrorStatusFails() {
    QFETCH(int, status);
    // An error page is often XML-looking; its body must not be taken.
    m_server->serve(QStringLiteral("/doc"), "<error>busy</error>", status);
    const FetchResult r = fetch(QStringLiteral("/doc"));
    QVERIFY(!r.ok);
    QVERIFY(r.body.isEmpty());
    QVERIFY2(r.error.startsWith(QStringLiteral("HTTP %1 ").arg(status)), qPrintable(r.error));
    QCOMPARE(m_server->requestCount(QStringLiteral("/doc")), 1);
}

void TestHttpFetch::connectionRefusedFails() {
    // A port that was free a moment ago: nobody listens there now.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    QElapsedTimer clock;
    clock.start();
    const FetchResult r = fetchDocument(
        *m_network, QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port)), kTimeoutMs);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, QStringLiteral("connection refused"));
    QVERIFY2(clock.elapsed() < kTimeoutMs, "a refused connection should fail at once");
}

void TestHttpFetch::silentServerTimesOut() {
    TestHttpServer::Route hang;
    hang.mode = TestHttpServer::Mode::Hang;
    m_server->setRoute(QStringLiteral("/hang"), hang);
    QElapsedTimer clock;
    clock.start();
    const FetchResult r = fetch(QStringLiteral("/hang"));
    const qint64 elapsed = clock.elapsed();
    QVERIFY(!r.ok);
    QCOMPARE(r.error, QStringLiteral("no answer within 1.5 s"));
    QCOMPARE(m_server->requestCount(QStringLiteral("/hang")), 1);
    QVERIFY2(elapsed >= kTimeoutMs - 100, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < kTimeoutMs + 1500, qPrintable(QString::number(elapsed)));
}

void TestHttpFetch::slowDripTimesOut() {
    // 400 bytes at one per 50 ms would take 20 s; the limit is on the whole
    // fetch, not on the silence between bytes.
    TestHttpServer::Route drip;
    drip.mode = TestHttpServer::Mode::Drip;
    drip.body = QByteArray(400, 'x');
    drip.dripIntervalMs = 50;
    m_server->setRoute(QStringLiteral("/drip"), drip);
    QElapsedTimer clock;
    clock.start();
    const FetchResult r = fetch(QStringLiteral("/drip"));
    QVERIFY(!r.ok);
    QVERIFY2(clock.elapsed() < kTimeoutMs + 1500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(m_server->bodyBytesSent(QStringLiteral("/drip")) > 0);
    QVERIFY(m_server->bodyBytesSent(QStringLiteral("/drip")) < drip.body.size());
}

void TestHttpFetch::eventLoopRunsWhileWaiting() {
    TestHttpServer::Route hang;
    hang.mode = TestHttpServer::Mode::Hang;
    m_server->setRoute(QStringLiteral("/hang"), hang);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(50);
    const FetchResult r = fetch(QStringLiteral("/hang"));
    ticker.stop();
    QVERIFY(!r.ok);
    // 1500 ms of waiting at 50 ms per tick: a frozen loop gives 0 or 1.
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
}

void TestHttpFetch::followsUpToFiveRedirects_data() {
    QTest::addColumn<int>("redirects");
    QTest::addColumn<bool>("ok");
    QTest::newRow("one") << 1 << true;
    QTest::newRow("five") << 5 << true;
    QTest::newRow("six") << 6 << false;
    QTest::newRow("a loop") << -1 << false;
}

void TestHttpFetch::followsUpToFiveRedirects() {
    QFETCH(int, redirects);
    QFETCH(bool, ok);
    // /r0 -> /r1 -> ... -> /doc; in a loop the last one points back to /r0.
    const int hops = redirects < 0 ? 3 : redirects;
    for (int i = 0; i < hops; ++i) {
        TestHttpServer::Route r;
        r.mode = TestHttpServer::Mode::Redirect;
        r.location = i + 1 < hops    ? QStringLiteral("/r%1").arg(i + 1)
                     : redirects < 0 ? QStringLiteral("/r0")
                                     : QStringLiteral("/doc");
        m_server->setRoute(QStringLiteral("/r%1").arg(i), r);
    }
    m_server->serve(QStringLiteral("/doc"), "<ok/>");
    const FetchResult r = fetch(QStringLiteral("/r0"));
    QCOMPARE(r.ok, ok);
    QCOMPARE(r.body, ok ? QByteArray("<ok/>") : QByteArray());
    QCOMPARE(r.error, ok ? QString() : QStringLiteral("more than 5 redirects"));
}

void TestHttpFetch::oversizedBodyIsRefusedEarly_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("with Content-Length") << int(TestHttpServer::Mode::Huge);
    QTest::newRow("until the connection closes") << int(TestHttpServer::Mode::HugeNoLength);
    QTest::newRow("chunked") << int(TestHttpServer::Mode::HugeChunked);
}

void TestHttpFetch::oversizedBodyIsRefusedEarly() {
    QFETCH(int, mode);
    TestHttpServer::Route huge;
    huge.mode = TestHttpServer::Mode(mode);
    huge.hugeBytes = 256LL * 1024 * 1024;
    m_server->setRoute(QStringLiteral("/huge"), huge);
    // The server on a thread of its own sends as fast as it can, while this
    // thread is busy now and then (as the window is with a redraw): what
    // arrives meanwhile must not pile up in memory.
    QThread serverThread;
    m_server->moveToThread(&serverThread);
    serverThread.start();
    QTimer busy;
    connect(&busy, &QTimer::timeout, this, [] { QThread::msleep(50); });
    busy.start(0);
    QVERIFY(resetPeakMemory());
    const qint64 peakBefore = peakMemoryKb();
    const qint64 cap = 1024 * 1024;
    QElapsedTimer clock;
    clock.start();
    const FetchResult r = fetch(QStringLiteral("/huge"), cap);
    const qint64 elapsed = clock.elapsed();
    const qint64 grownKb = peakMemoryKb() - peakBefore;
    busy.stop();
    // Let the server notice the closed connection before counting.
    QTest::qWait(100);
    serverThread.quit();
    QVERIFY(serverThread.wait(5000));
    QVERIFY(!r.ok);
    QVERIFY(r.body.isEmpty());
    QCOMPARE(r.error, QStringLiteral("document larger than 1048576 bytes"));
    QVERIFY2(elapsed < kTimeoutMs, "the fetch must stop at the cap, not at the timeout");
    QVERIFY2(grownKb < 32 * 1024, qPrintable(QStringLiteral("memory grew by %1 kB").arg(grownKb)));
    QVERIFY2(m_server->bodyBytesSent(QStringLiteral("/huge")) < 64LL * 1024 * 1024,
             qPrintable(QString::number(m_server->bodyBytesSent(QStringLiteral("/huge")))));
}

void TestHttpFetch::sizeCapBoundary() {
    m_server->serve(QStringLiteral("/exact"), QByteArray(1000, 'x'));
    QVERIFY(fetch(QStringLiteral("/exact"), 1000).ok);
    QVERIFY(!fetch(QStringLiteral("/exact"), 999).ok);
}

void TestHttpFetch::onlyHttpUrls_data() {
    QTest::addColumn<QUrl>("url");
    QTest::newRow("file") << QUrl::fromLocalFile(
        QStringLiteral(QUORVEL_TEST_DATA "/current-observation-KDTO.xml"));
    QTest::newRow("empty") << QUrl();
    QTest::newRow("no scheme") << QUrl(QStringLiteral("weatherstation/x.asp"));
    QTest::newRow("ftp") << QUrl(QStringLiteral("ftp://127.0.0.1/x"));
}

void TestHttpFetch::onlyHttpUrls() {
    QFETCH(QUrl, url);
    const FetchResult r = fetchDocument(*m_network, url, kTimeoutMs);
    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
}

QTEST_GUILESS_MAIN(TestHttpFetch)
#include "tst_http_fetch.moc"
