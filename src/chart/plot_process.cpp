// The relative-humidity curves that place the typed states, and the air
// process drawn over them.
#include "plots.h"

#include "psychro/air_chart.h"
#include "psychro/chart_geometry.h"
#include "psychro/numconv.h"

#include <algorithm>
#include <cmath>

namespace chart {

using psychro::ChartState;

void Plot_RH(Surface& g, const psychro::clsGraph& graph) {
    CurveWork w;
    const auto& labels = psychro::rhLabels();
    g.ForeColor(colour::Blue);
    for (int k = 1; k <= 9; ++k) {
        w.gx1 = 0;
        w.gy1 = 0;
        const auto& label = labels[size_t(k)];
        for (int T = int(psychro::ChartMinTemp); T <= int(psychro::ChartMaxTemp); ++T) {
            // Not limited to the plot area: the surface edge cuts the curves.
            const double yk = psychro::yOfRatio(graph, psychro::rhCurveRatio(k, T));
            const double xT = psychro::xOfTemperature(graph, T);
            if (w.gx1 == 0)
                w.gx1 = xT;
            if (w.gy1 == 0)
                w.gy1 = yk;
            g.Line(xT, yk, w.gx1, w.gy1); // ends on the previous point
            w.gx1 = xT;
            w.gy1 = yk;
            if (T == label.labelT) {
                g.setCurrentX(g.CurrentX() + label.dx);
                if (label.belowTop)
                    g.setCurrentY(double(graph.sngMaxYValue) - 0.15);
                g.Print(QString::fromLatin1(label.text));
            }
        }
    }
}

void RingMarker(Surface& g, double x, double y, QRgb c) {
    g.FillStyle(0);
    g.FillColor(colour::White);
    g.Circle(x, y, MarkerRadius, c);
    g.FillColor(c);
    g.Circle(x, y, 0.07, c);
}

void PlotPoints(Surface& g, const ChartState& s) {
    const psychro::StatePositions& p = s.pos;
    g.ForeColor(colour::Black);
    g.DrawWidth(4);
    g.Line(p.outdoorx, p.outdoorY, p.returnX, p.returnY);
    if (!s.mixedPlaced)
        return;
    g.Line(p.mixedX, p.mixedY, p.supplyX, p.supplyY);
    g.Line(p.supplyX, p.supplyY, p.returnX, p.returnY);
    g.DrawWidth(1);
    RingMarker(g, p.returnX, p.returnY, marker::Return);
    RingMarker(g, p.supplyX, p.supplyY, marker::Supply);
    RingMarker(g, p.outdoorx, p.outdoorY, marker::Outdoor);
    RingMarker(g, p.mixedX, p.mixedY, marker::Mixed);
}

void PlotCoilLine(Surface& g, const ChartState& s) {
    if (!s.showCoilLine || !s.coilAdpShown || !s.mixedPlaced)
        return;
    const psychro::StatePositions& p = s.pos;
    const bool air = s.method == psychro::Method::Ashrae;
    const double ax = air ? psychro::xOfDryBulb(s.objMyGraph, s.air, s.coilAdpT)
                          : psychro::xOfTemperature(s.objMyGraph, s.coilAdpT);
    const double ay = air ? psychro::yOfRatio(s.objMyGraph, s.air, s.coilAdpW)
                          : psychro::yOfRatio(s.objMyGraph, s.coilAdpW);
    g.ForeColor(colour::Black);
    g.DrawWidth(1);
    // The surface has no dash style: the dashes are drawn one by one.
    const double dx = ax - p.supplyX, dy = ay - p.supplyY;
    const double length = std::hypot(dx, dy);
    const int dashes = std::max(1, int(length / CoilDash / 2));
    for (int i = 0; i < dashes; ++i) {
        const double t0 = double(2 * i) / (2 * dashes - 1);
        const double t1 = double(2 * i + 1) / (2 * dashes - 1);
        g.Line(p.supplyX + dx * t0, p.supplyY + dy * t0, p.supplyX + dx * t1, p.supplyY + dy * t1);
    }
    // As large as the states' markers, to be seen beside the supply's.
    RingMarker(g, ax, ay, marker::Adp);
}

void PlotLegend(Surface& g, const psychro::clsGraph& graph) {
    // Top left inside the frame: above the saturation curve, where the
    // chart draws nothing.
    const std::pair<const char*, QRgb> entries[] = {{"OUTDOOR", marker::Outdoor},
                                                    {"RETURN", marker::Return},
                                                    {"SUPPLY", marker::Supply},
                                                    {"MIXED AIR", marker::Mixed}};
    constexpr double Step = 0.4, Inset = 0.25;
    double y = graph.sngMaxYValue - Inset;
    g.DrawWidth(1);
    for (const auto& [text, c] : entries) {
        RingMarker(g, graph.sngMinXValue + Inset, y, c);
        g.ForeColor(colour::Black);
        g.setCurrentX(graph.sngMinXValue + Inset + 0.2);
        g.setCurrentY(y + 0.17);
        g.Print(QString::fromLatin1(text));
        y -= Step;
    }
}

void drawPsychrometricChart(Surface& g, const ChartState& s, const QImage* density) {
    if (s.method == psychro::Method::Ashrae) {
        drawAirChart(g, s, density);
        return;
    }
    // Every line stays inside the frame, a state off the chart too (the
    // warning says its values are out of range).
    const psychro::clsGraph& frame = s.objMyGraph;
    g.ClipTo(frame.sngMinXValue, frame.sngMinYValue, frame.sngMaxXValue, frame.sngMaxYValue);
    Plot_WetBulb(g, s);
    Plot_Y_Axis(g, s.objMyGraph);
    Plot_Saturation(g, s.objMyGraph);
    Plot_RH(g, s.objMyGraph);
    Plot_SPVol(g, s);
    if (density)
        g.PaintPicture(*density);
    PlotPoints(g, s);
    PlotCoilLine(g, s);
    PlotLegend(g, s.objMyGraph);
}

} // namespace chart
