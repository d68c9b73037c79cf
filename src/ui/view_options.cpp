#include "ui/view_options.h"

#include "fileio/safe_write.h"

#include <QMap>
#include <QStringList>

namespace ui::viewoptions {

namespace {

const QString FileName = QStringLiteral("view.txt");

constexpr qint64 MaxBytes = 4 * 1024;
const QString CoilLineKey = QStringLiteral("coilLine");
const QString WeatherHoursKey = QStringLiteral("weatherHours");

// Every "name=value" line of the file; none when it cannot be read.
QMap<QString, QString> load() {
    QMap<QString, QString> options;
    QByteArray bytes;
    if (!fileio::readRegularFile(path(), MaxBytes, &bytes))
        return options;
    for (const QString& line : QString::fromUtf8(bytes).split(u'\n'))
        if (const qsizetype eq = line.indexOf(u'='); eq > 0)
            options.insert(line.left(eq), line.mid(eq + 1).trimmed());
    return options;
}

bool isOn(const QString& key, bool byDefault) {
    const QMap<QString, QString> options = load();
    return options.contains(key) ? options.value(key) == QLatin1String("1") : byDefault;
}

// The other choices are kept as they were.
void setOn(const QString& key, bool on) {
    QMap<QString, QString> options = load();
    options.insert(key, on ? QStringLiteral("1") : QStringLiteral("0"));
    QString text;
    for (auto it = options.constBegin(); it != options.constEnd(); ++it)
        text += it.key() + u'=' + it.value() + u'\n';
    fileio::writeUserConfigFile(FileName, text.toUtf8());
}

} // namespace

QString path() {
    return fileio::userConfigFile(FileName);
}

bool coilLine() {
    return isOn(CoilLineKey, false);
}

void setCoilLine(bool on) {
    setOn(CoilLineKey, on);
}

bool weatherHours() {
    return isOn(WeatherHoursKey, true);
}

void setWeatherHours(bool on) {
    setOn(WeatherHoursKey, on);
}

} // namespace ui::viewoptions
