// The station's documents, fetched within their bounds and read by the two
// walks; and the live feed end to end, a Session with the station feed and
// the settings store against a server on this thread (which answers only
// while the Session's fetches keep the event loop running).
#include "../reliability/under_asan.h"
#include "feed/feed_settings.h"
#include "feed/station_feed.h"
#include "model/session.h"
#include "model/sheet_export.h"
#include "test_http_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QtTest>

#include <memory>

using Route = TestHttpServer::Route;
using Mode = TestHttpServer::Mode;
Q_DECLARE_METATYPE(TestHttpServer::Route)

namespace {

QByteArray redirect(const QByteArray& to) {
    return "HTTP/1.0 302 Found\r\nLocation: " + to + "\r\n\r\n";
}

// A reading inside d elements.
QByteArray nested(int d) {
    return QByteArray("<b>").repeated(d) + "<temp_c>t</temp_c>" + QByteArray("</b>").repeated(d);
}

QByteArray current(const QByteArray& temp, const QByteArray& rh, const QByteArray& time) {
    return "<o><observation_time_rfc822>" + time + "</observation_time_rfc822><temp_f>" + temp +
           "</temp_f><relative_humidity>" + rh + "</relative_humidity></o>";
}

// A daily history: "time temperature dew-point" per reading.
QByteArray day(const QStringList& readings) {
    QByteArray d = "<WXDailyHistory>";
    for (const QString& r : readings) {
        const QList<QByteArray> v = r.toLatin1().split(' ');
        d += "<ob><observation_time_rfc822>" + v[0] + "</observation_time_rfc822><temp_f>" + v[1] +
             "</temp_f><dewpoint_f>" + v[2] + "</dewpoint_f></ob>";
    }
    return d + "</WXDailyHistory>";
}

// The first three slots of h, as "time/temperature/dew-point".
QStringList slots3(const model::ObservationHistory& h) {
    QStringList out;
    for (size_t i = 0; i < 3; ++i)
        out << h.obsTime[i] +
                   QStringLiteral("/%1/%2").arg(h.obsTemperature[i]).arg(h.obsDewPoint[i]);
    return out;
}

// doc with one quantity of its observation (or of the collection's feature
// at index) replaced.
QByteArray edited(const QByteArray& doc, int index, const QString& name, const QJsonValue& q) {
    auto edit = [&](QJsonObject f) {
        QJsonObject p = f.value("properties").toObject();
        p.insert(name, q);
        f.insert("properties", p);
        return f;
    };
    QJsonObject root = QJsonDocument::fromJson(doc).object();
    if (index < 0)
        return QJsonDocument(edit(root)).toJson();
    QJsonArray features = root.value("features").toArray();
    features.replace(index, edit(features[index].toObject()));
    root.insert("features", features);
    return QJsonDocument(root).toJson();
}

} // namespace

class TestFeed : public QObject {
    Q_OBJECT
    // The fetches' server, on a thread of its own so that it sends as fast
    // as it can.
    TestHttpServer* m_flood = nullptr;
    QThread m_thread;
    feed::StationFeed m_feed;
    // The Session's, fresh for every test but the settings file, which
    // stays missing: built-in defaults.
    QTemporaryDir m_dir;
    feed::IniSettingsStore m_store{m_dir.filePath("s.ini")};
    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<model::Session> m_session;
    QStringList m_messages;

    QString url(const QString& document) const { return m_server->url("/" + document + "?ID=K"); }
    void serve(const QByteArray& current, const QByteArray& daily, int status = 200) {
        m_server->setRoute("/current", {Mode::Fixed, current, status});
        m_server->setRoute("/daily", {Mode::Fixed, daily, status});
    }
    // The weather service's station KPWM, answering with these documents.
    void serveService(const QByteArray& latest, const QByteArray& observations, int status) {
        model::FeedSettings settings = m_session->feedSettings();
        settings.feedSource = "nws";
        settings.nwsStation = "KPWM";
        settings.nwsBaseUrl = m_server->url("/");
        settings.nwsContact = "ops@example.com";
        QCOMPARE(m_session->useFeedSettings(settings), QString());
        m_server->setRoute("/stations/KPWM/observations/latest", {Mode::Fixed, latest, status});
        m_server->setRoute("/stations/KPWM/observations", {Mode::Fixed, observations, status});
    }
    // The outdoor fields, the live panel and the history, as shown.
    QStringList shown() const {
        QStringList out = {m_session->text(psychro::Field::txtOutdoorTemp),
                           m_session->text(psychro::Field::txtOutdoorRH)};
        const model::LivePanel& p = m_session->livePanel();
        out << p.lblTime << p.lblTempF << p.lblTempC << p.lblRH << p.lblDewF << p.lblDewC;
        return out + slots3(m_session->history());
    }

private slots:
    void initTestCase() {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        m_flood = new TestHttpServer;
        const qint64 huge = 256LL << 20;
        const std::pair<const char*, Route> routes[] = {
            {"/doc", {Mode::Fixed, sampleObservation()}},
            {"/500", {Mode::Fixed, sampleObservation(), 500}},
            {"/mib", {Mode::Fixed, QByteArray(1 << 20, 'x')}},
            {"/over", {Mode::Fixed, QByteArray((1 << 20) + 1, 'x')}},
            {"/hang", {Mode::Hang}},
            {"/drip", {Mode::Drip, QByteArray(20, 'x')}}, // 2 s, one byte at a time
            {"/huge", {Mode::Huge, {}, 200, huge}},
            {"/unsized", {Mode::HugeNoLength, {}, 200, huge}},
            {"/chunked", {Mode::HugeChunked, {}, 200, huge}},
            {"/f", {Mode::Raw, redirect("file:///etc/hostname")}},
            {"/gz",
             {Mode::Raw, "HTTP/1.0 200 OK\r\nContent-Encoding: gzip\r\n"
                         "Content-Length: 12\r\n\r\nnot gzipped!"}}};
        for (const auto& [path, route] : routes)
            m_flood->setRoute(path, route);
        for (int i = 0; i <= 10; ++i) // /r0 -> /r1 -> ... -> /r10 -> /doc
            m_flood->setRoute(
                "/r" + QString::number(i),
                {Mode::Raw, redirect(i < 10 ? "r" + QByteArray::number(i + 1) : "doc")});
        m_flood->moveToThread(&m_thread);
        connect(&m_thread, &QThread::finished, m_flood, &QObject::deleteLater);
        m_thread.start();
        QCOMPARE(m_feed.timeoutMs(), 10000);
        m_feed.setTimeoutMs(500);
        m_feed.setHttpModule(QStringLiteral(QUORVEL_HTTP_MODULE));
    }
    void cleanupTestCase() {
        m_thread.quit();
        QVERIFY(m_thread.wait(QUORVEL_HANG_GUARD_MS));
    }
    void init() {
        m_server = std::make_unique<TestHttpServer>();
        m_session = std::make_unique<model::Session>(&m_feed, &m_store);
        m_messages.clear();
        connect(m_session.get(), &model::Session::message, this,
                [this](const QString& text) { m_messages << text; });
        m_session->startUp();
        model::FeedSettings settings = m_session->feedSettings();
        settings.gXMLCurrent = url("current");
        settings.gXMLDaily = url("daily");
        QCOMPARE(m_session->useFeedSettings(settings), QString());
    }

    void fetch_data() {
        QTest::addColumn<QString>("url");   // @s: the server, @c: a closed port
        QTest::addColumn<QString>("error"); // empty: the document arrives
        QTest::addColumn<int>("size");
        const char* big = "document larger than 1048576 bytes";
        const char* silent = "no answer within 0.5 s";
        const int doc = int(sampleObservation().size());
        const std::tuple<const char*, const char*, const char*, int> rows[] = {
            {"document", " http://@s/doc?ID=KDTO\t", "", doc},
            {"5 redirects", "http://@s/r6", "", doc},
            {"6 redirects", "http://@s/r5", "more than 5 redirects", 0},
            {"1 MiB", "http://@s/mib", "", 1 << 20},
            {"1 MiB and 1 byte", "http://@s/over", big, 0},
            {"256 MiB", "http://@s/huge", big, 0},
            {"256 MiB unsized", "http://@s/unsized", big, 0},
            {"256 MiB chunked", "http://@s/chunked", big, 0},
            {"HTTP 500", "http://@s/500", "HTTP 500 Internal Server Error", 0},
            {"refused", "http://@c/doc", "connection refused", 0},
            {"silent", "http://@s/hang", silent, 0},
            {"drip", "http://@s/drip", silent, 0},
            {"to file", "http://@s/f", "redirected to an address that is not http or https", 0},
            {"a file", "file:///etc/hostname", "not an http or https address", 0},
            {"broken gzip", "http://@s/gz",
             "the compressed answer could not be unpacked (damaged, or far larger unpacked than "
             "sent)",
             0}};
        for (const auto& [name, url, error, size] : rows)
            QTest::newRow(name) << QString(url) << QString(error) << size;
    }
    void fetch() {
        QFETCH(QString, url);
        QFETCH(QString, error);
        QFETCH(int, size);
        url.replace("@s", m_flood->url("").mid(7))
            .replace("@c", TestHttpServer().url("").mid(7)); // closed again at once
        // Busy now and then while a flood arrives, as the window is with a
        // redraw: what the network thread reads meanwhile must not pile up.
        QTimer busy;
        connect(&busy, &QTimer::timeout, this, [] { QThread::msleep(50); });
        if (error.startsWith("document larger"))
            busy.start(0);
        QByteArray body = "stale";
        QString why;
        bool ok = false;
        const qint64 grownKb = peakGrowthKb([&] { ok = m_feed.fetch(url, body, &why); });
        QCOMPARE(ok, error.isEmpty());
        QCOMPARE(why, error);
        QCOMPARE(body.size(), size);
        // Qt's network thread decodes a chunked body into queued pieces that
        // a loaded machine lets pile up whatever the read buffer says; the
        // plain bodies show a read buffer without a limit.
        QVERIFY2(grownKb < 32 * 1024 || url.endsWith("/chunked"),
                 qPrintable(QStringLiteral("%1 kB more").arg(grownKb)));
    }

    // Without its network code the feed says so, and fetches once it is
    // there; an address it would refuse anyway is refused as before.
    void networkCodeLoaded() {
        QTemporaryDir dir;
        QFile notCode(dir.filePath("http.so"));
        QVERIFY(notCode.open(QIODevice::WriteOnly) && notCode.write("text") == 4);
        notCode.close();
        feed::StationFeed feed;
        QByteArray body;
        QString why;
        const QString doc = m_flood->url("/doc");
        feed.setHttpModule(dir.filePath("none.so"));
        QVERIFY(!feed.fetch(doc, body, &why));
        QCOMPARE(why, "the network code is missing (" + dir.filePath("none.so") + ")");
        QVERIFY(!feed.fetch("file:///etc/hostname", body, &why));
        QCOMPARE(why, "not an http or https address");
        feed.setHttpModule(notCode.fileName());
        QVERIFY(!feed.fetch(doc, body, &why));
        QVERIFY2(why.startsWith("the network code could not be loaded ("), qPrintable(why));
        feed.setHttpModule(QStringLiteral(QUORVEL_HTTP_MODULE));
        QVERIFY2(feed.fetch(doc, body, &why), qPrintable(why));
        QCOMPARE(body, sampleObservation());
    }

    void read_data() {
        QTest::addColumn<QByteArray>("doc");
        QTest::addColumn<QString>("readings"); // or why the document is refused
        QTest::addColumn<QString>("history");  // obsIndex and the first three slots
        const char* malformed = "not a station document (not well-formed XML, line 1)";
        const char* entities = "not a station document (it declares entities)";
        const char* kept = "0: kept/0/0 /0/0 /0/0";
        const std::tuple<const char*, QByteArray, const char*, const char*> rows[] = {
            {"sample", sampleObservation(),
             "T=Thu, 10 Aug 2023 23:53:00 -0500|F=96.0|C=35.6|RH=37|DF=66.0|DC=18.9",
             "1: Thu, 10 Aug 2023 23:53:00 -0500/96/0 /0/66 /0/0"},
            {"repeated", "<o><temp_f>1</temp_f><temp_c>5</temp_c><temp_f>2</temp_f></o>", "F=2|C=5",
             "2: kept/1/0 /2/0 /0/0"},
            {"exact names",
             "<x><a><temp_f>7</temp_f></a><Temp_C>1</Temp_C><temp_cc>1</temp_cc>"
             "<x:temp_c xmlns:x=\"u\">1</x:temp_c><temp_c/><temp_c> </temp_c></x>",
             "F=7", "1: kept/7/0 /0/0 /0/0"},
            // The value of an element's last node, as a DOM holds them.
            {"CDATA", "<o><temp_c><![CDATA[ 21 ]]></temp_c></o>", "C= 21 ", kept},
            {"comment between", "<o><temp_c>20<!--x-->21</temp_c></o>", "C=21", kept},
            {"comment last", "<o><temp_c>21<!--note--></temp_c></o>", "C=note", kept},
            {"child last", "<o><temp_c>21<b>22</b></temp_c></o>", "C=", kept},
            {"references", "<o><temp_c>2&#49;&amp;&lt;</temp_c></o>", "C=21&<", kept},
            {"ISO-8859-1",
             "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><o><temp_c>\xB0</temp_c></o>",
             "C=\u00B0", kept},
            {"256 deep", nested(255), "C=t", kept},
            // A reading of 0 or none is dropped, its slot reused; a dew point
            // lands in the slot of the next reading.
            {"0 dropped", day({"a 80 60", "b 0 61", "c 0.0 62", "d 83 63"}), "T=d|F=83|DF=63",
             "2: a/80/0 d/83/62 /0/63"},
            {"none dropped", day({"a 80 60", "b M M", "c 82 62"}), "T=c|F=82|DF=62",
             "2: a/80/0 c/82/60 /0/62"},
            {"dew point first",
             "<h><dewpoint_f>60</dewpoint_f><temp_f>80</temp_f><dewpoint_f>61"
             "</dewpoint_f><temp_f>81</temp_f></h>",
             "DF=61|F=81", "2: kept/80/60 /81/61 /0/0"},
            {"500 at most", day(QStringList(501, "t 80 60")), "T=t|F=80|DF=60",
             "500: t/80/0 t/80/60 t/80/60"},
            {"mismatched", "<o><temp_f>7</o></temp_f>", malformed, kept},
            {"undefined entity", "<o>&nbsp;</o>", malformed, kept},
            {"second DOCTYPE", "<!DOCTYPE o><!DOCTYPE o><o/>", malformed, kept},
            {"truncated", sampleObservation().left(1200),
             "not a station document (not well-formed XML, line 27)", kept},
            {"internal entity", "<!DOCTYPE o [<!ENTITY t \"7\">]><o><temp_f>&t;</temp_f></o>",
             entities, kept},
            {"external entity", "<!DOCTYPE o [<!ENTITY x SYSTEM \"/etc/hostname\">]><o/>", entities,
             kept},
            {"parameter entity", "<!DOCTYPE o [<!ENTITY % p \"x\">]><o/>", entities, kept},
            {"257 deep", nested(256), "not a station document (nested deeper than 256 elements)",
             kept}};
        for (const auto& [name, doc, readings, history] : rows)
            QTest::newRow(name) << doc << QString::fromUtf8(readings) << QString::fromUtf8(history);
    }
    // Both walks load the same documents; a refused one changes nothing.
    void read() {
        QFETCH(QByteArray, doc);
        QFETCH(QString, readings);
        QFETCH(QString, history);
        QList<model::CurrentReading> got = {{model::CurrentElement::Time, "kept"}};
        model::ObservationHistory h;
        h.obsTime[0] = "kept";
        QString why = "kept", whyHistory = why;
        const bool loaded = m_feed.readCurrent(doc, got, &why);
        QCOMPARE(m_feed.readHistory(doc, h, &whyHistory), loaded);
        QStringList shown;
        for (const model::CurrentReading& r : got)
            shown << QStringList{"F", "C", "RH", "DF", "DC", "T", "P"}[int(r.element)] + "=" +
                         r.text;
        QCOMPARE(loaded ? shown.join(u'|') : why, readings);
        QCOMPARE(whyHistory, why);
        QCOMPARE(QString::number(h.obsIndex) + ": " + slots3(h).join(u' '), history);
        QVERIFY(loaded || shown == QStringList{"T=kept"});
    }

    void liveCycle() {
        model::Session& s = *m_session;
        serve(sampleObservation(), day({"a 80.5 68", "b 81 68.5"}));
        int redraws = s.redrawCount();
        s.chooseLive(0);
        // The temperature's and the humidity's field writes, and the last.
        QCOMPARE(s.redrawCount() - redraws, 3);
        QCOMPARE(shown(), QStringList({"96", "37", "Thu, 10 Aug 2023 23:53:00 -0500",
                                       "Temperature: 96.0 deg F", " 35.6 deg C",
                                       "Relative Humidity: 37 %", "Dew Point: 66.0 deg F",
                                       " 18.9 deg C", "a/80.5/0", "b/81/68", "/0/68.5"}));
        QVERIFY(s.liveView() && m_messages.isEmpty() && s.lastFeedFailure().isEmpty());
        // The next tick walks the day from its start again.
        serve(current("91.0", "40", "t"), day({"c 82 60"}));
        redraws = s.redrawCount();
        s.Timer1_Timer();
        QCOMPARE(s.redrawCount() - redraws, 3);
        QCOMPARE(shown().mid(8), QStringList({"c/82/0", "b/81/60", "/0/68.5"}));
        QCOMPARE(shown().mid(0, 2), QStringList({"91", "40"}));
    }

    void documents_data() {
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<QByteArray>("daily");
        QTest::addColumn<QString>("shown");   // redraws, outdoor fields and time caption
        QTest::addColumn<QString>("failure"); // ~c and ~d stand for the addresses
        // Cheap on the wire, costly as a tree.
        QByteArray empties = "<current_observation>";
        while (empties.size() < 900 * 1000)
            empties += "<a b=\"1\" c=\"2\" d=\"3\" e=\"4\" f=\"5\" g=\"6\" h=\"7\" i=\"8\"/>";
        const QByteArray good = day({"a 80 60"});
        const QByteArray entities = "<!DOCTYPE h [<!ENTITY t \"80\">]><h><temp_f>&t;</temp_f></h>";
        const std::tuple<const char*, QByteArray, QByteArray, const char*, const char*> rows[] = {
            {"repeated element",
             current("90", "40", "t").replace("</o>", "<temp_f>91</temp_f></o>"), good, "3 91 40 t",
             ""},
            {"markup", current("96.0", "37", "&lt;h1&gt;HACKED&lt;/h1&gt;"), good,
             "3 96 37 <h1>HACKED</h1>", ""},
            {"0.9 MB of empty elements", empties + "<temp_f>96.0</temp_f></current_observation>",
             good, "2 96 51 lblTime", ""},
            // Values no air can have change nothing and are told.
            {"humidity 1e19", current("96.0", "1e19", "t"), good, "1 95 51 lblTime",
             "~c: station sent relative humidity 1e19"},
            {"temperature 1e999", current("1e999", "37", "t"), good, "1 95 51 lblTime",
             "~c: station sent temperature 1e999 F"},
            {"daily declares entities", current("96.0", "37", "t"), entities, "3 96 37 t",
             "~d: not a station document (it declares entities)"},
            {"both broken", sampleObservation().left(1200), entities, "1 95 51 lblTime",
             "~c: not a station document (not well-formed XML, line 27)\n"
             "~d: not a station document (it declares entities)"}};
        for (const auto& [name, current, daily, shown, failure] : rows)
            QTest::newRow(name) << current << daily << QString(shown) << QString(failure);
    }
    void documents() {
        QFETCH(QByteArray, current);
        QFETCH(QByteArray, daily);
        QFETCH(QString, shown);
        QFETCH(QString, failure);
        serve(current, daily);
        const int before = m_session->redrawCount();
        [[maybe_unused]] const qint64 grownKb = peakGrowthKb([this] { m_session->chooseLive(0); });
#ifndef QUORVEL_UNDER_ASAN // which keeps freed memory for a while
        QVERIFY2(grownKb < 16 * 1024, qPrintable(QStringLiteral("%1 kB more").arg(grownKb)));
#endif
        QCOMPARE(QString::number(m_session->redrawCount() - before) + u' ' +
                     this->shown().mid(0, 3).join(u' '),
                 shown);
        QCOMPARE(m_session->lastFeedFailure(),
                 failure.replace("~c", url("current")).replace("~d", url("daily")));
        // Of a document that cannot be loaded, only the daily history's
        // failure is told, with what failed.
        const QString last = failure.section(u'\n', -1);
        const bool told = last.startsWith(url("daily")) || last.contains("station sent");
        QCOMPARE(m_messages.join(u'|'), told ? "Failed to Load Data\n" + last : "");
    }

    // The weather service's API, replayed at 12:00 UTC with the station five
    // hours behind: the current conditions are the last observation at or
    // before that moment (feature 0, 11:55 UTC), never a later one; the
    // history is the day's since 05:00 UTC, whose second observation is
    // feature 21. Without a moment, the latest observation, if not dated
    // in the future.
    void weatherService_data() {
        QTest::addColumn<QString>("at"); // empty: the clock's now
        QTest::addColumn<QByteArray>("latest");
        QTest::addColumn<QByteArray>("observations");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("shown"); // fields, panel, kept, kept 0, 1 and last
        QTest::addColumn<QString>("failure");   // in what the refresh says failed
        QTest::addColumn<bool>("told");         // "Failed to Load Data" shown
        const QString noon = "2019-08-17T12:00:00Z";
        const QByteArray latest = sampleFile("nws-api-latest-KPWM.json");
        const QByteArray day = sampleFile("nws-api-observations-KCNK.json");
        const QStringList panel = {
            "Sat, 17 Aug 2019 06:55:00 -0500", "Temperature: 68.0 deg F", " 20.0 deg C",
            "Relative Humidity: 87 %",         "Dew Point: 64.0 deg F",   " 17.8 deg C"};
        const QStringList kept = {"23", "2019-08-17T05:03:00Z 78.1 73.9",
                                  "2019-08-17T05:18:00Z 77.0 73.9",
                                  "2019-08-17T11:55:00Z 68.0 64.0"};
        const QJsonObject nullTemp{{"value", QJsonValue::Null}, {"unitCode", "wmoUnit:degC"}};
        const QJsonObject tempF{{"value", 68.0}, {"unitCode", "wmoUnit:degF"}};
        const QString busy =
            "the weather service is busy (HTTP %1); trying again at the next update";
        QTest::newRow("replayed at noon") << noon << latest << day << 200
                                          << QStringList{"68", "87"} + panel + kept << "" << false;
        // 10:55 UTC, 20.6 C: 69.1 F.
        const QStringList nulls =
            QStringList{"95", "87", panel[0], "lblTempF", "lblTempC"} + panel.mid(3) +
            QStringList{"22", kept[1], kept[2], "2019-08-17T10:55:00Z 69.1 64.0"};
        QTest::newRow("null temperature")
            << noon << latest << edited(day, 0, "temperature", nullTemp) << 200 << nulls << ""
            << false;
        QTest::newRow("degrees F") << noon << latest << edited(day, 0, "temperature", tempF) << 200
                                   << QStringList{"68", "87"} + panel + kept << "" << false;
        const QStringList untouched = {"95",    "51",      "lblTime", "lblTempF", "lblTempC",
                                       "lblRH", "lblDewF", "lblDewC", "0"};
        QTest::newRow("unknown station")
            << noon << latest << day << 404 << untouched << "station KPWM not found" << true;
        QTest::newRow("429") << noon << latest << day << 429 << untouched << busy.arg(429) << true;
        QTest::newRow("503") << noon << latest << day << 503 << untouched << busy.arg(503) << true;
        // A collection may take four times the latest observation's size.
        const QByteArray mib(1 << 20, ' ');
        QTest::newRow("collection of 3 MiB")
            << noon << latest << day + mib.repeated(2) << 200
            << QStringList{"68", "87"} + panel + kept << "" << false;
        QTest::newRow("collection over 4 MiB")
            << noon << latest << day + mib.repeated(4) << 200 << untouched
            << "document larger than 4194304 bytes" << true;
        QTest::newRow("truncated")
            << noon << latest << day.left(100000) << 200 << untouched
            << "not a weather-service document (not JSON: unterminated object at offset 100000)"
            << true;
        // The clock's today has none of 2019's observations.
        QTest::newRow("latest") << "" << latest << day << 200
                                << QStringList{"60.1",
                                               "90",
                                               "Wed, 21 Aug 2019 04:51:00 -0500",
                                               "Temperature: 60.1 deg F",
                                               " 15.6 deg C",
                                               "Relative Humidity: 90 %",
                                               "Dew Point: 57.0 deg F",
                                               " 13.9 deg C",
                                               "0"}
                                << "" << false;
        QTest::newRow("latest dated 2099")
            << "" << edited(latest, -1, "timestamp", "2099-01-01T00:00:00+00:00") << day << 200
            << untouched << "the latest observation is dated 2099-01-01T00:00:00Z, later than now"
            << false;
        QTest::newRow("humidity 1e19")
            << ""
            << edited(latest, -1, "relativeHumidity",
                      QJsonObject{{"value", 1e19}, {"unitCode", "wmoUnit:percent"}})
            << day << 200 << untouched << "station sent relative humidity 1e+19" << true;
        QTest::newRow("temperature 1e308")
            << ""
            << edited(latest, -1, "temperature",
                      QJsonObject{{"value", 1e308}, {"unitCode", "wmoUnit:degC"}})
            << day << 200 << untouched << "station sent temperature 1e+308 C" << true;
    }
    void weatherService() {
        QFETCH(QString, at);
        QFETCH(QByteArray, latest);
        QFETCH(QByteArray, observations);
        QFETCH(int, status);
        QFETCH(QStringList, shown);
        QFETCH(QString, failure);
        QFETCH(bool, told);
        serveService(latest, observations, status);
        m_feed.setNow(QDateTime::fromString(at, Qt::ISODate));
        m_session->chooseLive(0);
        m_feed.setNow({});
        QStringList out = this->shown().mid(0, 8);
        const model::ObservationHistory& h = m_session->history();
        out << QString::number(h.obsIndex);
        for (int i : {0, 1, h.obsIndex - 1})
            if (h.obsIndex > 0)
                out << QStringLiteral("%1 %2 %3")
                           .arg(h.obsTime[size_t(i)])
                           .arg(h.obsTemperature[size_t(i)], 0, 'f', 1)
                           .arg(h.obsDewPoint[size_t(i)], 0, 'f', 1);
        QCOMPARE(out, shown);
        QVERIFY2(failure.isEmpty() ? m_session->lastFeedFailure().isEmpty()
                                   : m_session->lastFeedFailure().contains(failure),
                 qPrintable(m_session->lastFeedFailure()));
        QCOMPARE(m_messages.size(), told ? 1 : 0);
        // Only the station's own documents are asked for.
        for (const QString& target : m_server->requested)
            QVERIFY2(target.startsWith("/stations/KPWM/observations"), qPrintable(target));
        // The service asks every client who it is and how to reach them.
        QVERIFY(m_server->lastRequest.contains("\r\nAccept: application/geo+json\r\n"));
        QVERIFY(QRegularExpression("\r\nUser-Agent: Quorvel Psychrometry/[0-9.]+ "
                                   "\\(ops@example.com\\)\r\n")
                    .match(m_server->lastRequest)
                    .hasMatch());
    }

    // The equations compute at the station's pressure while it sends one,
    // and at the setting's again in manual entry; a pressure no air has is
    // refused with the rest of its observation.
    void stationPressure() {
        model::Session& s = *m_session;
        const QByteArray latest = sampleFile("nws-api-latest-KPWM.json"); // 101590 Pa
        const QByteArray day = sampleFile("nws-api-observations-KCNK.json");
        serveService(latest, day, 200);
        s.chooseMethod(psychro::Method::Ashrae);
        s.chooseLive(0);
        QVERIFY(s.pressureFromStation());
        QCOMPARE(s.pressure() * psychro::moist::KpaPerPsia, 101.59);
        QVERIFY(model::methodDescription(s).endsWith("101.590 kPa (the station's)") ||
                model::methodDescription(s).endsWith("14.734 psia (the station's)"));
        serveService(edited(latest, -1, "barometricPressure",
                            QJsonObject{{"value", 5}, {"unitCode", "wmoUnit:Pa"}}),
                     day, 200);
        s.Timer1_Timer();
        QVERIFY(s.lastFeedFailure().contains("station sent a pressure of 5 Pa"));
        s.chooseLive(1);
        QVERIFY(!s.pressureFromStation() && s.pressure() == 14.696);
    }

    // Settings that name no station of the service, or one that is not
    // its: nothing is asked outside the station's path, and the refresh
    // fails naming the station.
    void stationsOfTheService_data() {
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("failure");
        const char* notId = "weather-service station '%1' is not 3 to 5 letters and digits";
        for (const char* id : {"KAAA/../../../etc", "KAAA?x=1#", "K-1", "KÄÄ", "KPWMXY"})
            QTest::newRow(id) << QString::fromUtf8(id) << QString(notId).arg(QString::fromUtf8(id));
        QTest::newRow("none") << QString() << "no weather-service station is set";
    }
    void stationsOfTheService() {
        QFETCH(QString, station);
        QFETCH(QString, failure);
        QFile ini(m_dir.filePath("s.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[XMLSetup]\nFeedSource=nws\nNWSStation=" + station.toLatin1() +
                  "\nNWSBaseURL=" + m_server->url("/api").toLatin1() + "\n");
        ini.close();
        model::Session s(&m_feed, &m_store);
        s.startUp();
        QFile::remove(ini.fileName());
        QStringList messages;
        connect(&s, &model::Session::message, this, [&](const QString& m) { messages << m; });
        s.chooseLive(0);
        QCOMPARE(s.lastFeedFailure(), failure);
        QCOMPARE(messages, QStringList{"Failed to Load Data\n" + failure});
        QCOMPARE(m_server->requested, QStringList());
        // The settings dialog and the command line refuse it as well.
        model::FeedSettings settings = s.feedSettings();
        QVERIFY(!s.useFeedSettings(settings).isEmpty());
    }

    // Manual entry chosen while the station is being asked: that station
    // is no longer told of.
    void manualEntryMeanwhile() {
        model::Session& s = *m_session;
        serve(sampleObservation(), "down", 500);
        connect(&s, &model::Session::refreshingChanged, this, [&s] {
            if (s.refreshing())
                QTimer::singleShot(0, &s, [&s] { s.chooseLive(1); });
        });
        s.chooseLive(0);
        QVERIFY(m_messages.isEmpty() && !s.liveFeed() && !s.liveView());
        QCOMPARE(s.lastFeedFailure().section(u'\n', -1),
                 url("daily") + ": HTTP 500 Internal Server Error");
    }

    void faults_data() {
        QTest::addColumn<Route>("route"); // of both documents
        const QByteArray other = current("50.0", "20", "other");
        QTest::newRow("silent") << Route{Mode::Hang};
        QTest::newRow("drip") << Route{Mode::Drip, other};
        QTest::newRow("cut short")
            << Route{Mode::Raw, "HTTP/1.0 200 OK\r\nContent-Length: 999\r\n\r\n" + other};
        QTest::newRow("not HTTP") << Route{Mode::Raw, "SSH-2.0-OpenSSH_9.2\r\n\x01\x02\xff"};
        QTest::newRow("50 MiB") << Route{Mode::HugeNoLength, {}, 200, 50 << 20};
        QTest::newRow("redirect loop") << Route{Mode::Raw, redirect("?again")};
    }
    // Whatever the station does wrong, live mode keeps the last good
    // observation, says "Failed to Load Data" once, and takes the next
    // good one.
    void faults() {
        if (!qEnvironmentVariableIsSet("QUORVEL_SLOW"))
            QSKIP("a long run: reliability-feed-faults-tests");
        QFETCH(Route, route);
        serve(sampleObservation(), day({"a 80 60"}));
        m_session->chooseLive(0);
        const QStringList good = shown();
        for (const char* path : {"/current", "/daily"})
            m_server->setRoute(path, route);
        m_session->Timer1_Timer();
        QCOMPARE(shown(), good);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.value(0).startsWith("Failed to Load Data\n" + url("daily") + ": "));
        serve(current("91.0", "40", "back"), day({"a 80 60"}));
        m_session->Timer1_Timer();
        QCOMPARE(shown().mid(0, 3), QStringList({"91", "40", "back"}));
    }
};

QTEST_GUILESS_MAIN(TestFeed)
#include "tst_feed.moc"
