#include "model/weather_study.h"

#include "model/session.h"

#include "psychro/design_cities.h"
#include "psychro/numconv.h"
#include "psychro/units.h"

#include <QFileInfo>

namespace model {

using psychro::Field;
namespace moist = psychro::moist;

namespace {

constexpr std::pair<climate::Economizer, const char*> EconomizerNames[] = {
    {climate::Economizer::None, "none"},
    {climate::Economizer::DryBulb, "drybulb"},
    {climate::Economizer::Enthalpy, "enthalpy"}};

bool operator==(const climate::AirHandler& a, const climate::AirHandler& b) {
    // NaN inputs compare unequal: such a design runs again, and is refused.
    return a.returnDryBulb == b.returnDryBulb && a.returnRh == b.returnRh &&
           a.supplyDryBulb == b.supplyDryBulb && a.supplyRh == b.supplyRh &&
           a.supplyCfm == b.supplyCfm && a.freshAirShare == b.freshAirShare &&
           a.economizer == b.economizer && a.designCoolingDryBulb == b.designCoolingDryBulb;
}

} // namespace

QString economizerName(climate::Economizer mode) {
    for (const auto& [m, name] : EconomizerNames)
        if (m == mode)
            return QLatin1String(name);
    return QString();
}

std::optional<climate::Economizer> economizerOf(const QString& name) {
    for (const auto& [m, n] : EconomizerNames)
        if (name == QLatin1String(n))
            return m;
    return std::nullopt;
}

WeatherStudy::WeatherStudy(Session& session) : QObject(&session), m_session(session) {
    // Every change of the design recomputes the sheet; the year follows
    // when what it reads changed.
    connect(&session, &Session::recomputed, this, [this] { run(false); });
    // A city whose outdoor point the fields already show recomputes nothing.
    connect(&session, &Session::cityChanged, this, [this] { run(false); });
}

bool WeatherStudy::open(const QString& path, QString* error) {
    climate::WeatherYear year;
    if (!climate::readEpw(path, &year, error))
        return false;
    m_year = std::move(year);
    m_path = QFileInfo(path).absoluteFilePath();
    m_density.reset();
    run(true);
    return true;
}

void WeatherStudy::close() {
    if (!m_year)
        return;
    m_year.reset();
    m_path.clear();
    m_density.reset();
    m_ran.reset();
    m_result = {};
    m_problem.clear();
    emit changed();
}

void WeatherStudy::setEconomizer(climate::Economizer mode) {
    if (mode == m_economizer)
        return;
    m_economizer = mode;
    run(true);
}

climate::AirHandler WeatherStudy::airHandler() const {
    const Session& s = m_session;
    const bool si = s.units() == moist::Units::SI;
    auto number = [&s](Field f) { return psychro::LeadingNumber(s.text(f)); };
    auto dryBulb = [&](Field f) { return si ? moist::fahrenheit(number(f)) : number(f); };
    climate::AirHandler a;
    a.returnDryBulb = dryBulb(Field::txtReturnTemp);
    a.returnRh = s.chart().in.gRRH;
    a.supplyDryBulb = dryBulb(Field::txtSupplyTemp);
    a.supplyRh = s.chart().in.gSRH;
    const double flow = number(Field::txtSupplyFlow);
    a.supplyCfm = si ? psychro::flowIn(moist::Units::IP, flow) : flow;
    a.freshAirShare = s.freshAirShare();
    a.economizer = m_economizer;
    if (s.cityRow() > 0)
        a.designCoolingDryBulb = psychro::cityPoints(s.cityRow()).summerDryBulb;
    return a;
}

void WeatherStudy::run(bool always) {
    if (!m_year)
        return;
    const climate::AirHandler design = airHandler();
    if (!always && m_ran && *m_ran == design)
        return;
    m_ran = design;
    m_problem.clear();
    if (!climate::runYear(*m_year, design, &m_result, &m_problem))
        m_result = {};
    emit changed();
}

const climate::DensityGrid& WeatherStudy::density() const {
    const moist::Units u = m_session.units();
    if (!m_density || m_density->first != u)
        m_density.emplace(u, climate::densityGrid(*m_year, u));
    return m_density->second;
}

std::vector<climate::HourRow> WeatherStudy::hourRows() const {
    std::vector<climate::HourRow> rows;
    climate::YearResult ignored;
    if (m_year)
        climate::runYear(*m_year, airHandler(), &ignored, nullptr, &rows);
    return rows;
}

} // namespace model
