// Any settings file: a key written into it reads back as written.
#include "feed/ini_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        return 0;
    f.close();
    const QString section = QStringLiteral("XMLSetup");
    const QString value = QStringLiteral("http://127.0.0.1:8787/x?ID=KDTO");
    if (feed::WriteIniKey(path, section, QStringLiteral("XMLDaily"), value) == "OK" &&
        feed::ReadIniKey(path, section, QStringLiteral("XMLDaily")) != value)
        std::abort();
    return 0;
}
