#include "feed/weather_service.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace feed {

namespace {

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

// The observations of a collection document.
bool parseCollection(const QByteArray& document, QJsonArray* features, QString* error) {
    QJsonObject root;
    if (!parse(document, &root, error))
        return false;
    const QJsonValue value = root.value(QLatin1String("features"));
    if (!value.isArray()) {
        if (error)
            *error = notJson(QStringLiteral("no observations"));
        return false;
    }
    *features = value.toArray();
    return true;
}

QString isoOffset(const QDateTime& t) {
    QString text = t.toString(Qt::ISODate);
    if (text.endsWith(u'Z')) // the service writes offsets, never Z
        text = text.chopped(1) + QStringLiteral("+00:00");
    return text;
}

// An observation's properties as the readings of the station documents. A
// quantity no air can have is passed on as sent (in C, or %), unrounded:
// the Session refuses it and names it.
QList<model::CurrentReading> readingsOf(const QJsonObject& p) {
    using model::CurrentElement;
    QList<model::CurrentReading> found = {
        {CurrentElement::Time, model::rfc822Time(timestampOf(p))}};
    auto temperature = [&](const char* name, CurrentElement f, CurrentElement c) {
        const auto t = celsius(p.value(QLatin1String(name)));
        if (!t)
            return;
        if (!model::readingProblem(c, *t, QStringLiteral("C")).isEmpty())
            found << model::CurrentReading{c, QString::number(*t)};
        else
            found << model::CurrentReading{f, oneDecimal(fahrenheit(*t))}
                  << model::CurrentReading{c, oneDecimal(round1(*t))};
    };
    temperature("temperature", CurrentElement::TempF, CurrentElement::TempC);
    if (const auto rh = percent(p.value(QLatin1String("relativeHumidity")))) {
        const bool plausible =
            model::readingProblem(CurrentElement::RelativeHumidity, *rh, QStringLiteral("%"))
                .isEmpty();
        found << model::CurrentReading{CurrentElement::RelativeHumidity,
                                       plausible ? QString::number(std::lround(*rh))
                                                 : QString::number(*rh)};
    }
    temperature("dewpoint", CurrentElement::DewPointF, CurrentElement::DewPointC);
    // The station's pressure, for the equations' sheet.
    const QJsonObject q = p.value(QLatin1String("barometricPressure")).toObject();
    const QString unit = q.value(QLatin1String("unitCode")).toString();
    if (q.value(QLatin1String("value")).isDouble() && unit.mid(unit.indexOf(u':') + 1) == u"Pa")
        found << model::CurrentReading{CurrentElement::PressurePa,
                                       QString::number(q.value(QLatin1String("value")).toDouble())};
    return found;
}

} // namespace

bool weatherServiceAddresses(const model::FeedSettings& settings, const QDateTime& from,
                             const QDateTime& replayAt, model::FeedAddresses* out, QString* why) {
    auto refuse = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    const QString station = settings.nwsStation.trimmed();
    if (station.isEmpty())
        return refuse(QStringLiteral("no weather-service station is set"));
    if (!model::isStationId(station))
        return refuse(QStringLiteral("weather-service station '%1' is not 3 to 5 letters and "
                                     "digits")
                          .arg(station));
    if (!model::isContactText(settings.nwsContact))
        return refuse(QStringLiteral("the contact for the weather service is not one line of "
                                     "text"));
    QUrl base(settings.nwsBaseUrl.trimmed(), QUrl::StrictMode);
    const QString scheme = base.scheme().toLower();
    if (!base.isValid() || base.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return refuse(QStringLiteral("the weather service's address '%1' is not an http or https "
                                     "address")
                          .arg(model::shownAddress(settings.nwsBaseUrl)));
    QString path = base.path(QUrl::FullyEncoded);
    while (path.endsWith(u'/'))
        path.chop(1);
    path += QStringLiteral("/stations/") + QString::fromLatin1(QUrl::toPercentEncoding(station)) +
            QStringLiteral("/observations");
    auto at = [&base, &path](const QString& tail, const QString& query) {
        QUrl u = base;
        u.setPath(path + tail, QUrl::StrictMode);
        u.setQuery(query.isEmpty() ? QString() : query, QUrl::StrictMode);
        u.setFragment(QString());
        return u.toString(QUrl::FullyEncoded);
    };
    // '+' of an offset would arrive as a blank; ':' may stay as it is.
    auto param = [](const char* name, const QDateTime& t) {
        return QLatin1String(name) + u'=' +
               QString::fromLatin1(QUrl::toPercentEncoding(isoOffset(t), ":"));
    };
    out->history = at(QString(), param("start", from));
    out->current =
        replayAt.isValid()
            ? at(QString(), param("start", replayAt.addDays(-1)) + u'&' + param("end", replayAt))
            : at(QStringLiteral("/latest"), QString());
    return true;
}

QDateTime dayStart(const QDateTime& now, qint16 gmtOffset) {
    const QTimeZone zone = QTimeZone(-int(gmtOffset) * 3600);
    const QDate day = now.toTimeZone(zone).date();
    return QDateTime(day, QTime(0, 0), zone);
}

bool readLatestObservation(const QByteArray& document, const QDateTime& latest,
                           QList<model::CurrentReading>& readings, QString* error) {
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
    if (latest.isValid() && time > latest) {
        if (error)
            *error =
                QStringLiteral("the latest observation is dated %1, later than now (%2)")
                    .arg(time.toUTC().toString(Qt::ISODate), latest.toUTC().toString(Qt::ISODate));
        return false;
    }
    readings = readingsOf(p);
    return true;
}

bool readObservationAt(const QByteArray& document, const QDateTime& at,
                       QList<model::CurrentReading>& readings, QString* error) {
    QJsonArray features;
    if (!parseCollection(document, &features, error))
        return false;
    QJsonObject newest;
    QDateTime newestTime;
    for (const QJsonValue& f : features) {
        const QJsonObject p = f.toObject().value(QLatin1String("properties")).toObject();
        const QDateTime time = timestampOf(p);
        if (time.isValid() && time <= at && (!newestTime.isValid() || time > newestTime)) {
            newest = p;
            newestTime = time;
        }
    }
    if (!newestTime.isValid()) {
        if (error)
            *error = QStringLiteral("no observation at or before %1")
                         .arg(at.toUTC().toString(Qt::ISODate));
        return false;
    }
    readings = readingsOf(newest);
    return true;
}

bool readObservations(const QByteArray& document, const QDateTime& from, const QDateTime& to,
                      model::ObservationHistory& history, QString* error) {
    QJsonArray features;
    if (!parseCollection(document, &features, error))
        return false;
    struct Ob {
        QDateTime time;
        float t, d;
    };
    std::vector<Ob> kept;
    for (const QJsonValue& f : features) {
        const QJsonObject p = f.toObject().value(QLatin1String("properties")).toObject();
        const QDateTime time = timestampOf(p);
        if (!time.isValid() || time < from || time > to)
            continue;
        const auto t = celsius(p.value(QLatin1String("temperature")));
        const auto d = celsius(p.value(QLatin1String("dewpoint")));
        const bool plausible =
            t && d &&
            model::readingProblem(model::CurrentElement::TempC, *t, QStringLiteral("C"))
                .isEmpty() &&
            model::readingProblem(model::CurrentElement::DewPointC, *d, QStringLiteral("C"))
                .isEmpty();
        if (plausible)
            kept.push_back({time.toUTC(), float(fahrenheit(*t)), float(fahrenheit(*d))});
    }
    // Newest first as served; the chart draws them oldest first.
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Ob& a, const Ob& b) { return a.time < b.time; });
    model::ObservationHistory h = history;
    for (const Ob& o : kept) {
        if (h.obsIndex >= model::MaxHistoryReadings)
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
