#include "model/weather_export.h"

#include "model/session.h"

#include "psychro/numconv.h"
#include "psychro/units.h"

#include <QJsonArray>

#include <cmath>

namespace model {

namespace {

namespace moist = psychro::moist;
using climate::Totals;

const char* const MonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QString number(double x, const char* pattern = "#,##0") {
    return psychro::FormatNumber(x, QLatin1String(pattern));
}

bool isSi(const Session& s) {
    return s.units() == moist::Units::SI;
}

// A dry bulb in F as the units show it.
QString degrees(const Session& s, double f) {
    return isSi(s) ? number(moist::celsius(f), "#0.0") + QStringLiteral(" C")
                   : number(f, "#0.0") + QStringLiteral(" F");
}

// Cooling, heating and condensate of a year or a month in the units shown.
struct Energies {
    double cooling, heating, condensate;
};
Energies energies(const Session& s, const Totals& t) {
    if (isSi(s))
        return {t.coolingKWh(), t.heatingKWh(), t.condensateLitres()};
    return {t.coolingTonHours(), t.heatingKBtu(), t.condensateGallons()};
}

QString peakText(const Session& s, const std::optional<climate::PeakHour>& p) {
    if (!p)
        return QStringLiteral("none");
    const double load = isSi(s) ? p->load * climate::KWhPerBtu : p->load;
    return QStringLiteral("%1 %2 %3:00, %4 db, %5 wb, %6")
        .arg(QLatin1String(MonthNames[p->month - 1]))
        .arg(p->day)
        .arg(p->hour)
        .arg(degrees(s, p->outdoorDryBulb),
             std::isfinite(p->outdoorWetBulb) ? degrees(s, p->outdoorWetBulb) : QStringLiteral("–"),
             isSi(s) ? number(load, "#,##0.00") + QStringLiteral(" kW")
                     : number(load) + QStringLiteral(" BTU/hr"));
}

QString economizerText(climate::Economizer mode) {
    switch (mode) {
    case climate::Economizer::DryBulb:
        return QStringLiteral("dry bulb");
    case climate::Economizer::Enthalpy:
        return QStringLiteral("enthalpy");
    case climate::Economizer::None:
        break;
    }
    return QStringLiteral("none");
}

QJsonValue peakJson(const std::optional<climate::PeakHour>& p) {
    if (!p)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("month"), p->month},
                       {QStringLiteral("day"), p->day},
                       {QStringLiteral("hour"), p->hour},
                       {QStringLiteral("dryBulb"), p->outdoorDryBulb},
                       {QStringLiteral("wetBulb"), std::isfinite(p->outdoorWetBulb)
                                                       ? QJsonValue(p->outdoorWetBulb)
                                                       : QJsonValue(QJsonValue::Null)},
                       {QStringLiteral("load"), p->load}};
}

} // namespace

QList<QStringList> weatherYearRows(const Session& s) {
    const WeatherStudy& w = s.weather();
    if (!w.isOpen())
        return {};
    const climate::Location& l = w.year().location;
    QList<QStringList> rows;
    rows.append(
        {QStringLiteral("Weather year"),
         QStringLiteral("%1, %2, %3 (%4 m)").arg(l.city, l.state, l.country, number(l.elevation))});
    if (!w.problem().isEmpty()) {
        rows.append({QStringLiteral("Not run"), w.problem()});
        return rows;
    }
    const climate::YearResult& r = w.result();
    const bool si = isSi(s);
    const Energies e = energies(s, r.year);
    rows.append(
        {QStringLiteral("Hours"),
         QStringLiteral("%1 read, %2 skipped").arg(number(r.hoursRead), number(r.hoursSkipped))});
    rows.append({QStringLiteral("Economizer"), economizerText(w.economizer())});
    const double sensible =
        si ? r.year.sensibleBtu * climate::KWhPerBtu : r.year.sensibleTonHours();
    const double latent = si ? r.year.latentBtu * climate::KWhPerBtu : r.year.latentTonHours();
    const QString energyUnit = si ? QStringLiteral("kWh") : QStringLiteral("ton-h");
    rows.append({QStringLiteral("Cooling"),
                 QStringLiteral("%1 %2 (sensible %3, latent %4)")
                     .arg(number(e.cooling), energyUnit, number(sensible), number(latent))});
    rows.append({QStringLiteral("Heating"),
                 number(e.heating) + (si ? QStringLiteral(" kWh") : QStringLiteral(" kBtu"))});
    rows.append({QStringLiteral("Condensate"),
                 number(e.condensate) + (si ? QStringLiteral(" L") : QStringLiteral(" gal"))});
    rows.append({QStringLiteral("Coil hours"),
                 QStringLiteral("%1 cooling, %2 heating, %3 on economizer")
                     .arg(number(r.year.hoursCooling), number(r.year.hoursHeating),
                          number(r.hoursEconomizer))});
    if (r.hoursAboveDesign && w.airHandler().designCoolingDryBulb)
        rows.append({QStringLiteral("Above design"),
                     QStringLiteral("%1 hours above %2")
                         .arg(number(*r.hoursAboveDesign),
                              degrees(s, *w.airHandler().designCoolingDryBulb))});
    rows.append({QStringLiteral("Peak cooling"), peakText(s, r.peakCooling)});
    rows.append({QStringLiteral("Peak heating"), peakText(s, r.peakHeating)});
    return rows;
}

QList<QStringList> weatherMonthTable(const Session& s) {
    const WeatherStudy& w = s.weather();
    if (!w.isOpen() || !w.problem().isEmpty())
        return {};
    const bool si = isSi(s);
    QList<QStringList> rows{{QString()}};
    for (const char* m : MonthNames)
        rows[0].append(QLatin1String(m));
    const char* captions[5] = {
        si ? "Cooling (kWh)" : "Cooling (ton-h)", si ? "Heating (kWh)" : "Heating (kBtu)",
        si ? "Condensate (L)" : "Condensate (gal)", "Hours cooling", "Hours heating"};
    for (int row = 0; row < 5; ++row) {
        QStringList cells{QLatin1String(captions[row])};
        for (const Totals& t : w.result().months) {
            const Energies e = energies(s, t);
            const double values[5] = {e.cooling, e.heating, e.condensate, double(t.hoursCooling),
                                      double(t.hoursHeating)};
            cells.append(number(values[row]));
        }
        rows.append(cells);
    }
    return rows;
}

QJsonObject weatherYearJson(const Session& s) {
    const WeatherStudy& w = s.weather();
    if (!w.isOpen())
        return {};
    QJsonObject o{{QStringLiteral("location"), w.year().location.city},
                  {QStringLiteral("elevation_m"), w.year().location.elevation},
                  {QStringLiteral("economizer"), economizerName(w.economizer())}};
    if (!w.problem().isEmpty()) {
        o.insert(QStringLiteral("problem"), w.problem());
        return o;
    }
    const climate::YearResult& r = w.result();
    const Totals& y = r.year;
    o.insert(QStringLiteral("hours"), r.hoursRead);
    o.insert(QStringLiteral("skipped"), r.hoursSkipped);
    o.insert(QStringLiteral("coolingTonHours"), y.coolingTonHours());
    o.insert(QStringLiteral("coolingSensibleTonHours"), y.sensibleTonHours());
    o.insert(QStringLiteral("coolingLatentTonHours"), y.latentTonHours());
    o.insert(QStringLiteral("heatingKBtu"), y.heatingKBtu());
    o.insert(QStringLiteral("condensateGallons"), y.condensateGallons());
    o.insert(QStringLiteral("hoursCooling"), y.hoursCooling);
    o.insert(QStringLiteral("hoursHeating"), y.hoursHeating);
    o.insert(QStringLiteral("hoursEconomizer"), r.hoursEconomizer);
    if (r.hoursAboveDesign)
        o.insert(QStringLiteral("hoursAboveDesign"), *r.hoursAboveDesign);
    o.insert(QStringLiteral("peakCooling"), peakJson(r.peakCooling));
    o.insert(QStringLiteral("peakHeating"), peakJson(r.peakHeating));
    if (isSi(s)) {
        o.insert(QStringLiteral("coolingKWh"), y.coolingKWh());
        o.insert(QStringLiteral("heatingKWh"), y.heatingKWh());
        o.insert(QStringLiteral("condensateLitres"), y.condensateLitres());
    }
    QJsonArray months;
    for (size_t m = 0; m < r.months.size(); ++m) {
        const Totals& t = r.months[m];
        months.append(QJsonObject{{QStringLiteral("month"), int(m) + 1},
                                  {QStringLiteral("coolingTonHours"), t.coolingTonHours()},
                                  {QStringLiteral("heatingKBtu"), t.heatingKBtu()},
                                  {QStringLiteral("condensateGallons"), t.condensateGallons()},
                                  {QStringLiteral("hoursCooling"), t.hoursCooling},
                                  {QStringLiteral("hoursHeating"), t.hoursHeating}});
    }
    o.insert(QStringLiteral("months"), months);
    return o;
}

QString weatherYearCsv(const Session& s) {
    const bool si = isSi(s);
    QString out = si ? QStringLiteral("month,day,hour,outdoor dry bulb (C),outdoor dew point (C),"
                                      "mixed dry bulb (C),mixed humidity ratio (kg/kg),load (W),"
                                      "sensible (W),latent (W),condensate (kg/h)\r\n")
                     : QStringLiteral("month,day,hour,outdoor dry bulb (F),outdoor dew point (F),"
                                      "mixed dry bulb (F),mixed humidity ratio (lb/lb),"
                                      "load (Btu/h),sensible (Btu/h),latent (Btu/h),"
                                      "condensate (lb/h)\r\n");
    // A watt is 3.412 Btu/h.
    const double toW = climate::KWhPerBtu * 1000, toKg = psychro::KgPerLb;
    auto t = [si](double f) { return psychro::NumText(si ? moist::celsius(f) : f); };
    auto q = [si, toW](double btu) { return psychro::NumText(si ? btu * toW : btu); };
    for (const climate::HourRow& h : s.weather().hourRows())
        out += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11\r\n")
                   .arg(h.month)
                   .arg(h.day)
                   .arg(h.hour)
                   .arg(t(h.outdoorDryBulb), t(h.outdoorDewPoint), t(h.mixedDryBulb),
                        psychro::NumText(h.mixedRatio), q(h.load), q(h.sensible), q(h.latent),
                        psychro::NumText(si ? h.condensate * toKg : h.condensate));
    return out;
}

} // namespace model
