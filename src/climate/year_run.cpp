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

// The design's return and supply at the standard atmosphere of the station,
// and what every hour needs of them.
struct DesignStates {
    double ts = 0, tr = 0; // dry bulbs, F
    double Wr = 0, Ws = 0, hr = 0;
    double massFlow = 0; // lb/h
    // A state's enthalpy above that of supply-temperature air of the same W:
    // linear in the outdoor share, so the economizer's share is closed-form.
    double excessReturn = 0;
};

// Why the design cannot run, or null with *s filled.
const char* designStates(const WeatherYear& year, const AirHandler& d, DesignStates* s) {
    if (!moist::inRange(Units::IP, d.returnDryBulb) || !moist::inRange(Units::IP, d.supplyDryBulb))
        return "the return and supply dry bulbs lie within -40 to 200 F";
    if (!(d.freshAirShare >= 0 && d.freshAirShare <= 1))
        return "the outdoor-air share lies within 0 to 1";
    if (!(d.supplyCfm > 0 && std::isfinite(d.supplyCfm)))
        return "the supply needs a flow above 0 cfm";
    const double p =
        moist::standardPressure(Units::IP, year.location.elevation / moist::MetresPerFoot);
    s->ts = d.supplyDryBulb;
    s->tr = d.returnDryBulb;
    s->Wr = moist::humidityRatioFromRh(Units::IP, s->tr, d.returnRh / 100, p);
    s->Ws = moist::humidityRatioFromRh(Units::IP, s->ts, d.supplyRh / 100, p);
    if (std::isnan(s->Wr) || std::isnan(s->Ws))
        return "the return and supply relative humidities lie within 0 to 100 %, and the air "
               "below boiling at the station's pressure";
    s->hr = moist::enthalpy(Units::IP, s->tr, s->Wr);
    s->massFlow = 60 * d.supplyCfm / moist::specificVolume(Units::IP, s->ts, s->Ws, p);
    s->excessReturn = s->hr - moist::enthalpy(Units::IP, s->ts, s->Wr);
    return nullptr;
}

// The hour's outdoor share: the design's, or more where the economizer opens
// until the mixed air reaches the supply dry bulb, or fully when even outdoor
// air alone stays above it.
double hourShare(const AirHandler& d, const DesignStates& s, const OutdoorAir& o, double ho) {
    const double share = d.freshAirShare;
    if ((d.economizer == Economizer::DryBulb && o.dryBulb < s.tr) ||
        (d.economizer == Economizer::Enthalpy && ho < s.hr)) {
        const double excessOutdoor = ho - moist::enthalpy(Units::IP, s.ts, o.ratio);
        if (share * excessOutdoor + (1 - share) * s.excessReturn > 0)
            return excessOutdoor >= 0 ? 1 : s.excessReturn / (s.excessReturn - excessOutdoor);
    }
    return share;
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
    DesignStates s;
    if (const char* why = designStates(year, d, &s)) {
        if (error)
            *error = QString::fromUtf8(why);
        return false;
    }
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
        const double share = hourShare(d, s, o, ho);
        if (share > d.freshAirShare)
            ++r.hoursEconomizer;
        const double Wm = share * o.ratio + (1 - share) * s.Wr;
        const double hm = share * ho + (1 - share) * s.hr;
        const double tm = moist::dryBulb(Units::IP, hm, Wm);
        HourRow row{h.month, h.day, h.hour, o.dryBulb, moist::fahrenheit(h.dewPoint), share, tm, Wm,
                    0,       0,     0,      0};
        Totals& month = r.months[size_t(h.month - 1)];
        if (tm > s.ts + NeutralBandF) {
            // The coil leaves at the supply dry bulb, dried to the supply's W at most.
            const double Wl = std::min(Wm, s.Ws);
            const double hl = moist::enthalpy(Units::IP, s.ts, Wl);
            row.load = s.massFlow * (hm - hl);
            row.sensible = s.massFlow * (moist::enthalpy(Units::IP, tm, Wl) - hl);
            row.latent = row.load - row.sensible;
            row.condensate = s.massFlow * (Wm - Wl);
            for (Totals* t : {&r.year, &month}) {
                t->coolingBtu += row.load;
                t->sensibleBtu += row.sensible;
                t->latentBtu += row.latent;
                t->condensateLb += row.condensate;
                ++t->hoursCooling;
            }
            keepPeak(peakCooling, h, o, row.load);
        } else if (tm < s.ts - NeutralBandF) {
            const double load = s.massFlow * (moist::enthalpy(Units::IP, s.ts, Wm) - hm);
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
