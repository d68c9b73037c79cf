// quorvel-demo-station: a small weather station for trying the live feed
// without the real observation service. It listens on 127.0.0.1 and answers
//   GET /weatherstation/WXCurrentObXML.asp?ID=<station>
//   GET /weatherstation/WXDailyHistory.asp?ID=<station>&format=XML
// and the same weather in the shape of the weather service's web API,
//   GET /stations/<station>/observations/latest
//   GET /stations/<station>/observations?start=<ISO 8601>
// with a Texas summer day that follows a smooth daily curve, and 404 to
// anything else. HTTP/1.0, one request per connection.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <cmath>
#include <numbers>

namespace {

// The station keeps Central Daylight Time all year: local = UTC - 5 h,
// which is the offset the program assumes by default.
constexpr int kUtcOffsetHours = -5;

// One history reading every 20 minutes, as a station reporting three
// times an hour would.
constexpr int kHistoryStepMinutes = 20;

// Requests are a request line and a few headers; anything longer is not
// a feed client.
constexpr qsizetype kMaxRequestBytes = 8 * 1024;

// A client that connects and says nothing is dropped after this long, ms.
constexpr int kIdleTimeoutMs = 10000;

struct Weather {
    double tempF = 0;
    double dewF = 0;
};

double fToC(double f) {
    return (f - 32.0) * 5.0 / 9.0;
}

// Hours since local midnight, fractional.
double localHour(const QDateTime& utc) {
    const QTime t = utc.addSecs(kUtcOffsetHours * 3600).time();
    return t.hour() + t.minute() / 60.0 + t.second() / 3600.0;
}

// The day's curve: dry bulb 78 F at 4 am rising to 100 F at 4 pm; the dew
// point 70 F around sunrise falling to 64 F in the afternoon as the air
// mixes out. A slow ripple of a few tenths of a degree (37 and 53 minute
// periods) keeps successive readings from repeating exactly.
Weather weatherAt(const QDateTime& utc) {
    constexpr double twoPi = 2.0 * std::numbers::pi;
    const double h = localHour(utc);
    const double minutes = double(utc.toSecsSinceEpoch()) / 60.0;
    Weather w;
    w.tempF =
        89.0 + 11.0 * std::cos(twoPi * (h - 16.0) / 24.0) + 0.4 * std::sin(twoPi * minutes / 37.0);
    w.dewF =
        67.0 + 3.0 * std::cos(twoPi * (h - 6.0) / 24.0) + 0.3 * std::sin(twoPi * minutes / 53.0);
    return w;
}

// Relative humidity in % from dry bulb and dew point (Magnus formula over
// water, temperatures in C, coefficients of Sonntag 1990).
double relativeHumidity(double tempF, double dewF) {
    auto es = [](double c) { return 6.112 * std::exp(17.62 * c / (243.12 + c)); };
    return 100.0 * es(fToC(dewF)) / es(fToC(tempF));
}

QString oneDecimal(double x) {
    return QString::number(x, 'f', 1);
}

QString xmlEscaped(const QString& s) {
    return s.toHtmlEscaped();
}

// RFC 822 date in English whatever the machine's locale:
// "Thu, 10 Aug 2023 23:53:00 -0500".
QString rfc822(const QDateTime& utc, int offsetHours) {
    const QDateTime local = utc.addSecs(offsetHours * 3600);
    const QString zone = QLatin1String(offsetHours < 0 ? "-" : "+") +
                         QString::number(std::abs(offsetHours)).rightJustified(2, u'0') +
                         QLatin1String("00");
    return QLocale::c().toString(local, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")) + zone;
}

QByteArray currentObservation(const QString& station, const QDateTime& now) {
    const Weather w = weatherAt(now);
    const QDateTime local = now.addSecs(kUtcOffsetHours * 3600);
    const QString tf = oneDecimal(w.tempF), tc = oneDecimal(fToC(w.tempF));
    const QString df = oneDecimal(w.dewF), dc = oneDecimal(fToC(w.dewF));
    const QString rh = QString::number(qRound(relativeHumidity(w.tempF, w.dewF)));
    const QString id = xmlEscaped(station);

    QString x;
    QTextStream out(&x);
    out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
        << "<?xml-stylesheet href=\"latest_ob.xsl\" type=\"text/xsl\"?>\n"
        << "<current_observation version=\"1.0\"\n"
        << "\t xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"\n"
        << "\t xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
        << "\t<credit>Quorvel demo station</credit>\n"
        << "\t<location>Demo Station, TX</location>\n"
        << "\t<station_id>" << id << "</station_id>\n"
        << "\t<latitude>33.20505</latitude>\n"
        << "\t<longitude>-97.20061</longitude>\n"
        << "\t<observation_time>Last Updated on "
        << QLocale::c().toString(local, QStringLiteral("MMM d yyyy, h:mm ap")) << " CDT"
        << "</observation_time>\n"
        << "\t<observation_time_rfc822>" << rfc822(now, kUtcOffsetHours)
        << "</observation_time_rfc822>\n"
        << "\t<weather>Fair</weather>\n"
        << "\t<temperature_string>" << tf << " F (" << tc << " C)</temperature_string>\n"
        << "\t<temp_f>" << tf << "</temp_f>\n"
        << "\t<temp_c>" << tc << "</temp_c>\n"
        << "\t<relative_humidity>" << rh << "</relative_humidity>\n"
        << "\t<wind_string>South at 9.2 MPH (8 KT)</wind_string>\n"
        << "\t<wind_dir>South</wind_dir>\n"
        << "\t<wind_degrees>170</wind_degrees>\n"
        << "\t<wind_mph>9.2</wind_mph>\n"
        << "\t<pressure_mb>1007.2</pressure_mb>\n"
        << "\t<pressure_in>29.78</pressure_in>\n"
        << "\t<dewpoint_string>" << df << " F (" << dc << " C)</dewpoint_string>\n"
        << "\t<dewpoint_f>" << df << "</dewpoint_f>\n"
        << "\t<dewpoint_c>" << dc << "</dewpoint_c>\n"
        << "\t<visibility_mi>10.00</visibility_mi>\n"
        << "</current_observation>\n";
    out.flush();
    return x.toLatin1();
}

// Every reading since the station's local midnight. The time stamps are in
// GMT: the program's history chart takes the hour of each stamp and
// subtracts its own GMT offset to get local time.
QByteArray dailyHistory(const QString& station, const QDateTime& now) {
    const QDateTime local = now.addSecs(kUtcOffsetHours * 3600);
    const QDateTime midnightUtc =
        QDateTime(local.date(), QTime(0, 0), Qt::UTC).addSecs(-kUtcOffsetHours * 3600);

    QString x;
    QTextStream out(&x);
    out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
        << "<WXDailyHistory>\n"
        << "\t<station_id>" << xmlEscaped(station) << "</station_id>\n";
    for (QDateTime t = midnightUtc; t <= now; t = t.addSecs(kHistoryStepMinutes * 60)) {
        const Weather w = weatherAt(t);
        out << "\t<observation>\n"
            << "\t\t<observation_time_rfc822>" << rfc822(t, 0) << "</observation_time_rfc822>\n"
            << "\t\t<temp_f>" << oneDecimal(w.tempF) << "</temp_f>\n"
            << "\t\t<dewpoint_f>" << oneDecimal(w.dewF) << "</dewpoint_f>\n"
            << "\t</observation>\n";
    }
    out << "</WXDailyHistory>\n";
    out.flush();
    return x.toLatin1();
}

// One observation as the weather service's API writes it: temperatures in
// C, humidity in percent, each with its unit and quality-control code.
QJsonObject apiObservation(const QString& station, const QDateTime& t) {
    const Weather w = weatherAt(t);
    auto quantity = [](double value, const char* unit) {
        return QJsonObject{{QStringLiteral("value"), std::round(value * 10.0) / 10.0},
                           {QStringLiteral("unitCode"), QString::fromLatin1(unit)},
                           {QStringLiteral("qualityControl"), QStringLiteral("V")}};
    };
    const QString stamp = t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss+00:00"));
    const QString id = QStringLiteral("/stations/%1/observations/%2").arg(station, stamp);
    return QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("type"), QStringLiteral("Feature")},
        {QStringLiteral("properties"),
         QJsonObject{{QStringLiteral("@id"), id},
                     {QStringLiteral("station"), QStringLiteral("/stations/") + station},
                     {QStringLiteral("timestamp"), stamp},
                     {QStringLiteral("textDescription"), QStringLiteral("Clear")},
                     {QStringLiteral("temperature"), quantity(fToC(w.tempF), "wmoUnit:degC")},
                     {QStringLiteral("dewpoint"), quantity(fToC(w.dewF), "wmoUnit:degC")},
                     {QStringLiteral("relativeHumidity"),
                      quantity(relativeHumidity(w.tempF, w.dewF), "wmoUnit:percent")}}}};
}

// The last reporting time at or before now.
QDateTime lastReport(const QDateTime& now) {
    const qint64 step = kHistoryStepMinutes * 60;
    return QDateTime::fromSecsSinceEpoch(now.toSecsSinceEpoch() / step * step, Qt::UTC);
}

// The observations from start (at most two days back) to now, newest first
// as the service lists them.
QByteArray apiObservations(const QString& station, QDateTime start, const QDateTime& now) {
    if (!start.isValid() || start < now.addDays(-2))
        start = now.addDays(-1);
    QJsonArray features;
    for (QDateTime t = lastReport(now); t >= start; t = t.addSecs(-kHistoryStepMinutes * 60))
        features.append(apiObservation(station, t));
    return QJsonDocument(QJsonObject{{QStringLiteral("type"), QStringLiteral("FeatureCollection")},
                                     {QStringLiteral("features"), features}})
        .toJson(QJsonDocument::Compact);
}

QByteArray response(int status, const QByteArray& reason, const QByteArray& contentType,
                    const QByteArray& body) {
    return "HTTP/1.0 " + QByteArray::number(status) + ' ' + reason + "\r\n" +
           "Content-Type: " + contentType + "\r\n" +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n" +
           "Cache-Control: no-cache\r\n" + "Connection: close\r\n\r\n" + body;
}

QByteArray notFound() {
    return response(404, "Not Found", "text/plain", "Not found\n");
}

// Answers one request line ("GET /path?query HTTP/1.1").
QByteArray answer(const QByteArray& requestLine, int* status) {
    *status = 404;
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() < 2 || parts[0] != "GET")
        return notFound();
    const QUrl target(QString::fromLatin1(parts[1]));
    const QUrlQuery query(target);
    const QDateTime now = QDateTime::currentDateTimeUtc();

    // The API's paths: /stations/<id>/observations[/latest].
    const QStringList api = target.path().split(u'/');
    if (api.size() >= 4 && api.size() <= 5 && api[0].isEmpty() &&
        api[1] == QLatin1String("stations") && api[3] == QLatin1String("observations") &&
        !api[2].isEmpty() && api[2].size() <= 5) {
        const QByteArray json = "application/geo+json";
        *status = 200;
        if (api.size() == 5 && api[4] == QLatin1String("latest"))
            return response(200, "OK", json,
                            QJsonDocument(apiObservation(api[2], lastReport(now))).toJson());
        if (api.size() == 4)
            return response(
                200, "OK", json,
                apiObservations(api[2],
                                QDateTime::fromString(query.queryItemValue(QStringLiteral("start"),
                                                                           QUrl::FullyDecoded),
                                                      Qt::ISODate),
                                now));
        *status = 404;
        return notFound();
    }

    const QString station = query.queryItemValue(QStringLiteral("ID"), QUrl::FullyDecoded);
    if (station.isEmpty() || station.size() > 32)
        return notFound();
    const QString path = target.path();
    const QByteArray xml = "text/xml; charset=ISO-8859-1";

    if (path.compare(QLatin1String("/weatherstation/WXCurrentObXML.asp"), Qt::CaseInsensitive) ==
        0) {
        *status = 200;
        return response(200, "OK", xml, currentObservation(station, now));
    }
    if (path.compare(QLatin1String("/weatherstation/WXDailyHistory.asp"), Qt::CaseInsensitive) ==
            0 &&
        query.queryItemValue(QStringLiteral("format"))
                .compare(QLatin1String("XML"), Qt::CaseInsensitive) == 0) {
        *status = 200;
        return response(200, "OK", xml, dailyHistory(station, now));
    }
    return notFound();
}

void serve(QTcpSocket* socket) {
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    QObject::connect(idle, &QTimer::timeout, socket, &QTcpSocket::abort);
    idle->start(kIdleTimeoutMs);
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
        if (socket->property("answered").toBool()) {
            socket->readAll();
            return;
        }
        const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        if (request.size() > kMaxRequestBytes) {
            socket->abort();
            return;
        }
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n") && !request.contains("\n\n"))
            return;
        socket->setProperty("answered", true);
        const QByteArray line = request.left(request.indexOf('\n')).trimmed();
        int status = 0;
        socket->write(answer(line, &status));
        socket->disconnectFromHost();
        QTextStream(stdout) << QDateTime::currentDateTime().toString(Qt::ISODate) << ' ' << line
                            << " -> " << status << Qt::endl;
    });
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-demo-station"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves a demo weather station's current conditions and daily history "
                       "on 127.0.0.1 for the live feed."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringList{QStringLiteral("p"), QStringLiteral("port")},
                                        QStringLiteral("TCP port to listen on (default 8787)."),
                                        QStringLiteral("N"), QStringLiteral("8787"));
    parser.addOption(portOption);
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        QTextStream(stderr) << "invalid port: " << parser.value(portOption) << Qt::endl;
        return 2;
    }

    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, quint16(port))) {
        QTextStream(stderr) << "cannot listen on 127.0.0.1:" << port << ": " << server.errorString()
                            << Qt::endl;
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket* socket = server.nextPendingConnection())
            serve(socket);
    });
    QTextStream(stdout) << "Demo station on http://127.0.0.1:" << port
                        << "/weatherstation/WXCurrentObXML.asp?ID=KDTO" << Qt::endl
                        << "Weather service API on http://127.0.0.1:" << port << " (station KDTO)"
                        << Qt::endl;
    return app.exec();
}
