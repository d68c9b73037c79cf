// The chart's fixed layers: dry-bulb grid and wet-bulb lines, the
// humidity-ratio axis, the saturation curve and the specific-volume lines.
#include "plots.h"

#include "psychro/chart_geometry.h"
#include "psychro/numconv.h"

#include <cmath>

namespace chart {

using psychro::ChartState;
using psychro::clsGraph;

namespace {
constexpr QRgb DarkGreen = qRgb(0, 128, 0);
// Near-black of the saturation curve: the number 12 taken as a colour value.
constexpr QRgb SaturationColour = qRgb(12, 0, 0);
// Label centring: 5/72 user units per character at 8 points.
constexpr double CharWidth = 5.0 / 72.0;
} // namespace

void Plot_WetBulb(Surface& g, ChartState& s) {
    const clsGraph& graph = s.objMyGraph;
    g.FontTransparent(true);
    g.BackColor(colour::White);
    const double tempStep = 85.0 / 17.0; // 5 F
    const double xStep = double(graph.sngMaxXValue - graph.sngMinXValue) / 17.0;
    const auto& lines = psychro::wetBulbLines();
    for (int i = 1; i <= 18; ++i) {
        const double x = (i - 1) * xStep + graph.sngMinXValue;
        const double T = (i - 1) * tempStep + 35;
        const QString label = psychro::FormatNumber(T, QStringLiteral("###,##0"));
        double y = psychro::yOfRatio(graph, psychro::saturationRatio(T));
        if (y > graph.sngMaxYValue)
            y = graph.sngMaxYValue;
        g.setCurrentX(x - (double(label.size()) / 2) * CharWidth);
        g.setCurrentY(graph.sngMinYValue - 0.125);
        g.DrawWidth(1);
        g.ForeColor(colour::Black);
        g.Print(label);
        g.ForeColor(i == 1 || i == 18 ? colour::Black : colour::Gray);
        g.Line(x, graph.sngMinYValue, x, y);
        g.ForeColor(colour::DarkRed);
        s.tables.WBX1[size_t(i)] = x;
        s.tables.WBY1[size_t(i)] = y;
        if (i <= 11) {
            const auto& def = lines[size_t(i)];
            const QString wbLabel = QString::fromLatin1(def.label);
            if (def.endsOnBottom)
                WetBulbData2(g, s, i, def.E, x, y, wbLabel);
            else
                WetBulbData(g, s, i, def.E, x, y, wbLabel);
        }
    }
}

void WetBulbData(Surface& g, ChartState& s, int i, double WB1, double WBx, double WBy,
                 const QString& WBLabel) {
    const clsGraph& graph = s.objMyGraph;
    double y2 = psychro::yOfRatio(graph, WB1);
    if (y2 > graph.sngMaxYValue)
        y2 = graph.sngMaxYValue;
    g.Line(WBx, WBy, graph.sngMaxXValue, y2);
    g.setCurrentX(WBx - 0.25);
    g.setCurrentY(WBy + 0.5);
    s.tables.WBX2[size_t(i)] = graph.sngMaxXValue;
    s.tables.WBY2[size_t(i)] = y2;
    g.ForeColor(colour::DarkRed);
    g.Print(WBLabel);
    s.tables.WBValue[size_t(i)] = psychro::ToSingle(psychro::LeadingNumber(WBLabel));
}

void WetBulbData2(Surface& g, ChartState& s, int i, double WB1, double WBx, double WBy,
                  const QString& WBLabel) {
    const clsGraph& graph = s.objMyGraph;
    const double x2 = psychro::xOfTemperature(graph, WB1);
    g.Line(WBx, WBy, x2, graph.sngMinYValue);
    g.setCurrentX(WBx - 0.25);
    g.setCurrentY(WBy + 0.5);
    s.tables.WBX2[size_t(i)] = x2;
    s.tables.WBY2[size_t(i)] = graph.sngMinYValue;
    g.ForeColor(colour::DarkRed);
    g.Print(WBLabel);
    s.tables.WBValue[size_t(i)] = psychro::ToSingle(psychro::LeadingNumber(WBLabel));
}

void Plot_Y_Axis(Surface& g, const clsGraph& graph) {
    g.FontTransparent(true);
    const double dy = double(graph.sngMaxYValue - graph.sngMinYValue) / 15;
    for (int i = 1; i <= 16; ++i) {
        const double y = graph.sngMinYValue + (i - 1) * dy;
        // Taken at 15 significant digits so the noise of the product does
        // not reach the comparison or the logarithm.
        const double W = psychro::LeadingNumber(psychro::NumText((i - 1) * 0.002));
        // Lines below 0.0042 lb/lb meet the left edge before the curve.
        double xs = graph.sngMinXValue;
        if (W >= 0.0042)
            xs = psychro::xOfTemperature(graph, 27.3167 * std::log(W) + 183.4053);
        const QString label = psychro::FormatNumber(W, QStringLiteral("0.000"));
        g.setCurrentX(graph.sngMaxXValue + 0.125);
        g.setCurrentY(y + 0.125);
        g.DrawWidth(1);
        g.ForeColor(colour::Black);
        if (i > 1)
            g.Print(label);
        g.ForeColor(i == 1 || i == 16 ? colour::Black : colour::Gray);
        g.Line(xs, y, graph.sngMaxXValue, y);
    }
}

void Plot_Saturation(Surface& g, ChartState& s) {
    const clsGraph& graph = s.objMyGraph;
    s.work.gx1 = 0;
    s.work.gy1 = 0;
    for (int T = 35; T <= 120; ++T) {
        s.work.Y = psychro::ToSingle(psychro::yOfRatio(graph, psychro::saturationRatio(T)));
        if (s.work.Y > graph.sngMaxYValue)
            s.work.Y = graph.sngMaxYValue;
        const double X = psychro::xOfTemperature(graph, T);
        if (s.work.gx1 == 0)
            s.work.gx1 = X;
        if (s.work.gy1 == 0)
            s.work.gy1 = s.work.Y;
        g.ForeColor(SaturationColour);
        g.Line(X, s.work.Y, s.work.gx1, s.work.gy1);
        s.work.gx1 = X;
        s.work.gy1 = s.work.Y;
    }
}

void Plot_SPVol(Surface& g, ChartState& s) {
    const auto& lines = psychro::specificVolumeLines();
    for (int i = 1; i <= 5; ++i) {
        const auto& l = lines[size_t(i)];
        SpVolData(g, s, i, l.x1, l.y1, l.x2, l.y2, QString::fromLatin1(l.label));
    }
}

void SpVolData(Surface& g, ChartState& s, int i, float x1, float y1, float x2, float y2,
               const QString& SpVolLabel) {
    g.ForeColor(DarkGreen);
    g.Line(x1, y1, x2, y2);
    // Lines that start on the top edge carry their label in the margin above.
    if (y1 == 12.0f) {
        g.setCurrentX(double(x1) - 0.25);
        g.setCurrentY(double(y1) + 0.5);
    } else {
        g.setCurrentX(double(x1) - 0.6);
        g.setCurrentY(double(y1) + 1.0);
    }
    g.Print(SpVolLabel);
    s.tables.SpVolX1[size_t(i)] = x1;
    s.tables.SpVolY1[size_t(i)] = y1;
    s.tables.SpVolX2[size_t(i)] = x2;
    s.tables.SpVolY2[size_t(i)] = y2;
    s.tables.SpVolValue[size_t(i)] = psychro::ToSingle(psychro::LeadingNumber(SpVolLabel));
}

} // namespace chart
