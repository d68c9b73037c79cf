#include "climate/epw.h"

#include "fileio/safe_write.h"
#include "psychro/moist_air.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace climate {

namespace {

// LOCATION and seven more lines, the last one DATA PERIODS.
constexpr int HeaderLines = 8;
// Columns of an hourly row up to the last one read: month 2, day 3, hour 4,
// dry bulb 7, dew point 8, relative humidity 9, pressure 10 (1-based).
constexpr int RowColumns = 10;
constexpr int LocationColumns = 10;
// An hourly row is about 400 bytes; a longer line than this is no EPW row
// (and reading it whole could hold the entire file).
constexpr qint64 MaxLineBytes = 64 * 1024;

// The ranges of valid values; outside them a value counts as missing, as
// the file's own marks (99.9, 999, 999999) do.
constexpr double MinTemperature = -70, MaxTemperature = 70; // C
constexpr double MinRh = 0, MaxRh = 110;                    // %
constexpr double MinPressure = 31000, MaxPressure = 120000; // Pa

int daysInMonth(int month) {
    constexpr int days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return days[month - 1];
}

class Reader {
public:
    explicit Reader(QIODevice& device) : m_device(device) {}

    bool read(WeatherYear* year) {
        nextLine(); // an empty device leaves an empty line, not LOCATION
        if (!m_error.isEmpty() || !location(&year->location))
            return false;
        while (m_lineNo < HeaderLines)
            if (!nextLine())
                return m_error.isEmpty() && fail(QStringLiteral("the file ends in its header"));
        if (!m_line.startsWith("DATA PERIODS"))
            return fail(QStringLiteral("'DATA PERIODS' expected, not an EPW file"));
        const double standardPa =
            psychro::moist::standardPressure(psychro::moist::Units::SI, year->location.elevation) *
            1000;
        int rows = 0;
        while (nextLine()) {
            if (m_line.trimmed().isEmpty())
                continue;
            if (++rows > MaxEpwHours)
                return fail(QStringLiteral("more than %1 hourly rows").arg(MaxEpwHours));
            if (!hour(year, standardPa))
                return false;
        }
        return m_error.isEmpty() && (rows > 0 || fail(QStringLiteral("no hourly rows")));
    }

    QString error() const { return m_error; }

private:
    // The next line, without its line end, in m_line. False at the end of
    // the data (m_lineNo then counts the line that is not there) and past
    // the size limit (m_error says so).
    bool nextLine() {
        ++m_lineNo;
        m_line = {};
        if (m_device.atEnd())
            return false;
        // Into one buffer for all lines: at most MaxLineBytes + 1 bytes.
        const qint64 n = m_device.readLine(m_buffer.data(), m_buffer.size());
        if (n < 0)
            return fail(QStringLiteral("cannot be read: %1").arg(m_device.errorString()));
        m_bytes += n;
        if (m_bytes > MaxEpwBytes)
            return fail(QStringLiteral("the file is larger than %1 bytes").arg(MaxEpwBytes));
        if (n > MaxLineBytes)
            return fail(QStringLiteral("longer than %1 bytes").arg(MaxLineBytes));
        m_line = QByteArrayView(m_buffer.constData(), n);
        while (m_line.endsWith('\n') || m_line.endsWith('\r'))
            m_line.chop(1);
        if (m_lineNo == 1 && m_line.startsWith("\xEF\xBB\xBF")) // a UTF-8 byte-order mark
            m_line = m_line.sliced(3);
        return true;
    }

    bool fail(const QString& what) {
        m_error = QStringLiteral("line %1: %2").arg(m_lineNo).arg(what);
        return false;
    }

    // The first n comma-separated fields; false when there are fewer.
    bool split(int n, const char* what) {
        m_fields.clear();
        qsizetype from = 0;
        while (m_fields.size() < n && from <= m_line.size()) {
            qsizetype comma = m_line.indexOf(',', from);
            if (comma < 0)
                comma = m_line.size();
            m_fields.append(m_line.sliced(from, comma - from));
            from = comma + 1;
        }
        if (m_fields.size() < n)
            return fail(QStringLiteral("%1 columns, %2 has at least %3")
                            .arg(m_fields.size())
                            .arg(QLatin1String(what))
                            .arg(n));
        return true;
    }

    // A field as a message quotes it.
    QString quoted(int column) const {
        const QByteArrayView f = m_fields[column].trimmed();
        return QString::fromUtf8(f.first(std::min<qsizetype>(f.size(), 40)));
    }

    bool number(int column, const char* name, double* value) {
        bool ok = false;
        *value = m_fields[column].toDouble(&ok);
        if (ok && std::isfinite(*value))
            return true;
        return fail(
            QStringLiteral("%1 '%2' is not a number").arg(QLatin1String(name), quoted(column)));
    }

    // A number within lo..hi, a whole one if asked.
    bool bounded(int column, const char* name, double lo, double hi, double* value,
                 bool whole = false) {
        if (!number(column, name, value))
            return false;
        if (*value < lo || *value > hi || (whole && *value != std::floor(*value)))
            return fail(QStringLiteral("%1 '%2' is out of range (%3..%4)")
                            .arg(QLatin1String(name), quoted(column), QString::number(lo),
                                 QString::number(hi)));
        return true;
    }

    bool integer(int column, const char* name, int lo, int hi, int* value) {
        double v = 0;
        if (!bounded(column, name, lo, hi, &v, true))
            return false;
        *value = int(v);
        return true;
    }

    bool location(Location* loc) {
        if (!m_line.startsWith("LOCATION,"))
            return fail(QStringLiteral("'LOCATION' expected, not an EPW file"));
        if (!split(LocationColumns, "the LOCATION line"))
            return false;
        auto text = [&](int column) { return QString::fromUtf8(m_fields[column].trimmed()); };
        loc->city = text(1);
        loc->state = text(2);
        loc->country = text(3);
        loc->source = text(4);
        loc->wmo = text(5);
        return bounded(6, "latitude", -90, 90, &loc->latitude) &&
               bounded(7, "longitude", -180, 180, &loc->longitude) &&
               bounded(8, "time zone", -12, 14, &loc->timeZone) &&
               bounded(9, "elevation", -1000, 9999.9, &loc->elevation);
    }

    bool hour(WeatherYear* year, double standardPa) {
        WeatherHour h;
        double rh = 0;
        if (!split(RowColumns, "an hourly row") || !integer(1, "month", 1, 12, &h.month) ||
            !integer(2, "day", 1, daysInMonth(h.month), &h.day) ||
            !integer(3, "hour", 1, 24, &h.hour) || !number(6, "dry bulb", &h.dryBulb) ||
            !number(7, "dew point", &h.dewPoint) || !number(8, "relative humidity", &rh) ||
            !number(9, "pressure", &h.pressure))
            return false;
        auto valid = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
        if (!valid(h.dryBulb, MinTemperature, MaxTemperature) ||
            !valid(h.dewPoint, MinTemperature, MaxTemperature)) {
            ++year->skipped;
            return true;
        }
        if (valid(rh, MinRh, MaxRh))
            h.relativeHumidity = rh;
        if (!valid(h.pressure, MinPressure, MaxPressure)) {
            h.pressure = standardPa;
            ++year->pressuresFilled;
        }
        year->hours.push_back(h);
        return true;
    }

    QIODevice& m_device;
    QByteArray m_buffer{MaxLineBytes + 2, Qt::Uninitialized};
    QByteArrayView m_line; // in m_buffer
    QList<QByteArrayView> m_fields;
    qint64 m_bytes = 0;
    int m_lineNo = 0;
    QString m_error;
};

} // namespace

bool readEpw(QIODevice& device, WeatherYear* year, QString* error) {
    WeatherYear read;
    read.hours.reserve(MaxEpwHours);
    Reader reader(device);
    if (!reader.read(&read)) {
        if (error)
            *error = reader.error();
        return false;
    }
    *year = std::move(read);
    return true;
}

bool readEpw(const QString& path, WeatherYear* year, QString* error) {
    QFile file;
    if (!fileio::openRegularFile(path, MaxEpwBytes, &file, error))
        return false;
    QString why;
    if (!readEpw(file, year, &why) || file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("cannot read '%1': %2")
                         .arg(path, why.isEmpty() ? file.errorString() : why);
        return false;
    }
    return true;
}

} // namespace climate
