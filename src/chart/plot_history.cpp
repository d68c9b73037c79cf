// The outside-air history chart of live mode: time of day across,
// temperature (F) upward.
#include "plots.h"

#include "psychro/numconv.h"

#include <algorithm>

namespace chart {

using psychro::clsGraph;

namespace {

double xOfHour(const clsGraph& g, double t) {
    return g.sngMinXValue + double(g.sngMaxXValue - g.sngMinXValue) * t / 24;
}

// 30 F on the bottom edge, 110 F on the top edge.
double yOfTemp(const clsGraph& g, double v) {
    return g.sngMinYValue + double(g.sngMaxYValue - g.sngMinYValue) * (v - 30) / 80;
}

// Two digits of hours before the first ":" and two of minutes after it;
// false for a stamp without that form, which is skipped.
bool timeOfDay(const QString& stamp, int gmtOffset, double& t) {
    const qsizetype p = stamp.indexOf(u':');
    if (p < 2 || p + 2 >= stamp.size())
        return false;
    bool okH = false, okM = false;
    const double h = psychro::StrictNumber(stamp.mid(p - 2, 2), &okH);
    const double m = psychro::StrictNumber(stamp.mid(p + 1, 2), &okM);
    if (!okH || !okM)
        return false;
    t = (psychro::RoundHalfEven(h) - gmtOffset) + m / 60;
    if (t < 0)
        t += 24;
    return true;
}

void trace(Surface& c, const clsGraph& g, std::span<const QString> obsTime,
           std::span<const float> values, int gmtOffset, QRgb colour) {
    double prevX = 0, prevY = 0;
    c.ForeColor(colour);
    const size_t n = std::min(obsTime.size(), values.size());
    if (n < 2)
        return;
    // Slot 0 is not read; the history's slots are one more than its readings.
    const size_t last = n - 1;
    for (size_t k = 1; k <= last; ++k) {
        if (obsTime[k].isEmpty())
            break;
        double t = 0;
        if (!timeOfDay(obsTime[k], gmtOffset, t))
            continue;
        const double x = xOfHour(g, t);
        double y = yOfTemp(g, values[k]);
        if (y > g.sngMaxYValue)
            y = g.sngMaxYValue;
        // A reading of 30 F or less (or a missing one, stored as 0) ends it.
        if (y <= g.sngMinYValue)
            break;
        if (prevX > x) // the time went back past midnight
            prevX = 0;
        if (prevX == 0)
            prevX = x;
        if (prevY == 0)
            prevY = y;
        c.Line(prevX, prevY, x, y);
        prevX = x;
        prevY = y;
    }
}

} // namespace

void Plot_Time_Axis(Surface& c, const clsGraph& g) {
    c.FontTransparent(true);
    c.BackColor(colour::White);
    const double dx = double(g.sngMaxXValue - g.sngMinXValue) / 24;
    for (int h = 0; h <= 24; ++h) {
        const double x = g.sngMinXValue + h * dx;
        const int n = (h == 0 || h == 12) ? 12 : (h > 12 ? h - 12 : h);
        const QString label = psychro::FormatNumber(n, QStringLiteral("#0"));
        c.setCurrentX(x - double(label.size()) / 2 * CharWidth);
        c.setCurrentY(double(g.sngMinYValue) - 0.125);
        c.DrawWidth(1);
        c.ForeColor(colour::Black);
        c.Print(label);
        c.ForeColor(h == 0 || h == 24 ? colour::Black : colour::Gray);
        c.Line(x, g.sngMinYValue, x, g.sngMaxYValue);
        c.ForeColor(colour::White);
    }
}

void Plot_History(Surface& c, const clsGraph& g, std::span<const QString> obsTime,
                  std::span<const float> obsTemperature, std::span<const float> obsDewPoint,
                  int gGMTOffset) {
    c.FontTransparent(true);
    for (int i = 0; i <= 8; ++i) {
        const double y = g.sngMinYValue + i * double(g.sngMaxYValue - g.sngMinYValue) / 8;
        const QString label =
            psychro::FormatNumber(30 + 10 * i, QStringLiteral("##0")) + QChar(0x00B0) + u'F';
        const double shift = label.size() > 4 ? 0.65 : (label.size() == 4 ? 0.53 : 0.4);
        c.setCurrentX(double(g.sngMinXValue) - shift);
        c.setCurrentY(y + 0.2);
        c.DrawWidth(1);
        c.ForeColor(colour::Black);
        c.Print(label);
        c.ForeColor(i == 0 || i == 8 ? colour::Black : colour::Gray);
        c.Line(g.sngMinXValue, y, g.sngMaxXValue, y);
        c.ForeColor(colour::White);
    }
    const double right = g.sngMaxXValue, top = g.sngMaxYValue;

    trace(c, g, obsTime, obsTemperature, gGMTOffset, colour::Red);
    c.LineBoxFilled(right + 0.25, top - 1, right + 0.6, top - 0.85, colour::Red);
    c.setCurrentX(right + 0.6);
    c.setCurrentY(top - 0.6);
    c.Print(QStringLiteral(" Temperature"));

    trace(c, g, obsTime, obsDewPoint, gGMTOffset, colour::Blue);
    c.LineBoxFilled(right + 0.25, top - 2.1, right + 0.6, top - 1.95, colour::Blue);
    c.setCurrentX(right + 0.6);
    c.setCurrentY(top - 1.6);
    c.Print(QStringLiteral("  Dew Point"));
}

} // namespace chart
