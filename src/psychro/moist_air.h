#pragma once

#include <optional>

// Moist-air properties by the ASHRAE Handbook's equations (Fundamentals,
// chapter 1) at any barometric pressure: plain functions of dry bulb t,
// humidity ratio W and pressure p, with no object to set up, so a weather
// year can call them hour by hour. Namespace psychro::moist.
//
// Every function works in one unit system, chosen by its first argument:
//   IP: t in F, p in psia, h in Btu/lb dry air, v in ft3/lb dry air;
//   SI: t in C, p in kPa, h in kJ/kg dry air, v in m3/kg dry air.
// W is lb/lb or kg/kg (the same number). The two enthalpies have different
// datums (0 F and 0 C), so an SI enthalpy is computed in SI, never
// converted from an IP one.
//
// Out-of-range input:
// - the closed forms (enthalpy, dryBulb, specificVolume, standardPressure)
//   evaluate their formula for any finite input and check nothing;
// - saturationPressure and everything built on it give NaN outside the
//   domains stated below, so a caller either checks inRange() first or
//   tests the result with std::isnan; apparatusDewPoint gives no value.
// The solvers stop after a fixed number of steps: none loops forever.
namespace psychro::moist {

enum class Units { IP, SI };

// The dry-bulb range the library is meant for: -40..200 F, -40..93 C.
double minDryBulb(Units u);
double maxDryBulb(Units u);

// Conversions at the edge. Enthalpy has none: see above.
inline constexpr double KpaPerPsia = 6.894757293168;
inline constexpr double MetresPerFoot = 0.3048;
constexpr double fahrenheit(double celsius) {
    return celsius * 1.8 + 32;
}
constexpr double celsius(double fahrenheit) {
    return (fahrenheit - 32) / 1.8;
}

// A dry bulb inside [minDryBulb, maxDryBulb].
bool inRange(Units u, double t);
// A state every function here answers for: t in range, p finite and above
// the saturation pressure at t (below it the air would boil), and
// 0 <= W <= saturationRatio(t, p).
bool inRange(Units u, double t, double W, double p);

// Saturation vapour pressure (Hyland-Wexler), over ice below freezing and
// over water from freezing up; NaN outside -148..392 F (-100..200 C), the
// equations' own range.
double saturationPressure(Units u, double t);
// Saturation humidity ratio at (t, p); NaN where saturationPressure is, or
// when the saturation pressure reaches p.
double saturationRatio(Units u, double t, double p);

// W from the vapour pressure pw (same pressure unit as p); NaN unless
// 0 <= pw < p.
double humidityRatio(double pw, double p);
// Vapour pressure of W at p.
double vapourPressure(double W, double p);
// W of relative humidity phi (a fraction, 0..1) at (t, p); NaN where the
// saturation pressure is, or when phi is outside 0..1.
double humidityRatioFromRh(Units u, double t, double phi, double p);
// Relative humidity (a fraction) of (t, W, p), over ice below freezing.
double relativeHumidity(Units u, double t, double W, double p);

// Dew point (frost point below freezing) of W at p, to 0.001 F. NaN when
// W <= 0 (dry air has none) or the dew point lies outside -148..392 F.
double dewPoint(Units u, double W, double p);
// Thermodynamic wet bulb by the psychrometric equation (over ice when the
// wet bulb is below freezing), to 0.001 F. NaN unless inRange(u, t, W, p).
double wetBulb(Units u, double t, double W, double p);
// W at dry bulb t on the line of wet bulb wetBulb: the psychrometric
// equation solved for W (over ice below freezing). Negative past the line's
// dry end; NaN where saturationRatio(wetBulb, p) is.
double ratioAtWetBulb(Units u, double t, double wetBulb, double p);

// h = 0.240 t + W (1061 + 0.444 t) (IP), h = 1.006 t + W (2501 + 1.86 t) (SI).
double enthalpy(Units u, double t, double W);
// The dry bulb of enthalpy h at W: the enthalpy solved for t.
double dryBulb(Units u, double h, double W);
// Specific volume per unit mass of dry air.
double specificVolume(Units u, double t, double W, double p);
// Standard-atmosphere pressure at altitude z (ft in IP, m in SI); NaN above
// the formula's zero (145,446 ft, 44,331 m).
double standardPressure(Units u, double z);
// The altitude of the standard atmosphere at pressure p: its inverse.
double altitudeOf(Units u, double p);

// Apparatus dew point: where the straight line in (t, W) from the mixed
// state (tm, Wm) through the supply state (ts, Ws), extended beyond the
// supply, meets the saturation curve at p; to 0.01 F. No value when the
// supply is not colder than the mixed air, lies above saturation, or the
// line does not reach the curve down to minDryBulb.
std::optional<double> apparatusDewPoint(Units u, double tm, double Wm, double ts, double Ws,
                                        double p);

} // namespace psychro::moist
