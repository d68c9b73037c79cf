#include "test_http_server.h"

#include <QFile>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <limits>
#include <memory>

namespace {

// Filler goes out in pieces of this size while the client keeps up.
constexpr qint64 Piece = 64 * 1024;

QByteArray head(int status, qint64 length, const QByteArray& extra = QByteArray(),
                const QByteArray& version = "HTTP/1.0") {
    const QByteArray reason = status == 200 ? "OK" : status == 500 ? "Internal Server Error" : "S";
    return version + ' ' + QByteArray::number(status) + ' ' + reason +
           (length >= 0 ? "\r\nContent-Length: " + QByteArray::number(length) : "") + "\r\n" +
           extra + "Connection: close\r\n\r\n";
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

QByteArray sampleObservation() {
    return readAll(QStringLiteral(QUORVEL_TEST_DATA "/current-observation-KDTO.xml"));
}

QByteArray sampleFile(const QString& name) {
    return readAll(QStringLiteral(QUORVEL_TEST_DATA "/") + name);
}

qint64 peakGrowthKb(const std::function<void()>& run) {
    auto peak = [] {
        const QByteArray status = readAll(QStringLiteral("/proc/self/status"));
        const qsizetype at = status.indexOf("VmHWM:");
        return at < 0 ? -1 : status.mid(at + 6).trimmed().split(' ').value(0).toLongLong();
    };
    QFile clear(QStringLiteral("/proc/self/clear_refs")); // "5" starts the peak afresh
    const bool reset =
        clear.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && clear.write("5") == 1;
    const qint64 before = peak();
    run();
    return reset && before >= 0 ? peak() - before : std::numeric_limits<qint64>::max();
}

TestHttpServer::TestHttpServer() {
    m_server.setParent(this); // moves along to another thread
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                // One request per connection: "GET /path?query HTTP/1.1" ...
                const QByteArray request =
                    socket->property("request").toByteArray() + socket->readAll();
                socket->setProperty("request", request);
                if (!request.contains("\r\n\r\n"))
                    return;
                disconnect(socket, &QTcpSocket::readyRead, this, nullptr); // answered once
                lastRequest = request;
                requested << QString::fromLatin1(request.split(' ').value(1));
                const QString path = QUrl(QString::fromLatin1(request.split(' ').value(1))).path();
                answer(socket, m_routes.value(path, {Mode::Fixed, "not found", 404}));
            });
        }
    });
}

QString TestHttpServer::url(const QString& pathAndQuery) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(pathAndQuery);
}

void TestHttpServer::answer(QTcpSocket* socket, const Route& r) {
    if (r.mode == Mode::Hang)
        return;
    if (r.mode == Mode::Drip) {
        socket->write(head(r.status, r.body.size()));
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket, body = r.body]() mutable {
            socket->write(body.sliced(0, 1));
            body.remove(0, 1);
        });
        timer->start(100);
        return;
    }
    if (r.mode == Mode::Fixed || r.mode == Mode::Raw) {
        socket->write(r.mode == Mode::Raw ? r.body : head(r.status, r.body.size()) + r.body);
        socket->disconnectFromHost();
        return;
    }
    // Keeps about one piece queued until all is sent or the client goes
    // away, so a client that stops early stops the stream too.
    const bool chunked = r.mode == Mode::HugeChunked;
    socket->write(chunked ? head(r.status, -1, "Transfer-Encoding: chunked\r\n", "HTTP/1.1")
                          : head(r.status, r.mode == Mode::Huge ? r.size : -1));
    auto pump = [socket, total = r.size, chunked, sent = std::make_shared<qint64>(0)] {
        while (*sent < total && socket->bytesToWrite() < Piece &&
               socket->state() == QAbstractSocket::ConnectedState) {
            const QByteArray filler(qMin(Piece, total - *sent), 'x');
            socket->write(chunked ? QByteArray::number(filler.size(), 16) + "\r\n" + filler + "\r\n"
                                  : filler);
            *sent += filler.size();
            if (chunked && *sent >= total)
                socket->write("0\r\n\r\n");
        }
        if (*sent >= total && socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, pump);
    pump();
}
