#include "ui/view_options.h"

#include "fileio/safe_write.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ui::viewoptions {

namespace {

constexpr qint64 MaxBytes = 4 * 1024;
const QString CoilLineKey = QStringLiteral("coilLine=");

} // namespace

QString path() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/view.txt");
}

bool coilLine() {
    QByteArray bytes;
    if (!fileio::readRegularFile(path(), MaxBytes, &bytes))
        return false;
    for (const QString& line : QString::fromUtf8(bytes).split(u'\n'))
        if (line.startsWith(CoilLineKey))
            return line.mid(CoilLineKey.size()).trimmed() == QLatin1String("1");
    return false;
}

void setCoilLine(bool on) {
    QDir().mkpath(QFileInfo(path()).absolutePath());
    fileio::writeFile(path(), (CoilLineKey + (on ? u'1' : u'0') + u'\n').toUtf8());
}

} // namespace ui::viewoptions
