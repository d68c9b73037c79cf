#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// The process's peak resident memory in kB (VmHWM), and a fresh start for
// it; -1 and false where the system does not offer them.
qint64 peakMemoryKb();
bool resetPeakMemory();

// A small HTTP/1.0 server on 127.0.0.1 for the feed tests. It runs on the
// test's own thread: the fetch under test spins an event loop while it
// waits, which is when the server reads requests and answers them. Moved to
// a thread of its own it writes as fast as the connection takes data.
// Each path (query ignored) gets one behaviour; unknown paths answer 404.
class TestHttpServer : public QObject {
    Q_OBJECT

public:
    // A port on 127.0.0.1 that nothing listens on (connections are refused).
    static quint16 closedPort();

    enum class Mode {
        Fixed,        // status line, Content-Length and the body at once
        Hang,         // read the request, never answer
        Drip,         // announce the body, then send one byte per interval
        Redirect,     // 302 to location
        Huge,         // stream hugeBytes of filler, announcing the length
        HugeNoLength, // stream filler without Content-Length
        HugeChunked,  // stream filler in HTTP/1.1 chunks
    };

    struct Route {
        Mode mode = Mode::Fixed;
        int status = 200;
        QByteArray body;
        int dripIntervalMs = 100;
        qint64 hugeBytes = 0;
        QString location; // path on this server, for Redirect
    };

    explicit TestHttpServer(QObject* parent = nullptr);
    ~TestHttpServer() override;

    bool start();
    quint16 port() const { return m_server.serverPort(); }
    QUrl url(const QString& pathAndQuery) const;

    void setRoute(const QString& path, const Route& route) { m_routes[path] = route; }
    void serve(const QString& path, const QByteArray& body, int status = 200);

    // Requests received for path, and bytes of body sent for it so far.
    int requestCount(const QString& path) const { return m_requests.value(path); }
    qint64 bodyBytesSent(const QString& path) const { return m_sent.value(path); }

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QString& path);
    void streamFiller(QTcpSocket* socket, const QString& path, qint64 total, bool chunked);

    QTcpServer m_server;
    QHash<QString, Route> m_routes;
    QHash<QString, int> m_requests;
    QHash<QString, qint64> m_sent;
};
