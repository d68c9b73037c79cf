#include "model/readout.h"

#include "psychro/chart_geometry.h"
#include "psychro/numconv.h"
#include "psychro/properties.h"

namespace model {

QString readout(const psychro::ChartState& s, double x, double y) {
    const psychro::clsGraph& g = s.objMyGraph;
    if (!(x >= g.sngMinXValue && x <= g.sngMaxXValue && y >= g.sngMinYValue && y <= g.sngMaxYValue))
        return QString();
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
