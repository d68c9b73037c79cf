#include "moist_air.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace psychro::moist {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// Ratio of the molar masses of water and dry air.
constexpr double MassRatio = 0.621945;
// 1 / MassRatio: the vapour's share in the specific volume.
constexpr double VolumeRatio = 1.607858;
constexpr double StandardAtmosphereExponent = 5.2559;
// Tolerances in F: the dew point and the wet bulb, the apparatus dew point.
constexpr double PropertyTolF = 0.001, AdpTolF = 0.01;
// Enough for bisection alone to close any bracket below either tolerance;
// Newton's steps normally finish in two to four.
constexpr int MaxSteps = 64;

// W = ((a - b t*) Ws* - c (t - t*)) / (d + e t - g t*), the psychrometric
// equation for the thermodynamic wet bulb t*.
struct WetBulbEquation {
    double a, b, c, d, e, g;
};

// Everything that differs between the two unit systems.
struct System {
    double absoluteZero;         // t + absoluteZero is the absolute temperature (R, K)
    double freezing;             // F, C
    double degreesPerF;          // size of a degree in F degrees: 1, 1/1.8
    double pressureFactor;       // Hyland-Wexler pressure to the API's (psia, Pa -> kPa)
    double pascalsPerHw;         // Hyland-Wexler pressure to Pa, for the Magnus estimate
    double minT, maxT;           // dry-bulb range
    double minHw, maxHw;         // the saturation equations' range
    std::array<double, 7> ice;   // ln pws = C1/T + C2 + C3 T + C4 T2 + C5 T3 + C6 T4 + C7 ln T
    std::array<double, 6> water; // ln pws = C8/T + C9 + C10 T + C11 T2 + C12 T3 + C13 ln T
    WetBulbEquation overWater, overIce;
    double cpAir, hgVapour, cpVapour; // h = cpAir t + W (hgVapour + cpVapour t)
    double gasConstant;               // v = gasConstant T (1 + VolumeRatio W) / p
    double seaLevel, lapse;           // p = seaLevel (1 - lapse z)^5.2559
};

constexpr System Ip{.absoluteZero = 459.67,
                    .freezing = 32,
                    .degreesPerF = 1,
                    .pressureFactor = 1,
                    .pascalsPerHw = KpaPerPsia * 1000,
                    .minT = -40,
                    .maxT = 200,
                    .minHw = -148,
                    .maxHw = 392,
                    .ice = {-1.0214165E+04, -4.8932428E+00, -5.3765794E-03, 1.9202377E-07,
                            3.5575832E-10, -9.0344688E-14, 4.1635019E+00},
                    .water = {-1.0440397E+04, -1.1294650E+01, -2.7022355E-02, 1.2890360E-05,
                              -2.4780681E-09, 6.5459673E+00},
                    .overWater = {1093, 0.556, 0.240, 1093, 0.444, 1},
                    .overIce = {1220, 0.04, 0.240, 1220, 0.444, 0.48},
                    .cpAir = 0.240,
                    .hgVapour = 1061,
                    .cpVapour = 0.444,
                    .gasConstant = 0.370486,
                    .seaLevel = 14.696,
                    .lapse = 6.8754e-6};

constexpr System Si{.absoluteZero = 273.15,
                    .freezing = 0,
                    .degreesPerF = 1 / 1.8,
                    .pressureFactor = 0.001,
                    .pascalsPerHw = 1,
                    .minT = -40,
                    .maxT = 93,
                    .minHw = -100,
                    .maxHw = 200,
                    .ice = {-5.6745359E+03, 6.3925247E+00, -9.6778430E-03, 6.2215701E-07,
                            2.0747825E-09, -9.4840240E-13, 4.1635019E+00},
                    .water = {-5.8002206E+03, 1.3914993E+00, -4.8640239E-02, 4.1764768E-05,
                              -1.4452093E-08, 6.5459673E+00},
                    .overWater = {2501, 2.326, 1.006, 2501, 1.86, 4.186},
                    .overIce = {2830, 0.24, 1.006, 2830, 1.86, 2.1},
                    .cpAir = 1.006,
                    .hgVapour = 2501,
                    .cpVapour = 1.86,
                    .gasConstant = 0.287042,
                    .seaLevel = 101.325,
                    .lapse = 2.25577e-5};

const System& sys(Units u) {
    return u == Units::IP ? Ip : Si;
}

// ln pws (in the equations' own pressure unit) and its slope per degree,
// over ice or over water whatever the temperature, so a solver stays on
// one branch.
struct LnPws {
    double value, slope;
};
LnPws lnPws(const System& s, double t, bool overIce) {
    const double T = t + s.absoluteZero;
    const double lnT = std::log(T);
    if (overIce) {
        const auto& C = s.ice;
        return {C[0] / T + C[1] + T * (C[2] + T * (C[3] + T * (C[4] + T * C[5]))) + C[6] * lnT,
                -C[0] / (T * T) + C[2] + T * (2 * C[3] + T * (3 * C[4] + T * 4 * C[5])) + C[6] / T};
    }
    const auto& C = s.water;
    return {C[0] / T + C[1] + T * (C[2] + T * (C[3] + T * C[4])) + C[5] * lnT,
            -C[0] / (T * T) + C[2] + T * (2 * C[3] + T * 3 * C[4]) + C[5] / T};
}

// Saturation humidity ratio on one branch and its slope per degree.
struct Saturation {
    double ratio, slope;
};
Saturation saturation(const System& s, double t, double p, bool overIce) {
    const LnPws l = lnPws(s, t, overIce);
    const double pws = std::exp(l.value) * s.pressureFactor;
    const double dry = p - pws;
    return {MassRatio * pws / dry, MassRatio * p * pws * l.slope / (dry * dry)};
}

// The bounds of ln pws the dew point can reach, worked out once.
struct DewLimits {
    double low, freezing, high;
};
const DewLimits& dewLimits(Units u) {
    static const auto make = [](const System& x) {
        return DewLimits{lnPws(x, x.minHw, true).value, lnPws(x, x.freezing, true).value,
                         lnPws(x, x.maxHw, false).value};
    };
    static const DewLimits ip = make(Ip), si = make(Si);
    return u == Units::IP ? ip : si;
}

// Root of f between lo and hi, where f(lo) and f(hi) have opposite signs:
// Newton's steps from x, a bisection whenever a step leaves the bracket.
// f(x, &slope) returns the value and sets the slope.
template <class F>
double solveBracketed(F f, double lo, double hi, double fLo, double x, double tol) {
    const bool risesToHi = fLo < 0;
    for (int i = 0; i < MaxSteps; ++i) {
        double slope = 0;
        const double fx = f(x, &slope);
        if (fx == 0)
            return x;
        ((fx < 0) == risesToHi ? lo : hi) = x;
        double next = x - fx / slope;
        if (!(next > std::min(lo, hi) && next < std::max(lo, hi)))
            next = (lo + hi) / 2;
        if (std::abs(next - x) < tol || std::abs(hi - lo) < tol)
            return next;
        x = next;
    }
    return x;
}

} // namespace

double minDryBulb(Units u) {
    return sys(u).minT;
}

double maxDryBulb(Units u) {
    return sys(u).maxT;
}

bool inRange(Units u, double t) {
    return t >= sys(u).minT && t <= sys(u).maxT;
}

bool inRange(Units u, double t, double W, double p) {
    return inRange(u, t) && std::isfinite(p) && W >= 0 && W <= saturationRatio(u, t, p);
}

double saturationPressure(Units u, double t) {
    const System& s = sys(u);
    if (!(t >= s.minHw && t <= s.maxHw))
        return NaN;
    return std::exp(lnPws(s, t, t < s.freezing).value) * s.pressureFactor;
}

double saturationRatio(Units u, double t, double p) {
    return humidityRatio(saturationPressure(u, t), p);
}

double humidityRatio(double pw, double p) {
    if (!(pw >= 0 && pw < p))
        return NaN;
    return MassRatio * pw / (p - pw);
}

double vapourPressure(double W, double p) {
    return p * W / (MassRatio + W);
}

double humidityRatioFromRh(Units u, double t, double phi, double p) {
    if (!(phi >= 0 && phi <= 1))
        return NaN;
    return humidityRatio(phi * saturationPressure(u, t), p);
}

double relativeHumidity(Units u, double t, double W, double p) {
    return vapourPressure(W, p) / saturationPressure(u, t);
}

double dewPoint(Units u, double W, double p) {
    const System& s = sys(u);
    const double pw = vapourPressure(W, p) / s.pressureFactor;
    if (!(pw > 0 && std::isfinite(pw)))
        return NaN;
    const double target = std::log(pw);
    const DewLimits& lim = dewLimits(u);
    if (!(target >= lim.low && target <= lim.high))
        return NaN;
    const bool overIce = target < lim.freezing;
    // Magnus estimate (C, over ice or water), typically within a few tenths
    // of a degree; ln pws is concave in t, so Newton's steps then close in
    // from below: two steps to 0.001 F, rarely three, over the whole range.
    const double gamma = target + std::log(s.pascalsPerHw / 611.2);
    const double a = overIce ? 22.46 : 17.62, b = overIce ? 272.62 : 243.12;
    double t = s.freezing + b * gamma / (a - gamma) * 1.8 * s.degreesPerF;
    for (int i = 0; i < MaxSteps; ++i) {
        const LnPws l = lnPws(s, t, overIce);
        const double step = (l.value - target) / l.slope;
        t = std::clamp(t - step, s.minHw, s.maxHw);
        if (std::abs(step) < PropertyTolF * s.degreesPerF)
            return t;
    }
    return NaN;
}

double wetBulb(Units u, double t, double W, double p) {
    const System& s = sys(u);
    if (!inRange(u, t, W, p))
        return NaN;
    // f(t*) = W from the psychrometric equation less the state's W, cleared
    // of the denominator: it rises with t*, is at most 0 at the dew point
    // and at least 0 at the dry bulb.
    const auto f = [&](double ts, double* slope) {
        const bool overIce = ts < s.freezing;
        const WetBulbEquation& k = overIce ? s.overIce : s.overWater;
        const Saturation sat = saturation(s, ts, p, overIce);
        *slope = -k.b * sat.ratio + (k.a - k.b * ts) * sat.slope + k.c + W * k.g;
        return (k.a - k.b * ts) * sat.ratio - k.c * (t - ts) - W * (k.d + k.e * t - k.g * ts);
    };
    const double dew = dewPoint(u, W, p);
    const double lo = std::isnan(dew) ? s.minHw : std::min(dew, t);
    double slope = 0;
    const double fLo = f(lo, &slope);
    const double fHi = f(t, &slope);
    // Saturated air below freezing (IP's ice equation is not exact there)
    // and a wet bulb at the range's end.
    if (fLo >= 0)
        return lo;
    if (fHi <= 0)
        return t;
    const double first = lo + (t - lo) * fLo / (fLo - fHi);
    return solveBracketed(f, lo, t, fLo, first, PropertyTolF * s.degreesPerF);
}

double ratioAtWetBulb(Units u, double t, double wetBulb, double p) {
    const System& s = sys(u);
    const WetBulbEquation& k = wetBulb < s.freezing ? s.overIce : s.overWater;
    const double saturated = saturationRatio(u, wetBulb, p);
    return ((k.a - k.b * wetBulb) * saturated - k.c * (t - wetBulb)) /
           (k.d + k.e * t - k.g * wetBulb);
}

double enthalpy(Units u, double t, double W) {
    const System& s = sys(u);
    return s.cpAir * t + W * (s.hgVapour + s.cpVapour * t);
}

double dryBulb(Units u, double h, double W) {
    const System& s = sys(u);
    return (h - s.hgVapour * W) / (s.cpAir + s.cpVapour * W);
}

double specificVolume(Units u, double t, double W, double p) {
    const System& s = sys(u);
    return s.gasConstant * (t + s.absoluteZero) * (1 + VolumeRatio * W) / p;
}

double standardPressure(Units u, double z) {
    const System& s = sys(u);
    // Above the formula's zero the base is negative and pow gives NaN.
    return s.seaLevel * std::pow(1 - s.lapse * z, StandardAtmosphereExponent);
}

double altitudeOf(Units u, double p) {
    const System& s = sys(u);
    return (1 - std::pow(p / s.seaLevel, 1 / StandardAtmosphereExponent)) / s.lapse;
}

std::optional<double> apparatusDewPoint(Units u, double tm, double Wm, double ts, double Ws,
                                        double p) {
    const System& s = sys(u);
    if (!(ts < tm && std::isfinite(tm) && std::isfinite(Wm) && std::isfinite(Ws) &&
          inRange(u, ts) && saturationPressure(u, ts) < p))
        return std::nullopt;
    const double lineSlope = (Wm - Ws) / (tm - ts);
    // g(t): the line's W less the saturation W, on one branch of the
    // curve. The curve is convex on each branch, so g is concave there.
    const auto g = [&](double t, bool overIce, double* slope) {
        const Saturation sat = saturation(s, t, p, overIce);
        *slope = lineSlope - sat.slope;
        return Ws + lineSlope * (t - ts) - sat.ratio;
    };
    const double tol = AdpTolF * s.degreesPerF;
    // A supply within the tolerance of its own dew point is on the curve.
    const Saturation supply = saturation(s, ts, p, ts < s.freezing);
    const double onCurve = supply.slope * tol;
    if (Ws - supply.ratio > onCurve)
        return std::nullopt; // the supply is above saturation
    if (Ws - supply.ratio >= -onCurve)
        return ts;
    double slope = 0;
    // Going down from the supply, the water branch first, then the ice one.
    // On each the first crossing lies above g's maximum, if that reaches 0.
    for (const bool overIce : {false, true}) {
        const double top = overIce ? std::min(ts, s.freezing) : ts;
        const double bottom = overIce ? s.minT : std::max(s.minT, s.freezing);
        if (top <= bottom)
            continue;
        const auto gb = [&](double t, double* d) { return g(t, overIce, d); };
        double dTop = 0, dBottom = 0;
        const double gTop = gb(top, &dTop);
        if (gTop >= 0)
            return top;
        double peak = bottom;
        double gPeak = gb(bottom, &dBottom);
        if (dTop >= 0)
            continue; // g rises all the way to top, where it is below 0
        if (dBottom > 0) {
            // g's slope falls with t: bisect for where it is 0.
            double lo = bottom, hi = top;
            while (hi - lo > tol) {
                const double mid = (lo + hi) / 2;
                gb(mid, &slope);
                (slope > 0 ? lo : hi) = mid;
            }
            peak = (lo + hi) / 2;
            gPeak = gb(peak, &slope);
        }
        if (gPeak < 0)
            continue;
        if (gPeak == 0)
            return peak;
        return solveBracketed(gb, peak, top, gPeak, (peak + top) / 2, tol);
    }
    return std::nullopt;
}

} // namespace psychro::moist
