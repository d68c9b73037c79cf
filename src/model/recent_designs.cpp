#include "model/recent_designs.h"

#include "fileio/safe_write.h"

#include <QFileInfo>

namespace model::recent {

namespace {

const QString FileName = QStringLiteral("recent-designs.txt");

// Eight paths are a few KiB; anything far larger is not this list.
constexpr qint64 MaxListBytes = 64 * 1024;

} // namespace

QString listPath() {
    return fileio::userConfigFile(FileName);
}

QStringList load() {
    QByteArray bytes;
    if (!fileio::readRegularFile(listPath(), MaxListBytes, &bytes))
        return {};
    QStringList paths = QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts);
    paths.removeDuplicates();
    return paths.mid(0, MaxEntries);
}

void store(const QStringList& paths) {
    fileio::writeUserConfigFile(FileName, (paths.join(u'\n') + u'\n').toUtf8());
}

QStringList withFirst(QStringList paths, const QString& path) {
    paths.removeAll(path);
    paths.prepend(path);
    return paths.mid(0, MaxEntries);
}

QStringList existing(const QStringList& paths) {
    QStringList kept;
    for (const QString& p : paths)
        if (QFileInfo(p).isFile())
            kept << p;
    return kept;
}

} // namespace model::recent
