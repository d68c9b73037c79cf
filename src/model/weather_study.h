#pragma once

#include "climate/density_grid.h"
#include "climate/epw.h"
#include "climate/year_run.h"

#include <QObject>
#include <QString>

#include <optional>

namespace model {

class Session;

// A weather year beside the Session: the EPW file, the economizer, and the
// year run hour by hour through the air handler the Session shows, again
// whenever the design's return, supply, flow, share or city change.
class WeatherStudy : public QObject {
    Q_OBJECT
public:
    explicit WeatherStudy(Session& session);

    bool isOpen() const { return m_year.has_value(); }
    // The file's absolute path; empty while none is open.
    const QString& path() const { return m_path; }
    const climate::WeatherYear& year() const { return *m_year; }

    // Reads the EPW file and runs it. False, with the reason naming the
    // file (and the line), when it cannot be read: the year open before
    // stays.
    bool open(const QString& path, QString* error);
    void close();

    climate::Economizer economizer() const { return m_economizer; }
    void setEconomizer(climate::Economizer mode);

    // The design as the year runs it: IP, from the Session's texts in the
    // units shown, the city's cooling dry bulb when a city is chosen.
    climate::AirHandler airHandler() const;
    // The run of the year open; valid when problem() is empty.
    const climate::YearResult& result() const { return m_result; }
    // Why the design cannot be run ("the supply needs a flow above 0
    // cfm"), or empty.
    const QString& problem() const { return m_problem; }
    // The hours on the chart's grid, in the units shown.
    const climate::DensityGrid& density() const;
    // Every hour's row of the run, for a table.
    std::vector<climate::HourRow> hourRows() const;

signals:
    // Opened, closed, another economizer, or new results.
    void changed();

private:
    void run(bool always);

    Session& m_session;
    std::optional<climate::WeatherYear> m_year;
    QString m_path;
    climate::Economizer m_economizer = climate::Economizer::None;
    std::optional<climate::AirHandler> m_ran; // the design of m_result
    climate::YearResult m_result;
    QString m_problem;
    mutable std::optional<std::pair<psychro::moist::Units, climate::DensityGrid>> m_density;
};

// The economizer's name in files and on the command line ("none",
// "drybulb", "enthalpy"), and the mode of a name.
QString economizerName(climate::Economizer mode);
std::optional<climate::Economizer> economizerOf(const QString& name);

} // namespace model
