#pragma once

#include "chart_state.h"

#include <QString>

namespace psychro {

// Builds the MIXED AIR point on the mixing line from the return point
// toward the outdoor point at the fresh-air share, and its whole-degree dry
// bulb text ("#0"). A vertical mixing line is tilted by one hundredth of
// returnX so a slope exists. Returns false, leaving everything as it was,
// when no horizontal difference remains (both x positions 0).
bool constructMixedPoint(ChartState& s, QString& txtMixedTemp);

// Differences from the return point toward the outdoor point, with the
// tilt of a vertical mixing line; shared by the animation.
void mixingDifferences(const StatePositions& p, float& dx, float& dy);

} // namespace psychro
