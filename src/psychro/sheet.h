#pragma once

#include "chart_state.h"

#include <QString>

#include <array>
#include <limits>

// The state sheet as texts: the fields are the sheet's state record, and
// later steps read earlier results back as displayed.
namespace psychro {

// Every text field of the sheet, named as its control.
enum class Field {
    txtOutdoorTemp,
    txtReturnTemp,
    txtSupplyTemp,
    txtMixedTemp,
    txtOutdoorRH,
    txtReturnRH,
    txtSupplyRH,
    txtMixedRH,
    txtOutdoorDew,
    txtReturnDew,
    txtSupplyDew,
    txtMixedDew,
    txtOutDoorWetBulb,
    txtReturnWetBulb,
    txtSupplyWetBulb,
    txtMixedWetBulb,
    txtOutdoorRatio,
    txtReturnRatio,
    txtSupplyRatio,
    txtMixedRatio,
    txtOutdoorEnthalpy,
    txtReturnEnthalpy,
    txtSupplyEnthalpy,
    txtMixedEnthalpy,
    txtOutdoorSpVol,
    txtReturnSpVol,
    txtSupplySpVol,
    txtMixedSpVol,
    txtOutdoorFlow,
    txtReturnFlow,
    txtSupplyFlow,
    txtMixedFlow,
    txtOutdoorMass,
    txtReturnMass,
    txtSupplyMass,
    txtMixedMass,
    txtLoad,
    txtCondensate,
    txtFreshMix,
    txtCoilSensible,
    txtCoilLatent,
    txtCoilTotal,
    txtCoilSHR,
    txtCoilADP,
    txtCoilBypass,
    txtRoomSensible,
    txtRoomLatent,
    txtRoomTotal,
    txtRoomSHR,
    Count
};
constexpr int FieldCount = int(Field::Count);

// Control name of a field ("txtOutdoorTemp").
const char* fieldName(Field f);
// The field a control name stands for; Field::Count when none.
Field fieldByName(const QString& name);

// Rows of the sheet in display order: caption, what the row holds and its
// unit as a user reads them, and the four state columns (OUTDOOR, RETURN,
// SUPPLY, MIXED AIR).
struct SheetRow {
    const char* caption;
    const char* what;
    const char* unit;
    std::array<Field, 4> fields;
};
// The rows of the chart tables' sheet (IP), as it has always shown them.
const std::array<SheetRow, 9>& sheetRows();
// The rows of a method's sheet in a unit system: the chart tables' own, or
// the equations' with every unit in its caption.
const std::array<SheetRow, 9>& sheetRows(Method method, moist::Units units);

// The captions and units of the results beside the rows.
struct ResultUnits {
    const char* load;       // "Cooling Load (BTU/hr)"
    const char* condensate; // "Condensate (GPM)"
    const char* loadUnit;   // of the coil and room split: "BTU/hr"
    const char* adp;        // "Coil ADP (F)"
    const char* degree;     // "F"
};
const ResultUnits& resultUnits(moist::Units units);

// The fields the user types, in the order a design applies them: outdoor,
// return and supply (dry bulb, then RH), the flow, the fresh-air share.
const std::array<Field, 8>& inputFields();

// The fields hidden when a value cannot be read off the chart.
const std::array<Field, 25>& warningFields();

struct Sheet {
    std::array<QString, FieldCount> text;
    // The ASHRAE method's numbers behind the texts, at full precision in
    // the unit system's base units (see the JSON sheet); NaN where a field
    // has none or the chart tables compute it.
    std::array<double, FieldCount> value;
    // Why a field the sheet left empty is empty, for the user ("supply not
    // below mixed air"); empty where the field is not empty or needs no
    // reason.
    std::array<QString, FieldCount> emptyWhy;
    bool warning = false; // the warning picture is shown, the 25 fields hidden

    QString& operator[](Field f) { return text[size_t(f)]; }
    const QString& operator[](Field f) const { return text[size_t(f)]; }
    // What a field shows: with the warning, the fields it hides and the
    // load show nothing.
    QString shown(Field f) const;
    Sheet() { value.fill(std::numeric_limits<double>::quiet_NaN()); }
};

// Fills every derived field from the state positions, the typed texts,
// the fresh-air fraction and InterpFailed, in the sheet's fixed order.
void RunConversions(Sheet& sheet, ChartState& s);

// The air flows of both methods: the mixed flow is the supply's text, the
// outdoor flow the share of it rounded to a whole number, the return flow
// what that leaves.
void writeFlows(Sheet& sheet, double share);

} // namespace psychro
