#pragma once

#include "chart_state.h"
#include "sheet.h"

#include <QString>

// The coil's and the room's load split, read from the sheet as displayed.
namespace psychro {

// BTU/hr per CFM and BTU/lb: 60 min/hr times 0.075 lb of air per cu ft,
// the standard air of the load formulas.
inline constexpr double LoadFactor = 4.5;

// h = 0.24 T + W (1061.2 + 0.444 T), BTU/lb, unrounded.
double moistAirEnthalpy(double T, double W);

// Where the coil line from (Tm, Wm) through (Ts, Ws), extended past the
// supply point, meets the saturation curve as the chart draws it (whole-
// degree chords, cut at the top of the plot). False when it does not
// meet it inside the chart.
bool apparatusDewPoint(double Tm, double Wm, double Ts, double Ws, double& adp);

// A sensible heat ratio is a share of a cooling load: shown ("0.00") only
// for a positive total and between 0 and 1; otherwise the field says why
// it is empty.
void showShr(Sheet& sheet, Field field, double sensible, double total, bool heating);

// Caption of the coil and room group: the coil heats in heating mode.
QString coilCaption(bool heating);

// Fills the coil and room fields from the displayed sheet, and the ADP the
// chart marks (s.coilAdpShown). Runs after RunConversions. An ADP, bypass
// factor or SHR left empty gets its reason in sheet.emptyWhy.
void RunCoilAnalysis(Sheet& sheet, ChartState& s, bool heating);

} // namespace psychro
