#include "mixing.h"

#include "chart_geometry.h"
#include "numconv.h"

#include <cmath>

namespace psychro {

void mixingDifferences(const StatePositions& p, float& dx, float& dy) {
    dy = p.outdoorY - p.returnY;
    if (p.outdoorx == p.returnX)
        dx = ToSingle(double(p.outdoorx) - 0.99 * double(p.returnX));
    else
        dx = p.outdoorx - p.returnX;
}

bool constructMixedPoint(ChartState& s, QString& txtMixedTemp) {
    float dx = 0, dy = 0;
    mixingDifferences(s.pos, dx, dy);
    if (dx == 0)
        return false;
    if (s.in.gAirRate < 0)
        s.in.gAirRate = 0;
    const double theta = std::atan(double(dy) / double(dx));
    s.pos.XmixedAirOffet = s.in.gAirRate * dx;
    s.pos.YmixedAirOffet = ToSingle(double(s.pos.XmixedAirOffet) * std::tan(theta));
    s.pos.mixedX = s.pos.returnX + s.pos.XmixedAirOffet;
    s.pos.mixedY = s.pos.returnY + s.pos.YmixedAirOffet;
    const double T = temperatureOfX(s.objMyGraph, s.pos.mixedX);
    txtMixedTemp = FormatNumber(T, QStringLiteral("#0"));
    return true;
}

} // namespace psychro
