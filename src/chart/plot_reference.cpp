// The chart's fixed layers: dry-bulb grid and wet-bulb lines, the
// humidity-ratio axis, the saturation curve and the specific-volume lines.
#include "plots.h"

#include "psychro/chart_geometry.h"
#include "psychro/numconv.h"

#include <cmath>

namespace chart {

using psychro::ChartState;
using psychro::clsGraph;

void SetScale(Surface& surface, const clsGraph& g) {
    surface.FontSize(8);
    surface.Scale(g.MinXScale, g.MaxYScale, g.MaxXScale, g.MinYScale);
}

void Plot_WetBulb(Surface& g, const ChartState& s) {
    const clsGraph& graph = s.objMyGraph;
    const psychro::LineTables& t = s.tables;
    g.FontTransparent(true);
    g.BackColor(colour::White);
    const auto& lines = psychro::wetBulbLines();
    const int last = psychro::DryBulbGridLines;
    for (int i = 1; i <= last; ++i) {
        const double x = t.WBX1[size_t(i)], y = t.WBY1[size_t(i)];
        const double T = (i - 1) * psychro::DryBulbGridStep + psychro::ChartMinTemp;
        const QString label = psychro::FormatNumber(T, QStringLiteral("###,##0"));
        g.setCurrentX(x - (double(label.size()) / 2) * CharWidth);
        g.setCurrentY(graph.sngMinYValue - 0.125);
        g.DrawWidth(1);
        g.ForeColor(colour::Black);
        g.Print(label);
        g.ForeColor(i == 1 || i == last ? colour::Black : colour::Gray);
        g.Line(x, graph.sngMinYValue, x, y);
        g.ForeColor(colour::DarkRed);
        if (i <= 11)
            WetBulbData(g, s, i, QString::fromLatin1(lines[size_t(i)].label));
    }
}

void WetBulbData(Surface& g, const ChartState& s, int i, const QString& WBLabel) {
    const psychro::LineTables& t = s.tables;
    const double WBx = t.WBX1[size_t(i)], WBy = t.WBY1[size_t(i)];
    g.Line(WBx, WBy, t.WBX2[size_t(i)], t.WBY2[size_t(i)]);
    g.setCurrentX(WBx - 0.25);
    g.setCurrentY(WBy + 0.5);
    g.ForeColor(colour::DarkRed);
    g.Print(WBLabel);
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

void Plot_Saturation(Surface& g, const clsGraph& graph) {
    CurveWork w;
    for (int T = int(psychro::ChartMinTemp); T <= int(psychro::ChartMaxTemp); ++T) {
        w.Y = psychro::ToSingle(psychro::yOfRatio(graph, psychro::saturationRatio(T)));
        if (w.Y > graph.sngMaxYValue)
            w.Y = graph.sngMaxYValue;
        const double X = psychro::xOfTemperature(graph, T);
        if (w.gx1 == 0)
            w.gx1 = X;
        if (w.gy1 == 0)
            w.gy1 = w.Y;
        g.ForeColor(SaturationColour);
        g.Line(X, w.Y, w.gx1, w.gy1);
        w.gx1 = X;
        w.gy1 = w.Y;
    }
}

void Plot_SPVol(Surface& g, const ChartState& s) {
    const auto& lines = psychro::specificVolumeLines();
    for (int i = 1; i <= 5; ++i)
        SpVolData(g, s, i, QString::fromLatin1(lines[size_t(i)].label));
}

void SpVolData(Surface& g, const ChartState& s, int i, const QString& SpVolLabel) {
    const psychro::LineTables& t = s.tables;
    const float x1 = t.SpVolX1[size_t(i)], y1 = t.SpVolY1[size_t(i)];
    g.ForeColor(colour::DarkGreen);
    g.Line(x1, y1, t.SpVolX2[size_t(i)], t.SpVolY2[size_t(i)]);
    // Lines that start on the top edge carry their label in the margin above.
    if (y1 == 12.0f) {
        g.setCurrentX(double(x1) - 0.25);
        g.setCurrentY(double(y1) + 0.5);
    } else {
        g.setCurrentX(double(x1) - 0.6);
        g.setCurrentY(double(y1) + 1.0);
    }
    g.Print(SpVolLabel);
}

} // namespace chart
