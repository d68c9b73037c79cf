#pragma once

#include "model/feed_types.h"

#include <QString>
#include <QtGlobal>

#include <functional>

// The three feed settings, their built-in defaults and the settings file
// they persist in (section "XMLSetup" of Quorvel_ZADUvuru.ini beside the
// executable, or in the user's configuration directory when the program's
// directory cannot be written).
namespace feed {

inline constexpr char IniFileName[] = "Quorvel_ZADUvuru.ini";

// Section and key names in the settings file.
inline constexpr char IniSection[] = "XMLSetup";
inline constexpr char IniKeyCurrent[] = "XMLCurrent";
inline constexpr char IniKeyDaily[] = "XMLDaily";
inline constexpr char IniKeyOffset[] = "XMLGMTOffset";
inline constexpr char IniKeySource[] = "FeedSource";
inline constexpr char IniKeyStation[] = "NWSStation";
inline constexpr char IniKeyBaseUrl[] = "NWSBaseURL";
inline constexpr char IniKeyContact[] = "NWSContact";

// Built-in URLs on the weather-station host and station chosen at build time.
QString defaultCurrentUrl();
QString defaultDailyUrl();

// Converts an offset text the way the settings file and the dialog do: the
// leading number, rounded to whole hours with halves going to the even
// neighbour. Returns false (and leaves *offset alone) when the result lies
// outside the offsets the settings accept.
bool convertGmtOffset(const QString& text, qint16* offset);

// Sets gIniFile to iniPath and the settings to their defaults; when ReadFile
// is not 0, overlays them with the non-empty values of the settings file
// (or of gIniSeed while there is none). A missing file, section or key, or
// anything but a regular file of at most 1 MiB, leaves the defaults in place;
// a contact with a control character in it is not taken. Returns why the
// file could not be read (not a regular file, too large, binary), or empty.
QString LoadFeedSettings(model::FeedSettings& settings, int ReadFile, const QString& iniPath);

// Writes the settings into gIniFile in one save; the weather-service keys
// only once one of them is set or the file has them, so that a file from
// before them keeps its lines. A URL is stored as
// typed, except that characters beyond Latin-1 (the file's encoding) are
// percent-encoded. Returns false when the file could not be written; it is
// then as it was.
bool saveFeedSettings(const model::FeedSettings& settings);

// Whether the user may create files in dir.
bool isWritableDir(const QString& dir);

// The settings file of a program in exeDir: the one beside it when that
// directory is writable, otherwise the one in the user's configuration
// directory; *seed is then set to the file beside the program (for
// FeedSettings::gIniSeed), and cleared otherwise.
QString settingsFilePath(const QString& exeDir, QString* seed,
                         const std::function<bool(const QString&)>& writable = isWritableDir);

// The Session's settings store over one settings file.
class IniSettingsStore : public model::SettingsStore {
public:
    // seed: read while iniPath does not exist (see FeedSettings::gIniSeed).
    explicit IniSettingsStore(QString iniPath, QString seed = QString());

    QString LoadFeedSettings(model::FeedSettings& settings, int ReadFile) override;
    bool save(const model::FeedSettings& settings) override;

private:
    QString m_iniPath;
    QString m_seed;
};

} // namespace feed
