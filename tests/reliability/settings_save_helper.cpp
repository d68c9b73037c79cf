// Saves the feed settings over and over, key by key, until it is killed.
// The interrupted-save test starts it, waits for "ready" and kills it with
// SIGKILL at a random moment. Argument: the settings file.

#include "feed/feed_settings.h"
#include "feed/ini_file.h"
#include "save_values.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QString section = QString::fromLatin1(feed::kIniSection);
    std::puts("ready");
    std::fflush(stdout);
    // The file starts with the first set; round 0 writes the second.
    for (unsigned round = 0;; ++round) {
        const bool second = round % 2 == 0;
        feed::WriteIniKey(path, section, QString::fromLatin1(feed::kIniKeyCurrent),
                          savetest::currentUrl(second));
        feed::WriteIniKey(path, section, QString::fromLatin1(feed::kIniKeyDaily),
                          savetest::dailyUrl(second));
        feed::WriteIniKey(path, section, QString::fromLatin1(feed::kIniKeyOffset),
                          savetest::gmtOffset(second));
    }
}
