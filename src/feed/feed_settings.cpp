#include "feed/feed_settings.h"

#include "fileio/safe_write.h"

#include "feed/ini_file.h"
#include "psychro/numconv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cmath>
#include <limits>
#include <utility>

#include <unistd.h>

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
    if (!std::isfinite(hours) || hours < model::MinGmtOffset || hours > model::MaxGmtOffset)
        return false;
    *offset = qint16(hours);
    return true;
}

QString LoadFeedSettings(model::FeedSettings& settings, int ReadFile, const QString& iniPath) {
    settings.gIniFile = iniPath;
    settings.gXMLCurrent = defaultCurrentUrl();
    settings.gXMLDaily = defaultDailyUrl();
    settings.gGMTOffset = 5;
    const model::FeedSettings defaults;
    settings.feedSource = defaults.feedSource;
    settings.nwsStation = defaults.nwsStation;
    settings.nwsBaseUrl = defaults.nwsBaseUrl;
    settings.nwsContact = defaults.nwsContact;
    if (ReadFile == 0)
        return QString();

    QByteArray text;
    QString why;
    if (!readIniFile(settings.gIniFile, &text, settings.gIniSeed, &why))
        return why;
    const QString section = QString::fromLatin1(IniSection);
    // Any text reads as settings; binary data with no section of ours in it
    // was given by mistake.
    if (text.contains('\0') && !text.toLower().contains(section.toLower().toLatin1()))
        return QStringLiteral("'%1' holds binary data, not settings").arg(settings.gIniFile);
    const QStringList v =
        iniValues(text, QString::fromLatin1(IniSection),
                  {QString::fromLatin1(IniKeyCurrent), QString::fromLatin1(IniKeyDaily),
                   QString::fromLatin1(IniKeyOffset), QString::fromLatin1(IniKeySource),
                   QString::fromLatin1(IniKeyStation), QString::fromLatin1(IniKeyBaseUrl),
                   QString::fromLatin1(IniKeyContact)});
    if (!v[0].isEmpty())
        settings.gXMLCurrent = v[0];
    if (!v[1].isEmpty())
        settings.gXMLDaily = v[1];
    if (!v[2].isEmpty())
        convertGmtOffset(v[2], &settings.gGMTOffset); // out of range: the default stays
    // Anything but "nws" is the station documents, as before the key.
    if (v[3].trimmed().compare(QLatin1String("nws"), Qt::CaseInsensitive) == 0)
        settings.feedSource = QStringLiteral("nws");
    if (!v[4].isEmpty())
        settings.nwsStation = v[4].trimmed();
    if (!v[5].isEmpty())
        settings.nwsBaseUrl = v[5];
    if (!v[6].isEmpty() && model::isContactText(v[6])) // a line break would start a header
        settings.nwsContact = v[6];
    return QString();
}

namespace {

// The file is Latin-1: a character beyond it would come back as '?'. Its
// UTF-8 bytes percent-encoded read back as the same character in a URL.
QString latin1Url(const QString& url) {
    QString out;
    for (qsizetype i = 0; i < url.size(); ++i) {
        if (url[i].unicode() <= 0xFF) {
            out += url[i];
            continue;
        }
        const qsizetype n = url[i].isHighSurrogate() && i + 1 < url.size() ? 2 : 1;
        out += QString::fromLatin1(QUrl::toPercentEncoding(url.mid(i, n)));
        i += n - 1;
    }
    return out;
}

} // namespace

bool saveFeedSettings(const model::FeedSettings& settings) {
    if (!settings.gIniSeed.isEmpty())
        QDir().mkpath(QFileInfo(settings.gIniFile).absolutePath());
    const QString section = QString::fromLatin1(IniSection);
    QList<IniEntry> entries = {
        {QString::fromLatin1(IniKeyCurrent), latin1Url(settings.gXMLCurrent)},
        {QString::fromLatin1(IniKeyDaily), latin1Url(settings.gXMLDaily)},
        {QString::fromLatin1(IniKeyOffset),
         psychro::FormatNumber(settings.gGMTOffset, QStringLiteral("##0"))}};
    const model::FeedSettings defaults;
    const bool weatherServiceSet =
        settings.feedSource != defaults.feedSource || settings.nwsStation != defaults.nwsStation ||
        settings.nwsBaseUrl != defaults.nwsBaseUrl || settings.nwsContact != defaults.nwsContact;
    QByteArray text;
    if (weatherServiceSet ||
        (readIniFile(settings.gIniFile, &text, settings.gIniSeed) &&
         !iniValues(text, section, {QString::fromLatin1(IniKeySource)})[0].isEmpty()))
        entries +=
            QList<IniEntry>{{QString::fromLatin1(IniKeySource), settings.feedSource},
                            {QString::fromLatin1(IniKeyStation), settings.nwsStation},
                            {QString::fromLatin1(IniKeyBaseUrl), latin1Url(settings.nwsBaseUrl)},
                            {QString::fromLatin1(IniKeyContact), latin1Url(settings.nwsContact)}};
    return writeIniKeys(settings.gIniFile, section, entries, settings.gIniSeed) ==
           QLatin1String("OK");
}

bool isWritableDir(const QString& dir) {
    return ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

QString settingsFilePath(const QString& exeDir, QString* seed,
                         const std::function<bool(const QString&)>& writable) {
    const QString besideExe = exeDir + u'/' + QLatin1String(IniFileName);
    seed->clear();
    if (writable(exeDir))
        return besideExe;
    // An installed copy: each user keeps their own, starting from the one
    // installed beside the program.
    *seed = besideExe;
    return fileio::userConfigFile(QLatin1String(IniFileName));
}

IniSettingsStore::IniSettingsStore(QString iniPath, QString seed)
    : m_iniPath(std::move(iniPath)), m_seed(std::move(seed)) {}

QString IniSettingsStore::LoadFeedSettings(model::FeedSettings& settings, int ReadFile) {
    settings.gIniSeed = m_seed;
    return feed::LoadFeedSettings(settings, ReadFile, m_iniPath);
}

bool IniSettingsStore::save(const model::FeedSettings& settings) {
    return saveFeedSettings(settings);
}

} // namespace feed
