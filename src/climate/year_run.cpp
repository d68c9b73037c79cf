#include "climate/year_run.h"

#include <algorithm>
#include <cmath>

namespace climate {

namespace moist = psychro::moist;
using moist::Units;

namespace {

// Mixed air this close to the supply dry bulb needs neither coil, F.
constexpr double NeutralBandF = 0.01;

// A peak hour as found, with what its wet bulb needs afterwards.
struct Peak {
    PeakHour hour;
    double ratio = 0, pressure = 0;
};

void keepPeak(std::optional<Peak>& peak, const WeatherHour& h, const OutdoorAir& o, double load) {
    if (peak && load <= peak->hour.load)
        return;
    peak = Peak{{h.month, h.day, h.hour, o.dryBulb, 0, load}, o.ratio, o.pressure};
}

std::optional<PeakHour> withWetBulb(const std::optional<Peak>& peak) {
    if (!peak)
        return std::nullopt;
    PeakHour h = peak->hour;
    h.outdoorWetBulb = moist::wetBulb(Units::IP, h.outdoorDryBulb, peak->ratio, peak->pressure);
    return h;
}

} // namespace

OutdoorAir outdoorAir(const WeatherHour& h, Units u) {
    const bool ip = u == Units::IP;
    const double t = ip ? moist::fahrenheit(h.dryBulb) : h.dryBulb;
    const double dew = std::min(h.dewPoint, h.dryBulb);
    const double p = h.pressure / 1000 / (ip ? moist::KpaPerPsia : 1);
    return {t, moist::saturationRatio(u, ip ? moist::fahrenheit(dew) : dew, p), p};
}

bool runYear(const WeatherYear& year, const AirHandler& d, YearResult* result, QString* error,
             std::vector<HourRow>* rows) {
    auto refuse = [&](const char* why) {
        if (error)
            *error = QString::fromUtf8(why);
        return false;
    };
    if (!moist::inRange(Units::IP, d.returnDryBulb) || !moist::inRange(Units::IP, d.supplyDryBulb))
        return refuse("the return and supply dry bulbs lie within -40 to 200 F");
    if (!(d.freshAirShare >= 0 && d.freshAirShare <= 1))
        return refuse("the outdoor-air share lies within 0 to 1");
    if (!(d.supplyCfm > 0 && std::isfinite(d.supplyCfm)))
        return refuse("the supply needs a flow above 0 cfm");
    // The design's states at the standard atmosphere of the station.
    const double p =
        moist::standardPressure(Units::IP, year.location.elevation / moist::MetresPerFoot);
    const double ts = d.supplyDryBulb, tr = d.returnDryBulb;
    const double Wr = moist::humidityRatioFromRh(Units::IP, tr, d.returnRh / 100, p);
    const double Ws = moist::humidityRatioFromRh(Units::IP, ts, d.supplyRh / 100, p);
    if (std::isnan(Wr) || std::isnan(Ws))
        return refuse("the return and supply relative humidities lie within 0 to 100 %, and the "
                      "air below boiling at the station's pressure");
    const double hr = moist::enthalpy(Units::IP, tr, Wr);
    const double massFlow = 60 * d.supplyCfm / moist::specificVolume(Units::IP, ts, Ws, p); // lb/h
    // A state's enthalpy above that of supply-temperature air of the same W:
    // linear in the outdoor share, so the economizer's share is closed-form.
    const double excessReturn = hr - moist::enthalpy(Units::IP, ts, Wr);

    YearResult r;
    r.hoursSkipped = year.skipped;
    if (d.designCoolingDryBulb)
        r.hoursAboveDesign = 0;
    std::optional<Peak> peakCooling, peakHeating;
    if (rows) {
        rows->clear();
        rows->reserve(year.hours.size());
    }
    for (const WeatherHour& h : year.hours) {
        const OutdoorAir o = outdoorAir(h, Units::IP);
        if (std::isnan(o.ratio)) { // vapour above the station pressure: a damaged row
            ++r.hoursSkipped;
            continue;
        }
        ++r.hoursRead;
        const double ho = moist::enthalpy(Units::IP, o.dryBulb, o.ratio);
        double share = d.freshAirShare;
        if ((d.economizer == Economizer::DryBulb && o.dryBulb < tr) ||
            (d.economizer == Economizer::Enthalpy && ho < hr)) {
            // Open until the mixed air reaches the supply dry bulb, or fully
            // when even outdoor air alone stays above it.
            const double excessOutdoor = ho - moist::enthalpy(Units::IP, ts, o.ratio);
            if (share * excessOutdoor + (1 - share) * excessReturn > 0)
                share = excessOutdoor >= 0 ? 1 : excessReturn / (excessReturn - excessOutdoor);
            if (share > d.freshAirShare)
                ++r.hoursEconomizer;
        }
        const double Wm = share * o.ratio + (1 - share) * Wr;
        const double hm = share * ho + (1 - share) * hr;
        const double tm = moist::dryBulb(Units::IP, hm, Wm);
        HourRow row{h.month, h.day, h.hour, o.dryBulb, moist::fahrenheit(h.dewPoint), share, tm, Wm,
                    0,       0,     0,      0};
        Totals& month = r.months[size_t(h.month - 1)];
        if (tm > ts + NeutralBandF) {
            // The coil leaves at the supply dry bulb, dried to the supply's W at most.
            const double Wl = std::min(Wm, Ws);
            const double hl = moist::enthalpy(Units::IP, ts, Wl);
            row.load = massFlow * (hm - hl);
            row.sensible = massFlow * (moist::enthalpy(Units::IP, tm, Wl) - hl);
            row.latent = row.load - row.sensible;
            row.condensate = massFlow * (Wm - Wl);
            for (Totals* t : {&r.year, &month}) {
                t->coolingBtu += row.load;
                t->sensibleBtu += row.sensible;
                t->latentBtu += row.latent;
                t->condensateLb += row.condensate;
                ++t->hoursCooling;
            }
            keepPeak(peakCooling, h, o, row.load);
        } else if (tm < ts - NeutralBandF) {
            const double load = massFlow * (moist::enthalpy(Units::IP, ts, Wm) - hm);
            row.load = -load;
            for (Totals* t : {&r.year, &month}) {
                t->heatingBtu += load;
                ++t->hoursHeating;
            }
            keepPeak(peakHeating, h, o, load);
        }
        if (d.designCoolingDryBulb && o.dryBulb > *d.designCoolingDryBulb)
            ++*r.hoursAboveDesign;
        if (rows)
            rows->push_back(row);
    }
    r.peakCooling = withWetBulb(peakCooling);
    r.peakHeating = withWetBulb(peakHeating);
    *result = r;
    return true;
}

} // namespace climate
