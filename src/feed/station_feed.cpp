#include "feed/station_feed.h"

#include "feed/observations.h"
#include "feed/weather_service.h"
#include "version.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace feed {

namespace {

// A weather service redirects once or twice (http to https, a moved
// path); more than this is a loop or a misconfiguration.
constexpr int MaxRedirects = 5;

QString tooLargeText(qint64 maxBytes) {
    return QStringLiteral("document larger than %1 bytes").arg(maxBytes);
}

// Qt's own texts name the whole URL again and again; the Session shows the
// address once.
QString networkErrorText(const QNetworkReply& reply) {
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("connection refused");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("connection closed by the server");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("host not found");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("more than %1 redirects").arg(MaxRedirects);
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("redirected to a less secure address");
    case QNetworkReply::ProtocolUnknownError: // only a redirect can lead there
        return QStringLiteral("redirected to an address that is not http or https");
    default:
        break;
    }
    // Qt says what failed after a colon, and says nothing there when zlib
    // gave no message (damaged data, or an answer that would unpack to far
    // more than it sent).
    const QString text = reply.errorString();
    for (const QLatin1String prefix : {QLatin1String("Decompression failed:"),
                                       QLatin1String("Failed to initialize decompression:")})
        if (text.startsWith(prefix)) {
            const QString detail = text.mid(prefix.size()).trimmed();
            return QStringLiteral("the compressed answer could not be unpacked (%1)")
                .arg(detail.isEmpty() ? QStringLiteral("damaged, or far larger unpacked than sent")
                                      : detail);
        }
    return text;
}

} // namespace

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

QNetworkRequest StationFeed::request(const QUrl& url, const QString& typed,
                                     qint64* maxBytes) const {
    QNetworkRequest request(url);
    *maxBytes = m_maxBytes;
    if (m_weatherService) {
        // The service refuses clients that do not say who they are.
        QString agent = QStringLiteral("Quorvel Psychrometry/") + QLatin1String(version::Text);
        if (!m_contact.isEmpty() && model::isContactText(m_contact))
            agent += QStringLiteral(" (") + m_contact + u')';
        request.setHeader(QNetworkRequest::UserAgentHeader, agent);
        request.setRawHeader("Accept", "application/geo+json");
        // A moment replayed reads its current conditions from a collection.
        *maxBytes =
            typed == m_historyUrl || m_now.isValid() ? MaxObservationsBytes : MaxLatestBytes;
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    // A fresh observation every time, never a cached one.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    return request;
}

QString StationFeed::receive(QNetworkReply& reply, qint64 maxBytes, QByteArray& body) const {
    // Qt's network thread reads ahead of this one as far as the read buffer
    // lets it: without a limit a busy window lets hundreds of megabytes
    // pile up before the count below sees them.
    if (maxBytes >= 0)
        reply.setReadBufferSize(maxBytes + 1);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QString failure;
    auto fail = [&](const QString& text) {
        if (failure.isEmpty())
            failure = text;
        reply.abort(); // emits finished, which ends the loop
    };
    auto tooLarge = [&](qint64 bytes) { return maxBytes >= 0 && bytes > maxBytes; };
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        fail(QStringLiteral("no answer within %1 s").arg(m_timeoutMs / 1000.0));
    });
    QObject::connect(&reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && tooLarge(length.toLongLong()))
            fail(tooLargeText(maxBytes));
    });
    // Counted as it arrives: a body without a length stops at the cap too.
    QObject::connect(&reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply.readAll();
        if (tooLarge(body.size()))
            fail(tooLargeText(maxBytes));
    });
    QObject::connect(&reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply.isFinished()) {
        timer.start(m_timeoutMs);
        loop.exec();
    }
    timer.stop();
    reply.disconnect(&loop);
    if (failure.isEmpty()) {
        body += reply.readAll();
        failure = outcome(reply);
        if (failure.isEmpty() && tooLarge(body.size()))
            failure = tooLargeText(maxBytes);
    }
    return failure;
}

// What the answer's status and Qt say; empty for a document.
QString StationFeed::outcome(const QNetworkReply& reply) const {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_weatherService && status == 404)
        return QStringLiteral("station %1 not found").arg(m_station);
    if (m_weatherService && (status == 429 || status == 503))
        return QStringLiteral("the weather service is busy (HTTP %1); trying again at the next "
                              "update")
            .arg(status);
    if (status >= 400)
        return (QStringLiteral("HTTP %1 ").arg(status) +
                reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
            .trimmed();
    if (reply.error() != QNetworkReply::NoError)
        return networkErrorText(reply);
    return QString();
}

bool StationFeed::fetch(const QString& typed, QByteArray& body, QString* why) {
    body.clear();
    const QUrl url(typed.trimmed());
    const QString scheme = url.scheme().toLower();
    QString failure;
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        failure = QStringLiteral("not an http or https address");
    } else {
        if (!m_network)
            m_network = std::make_unique<QNetworkAccessManager>();
        qint64 maxBytes = 0;
        const std::unique_ptr<QNetworkReply> reply(m_network->get(request(url, typed, &maxBytes)));
        failure = receive(*reply, maxBytes, body);
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
