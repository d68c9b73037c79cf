// Saves the feed settings over and over, key by key, until it is killed.
// The interrupted-save test starts it, waits for "ready" and kills it with
// SIGKILL at a random moment. Argument: the settings file.
//
// With --file-size-limit BYTES first, it instead saves the dialog's second
// set of settings once, as "OK" does, with files limited to BYTES (writes
// past that fail as on a full disk, even for root), and prints OK or ERROR.

#include "feed/feed_settings.h"
#include "feed/ini_file.h"
#include "save_values.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/resource.h>

namespace {

int saveOnceWithin(rlim_t limit, const QString& path) {
    // Ignored, SIGXFSZ turns into a failing write instead of ending the
    // process.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &small) != 0)
        return 2;
    feed::FeedSettings settings;
    feed::LoadFeedSettings(settings, 1, path);
    settings.gXMLCurrent = savetest::currentUrl(true);
    settings.gXMLDaily = savetest::dailyUrl(true);
    std::puts(feed::saveFeedSettings(settings) ? "OK" : "ERROR");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--file-size-limit") == 0)
        return saveOnceWithin(rlim_t(std::strtoull(argv[2], nullptr, 10)),
                              QString::fromLocal8Bit(argv[3]));
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
