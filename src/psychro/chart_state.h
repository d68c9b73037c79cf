#pragma once

#include "moist_air.h"

#include <array>

// The state the recompute writes, the sheet reads and the chart is drawn
// from: plot bounds, reference-line tables, state positions, working
// inputs. Plain structs owned by the Session and passed by reference.
namespace psychro {

// Graph settings: public fields only. The plot area is the square (2,2) to
// (12,12) inside a 0..14 user coordinate field on both surfaces.
struct clsGraph {
    float sngMaxXValue = 0;
    float sngMinXValue = 0;
    float sngNameBoxXValue = 0; // set, never read
    float sngMaxYValue = 0;
    float sngMinYValue = 0;
    float sngNameBoxYValue = 0; // set, never read
    float MaxXScale = 0;
    float MinXScale = 0;
    float MaxYScale = 0;
    float MinYScale = 0;
    // Declared by the settings class but read or written by nothing.
    float sngTextAreaY = 0, sngTextAreaX = 0, QMax = 0, QMin = 0, HMax = 0, HMin = 0;
    float Num_of_Major_X = 0, Num_of_Minor_X = 0, Num_of_Major_Y = 0, Num_of_Minor_Y = 0;
    float ManualQMax = 0, ManualHMax = 0, ManualNum_of_Major_X = 0, ManualNum_of_Minor_X = 0;
    float ManualNum_of_Major_Y = 0, ManualNum_of_Minor_Y = 0;
};

// Reference lines laid down by the chart drawing; the property functions
// interpolate between them. Index 0 is never used.
struct LineTables {
    // Wet-bulb lines 1..11 (grid points 1..18 in WBX1/WBY1).
    std::array<double, 19> WBX1{};
    std::array<double, 19> WBY1{};
    std::array<double, 19> WBX2{};
    std::array<double, 19> WBY2{};
    std::array<float, 19> WBValue{};
    // Specific-volume lines 1..5, highest volume first.
    std::array<float, 6> SpVolX1{};
    std::array<float, 6> SpVolY1{};
    std::array<float, 6> SpVolX2{};
    std::array<float, 6> SpVolY2{};
    std::array<float, 6> SpVolValue{};
};

// Chart positions of the four air states. A position that a redraw cannot
// set keeps its previous value, so these persist between redraws.
struct StatePositions {
    float outdoorx = 0, outdoorY = 0;
    float returnX = 0, returnY = 0;
    float supplyX = 0, supplyY = 0;
    float mixedX = 0, mixedY = 0;
    float XmixedAirOffet = 0, YmixedAirOffet = 0;
};

// Working values the input handlers store and the drawing reads.
struct WorkingInputs {
    float gTemperature = 0; // outdoor dry bulb, F
    float gORH = 0;         // outdoor relative humidity, %
    float gSRH = 0;         // supply relative humidity, %
    float gRRH = 0;         // return relative humidity, %
    float gAirRate = 0;     // fresh-air fraction 0..1
    float gDewPoint = 0;    // last live outdoor dew point, F
};

// How the sheet is computed: read off the chart's tables (the default), or
// by the ASHRAE Handbook's equations at a chosen pressure.
enum class Method { ChartTables, Ashrae };

// The chart the ASHRAE equations draw: dry bulb across, humidity ratio up,
// at one pressure, in IP or SI, over a range that takes every state shown
// (see air_chart.h).
struct AirChart {
    moist::Units units = moist::Units::IP;
    double pressure = 14.696;     // psia or kPa
    double tMin = 20, tMax = 120; // dry bulb across the plot area, F or C
    double wMax = 0.030;          // humidity ratio at its top edge, lb/lb or kg/kg
    bool operator==(const AirChart&) const = default;
};

// Everything one recompute reads and writes besides the sheet texts; the
// chart is drawn from it afterwards and changes none of it.
struct ChartState {
    Method method = Method::ChartTables;
    AirChart air; // with the ASHRAE method
    clsGraph objMyGraph;
    LineTables tables;
    StatePositions pos;
    WorkingInputs in;
    bool mixedPlaced = false; // the last recompute could build the mixed point
    bool InterpFailed = false;
    // The coil line's ADP on the saturation curve, when the sheet shows one.
    bool coilAdpShown = false;
    double coilAdpT = 0, coilAdpW = 0;
    // View option: draw the coil line's extension and the ADP.
    bool showCoilLine = false;
};

} // namespace psychro
