#pragma once

#include "climate/epw.h"
#include "psychro/moist_air.h"
#include "psychro/units.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

// A design's air handler run hour by hour through a weather year: outdoor
// air mixed with return air, then cooled or heated to the supply dry bulb.
// IP inside (F, lb/lb, psia, Btu); SI totals are conversions of the IP ones.
namespace climate {

// Unit factors of the results.
inline constexpr double BtuPerTonHour = 12000;
using psychro::LbPerGallon;
inline constexpr double KWhPerBtu = 1055.05585262 / 3.6e6; // the International Table Btu
inline constexpr double LitresPerGallon = 3.785411784;

enum class Economizer {
    None,
    DryBulb,  // open when the outdoor dry bulb is below the return's
    Enthalpy, // open when the outdoor enthalpy is below the return's
};

struct AirHandler {
    double returnDryBulb = 75, returnRh = 50; // F, %
    double supplyDryBulb = 55, supplyRh = 90; // F, %
    double supplyCfm = 1000;                  // ft3/min
    double freshAirShare = 0.2;               // outdoor share of the dry air, 0..1 (the minimum)
    Economizer economizer = Economizer::None;
    std::optional<double> designCoolingDryBulb; // F, for the hours above it
};

// Energies of a year or of a month.
struct Totals {
    double coolingBtu = 0, sensibleBtu = 0, latentBtu = 0; // sensible + latent = cooling
    double heatingBtu = 0;
    double condensateLb = 0;
    int hoursCooling = 0, hoursHeating = 0;

    double coolingTonHours() const { return coolingBtu / BtuPerTonHour; }
    double sensibleTonHours() const { return sensibleBtu / BtuPerTonHour; }
    double latentTonHours() const { return latentBtu / BtuPerTonHour; }
    double heatingKBtu() const { return heatingBtu / 1000; }
    double condensateGallons() const { return condensateLb / LbPerGallon; }
    double coolingKWh() const { return coolingBtu * KWhPerBtu; } // thermal
    double heatingKWh() const { return heatingBtu * KWhPerBtu; }
    double condensateLitres() const { return condensateGallons() * LitresPerGallon; }
};

struct PeakHour {
    int month = 0, day = 0, hour = 0;
    double outdoorDryBulb = 0; // F
    double outdoorWetBulb = 0; // F; NaN below -40 F, outside the moist-air equations' range
    double load = 0;           // Btu/h
};

struct YearResult {
    int hoursRead = 0, hoursSkipped = 0;
    int hoursEconomizer = 0; // hours the outdoor share opened beyond the minimum
    Totals year;
    std::array<Totals, 12> months; // January first
    std::optional<PeakHour> peakCooling, peakHeating;
    std::optional<int> hoursAboveDesign; // outdoor dry bulb above the design's cooling dry bulb
};

// One hour of the run, for a table.
struct HourRow {
    int month = 0, day = 0, hour = 0;
    double outdoorDryBulb = 0, outdoorDewPoint = 0; // F
    double outdoorShare = 0;                        // 0..1
    double mixedDryBulb = 0, mixedRatio = 0;        // F, lb/lb
    double load = 0;                 // Btu/h: cooling positive, heating negative, 0 neither
    double sensible = 0, latent = 0; // Btu/h of a cooling hour
    double condensate = 0;           // lb/h
};

// The outdoor air of an hour in one unit system: a dew point above the dry
// bulb is taken as saturated air.
struct OutdoorAir {
    double dryBulb, ratio, pressure; // F or C, lb/lb, psia or kPa
};
OutdoorAir outdoorAir(const WeatherHour& h, psychro::moist::Units u);

// Runs the year. False, with *error, when the design cannot be run: a
// dry bulb outside the moist-air range, a relative humidity outside 0..100,
// a share outside 0..1, no flow, or a file elevation where the standard
// atmosphere leaves no room for the supply air. Rows, when asked for, get
// one entry per hour read.
bool runYear(const WeatherYear& year, const AirHandler& design, YearResult* result,
             QString* error = nullptr, std::vector<HourRow>* rows = nullptr);

} // namespace climate
