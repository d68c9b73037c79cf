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
        *error = path == QLatin1String(StdoutName)
                     ? QStringLiteral("cannot write to standard output: %1").arg(why)
                     : QStringLiteral("cannot write '%1': %2").arg(path, why);
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

// Where a file of the batch stands: refused destinations are told before
// anything is written.
bool checkDestination(const QString& path, QString* error) {
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
    return true;
}

} // namespace

struct FileBatch::Entry {
    QString path;
    QByteArray data;
    // Unbuffered, so that every write's failure is seen here: a buffered
    // QSaveFile can commit after its final flush failed.
    std::unique_ptr<QSaveFile> file;

    bool prepare(QString* error) {
        if (!checkDestination(path, error))
            return false;
        file = std::make_unique<QSaveFile>(path);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail(error, path, file->errorString());
        qint64 done = 0;
        while (done < data.size()) {
            const qint64 n = file->write(data.constData() + done, data.size() - done);
            if (n <= 0)
                return fail(error, path, file->errorString());
            done += n;
        }
        return true;
    }
};

FileBatch::FileBatch() = default;

FileBatch::~FileBatch() {
    for (const auto& e : m_entries)
        if (e->file)
            e->file->cancelWriting();
}

void FileBatch::add(const QString& path, const QByteArray& data) {
    m_entries.push_back(std::make_unique<Entry>(Entry{path, data, nullptr}));
}

bool FileBatch::commit(QString* error) {
    const QString out = QString::fromLatin1(StdoutName);
    for (const auto& e : m_entries)
        if (e->path != out && !e->prepare(error))
            return false; // the destructor throws the prepared ones away
    // Standard output before the files: it cannot be taken back, but they
    // can, so a failed write there replaces nothing.
    for (const auto& e : m_entries)
        if (e->path == out && !writeStdout(e->data, error))
            return false;
    for (const auto& e : m_entries)
        if (e->file && !e->file->commit())
            return fail(error, e->path, e->file->errorString());
    m_entries.clear();
    return true;
}

bool writeFile(const QString& path, const QByteArray& data, QString* error) {
    FileBatch batch;
    batch.add(path, data);
    return batch.commit(error);
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
