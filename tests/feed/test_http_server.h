#pragma once

#include <QHash>
#include <QTcpServer>

#include <functional>
#include <utility>

class QTcpSocket;

// The station document of the feed samples.
QByteArray sampleObservation();
// A file of the feed samples.
QByteArray sampleFile(const QString& name);

// How much the process's peak resident memory (VmHWM) grows while run
// runs, in kB; more than any bound where the system does not tell.
qint64 peakGrowthKb(const std::function<void()>& run);

// A small HTTP/1.0 server on 127.0.0.1 for the feed tests. On the test's
// own thread it answers only while the code under test runs an event loop;
// moved to a thread of its own it writes as fast as the connection takes
// data. Each path (query ignored) gets one behaviour; others answer 404.
class TestHttpServer : public QObject {
    Q_OBJECT

public:
    enum class Mode {
        Fixed,        // status line, Content-Length and the body at once
        Raw,          // the body as the whole answer, whatever it holds
        Hang,         // read the request, never answer
        Drip,         // announce the body, then send one byte every 100 ms
        Huge,         // stream `size` bytes of filler, announcing the length
        HugeNoLength, // the same without Content-Length
        HugeChunked,  // the same in HTTP/1.1 chunks
    };
    struct Route {
        Route(Mode m = Mode::Fixed, QByteArray b = {}, int s = 200, qint64 n = 0)
            : mode(m), body(std::move(b)), status(s), size(n) {}
        Mode mode;
        QByteArray body;
        int status;
        qint64 size;
    };

    TestHttpServer();
    QString url(const QString& pathAndQuery) const;
    void setRoute(const QString& path, const Route& route) { m_routes[path] = route; }
    // The last request's line and headers, and the target (path and query)
    // of every request (for a server on the test's thread).
    QByteArray lastRequest;
    QStringList requested;

private:
    void answer(QTcpSocket* socket, const Route& r);

    QTcpServer m_server;
    QHash<QString, Route> m_routes;
};
