#pragma once

#include <QString>
#include <QtGlobal>

// The three feed settings, their built-in defaults and the settings file
// they persist in (section "XMLSetup" of Quorvel_ZADUvuru.ini beside the
// executable).
namespace feed {

struct FeedSettings {
    QString gXMLCurrent;   // URL of the current-conditions document
    QString gXMLDaily;     // URL of the daily-history document
    qint16 gGMTOffset = 5; // local time = GMT hour - this, in whole hours
    QString gIniFile;      // full path of the settings file
};

// Section and key names in the settings file.
inline constexpr char kIniSection[] = "XMLSetup";
inline constexpr char kIniKeyCurrent[] = "XMLCurrent";
inline constexpr char kIniKeyDaily[] = "XMLDaily";
inline constexpr char kIniKeyOffset[] = "XMLGMTOffset";

// Built-in URLs on the weather-station host and station chosen at build time.
QString defaultCurrentUrl();
QString defaultDailyUrl();

// Converts an offset text the way the settings file and the dialog do: the
// leading number, rounded to whole hours with halves going to the even
// neighbour. Returns false (and leaves *offset alone) when the result does
// not fit a 16-bit signed integer.
bool convertGmtOffset(const QString& text, qint16* offset);

// Sets gIniFile to iniPath and the settings to their defaults; when ReadFile
// is not 0, overlays them with the non-empty values of the settings file.
// A missing file, section or key leaves the defaults in place.
void LoadFeedSettings(FeedSettings& settings, int ReadFile, const QString& iniPath);

} // namespace feed
