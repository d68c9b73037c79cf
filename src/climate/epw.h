#pragma once

#include <QString>

#include <optional>
#include <vector>

class QIODevice;

// Weather years in the EnergyPlus weather format (EPW): the LOCATION line,
// seven more header lines ending with DATA PERIODS, then one row per hour.
// Read as a stream, at most MaxEpwBytes. Namespace climate.
namespace climate {

inline constexpr qint64 MaxEpwBytes = 10 * 1024 * 1024;
// A leap year's hours: more rows than this is not one year.
inline constexpr int MaxEpwHours = 8784;

struct Location {
    QString city, state, country, source, wmo;
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
    double timeZone = 0;  // hours from GMT
    double elevation = 0; // m
};

// One hourly row, in the file's units.
struct WeatherHour {
    int month = 1, day = 1;
    int hour = 1;                           // 1..24, the hour ending at that time
    double dryBulb = 0;                     // C
    double dewPoint = 0;                    // C
    double pressure = 0;                    // station pressure, Pa
    std::optional<double> relativeHumidity; // %, none when the file has none
};

struct WeatherYear {
    Location location;
    std::vector<WeatherHour> hours; // in the file's order
    // Rows without a dry bulb or a dew point (99.9 in the file, or any
    // value outside -70..70 C): not in hours.
    int skipped = 0;
    // Rows without a pressure (999999, or outside 31,000..120,000 Pa): they
    // carry the standard atmosphere's at the file's elevation.
    int pressuresFilled = 0;
};

// Reads the EPW file at path: a regular file of at most MaxEpwBytes. False,
// with a message naming the file and the line in *error, for anything
// else, for a file that is not EPW (no LOCATION line, a row with too few
// columns, a non-number where a number belongs, a month, day or hour out of
// range) and for one without hourly rows or with more than MaxEpwHours.
bool readEpw(const QString& path, WeatherYear* year, QString* error = nullptr);
// The same from an open device (a buffer in memory, a file), from where it
// stands; the messages name the line.
bool readEpw(QIODevice& device, WeatherYear* year, QString* error = nullptr);

} // namespace climate
