#include "chart_geometry.h"

#include "numconv.h"
#include "properties.h"

#include <algorithm>
#include <cmath>

namespace psychro {

namespace {
constexpr double ChartTempSpan = ChartMaxTemp - ChartMinTemp;

struct Cubic {
    double a3, a2, a1, a0;
};
// W_k(T) = a3 T^3 - a2 T^2 + a1 T - a0, fitted to k x 10 % RH.
constexpr std::array<Cubic, 10> RhCubics = {{
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
}};
} // namespace

void setGraphBounds(clsGraph& g) {
    g.MaxXScale = 14;
    g.MinXScale = 0;
    g.MaxYScale = 14;
    g.MinYScale = 0;
    g.sngMaxXValue = 12;
    g.sngMinXValue = 2;
    g.sngNameBoxXValue = g.sngMaxXValue - 1;
    g.sngMaxYValue = 12;
    g.sngMinYValue = 2;
    g.sngNameBoxYValue = g.sngMaxYValue - 1;
}

double xOfTemperature(const clsGraph& g, double T) {
    return g.sngMinXValue +
           double(g.sngMaxXValue - g.sngMinXValue) * (T - ChartMinTemp) / ChartTempSpan;
}

double yOfRatio(const clsGraph& g, double W) {
    return g.sngMinYValue + double(g.sngMaxYValue - g.sngMinYValue) * W / FullScaleRatio;
}

double temperatureOfX(const clsGraph& g, double x) {
    return ChartMinTemp +
           ChartTempSpan * (x - g.sngMinXValue) / double(g.sngMaxXValue - g.sngMinXValue);
}

double ratioOfY(const clsGraph& g, double y) {
    return FullScaleRatio * (y - g.sngMinYValue) / double(g.sngMaxYValue - g.sngMinYValue);
}

double saturationRatio(double T) {
    return 0.0012 * std::exp(0.0366 * T);
}

double rhCurveRatio(int k, double T) {
    if (k == 10)
        return 0.0012 * std::exp(0.0365 * T);
    const Cubic& c = RhCubics[size_t(k)];
    return c.a3 * T * T * T - c.a2 * T * T + c.a1 * T - c.a0;
}

double rhAtPoint(const clsGraph& g, double T, double y) {
    auto yOf = [&](int k) {
        const double yk = yOfRatio(g, rhCurveRatio(k, T));
        return k == 10 ? std::min(yk, double(g.sngMaxYValue)) : yk;
    };
    double below = yOf(1);
    if (y < below)
        return 0.5 + 9.5 * (y - g.sngMinYValue) / (below - g.sngMinYValue);
    for (int k = 1; k < 10; ++k) {
        const double above = yOf(k + 1);
        if (y < above || k == 9)
            return 10.0 * k + 10.0 * (y - below) / (above - below);
        below = above;
    }
    return 100;
}

const std::array<RhLabel, 10>& rhLabels() {
    static const std::array<RhLabel, 10> labels = {{
        {"", 0, 0, false},
        {"10% RH", 110, 0.4, false},
        {"20%", 115, 0.15, false},
        {"30%", 115, 0.15, false},
        {"40%", 115, 0.15, false},
        {"50%", 110, 0.35, true},
        {"60%", 105, 0.2, true},
        {"70%", 100, 0.15, true},
        {"80%", 95, 0.15, true},
        {"90%", 90, 0.15, true},
    }};
    return labels;
}

const std::array<WetBulbLineDef, 12>& wetBulbLines() {
    static const std::array<WetBulbLineDef, 12> lines = {{
        {"", false, 0},
        {"35", true, 54.0},
        {"40", true, 63.0},
        {"45", true, 73.0},
        {"50", true, 84.0},
        {"55", true, 96.0},
        {"60", true, 108.5},
        {"65", false, 0.001},
        {"70", false, 0.0043},
        {"75", false, 0.0084},
        {"80", false, 0.0129},
        {"85", false, 0.019},
    }};
    return lines;
}

const std::array<SpVolLineDef, 6>& specificVolumeLines() {
    static const std::array<SpVolLineDef, 6> lines = {{
        {"", 0, 0, 0, 0},
        {"15.0", 10.65f, 12.0f, 12.0f, 7.45f},
        {"14.5", 8.42f, 12.0f, 11.5f, 2.0f},
        {"14.0", 7.16f, 9.01f, 9.15f, 2.0f},
        {"13.5", 5.53f, 6.23f, 6.77f, 2.0f},
        {"13.0", 3.76f, 4.39f, 4.48f, 2.0f},
    }};
    return lines;
}

void fillLineTables(ChartState& s) {
    const clsGraph& g = s.objMyGraph;
    LineTables& t = s.tables;
    // The dry-bulb grid every 5 F: each grid line's top on the saturation
    // curve (cut at the top edge) starts the wet-bulb line of its
    // temperature; lines 1..11 run down to the bottom or the right edge.
    const double xStep = double(g.sngMaxXValue - g.sngMinXValue) / (DryBulbGridLines - 1);
    for (int i = 1; i <= DryBulbGridLines; ++i) {
        const double x = (i - 1) * xStep + g.sngMinXValue;
        const double T = (i - 1) * DryBulbGridStep + ChartMinTemp;
        t.WBX1[size_t(i)] = x;
        t.WBY1[size_t(i)] = std::min(yOfRatio(g, saturationRatio(T)), double(g.sngMaxYValue));
        if (i > 11)
            continue;
        const WetBulbLineDef& def = wetBulbLines()[size_t(i)];
        if (def.endsOnBottom) {
            t.WBX2[size_t(i)] = xOfTemperature(g, def.E);
            t.WBY2[size_t(i)] = g.sngMinYValue;
        } else {
            t.WBX2[size_t(i)] = g.sngMaxXValue;
            t.WBY2[size_t(i)] = std::min(yOfRatio(g, def.E), double(g.sngMaxYValue));
        }
        t.WBValue[size_t(i)] = ToSingle(LeadingNumber(QString::fromLatin1(def.label)));
    }
    for (int i = 1; i <= 5; ++i) {
        const SpVolLineDef& l = specificVolumeLines()[size_t(i)];
        t.SpVolX1[size_t(i)] = l.x1;
        t.SpVolY1[size_t(i)] = l.y1;
        t.SpVolX2[size_t(i)] = l.x2;
        t.SpVolY2[size_t(i)] = l.y2;
        t.SpVolValue[size_t(i)] = ToSingle(LeadingNumber(QString::fromLatin1(l.label)));
    }
}

void placeStates(ChartState& s, double supplyT, double returnT) {
    const clsGraph& g = s.objMyGraph;
    // Curve heights at each state's temperature, rows 1..10; zero where the
    // temperature matches no whole-degree step of 35..120 F.
    std::array<float, 11> outdoorC{}, supplyC{}, returnC{};
    const double To = RoundHalfEven(double(s.in.gTemperature));
    auto onStep = [](double T) {
        return T >= ChartMinTemp && T <= ChartMaxTemp && T == std::floor(T);
    };
    const bool outdoorOn = onStep(To), supplyOn = onStep(supplyT), returnOn = onStep(returnT);
    for (int k = 1; k <= 10; ++k) {
        auto heightAt = [&](double T) {
            double y = yOfRatio(g, rhCurveRatio(k, T));
            if (k == 10 && y > g.sngMaxYValue)
                y = g.sngMaxYValue;
            return ToSingle(y);
        };
        if (outdoorOn)
            outdoorC[size_t(k)] = heightAt(To);
        if (supplyOn)
            supplyC[size_t(k)] = heightAt(supplyT);
        if (returnOn)
            returnC[size_t(k)] = heightAt(returnT);
    }
    if (outdoorOn)
        s.pos.outdoorx = ToSingle(xOfTemperature(g, To));
    if (supplyOn)
        s.pos.supplyX = ToSingle(xOfTemperature(g, supplyT));
    if (returnOn)
        s.pos.returnX = ToSingle(xOfTemperature(g, returnT));

    struct StateRef {
        float rh;
        const std::array<float, 11>& c;
        float& y;
        bool placed = false;
    };
    std::array<StateRef, 3> states = {{
        {s.in.gORH, outdoorC, s.pos.outdoorY},
        {s.in.gSRH, supplyC, s.pos.supplyY},
        {s.in.gRRH, returnC, s.pos.returnY},
    }};
    for (int k = 10; k >= 1; --k) {
        for (StateRef& st : states) {
            if (st.placed)
                continue;
            if (st.rh > 10.0f * float(k)) {
                if (k == 10) {
                    // Nothing brackets a humidity above 100 %: outside the
                    // program's range for this redraw.
                    st.y = 0;
                    s.InterpFailed = true;
                } else {
                    st.y = interp(10.0f * float(k), st.c[size_t(k)], 10.0f * float(k + 1),
                                  st.c[size_t(k + 1)], st.rh, s.InterpFailed);
                }
                st.placed = true;
            } else if (k == 1) {
                st.y = interp(10, st.c[1], 0.5f, g.sngMinYValue, st.rh, s.InterpFailed);
                st.placed = true;
            }
        }
    }
    if (s.in.gTemperature < ChartMinTemp)
        s.pos.outdoorx = g.sngMinXValue;
}

double saturationYOfX(const clsGraph& g, double x) {
    const double T = std::clamp(temperatureOfX(g, x), ChartMinTemp, ChartMaxTemp);
    const double T0 = std::min(std::floor(T), ChartMaxTemp - 1);
    auto at = [&g](double t) {
        return std::min(double(ToSingle(yOfRatio(g, saturationRatio(t)))), double(g.sngMaxYValue));
    };
    return at(T0) + (at(T0 + 1) - at(T0)) * (T - T0);
}

} // namespace psychro
