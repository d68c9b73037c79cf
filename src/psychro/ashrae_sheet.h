#pragma once

#include "chart_state.h"
#include "moist_air.h"
#include "sheet.h"
#include "units.h"

// The state sheet by the ASHRAE Handbook's equations at one pressure, in IP
// or SI: the same fields as the chart tables' sheet, the same empty-field
// and SHR rules, each state's properties from the moist-air library, the
// mixed air by dry-air mass.
namespace psychro {

struct AshraeInputs {
    moist::Units units = moist::Units::IP;
    double pressure = 14.696; // psia or kPa
    // Dry bulbs (F or C) and relative humidities (%) as the sheet takes them.
    double outdoorT = 0, outdoorRh = 0;
    double returnT = 0, returnRh = 0;
    double supplyT = 0, supplyRh = 0;
    double share = 0; // the outdoor share of the supply's dry air, 0..1
    bool heating = false;
};

// Fills every derived field, the values behind them, the warning and the
// positions of the four states on the ASHRAE chart (whose range it sets);
// reads the supply flow from its field as the chart tables' sheet does.
void RunAshraeSheet(Sheet& sheet, ChartState& s, const AshraeInputs& in);

} // namespace psychro
