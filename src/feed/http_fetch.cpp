#include "feed/http_fetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace feed {

namespace {

// A weather service redirects once or twice (http to https, a moved
// path); more than this is a loop or a misconfiguration.
constexpr int kMaxRedirects = 5;

QString tooLargeText(qint64 maxBytes) {
    return QStringLiteral("document larger than %1 bytes").arg(maxBytes);
}

// Qt's own texts name the whole URL again and again; the caller shows the
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
        return QStringLiteral("more than %1 redirects").arg(kMaxRedirects);
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("redirected to a less secure address");
    case QNetworkReply::ProtocolUnknownError: // only a redirect can lead there
        return QStringLiteral("redirected to an address that is not http or https");
    default:
        return reply.errorString();
    }
}

} // namespace

FetchResult fetchDocument(QNetworkAccessManager& manager, const QUrl& url, int timeoutMs,
                          qint64 maxBytes) {
    FetchResult result;
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        result.error = QStringLiteral("not an http or https address");
        return result;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    // A fresh observation every time, never a cached one.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);

    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    // Qt's network thread reads ahead of this one as far as the read buffer
    // lets it: without a limit a busy window lets hundreds of megabytes
    // pile up before the count below sees them.
    if (maxBytes >= 0)
        reply->setReadBufferSize(maxBytes + 1);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QString failure;

    auto fail = [&](const QString& why) {
        if (failure.isEmpty())
            failure = why;
        reply->abort(); // emits finished, which ends the loop
    };
    auto tooLarge = [&](qint64 bytes) { return maxBytes >= 0 && bytes > maxBytes; };

    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        fail(QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000.0));
    });
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && tooLarge(length.toLongLong()))
            fail(tooLargeText(maxBytes));
    });
    // Counted as it arrives: a body without a length stops at the cap too.
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        result.body += reply->readAll();
        if (tooLarge(result.body.size()))
            fail(tooLargeText(maxBytes));
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);

    if (!reply->isFinished()) {
        timer.start(timeoutMs);
        loop.exec();
    }
    timer.stop();

    if (failure.isEmpty()) {
        result.body += reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 400)
            failure = (QStringLiteral("HTTP %1 ").arg(status) +
                       reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                          .trimmed();
        else if (reply->error() != QNetworkReply::NoError)
            failure = networkErrorText(*reply);
        else if (tooLarge(result.body.size()))
            failure = tooLargeText(maxBytes);
    }
    reply->disconnect(&loop);

    if (!failure.isEmpty()) {
        result.body.clear();
        result.error = failure;
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace feed
