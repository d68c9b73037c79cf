#include "feed/feed_settings.h"

#include "feed/ini_file.h"
#include "psychro/numconv.h"

#include <cmath>
#include <limits>

#ifndef QUORVEL_FEED_HOST
#error "QUORVEL_FEED_HOST must be defined by the build"
#endif
#ifndef QUORVEL_FEED_STATION
#error "QUORVEL_FEED_STATION must be defined by the build"
#endif

namespace feed {

QString defaultCurrentUrl() {
    return QStringLiteral(QUORVEL_FEED_HOST
                          "/weatherstation/WXCurrentObXML.asp?ID=" QUORVEL_FEED_STATION);
}

QString defaultDailyUrl() {
    return QStringLiteral(QUORVEL_FEED_HOST
                          "/weatherstation/WXDailyHistory.asp?ID=" QUORVEL_FEED_STATION
                          "&format=XML");
}

bool convertGmtOffset(const QString& text, qint16* offset) {
    const double hours = psychro::RoundHalfEven(psychro::LeadingNumber(text));
    if (!std::isfinite(hours) || hours < std::numeric_limits<qint16>::min() ||
        hours > std::numeric_limits<qint16>::max())
        return false;
    *offset = qint16(hours);
    return true;
}

void LoadFeedSettings(FeedSettings& settings, int ReadFile, const QString& iniPath) {
    settings.gIniFile = iniPath;
    settings.gXMLCurrent = defaultCurrentUrl();
    settings.gXMLDaily = defaultDailyUrl();
    settings.gGMTOffset = 5;
    if (ReadFile == 0)
        return;

    const QString section = QString::fromLatin1(kIniSection);
    QString s = ReadIniKey(settings.gIniFile, section, QString::fromLatin1(kIniKeyCurrent));
    if (!s.isEmpty())
        settings.gXMLCurrent = s;
    s = ReadIniKey(settings.gIniFile, section, QString::fromLatin1(kIniKeyDaily));
    if (!s.isEmpty())
        settings.gXMLDaily = s;
    s = ReadIniKey(settings.gIniFile, section, QString::fromLatin1(kIniKeyOffset));
    if (!s.isEmpty())
        convertGmtOffset(s, &settings.gGMTOffset); // out of range: the default stays
}

} // namespace feed
