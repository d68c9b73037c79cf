#pragma once

#include "chart_state.h"

#include <QString>

// Moist-air properties read back off the chart's own geometry: humidity
// ratio linear in y, dew point along the saturation points, wet bulb and
// specific volume between the drawn reference lines; only the enthalpy is a
// closed formula. Each routine formats its result into the text it is given.
namespace psychro {

// Value at position y1 on the straight line through (x1, x2) and (Z1, z2),
// positions first, values second. Two equal values cannot be interpolated:
// the result is 0 and InterpFailed is set. Two equal positions (or any
// other case without a finite answer) are treated the same way.
float interp(float x1, float x2, float Z1, float z2, float y1, bool& InterpFailed);

// Humidity ratio (lb/lb) at chart height Y_Value, as ".00000".
void CalcHumidity(float Y_Value, QString& xObj, const clsGraph& g);
// Dew point (F) at chart height Y_Value from the saturation points, "##0".
void CalcDewPoint(float Y_Value, QString& xObj, const LineTables& t, bool& InterpFailed);
// Wet bulb (F) between the wet-bulb lines, "#0".
void CalcWetBulb(float x_Value, float Y_Value, QString& xObj, const LineTables& t,
                 bool& InterpFailed);
// Specific volume (cu ft/lb) between the specific-volume lines, "#0.00".
void CalcSpVol(float x_Value, float Y_Value, QString& xObj, const LineTables& t,
               bool& InterpFailed);
// Enthalpy (BTU/lb dry air) of dry bulb T (F) and humidity ratio W, "##0.00".
void CalcEnthalpy(float T, float W, QString& xObj);

// The number before the first blank of inputString, which then loses that
// number and the blank; without a blank it gives 0 and leaves the string.
float Parse(QString& inputString);

} // namespace psychro
