#include "feed/weather_service.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace feed {

namespace {

constexpr qint16 MaxReadings = 500;

QString notJson(const QString& why) {
    return QStringLiteral("not a weather-service document (%1)").arg(why);
}

double round1(double x) {
    return std::round(x * 10.0) / 10.0;
}

// A temperature quantity in degrees C, or nothing when it is withheld or
// in a unit this does not know.
std::optional<double> celsius(const QJsonValue& quantity) {
    const QJsonObject q = quantity.toObject();
    const QJsonValue v = q.value(QLatin1String("value"));
    if (!v.isDouble())
        return std::nullopt;
    // "unit:degC" in older documents, "wmoUnit:degC" today.
    const QString unit = q.value(QLatin1String("unitCode")).toString();
    const QString name = unit.mid(unit.indexOf(u':') + 1);
    if (name == QLatin1String("degC"))
        return v.toDouble();
    if (name == QLatin1String("degF"))
        return (v.toDouble() - 32.0) * 5.0 / 9.0;
    if (name == QLatin1String("K"))
        return v.toDouble() - 273.15;
    return std::nullopt;
}

std::optional<double> percent(const QJsonValue& quantity) {
    const QJsonObject q = quantity.toObject();
    const QJsonValue v = q.value(QLatin1String("value"));
    const QString unit = q.value(QLatin1String("unitCode")).toString();
    if (!v.isDouble() || unit.mid(unit.indexOf(u':') + 1) != QLatin1String("percent"))
        return std::nullopt;
    return v.toDouble();
}

double fahrenheit(double c) {
    return round1(c * 9.0 / 5.0 + 32.0);
}

QString oneDecimal(double x) {
    return QString::number(x == 0 ? 0.0 : x, 'f', 1);
}

QDateTime timestampOf(const QJsonObject& properties) {
    return QDateTime::fromString(properties.value(QLatin1String("timestamp")).toString(),
                                 Qt::ISODate);
}

// "Wed, 21 Aug 2019 09:51:00 +0000", in the timestamp's own offset.
QString rfc822(const QDateTime& t) {
    const int offset = t.offsetFromUtc() / 60;
    const int a = std::abs(offset);
    return QLocale::c().toString(t, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) +
           (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1%2")
               .arg(a / 60, 2, 10, QLatin1Char('0'))
               .arg(a % 60, 2, 10, QLatin1Char('0'));
}

bool parse(const QByteArray& document, QJsonObject* root, QString* error) {
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(document, &e);
    if (e.error != QJsonParseError::NoError) {
        if (error)
            *error = notJson(
                QStringLiteral("not JSON: %1 at offset %2").arg(e.errorString()).arg(e.offset));
        return false;
    }
    if (!doc.isObject()) {
        if (error)
            *error = notJson(QStringLiteral("not a JSON object"));
        return false;
    }
    *root = doc.object();
    return true;
}

} // namespace

bool isStationId(const QString& id) {
    if (id.size() < 3 || id.size() > 5)
        return false;
    return std::all_of(id.begin(), id.end(),
                       [](QChar c) { return c.unicode() < 128 && (c.isLetterOrNumber()); });
}

QString latestObservationUrl(const QString& base, const QString& station) {
    QString b = base.trimmed();
    while (b.endsWith(u'/'))
        b.chop(1);
    return b + QStringLiteral("/stations/") + station.trimmed() +
           QStringLiteral("/observations/latest");
}

QDateTime dayStart(const QDateTime& now, qint16 gmtOffset) {
    const QTimeZone zone = QTimeZone(-int(gmtOffset) * 3600);
    const QDate day = now.toTimeZone(zone).date();
    return QDateTime(day, QTime(0, 0), zone);
}

QString observationsUrl(const QString& base, const QString& station, const QDateTime& from) {
    QString b = base.trimmed();
    while (b.endsWith(u'/'))
        b.chop(1);
    QString start = from.toString(Qt::ISODate);
    if (start.endsWith(u'Z')) // the service writes offsets, never Z
        start = start.chopped(1) + QStringLiteral("+00:00");
    return b + QStringLiteral("/stations/") + station.trimmed() +
           QStringLiteral("/observations?start=") + start.replace(u'+', QStringLiteral("%2B"));
}

bool readLatestObservation(const QByteArray& document, QList<model::CurrentReading>& readings,
                           QString* error) {
    QJsonObject root;
    if (!parse(document, &root, error))
        return false;
    const QJsonObject p = root.value(QLatin1String("properties")).toObject();
    const QDateTime time = timestampOf(p);
    if (!time.isValid()) {
        if (error)
            *error = notJson(QStringLiteral("no observation time"));
        return false;
    }
    using model::CurrentElement;
    QList<model::CurrentReading> found = {{CurrentElement::Time, rfc822(time)}};
    if (const auto t = celsius(p.value(QLatin1String("temperature"))))
        found << model::CurrentReading{CurrentElement::TempF, oneDecimal(fahrenheit(*t))}
              << model::CurrentReading{CurrentElement::TempC, oneDecimal(round1(*t))};
    if (const auto rh = percent(p.value(QLatin1String("relativeHumidity"))))
        found << model::CurrentReading{CurrentElement::RelativeHumidity,
                                       QString::number(std::lround(*rh))};
    if (const auto d = celsius(p.value(QLatin1String("dewpoint"))))
        found << model::CurrentReading{CurrentElement::DewPointF, oneDecimal(fahrenheit(*d))}
              << model::CurrentReading{CurrentElement::DewPointC, oneDecimal(round1(*d))};
    readings = found;
    return true;
}

bool readObservations(const QByteArray& document, const QDateTime& from, const QDateTime& to,
                      model::ObservationHistory& history, QString* error) {
    QJsonObject root;
    if (!parse(document, &root, error))
        return false;
    const QJsonValue features = root.value(QLatin1String("features"));
    if (!features.isArray()) {
        if (error)
            *error = notJson(QStringLiteral("no observations"));
        return false;
    }
    struct Ob {
        QDateTime time;
        float t, d;
    };
    std::vector<Ob> kept;
    for (const QJsonValue& f : features.toArray()) {
        const QJsonObject p = f.toObject().value(QLatin1String("properties")).toObject();
        const QDateTime time = timestampOf(p);
        if (!time.isValid() || time < from || time > to)
            continue;
        const auto t = celsius(p.value(QLatin1String("temperature")));
        const auto d = celsius(p.value(QLatin1String("dewpoint")));
        if (t && d)
            kept.push_back({time.toUTC(), float(fahrenheit(*t)), float(fahrenheit(*d))});
    }
    // Newest first as served; the chart draws them oldest first.
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Ob& a, const Ob& b) { return a.time < b.time; });
    model::ObservationHistory h = history;
    for (const Ob& o : kept) {
        if (h.obsIndex >= MaxReadings)
            break;
        const size_t i = size_t(h.obsIndex++);
        h.obsTime[i] = o.time.toString(Qt::ISODate);
        h.obsTemperature[i] = o.t;
        h.obsDewPoint[i] = o.d;
    }
    history = h;
    return true;
}

} // namespace feed
