#include "fileio/safe_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileio {

namespace {

bool fail(QString* error, const QString& path, const QString& why) {
    if (error)
        *error = QStringLiteral("cannot write '%1': %2").arg(path, why);
    return false;
}

bool refuseRead(QString* error, const QString& path, const QString& why) {
    if (error)
        *error = QStringLiteral("cannot read '%1': %2").arg(path, why);
    return false;
}

bool writeStdout(const QByteArray& data, QString* error) {
    // A full or closed standard output must not pass for success.
    if (std::fwrite(data.constData(), 1, size_t(data.size()), stdout) != size_t(data.size()) ||
        std::fflush(stdout) != 0)
        return fail(error, QString::fromLatin1(StdoutName),
                    QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}

} // namespace

bool writeFile(const QString& path, const QByteArray& data, QString* error) {
    if (path == QLatin1String(StdoutName))
        return writeStdout(data, error);
    if (path.isEmpty())
        return fail(error, path, QStringLiteral("no file name"));
    // lstat's view, then the link's target: a link to a FIFO is a FIFO.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(error, path,
                    info.isDir() ? QStringLiteral("it is a directory")
                                 : QStringLiteral("it exists and is not a regular file"));
    if (!info.absoluteDir().exists())
        return fail(error, path,
                    QStringLiteral("directory '%1' does not exist").arg(info.absolutePath()));

    // Unbuffered, so that every write's failure is seen here: a buffered
    // QSaveFile can commit after its final flush failed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, path, file.errorString());
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 n = file.write(data.constData() + done, data.size() - done);
        if (n <= 0) {
            const QString why = file.errorString();
            file.cancelWriting();
            return fail(error, path, why);
        }
        done += n;
    }
    if (!file.commit())
        return fail(error, path, file.errorString());
    return true;
}

QString userConfigFile(const QString& name) {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u'/' + name;
}

bool writeUserConfigFile(const QString& name, const QByteArray& data, QString* error) {
    const QString path = userConfigFile(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFile(path, data, error);
}

bool openRegularFile(const QString& path, qint64 maxBytes, QFile* file, QString* error) {
    // Opened without blocking and checked through the descriptor, so a FIFO
    // never stalls the open and nothing can be swapped in between the check
    // and the read.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refuseRead(error, path, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuseRead(error, path, QStringLiteral("not a regular file"));
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        return refuseRead(error, path, QStringLiteral("larger than %1 bytes").arg(maxBytes));
    }
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuseRead(error, path, file->errorString());
    }
    return true;
}

bool readRegularFile(const QString& path, qint64 maxBytes, QByteArray* data, QString* error) {
    QFile file;
    if (!openRegularFile(path, maxBytes, &file, error))
        return false;
    // One byte more than allowed tells a file that grew since the check.
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes)
        return refuseRead(error, path, QStringLiteral("larger than %1 bytes").arg(maxBytes));
    if (file.error() != QFileDevice::NoError)
        return refuseRead(error, path, file.errorString());
    *data = std::move(bytes);
    return true;
}

} // namespace fileio
