#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>

namespace feed {

// One GET as the station feed makes it.
struct HttpRequest {
    QUrl url;
    QString userAgent;     // empty: Qt's own
    QByteArray accept;     // empty: none sent
    qint64 maxBytes = -1;  // the most the body may hold; negative: no limit
    int timeoutMs = 10000; // for the whole exchange
};

// How a GET ended; the body is the caller's.
struct HttpAnswer {
    QString brokenOff; // why it was cut short: no answer in time, or too large
    int status = 0;    // the HTTP status, 0 when none came
    QString reason;    // its reason phrase
    QString error;     // what went wrong on the way (refused, host not found...)
};

// Qt's network code, in the module that holds it.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    // Waits for the answer within the time-out and the size, running a
    // local event loop meanwhile; the body holds what arrived.
    virtual HttpAnswer get(const HttpRequest& request, QByteArray& body) = 0;
};

// QtNetwork, with the Kerberos and proxy libraries it brings, costs every
// start about 2 ms, and most runs never go live: it lives in a module of its
// own, loaded on the first fetch. The module is looked for next to the
// program, then where it is installed, unless a path is given. Null, and
// why, when it cannot be loaded.
std::unique_ptr<HttpClient> loadHttpClient(const QString& modulePath, QString* why);

// The module's one entry point.
inline constexpr char HttpClientEntry[] = "quorvel_http_client";
using HttpClientFactory = HttpClient* (*)();

} // namespace feed
