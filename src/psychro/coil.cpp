#include "coil.h"

#include "chart_geometry.h"
#include "numconv.h"

#include <cmath>

namespace psychro {

namespace {

double chordRatio(double T) {
    const double T0 = std::min(std::floor(T), ChartMaxTemp - 1);
    const double w0 = saturationRatio(T0), w1 = saturationRatio(T0 + 1);
    return w0 + (w1 - w0) * (T - T0);
}

QString formatted(double x, const char* pattern) {
    return std::isfinite(x) ? FormatNumber(x, QString::fromLatin1(pattern)) : QString();
}

} // namespace

double moistAirEnthalpy(double T, double W) {
    return 0.24 * T + W * (1061.2 + 0.444 * T);
}

bool apparatusDewPoint(double Tm, double Wm, double Ts, double Ws, double& adp) {
    if (!(Ts < Tm) || Ts < ChartMinTemp || Ts > ChartMaxTemp)
        return false;
    const double slope = (Wm - Ws) / (Tm - Ts);
    // Distance of the line above the curve: it starts below (or on) the
    // curve at the supply point and the ADP is where it first reaches it.
    auto gap = [&](double T) { return Ws + slope * (T - Ts) - chordRatio(T); };
    double hi = Ts;
    double gHi = gap(hi);
    if (gHi > 0)
        return false;
    // Walk down the chords; each is straight, so a crossing inside one is exact.
    while (hi > ChartMinTemp) {
        const double lo = std::max(ChartMinTemp, hi == std::floor(hi) ? hi - 1 : std::floor(hi));
        const double gLo = gap(lo);
        if (gLo >= 0) {
            const double T = gHi == gLo ? hi : hi + (lo - hi) * gHi / (gHi - gLo);
            if (chordRatio(T) > FullScaleRatio) // on the cut-off part, not the curve
                return false;
            adp = T;
            return true;
        }
        hi = lo;
        gHi = gLo;
    }
    return false;
}

QString coilCaption(bool heating) {
    return heating ? QStringLiteral("Heating Coil and Room")
                   : QStringLiteral("Cooling Coil and Room");
}

namespace {

// The sheet's numbers as the coil and room rows read them: the whole text
// of each field, none of them missing.
struct Reader {
    const Sheet& sh;
    bool ok = true;
    double operator()(Field f) {
        bool good = false;
        const double v = StrictNumber(sh[f], &good);
        ok = ok && good && std::isfinite(v);
        return v;
    }
};

// Coil: mixed air to supply, and where its line meets saturation.
void coilSplit(Sheet& sh, ChartState& s, bool heating, double cfm, double Ts, double Ws,
               double hS) {
    using F = Field;
    Reader number{sh};
    const double Tm = number(F::txtMixedTemp);
    const double Wm = number(F::txtMixedRatio);
    const double hM = number(F::txtMixedEnthalpy);
    if (!number.ok)
        return;
    const double total = cfm * LoadFactor * (hM - hS); // as the load is computed
    const double sensible = LoadFactor * cfm * (moistAirEnthalpy(Tm, Ws) - hS);
    sh[F::txtCoilSensible] = formatted(sensible, "#,##0");
    sh[F::txtCoilLatent] = formatted(total - sensible, "#,##0");
    sh[F::txtCoilTotal] = formatted(total, "#,##0");
    showShr(sh, F::txtCoilSHR, sensible, total, heating);
    double adp = 0;
    QString why;
    if (heating)
        why = QStringLiteral("no apparatus dew point in heating");
    else if (!(Ts < Tm && hS < hM))
        why = QStringLiteral("supply not below mixed air");
    else if (!apparatusDewPoint(Tm, Wm, Ts, Ws, adp))
        why = QStringLiteral("the coil line does not reach saturation on the chart");
    if (why.isEmpty()) {
        sh[F::txtCoilADP] = formatted(adp, "##0.0");
        sh[F::txtCoilBypass] = formatted((Ts - adp) / (Tm - adp), "0.00");
        s.coilAdpShown = true;
        s.coilAdpT = adp;
        s.coilAdpW = chordRatio(adp);
    }
    sh.emptyWhy[size_t(F::txtCoilADP)] = sh.emptyWhy[size_t(F::txtCoilBypass)] = why;
}

// Room: supply air to return air.
void roomSplit(Sheet& sh, bool heating, double cfm, double Ws, double hS) {
    using F = Field;
    Reader number{sh};
    const double Tr = number(F::txtReturnTemp);
    const double hR = number(F::txtReturnEnthalpy);
    if (!number.ok)
        return;
    const double total = LoadFactor * cfm * (hR - hS);
    const double sensible = LoadFactor * cfm * (moistAirEnthalpy(Tr, Ws) - hS);
    sh[F::txtRoomSensible] = formatted(sensible, "#,##0");
    sh[F::txtRoomLatent] = formatted(total - sensible, "#,##0");
    sh[F::txtRoomTotal] = formatted(total, "#,##0");
    showShr(sh, F::txtRoomSHR, sensible, total, heating);
}

} // namespace

void showShr(Sheet& sh, Field field, double sensible, double total, bool heating) {
    const double r = sensible / total;
    QString& why = sh.emptyWhy[size_t(field)];
    if (heating)
        why = QStringLiteral("no sensible heat ratio in heating");
    else if (!(total > 0))
        why = QStringLiteral("no cooling load");
    else if (!(r >= 0 && r <= 1))
        why = QStringLiteral("sensible and latent loads of opposite signs");
    else {
        sh[field] = formatted(r, "0.00");
        sh.value[size_t(field)] = r;
    }
}

void RunCoilAnalysis(Sheet& sh, ChartState& s, bool heating) {
    using F = Field;
    const F coilFields[] = {
        F::txtCoilSensible, F::txtCoilLatent,   F::txtCoilTotal,  F::txtCoilSHR,   F::txtCoilADP,
        F::txtCoilBypass,   F::txtRoomSensible, F::txtRoomLatent, F::txtRoomTotal, F::txtRoomSHR};
    for (F f : coilFields) {
        sh[f].clear();
        sh.emptyWhy[size_t(f)].clear();
    }
    s.coilAdpShown = false;
    if (sh.warning)
        return;
    Reader number{sh};
    // The supply flow as the load reads it.
    const double cfm = number(F::txtSupplyFlow);
    const double Ts = number(F::txtSupplyTemp);
    const double Ws = number(F::txtSupplyRatio);
    const double hS = number(F::txtSupplyEnthalpy);
    if (!number.ok || cfm != LeadingNumber(sh[F::txtSupplyFlow]))
        return;
    coilSplit(sh, s, heating, cfm, Ts, Ws, hS);
    roomSplit(sh, heating, cfm, Ws, hS);
}

} // namespace psychro
