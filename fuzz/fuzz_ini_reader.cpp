// Any settings file: reading never fails hard, and a key written into it
// reads back as written while the rest of the file survives.
#include "feed/ini_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    for (const char* key : {"XMLCurrent", "XMLDaily", "XMLGMTOffset"}) {
        const QString v = feed::ReadIniKey(path, QStringLiteral("XMLSetup"), QLatin1String(key));
        if (v.size() > 519)
            std::abort();
    }
    const QString value = QStringLiteral("http://127.0.0.1:8787/x?ID=KDTO");
    if (feed::WriteIniKey(path, QStringLiteral("XMLSetup"), QStringLiteral("XMLDaily"), value) ==
            QLatin1String("OK") &&
        feed::ReadIniKey(path, QStringLiteral("XMLSetup"), QStringLiteral("XMLDaily")) != value)
        std::abort();
    return 0;
}
