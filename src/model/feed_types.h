#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

// What the live weather feed brings into a Session, and the two services
// the Session asks for it: a source of station documents and a store for
// the feed settings. The feed library implements both; tests hand the
// Session a real local server through the same implementation.
namespace model {

// The feed settings and where they persist.
struct FeedSettings {
    QString gXMLCurrent;   // URL of the current-conditions document
    QString gXMLDaily;     // URL of the daily-history document
    qint16 gGMTOffset = 5; // local time = GMT hour - this, in whole hours
    // "xml": the two documents above; "nws": a station of the weather
    // service's web API at nwsBaseUrl.
    QString feedSource = QStringLiteral("xml");
    QString nwsStation;
    QString nwsBaseUrl = QStringLiteral("https://api.weather.gov");
    QString nwsContact; // the service asks every client to say who runs it
    QString gIniFile;   // full path of the settings file
    // Read instead of gIniFile while that does not exist, and copied whole
    // by the first save; set only for the file in the user's configuration
    // directory, whose directory that save creates.
    QString gIniSeed;
};

// What settings the feed can use. The settings file, the settings dialog
// and the command line refuse anything else.
// The weather service names its stations with 3 to 5 ASCII letters and digits.
bool isStationId(const QString& id);
// Offsets from GMT the settings accept, whole hours.
inline constexpr qint16 MinGmtOffset = -12;
inline constexpr qint16 MaxGmtOffset = 14;
// The contact goes into an HTTP header: no control characters (a line
// break would start a header of its own).
bool isContactText(const QString& contact);
// Why these settings cannot be used, for the user; empty when they can.
// The settings dialog and the command line check this before they take them.
QString settingsProblem(const FeedSettings& settings);

// The most the history keeps of a day's observations; its slots run one
// further (a dew point can land a slot late).
inline constexpr qint16 MaxHistoryReadings = 500;

// The day's observations as the outside-air history chart reads them.
// Slots are overwritten, never cleared: the chart reads up to the first
// empty time text, not up to obsIndex.
struct ObservationHistory {
    std::array<QString, MaxHistoryReadings + 1> obsTime; // "observation_time_rfc822" as delivered
    std::array<float, MaxHistoryReadings + 1> obsTemperature{}; // dry bulb, F
    std::array<float, MaxHistoryReadings + 1> obsDewPoint{};    // dew point, F
    qint16 obsIndex = 0;                                        // observations kept; the next slot
};

// The elements of the current conditions the program uses.
// PressurePa: the station's barometric pressure, which the weather
// service's observations carry (the ASHRAE method computes at it).
enum class CurrentElement {
    TempF,
    TempC,
    RelativeHumidity,
    DewPointF,
    DewPointC,
    Time,
    PressurePa
};

struct CurrentReading {
    CurrentElement element;
    QString text; // as delivered
};

// What air a station can plausibly report: temperatures in F, relative
// humidity in %.
inline constexpr double MinReadingTempF = -100, MaxReadingTempF = 200;
// A station's pressure, Pa: from the highest stations to the deepest lows.
inline constexpr double MinReadingPa = 30000, MaxReadingPa = 110000;
// Why a reading cannot be used ("station sent relative humidity 1e19"):
// a number that is not finite, or outside what air can be. Empty for a
// usable number, and for text that is no number at all (that element is
// skipped). Temperatures in C for the _c elements, F for the others.
QString readingProblem(const CurrentReading& r);
// The same for a reader that has the number already (unit "F", "C" or
// "%"); asSent names it as the station wrote it, when known.
QString readingProblem(CurrentElement e, double value, const QString& unit,
                       const QString& asSent = QString());

// A moment as the station documents write it: "Wed, 21 Aug 2019 09:51:00
// +0000", in the moment's own offset.
QString rfc822Time(const QDateTime& t);

// An address as messages show it: a password in it as "***".
QString shownAddress(const QString& url);

// The captions of the live panel; before the first observation each shows
// its own name.
struct LivePanel {
    QString lblTime = QStringLiteral("lblTime");
    QString lblTempF = QStringLiteral("lblTempF");
    QString lblTempC = QStringLiteral("lblTempC");
    QString lblRH = QStringLiteral("lblRH");
    QString lblDewF = QStringLiteral("lblDewF");
    QString lblDewC = QStringLiteral("lblDewC");
    // How old the values shown are ("observed 12 min ago"); empty before
    // the first observation.
    QString lblAge;
};

// Where a refresh finds its two documents.
struct FeedAddresses {
    QString current;
    QString history;
};

// Fetching and reading the station's two documents. Each call returns false
// with a short reason ("connection refused", "HTTP 500", "not a station
// document (...)") when nothing could be loaded.
class FeedSource {
public:
    virtual ~FeedSource() = default;
    // The documents the settings name; the fetches and reads that follow
    // treat them as the kind of source the settings choose. False, with
    // the reason, when the settings name no documents it can fetch.
    virtual bool addresses(const FeedSettings& settings, FeedAddresses& out, QString* why) = 0;
    // GETs url, bounded in time and size; the event loop keeps running.
    virtual bool fetch(const QString& url, QByteArray& body, QString* why) = 0;
    // The current conditions' elements in document order, each element once
    // (a repeated one at its first place with its last text).
    virtual bool readCurrent(const QByteArray& document, QList<CurrentReading>& readings,
                             QString* why) = 0;
    // The daily history walked into history from obsIndex on; nothing is
    // changed when the document is not loaded.
    virtual bool readHistory(const QByteArray& document, ObservationHistory& history,
                             QString* why) = 0;
};

// The settings file.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The built-in defaults, overlaid with the file's values when ReadFile
    // is not 0. Returns why the file could not be read (the defaults then
    // stay), or empty: read, or there is none yet.
    virtual QString LoadFeedSettings(FeedSettings& settings, int ReadFile) = 0;
    // Writes the settings; false (the file as it was) when that failed.
    virtual bool save(const FeedSettings& settings) = 0;
};

} // namespace model
