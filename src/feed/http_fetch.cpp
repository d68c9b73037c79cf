#include "feed/http_fetch.h"

#include <QDomDocument>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QXmlStreamReader>

#include <memory>

namespace feed {

namespace {

// A weather service redirects once or twice (http to https, a moved
// path); more than this is a loop or a misconfiguration.
constexpr int kMaxRedirects = 5;

// Observation documents are a few levels deep; the DOM frees its tree
// recursively, so absurd nesting must not reach it.
constexpr int kMaxDepth = 256;

// Walks the whole document once with the streaming reader, which keeps
// nothing in memory, and refuses what the DOM should not be given.
bool safeToLoad(const QByteArray& data) {
    QXmlStreamReader reader(data);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            // Internal entity declarations are what expansion bombs are built
            // from; external ones could point anywhere. Feeds need neither.
            if (!reader.entityDeclarations().isEmpty() ||
                reader.text().contains(QLatin1String("<!ENTITY")))
                return false;
            break;
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxDepth)
                return false;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}

} // namespace

FetchResult fetchDocument(QNetworkAccessManager& manager, const QUrl& url, int timeoutMs,
                          qint64 maxBytes) {
    FetchResult result;
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        result.error = QStringLiteral("not an HTTP URL: %1").arg(url.toString());
        return result;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // Qt follows one redirect more than the number allowed here (checked
    // against a redirect loop: 5 allowed gave 7 requests).
    request.setMaximumRedirectsAllowed(kMaxRedirects - 1);
    // A fresh observation every time, never a cached one.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);

    std::unique_ptr<QNetworkReply> reply(manager.get(request));
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

    QObject::connect(&timer, &QTimer::timeout, &loop,
                     [&] { fail(QStringLiteral("no answer within %1 ms").arg(timeoutMs)); });
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && tooLarge(length.toLongLong()))
            fail(QStringLiteral("document larger than %1 bytes").arg(maxBytes));
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        result.body += reply->readAll();
        if (tooLarge(result.body.size()))
            fail(QStringLiteral("document larger than %1 bytes").arg(maxBytes));
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
        if (reply->error() != QNetworkReply::NoError)
            failure = reply->errorString();
        else if (status >= 400)
            failure = QStringLiteral("HTTP status %1").arg(status);
        else if (tooLarge(result.body.size()))
            failure = QStringLiteral("document larger than %1 bytes").arg(maxBytes);
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

bool parseDocument(const QByteArray& data, QDomDocument& doc) {
    doc = QDomDocument();
    if (!safeToLoad(data))
        return false;
    // Without namespace processing node names are the tags as written,
    // which is what the observation walks compare against.
    QDomDocument parsed;
    if (!parsed.setContent(data, false))
        return false;
    doc = parsed;
    return true;
}

} // namespace feed
