#include "model/readout.h"

#include "psychro/air_chart.h"
#include "psychro/chart_geometry.h"
#include "psychro/numconv.h"
#include "psychro/properties.h"

#include <cmath>

namespace model {

namespace {

// The same read from the ASHRAE chart, by the equations at its pressure and
// in its units.
QString airReadout(const psychro::ChartState& s, double x, double y) {
    namespace moist = psychro::moist;
    const psychro::AirChart& c = s.air;
    const bool si = c.units == moist::Units::SI;
    const double t = psychro::dryBulbOfX(s.objMyGraph, c, x);
    const double W = psychro::ratioOfY(s.objMyGraph, c, y);
    const double p = c.pressure;
    auto num = [](double v, const char* pattern) {
        return std::isfinite(v) ? psychro::FormatNumber(v, QLatin1String(pattern))
                                : QStringLiteral("–");
    };
    const QString deg = si ? QStringLiteral("°C") : QStringLiteral("°F");
    // g/kg in SI, as the sheet shows it.
    const QString head =
        QStringLiteral("Dry bulb %1 %2    Humidity ratio %3 %4")
            .arg(num(t, "#0.0"), deg, num(si ? W * 1000 : W, si ? "#0.00" : ".00000"),
                 si ? QStringLiteral("g/kg") : QStringLiteral("lb/lb"));
    if (!(W <= moist::saturationRatio(c.units, t, p)))
        return head + QStringLiteral("    above saturation");
    return head + QStringLiteral("    RH %1 %    Dew point %2 %3    Wet bulb %4 %3    Specific "
                                 "volume %5 %6    Enthalpy %7 %8")
                      .arg(num(100 * moist::relativeHumidity(c.units, t, W, p), "#0"),
                           num(moist::dewPoint(c.units, W, p), "#0.0"), deg,
                           num(moist::wetBulb(c.units, t, W, p), "#0.0"),
                           num(moist::specificVolume(c.units, t, W, p), si ? "0.000" : "#0.00"),
                           si ? QStringLiteral("m³/kg") : QStringLiteral("cu ft/lb"),
                           num(moist::enthalpy(c.units, t, W), "#0.0"),
                           si ? QStringLiteral("kJ/kg") : QStringLiteral("BTU/lb"));
}

} // namespace

QString readout(const psychro::ChartState& s, double x, double y) {
    const psychro::clsGraph& g = s.objMyGraph;
    if (!(x >= g.sngMinXValue && x <= g.sngMaxXValue && y >= g.sngMinYValue && y <= g.sngMaxYValue))
        return QString();
    if (s.method == psychro::Method::Ashrae)
        return airReadout(s, x, y);
    const double T = psychro::temperatureOfX(g, x), W = psychro::ratioOfY(g, y);
    const QString dryBulb = psychro::FormatNumber(T, QStringLiteral("#0.0"));
    const QString ratio = psychro::FormatNumber(W, QStringLiteral(".00000"));
    // Air cannot hold more water than saturation: nothing there to read.
    if (y > psychro::saturationYOfX(g, x))
        return QStringLiteral("Dry bulb %1 °F    Humidity ratio %2 lb/lb    above saturation")
            .arg(dryBulb, ratio);
    // Each reading with a flag of its own: a value the tables cannot give
    // shows as a dash.
    auto read = [&](auto routine) {
        bool failed = false;
        QString text;
        routine(text, failed);
        return failed ? QStringLiteral("–") : text;
    };
    const psychro::LineTables& t = s.tables;
    const QString dew =
        read([&](QString& out, bool& f) { psychro::CalcDewPoint(float(y), out, t, f); });
    const QString wet =
        read([&](QString& out, bool& f) { psychro::CalcWetBulb(float(x), float(y), out, t, f); });
    const QString vol =
        read([&](QString& out, bool& f) { psychro::CalcSpVol(float(x), float(y), out, t, f); });
    QString enthalpy;
    psychro::CalcEnthalpy(float(T), float(W), enthalpy);
    const QString rh =
        psychro::FormatNumber(std::min(100.0, psychro::rhAtPoint(g, T, y)), QStringLiteral("#0"));
    return QStringLiteral("Dry bulb %1 °F    Humidity ratio %2 lb/lb    RH %3 %    Dew point %4 °F"
                          "    Wet bulb %5 °F    Specific volume %6 cu ft/lb    Enthalpy %7 BTU/lb")
        .arg(dryBulb, ratio, rh, dew, wet, vol, enthalpy);
}

} // namespace model
