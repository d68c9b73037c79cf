#pragma once

#include "chart_state.h"

#include <QString>

#include <array>

// Geometry of the psychrometric chart: the mappings between air properties
// and user coordinates, the curve formulas, and the fixed reference lines.
// Units: temperatures in F, humidity ratio W in lb water per lb dry air.
namespace psychro {

// The chart's range: dry bulb across its plot area, and the humidity ratio
// at its top edge (lb/lb).
inline constexpr double ChartMinTemp = 35;
inline constexpr double ChartMaxTemp = 120;
inline constexpr double FullScaleRatio = 0.03;
// The dry-bulb grid: a line every 5 F across the chart, both edges included.
inline constexpr double DryBulbGridStep = 5;
inline constexpr int DryBulbGridLines = int((ChartMaxTemp - ChartMinTemp) / DryBulbGridStep) + 1;

// The plot bounds the scale setup gives the graph settings: plot area
// (2,2)-(12,12) inside a 0..14 field.
void setGraphBounds(clsGraph& g);

// Dry bulb T (F) to x: 35 F on the left edge, 120 F on the right one.
double xOfTemperature(const clsGraph& g, double T);
// Humidity ratio W to y: 0 on the bottom edge, 0.03 lb/lb (full scale) on top.
double yOfRatio(const clsGraph& g, double W);
double temperatureOfX(const clsGraph& g, double x);
double ratioOfY(const clsGraph& g, double y);

// Saturation humidity ratio of the drawn curve, lb/lb, T in F.
double saturationRatio(double T);
// Height of the saturation curve as drawn at x: the chords between its
// whole-degree points from 35 to 120 F, cut at the top of the plot area.
double saturationYOfX(const clsGraph& g, double x);

// Humidity ratio of relative-humidity curve k at dry bulb T: k = 1..9 is the
// cubic fit of k x 10 % RH; k = 10 stands for 100 % (a slightly flatter
// exponential than the drawn saturation curve, used only to place states).
double rhCurveRatio(int k, double T);

// The relative humidity (%) the curves give a point at dry bulb T and
// height y: between the two curves that bracket it, in proportion, as the
// states are placed between them; below the 10 % curve on the blend
// towards 0.5 % at the bottom edge. Above the 100 % row it exceeds 100.
double rhAtPoint(const clsGraph& g, double T, double y);

// Label of relative-humidity curve k, printed at step T = labelT.
struct RhLabel {
    const char* text;
    int labelT;    // F
    double dx;     // move right from the previous curve point
    bool belowTop; // y becomes the top edge less 0.15
};
const std::array<RhLabel, 10>& rhLabels(); // index 1..9

// One wet-bulb line's lower end: either the dry bulb where it reaches W = 0
// (bottom edge) or the humidity ratio where it crosses 120 F (right edge).
struct WetBulbLineDef {
    const char* label;
    bool endsOnBottom;
    double E;
};
const std::array<WetBulbLineDef, 12>& wetBulbLines(); // index 1..11

struct SpVolLineDef {
    const char* label;
    float x1, y1, x2, y2;
};
const std::array<SpVolLineDef, 6>& specificVolumeLines(); // index 1..5

// The reference-line tables the property functions read: the saturation
// points and wet-bulb lines (with the dry-bulb grid's points), and the
// specific-volume lines, exactly where the chart draws them.
void fillLineTables(ChartState& s);

// The outdoor, supply and return positions read off the relative-humidity
// curves, and the heights of every curve at each state's temperature.
// Outdoor temperatures are rounded to whole degrees (halves to even);
// supply and return temperatures must be whole degrees 35..120 exactly.
// A state whose temperature matches no step keeps its previous x, gets
// y = 0 and sets InterpFailed; so does a relative humidity above 100.
void placeStates(ChartState& s, double supplyT, double returnT);

} // namespace psychro
