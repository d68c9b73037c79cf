#include "sheet.h"

#include "chart_geometry.h"
#include "coil.h"
#include "numconv.h"
#include "properties.h"
#include "units.h"

#include <algorithm>
#include <cmath>

namespace psychro {

namespace {

const std::array<const char*, FieldCount> Names = {
    "txtOutdoorTemp",    "txtReturnTemp",     "txtSupplyTemp",
    "txtMixedTemp",      "txtOutdoorRH",      "txtReturnRH",
    "txtSupplyRH",       "txtMixedRH",        "txtOutdoorDew",
    "txtReturnDew",      "txtSupplyDew",      "txtMixedDew",
    "txtOutDoorWetBulb", "txtReturnWetBulb",  "txtSupplyWetBulb",
    "txtMixedWetBulb",   "txtOutdoorRatio",   "txtReturnRatio",
    "txtSupplyRatio",    "txtMixedRatio",     "txtOutdoorEnthalpy",
    "txtReturnEnthalpy", "txtSupplyEnthalpy", "txtMixedEnthalpy",
    "txtOutdoorSpVol",   "txtReturnSpVol",    "txtSupplySpVol",
    "txtMixedSpVol",     "txtOutdoorFlow",    "txtReturnFlow",
    "txtSupplyFlow",     "txtMixedFlow",      "txtOutdoorMass",
    "txtReturnMass",     "txtSupplyMass",     "txtMixedMass",
    "txtLoad",           "txtCondensate",     "txtFreshMix",
    "txtCoilSensible",   "txtCoilLatent",     "txtCoilTotal",
    "txtCoilSHR",        "txtCoilADP",        "txtCoilBypass",
    "txtRoomSensible",   "txtRoomLatent",     "txtRoomTotal",
    "txtRoomSHR",
};

// Downward corrections of the mixed air's saturation ratio: each threshold
// (F) the mixed temperature exceeds takes its amount (lb/lb) off.
struct Correction {
    double above;
    double amount;
};
constexpr std::array<Correction, 14> SaturationCorrections = {{
    {80, 0.0005},
    {85, 0.001},
    {90, 0.001},
    {95, 0.001},
    {97, 0.001},
    {100, 0.001},
    {102, 0.001},
    {104, 0.001},
    {105, 0.001},
    {106, 0.001},
    {107, 0.001},
    {108, 0.001},
    {109, 0.001},
    {110, 0.001},
}};

} // namespace

QString Sheet::shown(Field f) const {
    const auto& hidden = warningFields();
    if (warning &&
        (f == Field::txtLoad || std::find(hidden.begin(), hidden.end(), f) != hidden.end()))
        return QString();
    return text[size_t(f)];
}

const char* fieldName(Field f) {
    return Names[size_t(f)];
}

Field fieldByName(const QString& name) {
    for (int i = 0; i < FieldCount; ++i)
        if (name == QLatin1String(Names[size_t(i)]))
            return Field(i);
    return Field::Count;
}

namespace {

using F = Field;
constexpr std::array<Field, 4> Temp = {F::txtOutdoorTemp, F::txtReturnTemp, F::txtSupplyTemp,
                                       F::txtMixedTemp};
constexpr std::array<Field, 4> Rh = {F::txtOutdoorRH, F::txtReturnRH, F::txtSupplyRH,
                                     F::txtMixedRH};
constexpr std::array<Field, 4> Dew = {F::txtOutdoorDew, F::txtReturnDew, F::txtSupplyDew,
                                      F::txtMixedDew};
constexpr std::array<Field, 4> Wet = {F::txtOutDoorWetBulb, F::txtReturnWetBulb,
                                      F::txtSupplyWetBulb, F::txtMixedWetBulb};
constexpr std::array<Field, 4> Ratio = {F::txtOutdoorRatio, F::txtReturnRatio, F::txtSupplyRatio,
                                        F::txtMixedRatio};
constexpr std::array<Field, 4> Enthalpy = {F::txtOutdoorEnthalpy, F::txtReturnEnthalpy,
                                           F::txtSupplyEnthalpy, F::txtMixedEnthalpy};
constexpr std::array<Field, 4> Volume = {F::txtOutdoorSpVol, F::txtReturnSpVol, F::txtSupplySpVol,
                                         F::txtMixedSpVol};
constexpr std::array<Field, 4> Flow = {F::txtOutdoorFlow, F::txtReturnFlow, F::txtSupplyFlow,
                                       F::txtMixedFlow};
constexpr std::array<Field, 4> Mass = {F::txtOutdoorMass, F::txtReturnMass, F::txtSupplyMass,
                                       F::txtMixedMass};

constexpr std::array<SheetRow, 9> ChartRows = {{
    {"Temperature (F)", "dry bulb", "°F", Temp},
    {"Rel Humidity %", "relative humidity", "%", Rh},
    {"Dew Point (F)", "dew point", "°F", Dew},
    {"Wet Bulb (F)", "wet bulb", "°F", Wet},
    {"Humidity Ratio", "humidity ratio", "lb water / lb dry air", Ratio},
    {"Enthalpy (BTU/lb)", "enthalpy", "BTU / lb dry air", Enthalpy},
    {"Specific Volume", "specific volume", "cu ft / lb dry air", Volume},
    {"Air Flow (CFM)", "air flow", "CFM (cu ft / min)", Flow},
    {"Mass (#m/hr)", "mass flow", "lb / hr", Mass},
}};

constexpr std::array<SheetRow, 9> AshraeIpRows = {{
    {"Temperature (F)", "dry bulb", "°F", Temp},
    {"Rel Humidity %", "relative humidity", "%", Rh},
    {"Dew Point (F)", "dew point", "°F", Dew},
    {"Wet Bulb (F)", "wet bulb", "°F", Wet},
    {"Humidity Ratio (lb/lb)", "humidity ratio", "lb water / lb dry air", Ratio},
    {"Enthalpy (BTU/lb)", "enthalpy", "BTU / lb dry air", Enthalpy},
    {"Specific Volume (cu ft/lb)", "specific volume", "cu ft / lb dry air", Volume},
    {"Air Flow (CFM)", "air flow", "CFM (cu ft / min)", Flow},
    {"Mass (#m/hr)", "mass flow", "lb / hr", Mass},
}};

constexpr std::array<SheetRow, 9> AshraeSiRows = {{
    {"Temperature (C)", "dry bulb", "°C", Temp},
    {"Rel Humidity %", "relative humidity", "%", Rh},
    {"Dew Point (C)", "dew point", "°C", Dew},
    {"Wet Bulb (C)", "wet bulb", "°C", Wet},
    {"Humidity Ratio (g/kg)", "humidity ratio", "g water / kg dry air", Ratio},
    {"Enthalpy (kJ/kg)", "enthalpy", "kJ / kg dry air", Enthalpy},
    {"Specific Volume (m3/kg)", "specific volume", "m³ / kg dry air", Volume},
    {"Air Flow (L/s)", "air flow", "L/s", Flow},
    {"Mass (kg/h)", "mass flow", "kg / h", Mass},
}};

} // namespace

const std::array<SheetRow, 9>& sheetRows() {
    return ChartRows;
}

const std::array<SheetRow, 9>& sheetRows(Method method, moist::Units units) {
    if (method == Method::ChartTables)
        return ChartRows;
    return units == moist::Units::SI ? AshraeSiRows : AshraeIpRows;
}

const ResultUnits& resultUnits(moist::Units units) {
    static constexpr ResultUnits Ip = {"Cooling Load (BTU/hr)", "Condensate (GPM)", "BTU/hr",
                                       "Coil ADP (F)", "F"};
    static constexpr ResultUnits Si = {"Cooling Load (kW)", "Condensate (L/h)", "kW",
                                       "Coil ADP (C)", "C"};
    return units == moist::Units::SI ? Si : Ip;
}

const std::array<Field, 8>& inputFields() {
    using F = Field;
    static constexpr std::array<Field, 8> fields = {
        F::txtOutdoorTemp, F::txtOutdoorRH, F::txtReturnTemp, F::txtReturnRH,
        F::txtSupplyTemp,  F::txtSupplyRH,  F::txtSupplyFlow, F::txtFreshMix};
    return fields;
}

const std::array<Field, 25>& warningFields() {
    using F = Field;
    static const std::array<Field, 25> fields = {{
        F::txtOutdoorMass,     F::txtMixedMass,     F::txtReturnMass,     F::txtSupplyMass,
        F::txtOutdoorRatio,    F::txtMixedRatio,    F::txtReturnRatio,    F::txtSupplyRatio,
        F::txtOutDoorWetBulb,  F::txtMixedWetBulb,  F::txtReturnWetBulb,  F::txtSupplyWetBulb,
        F::txtOutdoorEnthalpy, F::txtMixedEnthalpy, F::txtReturnEnthalpy, F::txtSupplyEnthalpy,
        F::txtOutdoorDew,      F::txtMixedDew,      F::txtReturnDew,      F::txtSupplyDew,
        F::txtOutdoorSpVol,    F::txtMixedSpVol,    F::txtReturnSpVol,    F::txtSupplySpVol,
        F::txtCondensate,
    }};
    return fields;
}

namespace {

// Read off the chart by interpolation, the dew point and the wet bulb can
// come out above what the state's own dry bulb allows (far beyond the
// dew-point table, or low on the chart). Air keeps dew point <= wet bulb
// <= dry bulb, compared in the whole degrees displayed.
void keepOrder(Sheet& sh, Field temp, Field wetBulb, Field dew) {
    if (sh[temp].isEmpty()) // no mixed point: nothing to compare with
        return;
    const double dry = std::round(LeadingNumber(sh[temp])); // halves away from zero, as "#0"
    if (!sh[wetBulb].isEmpty() && LeadingNumber(sh[wetBulb]) > dry)
        sh[wetBulb] = FormatNumber(dry, QStringLiteral("#0"));
    if (!sh[wetBulb].isEmpty() && !sh[dew].isEmpty() &&
        LeadingNumber(sh[dew]) > LeadingNumber(sh[wetBulb]))
        sh[dew] = FormatNumber(LeadingNumber(sh[wetBulb]), QStringLiteral("##0"));
}

// Beyond the chart's dry bulbs, or below W = 0, the values would be read
// off the tables' extensions: the sheet has none to show.
bool offTheChart(const Sheet& sh, const ChartState& s) {
    using F = Field;
    auto off = [](double T) { return !(T >= ChartMinTemp && T <= ChartMaxTemp); };
    bool outside = off(s.in.gTemperature) || off(LeadingNumber(sh[F::txtReturnTemp])) ||
                   off(LeadingNumber(sh[F::txtSupplyTemp])) ||
                   (!sh[F::txtMixedTemp].isEmpty() && off(LeadingNumber(sh[F::txtMixedTemp])));
    for (F ratio : {F::txtOutdoorRatio, F::txtReturnRatio, F::txtSupplyRatio, F::txtMixedRatio})
        outside = outside || LeadingNumber(sh[ratio]) < 0;
    return outside;
}

} // namespace

void writeFlows(Sheet& sh, double share) {
    sh[F::txtMixedFlow] = sh[F::txtSupplyFlow];
    const double flow = LeadingNumber(sh[F::txtMixedFlow]);
    sh[F::txtOutdoorFlow] = FormatNumber(share * flow, QStringLiteral("#0"));
    sh[F::txtReturnFlow] = NumText(flow - LeadingNumber(sh[F::txtOutdoorFlow]));
}

// One routine kept whole: the sheet's twelve steps in their fixed order.
void RunConversions(Sheet& sh, ChartState& s) {
    using F = Field;
    const StatePositions& p = s.pos;
    const LineTables& t = s.tables;
    bool& failed = s.InterpFailed;

    // 1. Humidity ratios.
    CalcHumidity(p.outdoorY, sh[F::txtOutdoorRatio], s.objMyGraph);
    CalcHumidity(p.supplyY, sh[F::txtSupplyRatio], s.objMyGraph);
    CalcHumidity(p.returnY, sh[F::txtReturnRatio], s.objMyGraph);
    CalcHumidity(p.mixedY, sh[F::txtMixedRatio], s.objMyGraph);
    // 2. Dew points.
    CalcDewPoint(p.outdoorY, sh[F::txtOutdoorDew], t, failed);
    CalcDewPoint(p.supplyY, sh[F::txtSupplyDew], t, failed);
    CalcDewPoint(p.returnY, sh[F::txtReturnDew], t, failed);
    CalcDewPoint(p.mixedY, sh[F::txtMixedDew], t, failed);
    // 3. Wet bulbs.
    CalcWetBulb(p.outdoorx, p.outdoorY, sh[F::txtOutDoorWetBulb], t, failed);
    CalcWetBulb(p.returnX, p.returnY, sh[F::txtReturnWetBulb], t, failed);
    CalcWetBulb(p.supplyX, p.supplyY, sh[F::txtSupplyWetBulb], t, failed);
    CalcWetBulb(p.mixedX, p.mixedY, sh[F::txtMixedWetBulb], t, failed);
    keepOrder(sh, F::txtOutdoorTemp, F::txtOutDoorWetBulb, F::txtOutdoorDew);
    keepOrder(sh, F::txtReturnTemp, F::txtReturnWetBulb, F::txtReturnDew);
    keepOrder(sh, F::txtSupplyTemp, F::txtSupplyWetBulb, F::txtSupplyDew);
    keepOrder(sh, F::txtMixedTemp, F::txtMixedWetBulb, F::txtMixedDew);
    // 4. Specific volumes.
    CalcSpVol(p.outdoorx, p.outdoorY, sh[F::txtOutdoorSpVol], t, failed);
    CalcSpVol(p.returnX, p.returnY, sh[F::txtReturnSpVol], t, failed);
    CalcSpVol(p.supplyX, p.supplyY, sh[F::txtSupplySpVol], t, failed);
    CalcSpVol(p.mixedX, p.mixedY, sh[F::txtMixedSpVol], t, failed);
    // 5. Enthalpies from the temperature as typed and the ratio as displayed.
    auto enthalpy = [&](F temp, F ratio, F out) {
        CalcEnthalpy(ToSingle(LeadingNumber(sh[temp])), ToSingle(LeadingNumber(sh[ratio])),
                     sh[out]);
    };
    enthalpy(F::txtOutdoorTemp, F::txtOutdoorRatio, F::txtOutdoorEnthalpy);
    enthalpy(F::txtReturnTemp, F::txtReturnRatio, F::txtReturnEnthalpy);
    enthalpy(F::txtSupplyTemp, F::txtSupplyRatio, F::txtSupplyEnthalpy);

    // 6. Air flows: the return flow is what the rounded outdoor flow leaves.
    writeFlows(sh, double(s.in.gAirRate));

    // 7. Masses (lb/hr) from flow (cu ft/min) over specific volume.
    auto mass = [&](F flowField, F volume, F out) {
        const double v = LeadingNumber(sh[volume]);
        sh[out] = v > 0 ? FormatNumber(LeadingNumber(sh[flowField]) * 60 / v, QStringLiteral("#0"))
                        : QString();
    };
    mass(F::txtSupplyFlow, F::txtSupplySpVol, F::txtSupplyMass);
    mass(F::txtReturnFlow, F::txtReturnSpVol, F::txtReturnMass);
    mass(F::txtOutdoorFlow, F::txtOutdoorSpVol, F::txtOutdoorMass);

    // 8. Mixed enthalpy: the mass-weighted mean of return and outdoor air.
    if (s.in.gAirRate == 0) {
        sh[F::txtMixedEnthalpy] = sh[F::txtReturnEnthalpy];
        sh[F::txtMixedMass] = sh[F::txtReturnMass];
    } else if (!sh[F::txtOutdoorMass].isEmpty() && !sh[F::txtReturnMass].isEmpty() &&
               !sh[F::txtSupplyMass].isEmpty()) {
        sh[F::txtMixedMass] =
            NumText(LeadingNumber(sh[F::txtOutdoorMass]) + LeadingNumber(sh[F::txtReturnMass]));
        const double hR = LeadingNumber(sh[F::txtReturnEnthalpy]);
        const double mR = LeadingNumber(sh[F::txtReturnMass]);
        const double hO = LeadingNumber(sh[F::txtOutdoorEnthalpy]);
        bool ok = false;
        const double mO = StrictNumber(sh[F::txtOutdoorMass], &ok);
        const double outdoorTerm = LeadingNumber(NumText(mO * hO));
        const double mM = LeadingNumber(sh[F::txtMixedMass]);
        // A zero mixed mass (no supply flow) has no mean enthalpy.
        sh[F::txtMixedEnthalpy] =
            ok && mM != 0 ? FormatNumber((mR * hR + outdoorTerm) / mM, QStringLiteral("##0.00"))
                          : QString();
    } else {
        sh[F::txtMixedEnthalpy] = QString();
        sh[F::txtMixedMass] = QString();
    }

    // 9. Cooling load (BTU/hr); empty when any of its texts is not a number.
    {
        bool okFlow = false, okMixed = false, okSupply = false;
        // The flows above read the leading number: a flow whose whole text
        // reads otherwise ("6,000" before it is left) gives no load rather
        // than one that contradicts them.
        const double cfm = StrictNumber(sh[F::txtSupplyFlow], &okFlow);
        okFlow = okFlow && cfm == LeadingNumber(sh[F::txtSupplyFlow]);
        const double hM = StrictNumber(sh[F::txtMixedEnthalpy], &okMixed);
        const double hS = StrictNumber(sh[F::txtSupplyEnthalpy], &okSupply);
        sh[F::txtLoad] = okFlow && okMixed && okSupply
                             ? FormatNumber(cfm * LoadFactor * (hM - hS), QStringLiteral("#,##0"))
                             : QString();
    }

    // 10. Mixed relative humidity from a saturation ratio fitted to the
    // whole-degree mixed temperature.
    {
        const double tm = LeadingNumber(sh[F::txtMixedTemp]);
        QString rh;
        if (tm > 0 && tm < 112) {
            double Ws = 0.0012 * std::exp(0.0366 * tm);
            for (const Correction& c : SaturationCorrections)
                if (tm > c.above)
                    Ws -= c.amount;
            const double Wm = LeadingNumber(sh[F::txtMixedRatio]);
            const QString r = FormatNumber(Wm / Ws * 100, QStringLiteral("00"));
            if (!(LeadingNumber(r) < 0))
                rh = r;
        }
        sh[F::txtMixedRH] = rh;
    }

    // 11. Condensate (US gal/min): 0.075 lb/cu ft of air, 8.33 lb/gal of water.
    {
        const float c =
            ToSingle(LeadingNumber(sh[F::txtMixedFlow]) * 0.075 *
                     (LeadingNumber(sh[F::txtMixedRatio]) - LeadingNumber(sh[F::txtSupplyRatio])) /
                     LbPerGallon);
        sh[F::txtCondensate] = FormatNumber(c, QStringLiteral("#,##0.00"));
    }

    // 12. Validity display.
    sh.warning = failed || offTheChart(sh, s);
}

} // namespace psychro
