#include "test_http_server.h"

#include <QFile>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace {

QByteArray reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

QByteArray head(int status, qint64 length, const QByteArray& extra = QByteArray(),
                const QByteArray& version = "HTTP/1.0") {
    QByteArray h = version + ' ' + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    h += "Content-Type: text/xml\r\n";
    if (length >= 0)
        h += "Content-Length: " + QByteArray::number(length) + "\r\n";
    h += extra;
    h += "Connection: close\r\n\r\n";
    return h;
}

// Requests larger than this are not something the feed client sends.
constexpr qsizetype kMaxRequest = 16 * 1024;

// Filler is written in pieces of this size while the client keeps up.
constexpr qint64 kChunk = 64 * 1024;

} // namespace

qint64 peakMemoryKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

bool resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && clear.write("5") == 1;
}

TestHttpServer::TestHttpServer(QObject* parent) : QObject(parent) {
    m_server.setParent(this); // moves along to another thread
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
}

TestHttpServer::~TestHttpServer() {
    m_server.close();
}

bool TestHttpServer::start() {
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl TestHttpServer::url(const QString& pathAndQuery) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(pathAndQuery));
}

void TestHttpServer::serve(const QString& path, const QByteArray& body, int status) {
    Route r;
    r.status = status;
    r.body = body;
    setRoute(path, r);
}

void TestHttpServer::onNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void TestHttpServer::onReadyRead(QTcpSocket* socket) {
    if (socket->property("answered").toBool()) {
        socket->readAll();
        return;
    }
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    if (request.size() > kMaxRequest) {
        socket->abort();
        return;
    }
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n"))
        return;
    socket->setProperty("answered", true);
    // "GET /path?query HTTP/1.1"
    const QList<QByteArray> parts = request.left(request.indexOf("\r\n")).split(' ');
    const QString target = parts.size() >= 2 ? QString::fromLatin1(parts[1]) : QString();
    const QString path = QUrl(target).path();
    ++m_requests[path];
    answer(socket, path);
}

void TestHttpServer::answer(QTcpSocket* socket, const QString& path) {
    if (!m_routes.contains(path)) {
        const QByteArray body = "not found";
        socket->write(head(404, body.size()) + body);
        socket->disconnectFromHost();
        return;
    }
    const Route r = m_routes.value(path);
    switch (r.mode) {
    case Mode::Fixed:
        socket->write(head(r.status, r.body.size()) + r.body);
        m_sent[path] += r.body.size();
        socket->disconnectFromHost();
        break;
    case Mode::Hang:
        break;
    case Mode::Redirect:
        socket->write(head(302, 0, "Location: " + url(r.location).toEncoded() + "\r\n"));
        socket->disconnectFromHost();
        break;
    case Mode::Drip: {
        socket->write(head(r.status, r.body.size()));
        auto* timer = new QTimer(socket);
        QPointer<QTcpSocket> guard(socket);
        auto next = std::make_shared<qsizetype>(0);
        connect(timer, &QTimer::timeout, socket, [this, guard, timer, next, r, path] {
            if (!guard || *next >= r.body.size()) {
                timer->stop();
                if (guard)
                    guard->disconnectFromHost();
                return;
            }
            guard->write(r.body.mid(*next, 1));
            ++*next;
            ++m_sent[path];
        });
        timer->start(r.dripIntervalMs);
        break;
    }
    case Mode::Huge:
    case Mode::HugeNoLength:
        socket->write(head(r.status, r.mode == Mode::Huge ? r.hugeBytes : -1));
        streamFiller(socket, path, r.hugeBytes, false);
        break;
    case Mode::HugeChunked:
        socket->write(head(r.status, -1, "Transfer-Encoding: chunked\r\n", "HTTP/1.1"));
        streamFiller(socket, path, r.hugeBytes, true);
        break;
    }
}

// Keeps about one chunk queued until total bytes are sent or the client
// goes away, so a client that stops early stops the stream too.
void TestHttpServer::streamFiller(QTcpSocket* socket, const QString& path, qint64 total,
                                  bool chunked) {
    auto sent = std::make_shared<qint64>(0);
    auto pump = [this, socket, path, total, chunked, sent] {
        while (*sent < total && socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < kChunk) {
            const qint64 n = qMin(kChunk, total - *sent);
            const QByteArray filler(n, 'x');
            socket->write(chunked ? QByteArray::number(n, 16) + "\r\n" + filler + "\r\n" : filler);
            *sent += n;
            m_sent[path] += n;
            if (chunked && *sent >= total)
                socket->write("0\r\n\r\n");
        }
        if (*sent >= total && socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, pump);
    pump();
}

quint16 TestHttpServer::closedPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
