// Saves feed settings as the settings dialog's OK does, in a process of its
// own with files limited to LIMIT bytes (a full disk, even for root), and
// prints OK or ERROR. Arguments: FILE LIMIT CURRENT DAILY OFFSET.
#include "feed/feed_settings.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    // Ignored, SIGXFSZ turns into a failing write instead of ending the
    // process.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{a.value(2).toULongLong(), a.value(2).toULongLong()};
    if (a.size() != 6 || setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return 2;
    feed::IniSettingsStore store(a[1]);
    model::FeedSettings s;
    store.LoadFeedSettings(s, 1);
    s.gXMLCurrent = a[3];
    s.gXMLDaily = a[4];
    feed::convertGmtOffset(a[5], &s.gGMTOffset);
    std::puts(store.save(s) ? "OK" : "ERROR");
}
