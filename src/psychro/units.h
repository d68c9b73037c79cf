#pragma once

#include "moist_air.h"

// The unit factors the sheets, the conversions between unit systems and the
// weather year share. (F and C, psia and kPa, ft and m: see moist_air.h.)
namespace psychro {

inline constexpr double MinutesPerHour = 60;                 // CFM to ft3/h
inline constexpr double LitreSecondsPerM3Hour = 3.6;         // L/s to m3/h
inline constexpr double SecondsPerHour = 3600;               // kJ/h to kW
inline constexpr double LbPerGallon = 8.33;                  // water near 60 F, the condensate
inline constexpr double LitresPerSecondPerCfm = 0.471947443; // 1 ft3/min in L/s
inline constexpr double KgPerLb = 0.45359237;                // the international pound

// A flow of one unit system in the other's unit (CFM and L/s).
constexpr double flowIn(moist::Units to, double flow) {
    return to == moist::Units::SI ? flow * LitresPerSecondPerCfm : flow / LitresPerSecondPerCfm;
}
// A dry bulb of one unit system in the other's.
constexpr double temperatureIn(moist::Units to, double t) {
    return to == moist::Units::SI ? moist::celsius(t) : moist::fahrenheit(t);
}
// An altitude (ft, m) and a pressure (psia, kPa) the same way.
constexpr double altitudeIn(moist::Units to, double z) {
    return to == moist::Units::SI ? z * moist::MetresPerFoot : z / moist::MetresPerFoot;
}
constexpr double pressureIn(moist::Units to, double p) {
    return to == moist::Units::SI ? p * moist::KpaPerPsia : p / moist::KpaPerPsia;
}

} // namespace psychro
