#include "ui/view_options.h"

#include "fileio/safe_write.h"

#include <QStringList>


namespace ui::viewoptions {

namespace {

const QString FileName = QStringLiteral("view.txt");

constexpr qint64 MaxBytes = 4 * 1024;
const QString CoilLineKey = QStringLiteral("coilLine=");

} // namespace

QString path() {
    return fileio::userConfigFile(FileName);
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
    fileio::writeUserConfigFile(FileName, (CoilLineKey + (on ? u'1' : u'0') + u'\n').toUtf8());
}

} // namespace ui::viewoptions
