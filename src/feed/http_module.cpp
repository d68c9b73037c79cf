// The feed's one use of QtNetwork, built as a module that the program loads
// on its first fetch (see http_client.h).
#include "feed/http_client.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <type_traits>

namespace feed {

namespace {

// A weather service redirects once or twice (http to https, a moved
// path); more than this is a loop or a misconfiguration.
constexpr int MaxRedirects = 5;

QString tooLargeText(qint64 maxBytes) {
    return QStringLiteral("document larger than %1 bytes").arg(maxBytes);
}

bool tooLarge(const HttpRequest& r, qint64 bytes) {
    return r.maxBytes >= 0 && bytes > r.maxBytes;
}

// Qt's own texts name the whole URL again and again; the Session shows the
// address once.
QString networkErrorText(const QNetworkReply& reply) {
    switch (reply.error()) {
    case QNetworkReply::NoError:
        return QString();
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

QNetworkRequest networkRequest(const HttpRequest& r) {
    QNetworkRequest request(r.url);
    if (!r.userAgent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, r.userAgent);
    if (!r.accept.isEmpty())
        request.setRawHeader("Accept", r.accept);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    // A fresh observation every time, never a cached one.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    return request;
}

// Why the exchange was cut short, or empty when it ran to its end.
QString receive(QNetworkReply& reply, const HttpRequest& r, QByteArray& body) {
    // Qt's network thread reads ahead of this one as far as the read buffer
    // lets it: without a limit a busy window lets hundreds of megabytes
    // pile up before the count below sees them.
    if (r.maxBytes >= 0)
        reply.setReadBufferSize(r.maxBytes + 1);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QString failure;
    auto fail = [&](const QString& text) {
        if (failure.isEmpty())
            failure = text;
        reply.abort(); // emits finished, which ends the loop
    };
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        fail(QStringLiteral("no answer within %1 s").arg(r.timeoutMs / 1000.0));
    });
    QObject::connect(&reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && tooLarge(r, length.toLongLong()))
            fail(tooLargeText(r.maxBytes));
    });
    // Counted as it arrives: a body without a length stops at the cap too.
    QObject::connect(&reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply.readAll();
        if (tooLarge(r, body.size()))
            fail(tooLargeText(r.maxBytes));
    });
    QObject::connect(&reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply.isFinished()) {
        timer.start(r.timeoutMs);
        loop.exec();
    }
    timer.stop();
    reply.disconnect(&loop);
    if (failure.isEmpty())
        body += reply.readAll();
    return failure;
}

class NetworkClient : public HttpClient {
public:
    HttpAnswer get(const HttpRequest& request, QByteArray& body) override {
        const std::unique_ptr<QNetworkReply> reply(m_network.get(networkRequest(request)));
        HttpAnswer a;
        a.brokenOff = receive(*reply, request, body);
        if (!a.brokenOff.isEmpty())
            return a;
        a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        a.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        a.error = networkErrorText(*reply);
        // A document that came whole but too long is refused all the same.
        if (a.status < 400 && a.error.isEmpty() && tooLarge(request, body.size()))
            a.brokenOff = tooLargeText(request.maxBytes);
        return a;
    }

private:
    QNetworkAccessManager m_network;
};

} // namespace

} // namespace feed

extern "C" Q_DECL_EXPORT feed::HttpClient* quorvel_http_client() {
    return new feed::NetworkClient;
}

static_assert(std::is_same_v<decltype(&quorvel_http_client), feed::HttpClientFactory>,
              "the entry point the program resolves");
