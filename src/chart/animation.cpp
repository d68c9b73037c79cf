#include "animation.h"

#include "plots.h"

#include "psychro/mixing.h"
#include "psychro/numconv.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace chart {

namespace {

// The line as the redraw left it: painting it black again would darken its
// anti-aliased edges a little more on every tick.
void repaint(Surface& g, double x1, double y1, double x2, double y2) {
    g.WipeLine(x1, y1, x2, y2);
}

void dash(Surface& g, double x1, double y1, double x2, double y2) {
    g.ForeColor(marker::Gold);
    g.Line(x1, y1, x2, y2);
    g.ForeColor(colour::Black);
}

// Y of the dash from its X along a line of slope dy/dx, as the tangent of
// the line's angle.
float alongSlope(float X, float dy, float dx) {
    return psychro::ToSingle(double(X) * std::tan(std::atan(double(dy) / double(dx))));
}

} // namespace

void Timer2_Timer(Surface& g, const psychro::ChartState& s, AnimationState& a) {
    const psychro::StatePositions& p = s.pos;
    // 0.1 accumulates in single precision; the leg boundaries below are
    // single-precision values too, which places ticks 10, 20 and 31 just
    // past the ends of the legs.
    a.LineIndex = psychro::ToSingle(double(a.LineIndex) + 0.1);
    const float L = a.LineIndex;
    g.DrawWidth(4);
    float X = 0, Y = 0;
    const float Mx = p.returnX + p.XmixedAirOffet;
    const float My = p.returnY + p.YmixedAirOffet;

    if (L > 3.0f && L < 3.1f) {
        repaint(g, p.returnX, p.returnY, p.supplyX, p.supplyY);
    } else if (L > 3.0f) {
        a.B1a = 0;
        a.A1a = 0;
        a.LineIndex = 0;
    } else if (L < 1.0f) {
        // Leg 1: return toward the mixed point.
        float dx = 0, dy = 0;
        psychro::mixingDifferences(p, dx, dy);
        X = L * std::max(0.0f, s.in.gAirRate) * dx;
        Y = alongSlope(X, dy, dx);
        repaint(g, p.outdoorx, p.outdoorY, p.returnX, p.returnY);
        dash(g, p.returnX + X, p.returnY + Y, p.returnX + a.B1a, p.returnY + a.A1a);
    } else if (L > 2.0f && L < 2.1f) {
        repaint(g, Mx, My, p.supplyX, p.supplyY);
    } else if (L >= 2.1f && L <= 3.0f) {
        // Leg 3: supply back to return; a vertical room line has no slope
        // and silences the leg.
        const float t = L - 2;
        const float dy = p.supplyY - p.returnY;
        const float dx = p.supplyX - p.returnX;
        if (dx == 0)
            return;
        X = t * dx;
        Y = alongSlope(X, dy, dx);
        repaint(g, p.returnX, p.returnY, p.supplyX, p.supplyY);
        dash(g, p.supplyX - X, p.supplyY - Y, p.supplyX - a.B1a, p.supplyY - a.A1a);
    } else if (L > 1.0f && L < 1.1f) {
        repaint(g, p.outdoorx, p.outdoorY, p.returnX, p.returnY);
    } else if (L >= 1.1f && L <= 2.0f) {
        // Leg 2: mixed point toward supply. A vertical coil line has no
        // slope either; there the dash moves straight along it.
        const float t = L - 1;
        const float dy = p.supplyY - My;
        const float dx = p.supplyX - Mx;
        if (dx == 0) {
            X = 0;
            Y = t * dy;
        } else {
            X = t * dx;
            Y = alongSlope(X, dy, dx);
        }
        repaint(g, Mx, My, p.supplyX, p.supplyY);
        dash(g, Mx + X, My + Y, Mx + a.B1a, My + a.A1a);
    }
    a.B1a = X;
    a.A1a = Y;

    // The markers go back on top of the dash as the redraw drew them, the
    // mixed one gold over its drawn look (drawn once, never over itself).
    g.DrawWidth(1);
    for (const auto& [x, y] : {std::pair{p.returnX, p.returnY}, std::pair{p.supplyX, p.supplyY},
                               std::pair{p.outdoorx, p.outdoorY}, std::pair{Mx, My}})
        g.WipeCircle(x, y, MarkerRadius);
    RingMarker(g, Mx, My, marker::Gold);
}

} // namespace chart
