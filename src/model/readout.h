#pragma once

#include "psychro/chart_state.h"

#include <QString>

namespace model {

// What the psychrometric chart shows at a point of its plot area (user
// coordinates), read with the sheet's own routines: dry bulb, humidity
// ratio, relative humidity, dew point, wet bulb, specific volume and
// enthalpy, as the status bar shows them. Above the saturation curve only
// the dry bulb and humidity ratio, "above saturation"; outside the plot
// area nothing. Reading never touches the state's failure flag.
QString readout(const psychro::ChartState& s, double x, double y);

} // namespace model
