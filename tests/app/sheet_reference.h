#pragma once

// An independent model of the state sheet, written from the chart's
// published formulas (relative-humidity cubics, wet-bulb and specific-volume
// reference lines, enthalpy, flows, load, condensate) rather than from the
// program's code. The window tests compare every derived field with it.
// Like the program, each step reads the earlier results back as displayed
// text, so the display rounding takes part in the arithmetic.

#include <QMap>
#include <QString>

#include <array>
#include <cmath>

namespace reference {

// Chart mapping: plot area (2,2)-(12,12); x spans 35..120 F, y spans
// humidity ratio 0..0.03 lb/lb.
inline double xOf(double T) {
    return 2 + 10 * (T - 35) / 85;
}
inline double yOf(double W) {
    return 2 + 10 * W / 0.03;
}
inline double tOf(double x) {
    return (x - 2) / 10 * 85 + 35;
}
inline double wOf(double y) {
    return (y - 2) / 10 * 0.03;
}

// Humidity ratio of the k x 10 % RH curve (k = 1..9) at dry bulb T (F);
// k = 10 is the flatter exponential used for 100 %.
inline double rhCurve(int k, double T) {
    static const double a[10][4] = {
        {0, 0, 0, 0},
        {9.00309027903153e-09, 1.01330753696892e-06, 6.08599914749233e-05, 0.000890864569140617},
        {1.72480220158246e-08, 1.91351909184754e-06, 0.000119466632266959, 0.00181292053663661},
        {2.71111638377817e-08, 3.12939259301059e-06, 0.000196211140489052, 0.00299386102594883},
        {3.51010101010086e-08, 3.77413419913369e-06, 0.000223538059163005, 0.00303092803030062},
        {3.81313131313063e-08, 3.58495670995562e-06, 0.000209068362193243, 0.00238191287878446},
        {4.44444444444448e-08, 4.02380952380923e-06, 0.00023650793650789, 0.00267797619047506},
        {5.27777777777693e-08, 4.8988095238083e-06, 0.000290585317460245, 0.0034418154761892},
        {6.38888888889025e-08, 6.29166666666797e-06, 0.000377688492063542, 0.00487961309523911},
        {7.8303234327359e-08, 8.13364215556227e-06, 0.000478263585385985, 0.00634739264152625},
    };
    if (k == 10)
        return 0.0012 * std::exp(0.0365 * T);
    return a[k][0] * T * T * T - a[k][1] * T * T + a[k][2] * T - a[k][3];
}

// Value at position p on the line through (p1, v1) and (p2, v2); equal
// values are the chart's "cannot read this" case.
inline double interp(double p1, double v1, double p2, double v2, double p, bool& failed) {
    if (v1 == v2) {
        failed = true;
        return 0;
    }
    return v1 + (p - p1) / ((p2 - p1) / (v2 - v1));
}

// y of a state at whole-degree dry bulb T (35..120) and relative humidity
// rh (0..100), between the two curves that bracket rh.
inline double placeY(double T, double rh, bool& failed) {
    auto c = [T](int k) {
        return k == 10 ? std::min(yOf(rhCurve(10, T)), 12.0) : yOf(rhCurve(k, T));
    };
    for (int k = 10; k >= 1; --k) {
        if (rh > 10 * k)
            return interp(10 * k, c(k), 10 * (k + 1), c(k + 1), rh, failed);
    }
    return interp(10, c(1), 0.5, 2, rh, failed);
}

struct Line {
    double x1, y1, x2, y2, value;
    double yAt(double x) const {
        const double m = (y2 - y1) / (x2 - x1);
        return y1 - m * x1 + m * x;
    }
};

// Wet-bulb lines 35..85 F: from the saturation point of their own
// temperature down to the bottom edge (dry bulb E at W = 0) or to the
// right edge (humidity ratio E at 120 F).
inline std::array<Line, 12> wetBulbLines() {
    static const double E[12] = {0,     54,    63,     73,     84,     96,
                                 108.5, 0.001, 0.0043, 0.0084, 0.0129, 0.019};
    std::array<Line, 12> l{};
    for (int i = 1; i <= 11; ++i) {
        const double T = 35 + 5 * (i - 1);
        const double top = std::min(yOf(0.0012 * std::exp(0.0366 * T)), 12.0);
        if (i <= 6)
            l[i] = {xOf(T), top, xOf(E[i]), 2, T};
        else
            l[i] = {xOf(T), top, 12, std::min(yOf(E[i]), 12.0), T};
    }
    return l;
}

inline std::array<Line, 6> specificVolumeLines() {
    return {{{0, 0, 1, 0, 0},
             {10.65, 12, 12, 7.45, 15.0},
             {8.42, 12, 11.5, 2, 14.5},
             {7.16, 9.01, 9.15, 2, 14.0},
             {5.53, 6.23, 6.77, 2, 13.5},
             {3.76, 4.39, 4.48, 2, 13.0}}};
}

struct Pair {
    double pos = 0, value = 0;
};

inline double dewPoint(double y, bool& failed) {
    const auto wb = wetBulbLines();
    Pair upper, lower;
    bool found = false;
    for (int k = 1; k <= 11; ++k) {
        const double s = float(wb[k].y1);
        if (s > y) {
            upper = {s, wb[k].value};
            found = k > 1;
            break;
        }
        lower = {s, wb[k].value};
    }
    if (!found)
        lower = {float(wb[10].y1), wb[10].value};
    return interp(upper.pos, upper.value, lower.pos, lower.value, y, failed);
}

inline double wetBulb(double x, double y, bool& failed) {
    const auto wb = wetBulbLines();
    Pair upper, lower;
    bool found = false;
    for (int k = 1; k <= 11; ++k) {
        const double yk = wb[k].yAt(x);
        if (y < yk) {
            upper = {yk, wb[k].value};
            found = true;
            break;
        }
        lower = {yk, wb[k].value};
    }
    if (!found)
        upper = {wb[10].yAt(x), wb[10].value};
    return interp(upper.pos, upper.value, lower.pos, lower.value, y, failed);
}

inline double specificVolume(double x, double y, bool& failed) {
    const auto sv = specificVolumeLines();
    Pair upper, lower;
    bool found = false;
    for (int k = 1; k <= 5; ++k) {
        const double yk = sv[k].yAt(x);
        if (y < yk) {
            upper = {yk, sv[k].value};
            found = true;
            if (k > 1)
                break;
        }
        lower = {yk, sv[k].value};
    }
    if (!found)
        upper = {sv[5].yAt(x), sv[5].value};
    return interp(upper.pos, upper.value, lower.pos, lower.value, y, failed);
}

// Display patterns: rounded half away from zero to `decimals` places.
inline QString fixed(double v, int decimals) {
    // A negative number keeps its sign even when it rounds to zero.
    const double scale = std::pow(10.0, decimals);
    const double r = std::round(std::fabs(v) * scale) / scale;
    return (v < 0 ? QStringLiteral("-") : QString()) + QString::number(r, 'f', decimals);
}
inline QString ratioText(double W) { // ".00000": no leading zero
    QString s = fixed(W, 5);
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0.")))
        s.remove(1, 1);
    return s;
}
inline QString grouped(double v, int decimals) { // "#,##0" and "#,##0.00"
    QString s = fixed(std::fabs(v), decimals);
    const qsizetype dot = s.indexOf(u'.');
    for (qsizetype i = (dot < 0 ? s.size() : dot) - 3; i > 0; i -= 3)
        s.insert(i, u',');
    return (v < 0 ? QStringLiteral("-") : QString()) + s;
}
inline double num(const QString& s) {
    return s.toDouble();
}

struct Inputs {
    double outdoorT, outdoorRH; // outdoorRH as the chart gets it (100 arrives as 99)
    double returnT, returnRH;
    double supplyT, supplyRH;
    QString flow; // supply flow text, CFM
    double share; // fresh-air fraction 0..1
    // The outdoor temperature as typed, when it differs from the whole
    // degree the state is placed at: the enthalpy takes the typed one.
    double outdoorTyped = std::nan("");
};

struct Expected {
    QMap<QString, QString> text; // derived field name -> text
    bool warning = false;
    double outdoorY = 0, returnY = 0, supplyY = 0, mixedX = 0, mixedY = 0;
};

// Every derived field for whole-degree temperatures inside 35..120 F.
inline Expected sheet(const Inputs& in) {
    Expected e;
    bool failed = false;
    const double ox = xOf(in.outdoorT), rx = xOf(in.returnT), sx = xOf(in.supplyT);
    const double oy = placeY(in.outdoorT, in.outdoorRH, failed);
    const double ry = placeY(in.returnT, in.returnRH, failed);
    const double sy = placeY(in.supplyT, in.supplyRH, failed);
    // The mixed point divides the mixing line at the fresh-air share.
    const double mx = rx + in.share * (ox - rx), my = ry + in.share * (oy - ry);
    e.outdoorY = oy;
    e.returnY = ry;
    e.supplyY = sy;
    e.mixedX = mx;
    e.mixedY = my;
    auto& t = e.text;
    const char* state[4] = {"Outdoor", "Return", "Supply", "Mixed"};
    const double xs[4] = {ox, rx, sx, mx}, ys[4] = {oy, ry, sy, my};
    for (int i = 0; i < 4; ++i) {
        const QString s = QLatin1String(state[i]);
        t[QStringLiteral("txt%1Ratio").arg(s)] = ratioText(wOf(ys[i]));
        t[QStringLiteral("txt%1Dew").arg(s)] = fixed(dewPoint(ys[i], failed), 0);
        t[(i == 0 ? QStringLiteral("txtOutDoor") : QStringLiteral("txt") + s) +
          QStringLiteral("WetBulb")] = fixed(wetBulb(xs[i], ys[i], failed), 0);
        t[QStringLiteral("txt%1SpVol").arg(s)] = fixed(specificVolume(xs[i], ys[i], failed), 2);
    }
    t[QStringLiteral("txtMixedTemp")] = fixed(tOf(mx), 0);
    // Dew point <= wet bulb <= dry bulb, in the whole degrees shown.
    const double dry[4] = {std::isnan(in.outdoorTyped) ? in.outdoorT : in.outdoorTyped,
                           in.returnT, in.supplyT, num(t[QStringLiteral("txtMixedTemp")])};
    for (int i = 0; i < 4; ++i) {
        const QString s = QLatin1String(state[i]);
        QString& wb = t[(i == 0 ? QStringLiteral("txtOutDoor") : QStringLiteral("txt") + s) +
                        QStringLiteral("WetBulb")];
        QString& dew = t[QStringLiteral("txt%1Dew").arg(s)];
        wb = fixed(std::min(num(wb), std::round(dry[i])), 0);
        dew = fixed(std::min(num(dew), num(wb)), 0);
    }
    // Enthalpy (BTU/lb) from the temperature and the ratio as displayed.
    auto h = [](double T, const QString& W) { return 0.24 * T + num(W) * (1061.2 + 0.444 * T); };
    const double typedT = std::isnan(in.outdoorTyped) ? in.outdoorT : in.outdoorTyped;
    t[QStringLiteral("txtOutdoorEnthalpy")] =
        fixed(h(typedT, t[QStringLiteral("txtOutdoorRatio")]), 2);
    t[QStringLiteral("txtReturnEnthalpy")] =
        fixed(h(in.returnT, t[QStringLiteral("txtReturnRatio")]), 2);
    t[QStringLiteral("txtSupplyEnthalpy")] =
        fixed(h(in.supplyT, t[QStringLiteral("txtSupplyRatio")]), 2);
    // Flows: the return flow is what the rounded outdoor flow leaves.
    const double F = num(in.flow);
    t[QStringLiteral("txtMixedFlow")] = in.flow;
    t[QStringLiteral("txtOutdoorFlow")] = fixed(float(in.share) * F, 0);
    t[QStringLiteral("txtReturnFlow")] =
        QString::number(F - num(t[QStringLiteral("txtOutdoorFlow")]), 'g', 15);
    // Masses (lb/hr): flow (cu ft/min) x 60 over the displayed volume; no
    // mass without a positive volume.
    for (const char* s : {"Supply", "Return", "Outdoor"}) {
        const QString flow = t.value(QStringLiteral("txt%1Flow").arg(QLatin1String(s)), in.flow);
        const double v = num(t[QStringLiteral("txt%1SpVol").arg(QLatin1String(s))]);
        t[QStringLiteral("txt%1Mass").arg(QLatin1String(s))] =
            v > 0 ? fixed(num(flow) * 60 / v, 0) : QString();
    }
    const QString mOText = t[QStringLiteral("txtOutdoorMass")],
                  mRText = t[QStringLiteral("txtReturnMass")];
    if (float(in.share) == 0) {
        t[QStringLiteral("txtMixedEnthalpy")] = t[QStringLiteral("txtReturnEnthalpy")];
        t[QStringLiteral("txtMixedMass")] = mRText;
    } else if (!mOText.isEmpty() && !mRText.isEmpty() &&
               !t[QStringLiteral("txtSupplyMass")].isEmpty()) {
        const double mO = num(mOText), mR = num(mRText);
        t[QStringLiteral("txtMixedMass")] = QString::number(mO + mR, 'g', 15);
        t[QStringLiteral("txtMixedEnthalpy")] =
            fixed((mR * num(t[QStringLiteral("txtReturnEnthalpy")]) +
                   mO * num(t[QStringLiteral("txtOutdoorEnthalpy")])) /
                      (mO + mR),
                  2);
    } else {
        t[QStringLiteral("txtMixedEnthalpy")] = QString();
        t[QStringLiteral("txtMixedMass")] = QString();
    }
    // Load (BTU/hr): 4.5 = 60 min/hr x 0.075 lb/cu ft of standard air; none
    // without a mixed enthalpy.
    const QString hM = t[QStringLiteral("txtMixedEnthalpy")];
    t[QStringLiteral("txtLoad")] =
        hM.isEmpty()
            ? QString()
            : grouped(F * 4.5 * (num(hM) - num(t[QStringLiteral("txtSupplyEnthalpy")])), 0);
    // Mixed RH against a saturation ratio fitted to the whole-degree
    // mixed temperature, corrected downward above 80 F.
    const double tm = num(t[QStringLiteral("txtMixedTemp")]);
    QString rh;
    if (tm > 0 && tm < 112) {
        double ws = 0.0012 * std::exp(0.0366 * tm);
        if (tm > 80)
            ws -= 0.0005;
        for (double above : {85, 90, 95, 97, 100, 102, 104, 105, 106, 107, 108, 109, 110})
            if (tm > above)
                ws -= 0.001;
        const double r = std::round(num(t[QStringLiteral("txtMixedRatio")]) / ws * 100);
        if (r >= 0)
            rh = QString::number(r, 'f', 0).rightJustified(2, u'0');
    }
    t[QStringLiteral("txtMixedRH")] = rh;
    // Condensate (gal/min): 8.33 lb of water per gallon.
    const float c =
        float(F * 0.075 *
              (num(t[QStringLiteral("txtMixedRatio")]) - num(t[QStringLiteral("txtSupplyRatio")])) /
              8.33);
    t[QStringLiteral("txtCondensate")] = grouped(c, 2);
    e.warning = failed;
    return e;
}

} // namespace reference
