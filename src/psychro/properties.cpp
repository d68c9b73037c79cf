#include "properties.h"

#include "chart_geometry.h"
#include "numconv.h"

#include <cmath>

namespace psychro {

namespace {

struct Pair {
    float position = 0;
    float value = 0;
};

// y at x of the straight line through a stored line's two ends.
double lineY(double x1, double y1, double x2, double y2, double x) {
    const double m = (y2 - y1) / (x2 - x1);
    const double b = y1 - m * x1;
    return b + m * x;
}

} // namespace

float interp(float x1, float x2, float Z1, float z2, float y1, bool& InterpFailed) {
    if (z2 == x2) {
        InterpFailed = true;
        return 0;
    }
    const double slopeInverse = (double(Z1) - x1) / (double(z2) - x2);
    const double r = double(x2) + (double(y1) - x1) / slopeInverse;
    if (!std::isfinite(r)) {
        InterpFailed = true;
        return 0;
    }
    return ToSingle(r);
}

void CalcHumidity(float Y_Value, QString& xObj, const clsGraph& g) {
    const double W = (double(Y_Value) - g.sngMinYValue) /
                     (double(g.sngMaxYValue) - g.sngMinYValue) * FullScaleRatio;
    xObj = FormatNumber(W, QStringLiteral(".00000"));
}

void CalcDewPoint(float Y_Value, QString& xObj, const LineTables& t, bool& InterpFailed) {
    Pair upper, lower;
    bool found = false;
    for (int k = 1; k <= 11; ++k) {
        const float s = ToSingle(t.WBY1[size_t(k)]);
        if (s > Y_Value) {
            upper = {s, t.WBValue[size_t(k)]};
            if (k > 1)
                found = true;
            break;
        }
        lower = {s, t.WBValue[size_t(k)]};
    }
    if (!found)
        lower = {ToSingle(t.WBY1[10]), t.WBValue[10]};
    const float r =
        interp(upper.position, upper.value, lower.position, lower.value, Y_Value, InterpFailed);
    xObj = FormatNumber(r, QStringLiteral("##0"));
}

void CalcWetBulb(float x_Value, float Y_Value, QString& xObj, const LineTables& t,
                 bool& InterpFailed) {
    auto yOfLine = [&](int k) {
        return ToSingle(lineY(t.WBX1[size_t(k)], t.WBY1[size_t(k)], t.WBX2[size_t(k)],
                              t.WBY2[size_t(k)], x_Value));
    };
    Pair upper, lower;
    bool found = false;
    for (int k = 1; k <= 11; ++k) {
        const float yk = yOfLine(k);
        if (Y_Value < yk) {
            upper = {yk, t.WBValue[size_t(k)]};
            found = true;
            break;
        }
        lower = {yk, t.WBValue[size_t(k)]};
    }
    if (!found)
        upper = {yOfLine(10), t.WBValue[10]};
    const float r =
        interp(upper.position, upper.value, lower.position, lower.value, Y_Value, InterpFailed);
    xObj = FormatNumber(r, QStringLiteral("#0"));
}

void CalcSpVol(float x_Value, float Y_Value, QString& xObj, const LineTables& t,
               bool& InterpFailed) {
    auto yOfLine = [&](int k) {
        return ToSingle(lineY(t.SpVolX1[size_t(k)], t.SpVolY1[size_t(k)], t.SpVolX2[size_t(k)],
                              t.SpVolY2[size_t(k)], x_Value));
    };
    Pair upper, lower;
    bool found = false;
    for (int k = 1; k <= 5; ++k) {
        const float yk = yOfLine(k);
        if (Y_Value < yk) {
            upper = {yk, t.SpVolValue[size_t(k)]};
            found = true;
            if (k > 1)
                break;
        }
        lower = {yk, t.SpVolValue[size_t(k)]};
    }
    if (!found)
        upper = {yOfLine(5), t.SpVolValue[5]};
    const float r =
        interp(upper.position, upper.value, lower.position, lower.value, Y_Value, InterpFailed);
    xObj = FormatNumber(r, QStringLiteral("#0.00"));
}

void CalcEnthalpy(float T, float W, QString& xObj) {
    const double h = 0.24 * double(T) + double(W) * (1061.2 + 0.444 * double(T));
    xObj = FormatNumber(ToSingle(h), QStringLiteral("##0.00"));
}

float Parse(QString& inputString) {
    const qsizetype p = inputString.indexOf(u' ') + 1; // 1-based, 0 when none
    const double result = LeadingNumber(inputString.left(p));
    inputString = inputString.right(inputString.size() - p);
    return ToSingle(result);
}

} // namespace psychro
