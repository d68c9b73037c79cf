#include "feed/station_feed.h"

#include "feed/observations.h"
#include "feed/weather_service.h"
#include "version.h"

#include <QUrl>

namespace feed {

StationFeed::StationFeed() = default;
StationFeed::~StationFeed() = default;

bool StationFeed::addresses(const model::FeedSettings& settings, model::FeedAddresses& out,
                            QString* why) {
    m_weatherService = settings.feedSource == QLatin1String("nws");
    if (!m_weatherService) {
        out = {settings.gXMLCurrent, settings.gXMLDaily};
        return true;
    }
    m_station = settings.nwsStation.trimmed();
    m_contact = settings.nwsContact.trimmed();
    m_to = m_now.isValid() ? m_now : QDateTime::currentDateTimeUtc();
    m_from = dayStart(m_to, settings.gGMTOffset);
    if (!weatherServiceAddresses(settings, m_from, m_now, &out, why))
        return false;
    m_historyUrl = out.history;
    return true;
}

HttpRequest StationFeed::request(const QUrl& url, const QString& typed) const {
    HttpRequest request{url, QString(), QByteArray(), m_maxBytes, m_timeoutMs};
    if (m_weatherService) {
        // The service refuses clients that do not say who they are.
        request.userAgent = QStringLiteral("Quorvel Psychrometry/") + QLatin1String(version::Text);
        if (!m_contact.isEmpty() && model::isContactText(m_contact))
            request.userAgent += QStringLiteral(" (") + m_contact + u')';
        request.accept = "application/geo+json";
        // A moment replayed reads its current conditions from a collection.
        request.maxBytes =
            typed == m_historyUrl || m_now.isValid() ? MaxObservationsBytes : MaxLatestBytes;
    }
    return request;
}

// What the answer's status and Qt say; empty for a document.
QString StationFeed::outcome(const HttpAnswer& answer) const {
    if (!answer.brokenOff.isEmpty())
        return answer.brokenOff;
    const int status = answer.status;
    if (m_weatherService && status == 404)
        return QStringLiteral("station %1 not found").arg(m_station);
    if (m_weatherService && (status == 429 || status == 503))
        return QStringLiteral("the weather service is busy (HTTP %1); trying again at the next "
                              "update")
            .arg(status);
    if (status >= 400)
        return (QStringLiteral("HTTP %1 ").arg(status) + answer.reason).trimmed();
    return answer.error;
}

bool StationFeed::fetch(const QString& typed, QByteArray& body, QString* why) {
    body.clear();
    const QUrl url(typed.trimmed());
    const QString scheme = url.scheme().toLower();
    QString failure;
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        failure = QStringLiteral("not an http or https address");
    } else {
        if (!m_http)
            m_http = loadHttpClient(m_httpModule, &failure);
        if (m_http)
            failure = outcome(m_http->get(request(url, typed), body));
    }
    if (failure.isEmpty())
        return true;
    body.clear();
    // Qt's texts may quote the address; its password is not shown.
    if (why)
        *why = url.password().isEmpty() ? failure
                                        : failure.replace(url.password(), QStringLiteral("***"));
    return false;
}

bool StationFeed::readCurrent(const QByteArray& document, QList<model::CurrentReading>& readings,
                              QString* why) {
    if (!m_weatherService)
        return DisplayNode(document, readings, why);
    // A moment replayed takes the last observation at or before it; the
    // clock's now allows the station's clock to run a little ahead.
    constexpr int ClockSkewS = 10 * 60;
    if (m_now.isValid())
        return readObservationAt(document, m_now, readings, why);
    return readLatestObservation(document, m_to.addSecs(ClockSkewS), readings, why);
}

bool StationFeed::readHistory(const QByteArray& document, model::ObservationHistory& history,
                              QString* why) {
    if (m_weatherService)
        return readObservations(document, m_from, m_to, history, why);
    return DisplayNode2(document, history, why);
}

} // namespace feed
