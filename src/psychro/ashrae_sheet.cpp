#include "ashrae_sheet.h"

#include "air_chart.h"
#include "coil.h"
#include "numconv.h"

#include <cmath>

namespace psychro {

namespace {

using F = Field;
using moist::Units;

// One state of the sheet and the fields that show it.
struct Air {
    double t = 0, W = 0, h = 0, v = 0;
    F dew, wet, ratio, enthalpy, volume, flow, mass;
};

// The patterns of a unit system: IP as the chart tables' sheet shows its
// values, SI to the steps an engineer reads them in.
struct Patterns {
    const char *temperature, *dew, *wet, *ratio, *enthalpy, *volume, *load, *adp;
    double ratioScale; // shown W over W: 1 (lb/lb), 1000 (g/kg)
};
const Patterns& patternsOf(Units u) {
    static constexpr Patterns Ip = {"#0",    "##0",   "#0",    ".00000", "##0.00",
                                    "#0.00", "#,##0", "##0.0", 1};
    static constexpr Patterns Si = {"#0.0",  "#0.0",     "#0.0", "#0.00", "#0.0",
                                    "0.000", "#,##0.00", "#0.0", 1000};
    return u == Units::SI ? Si : Ip;
}

class Writer {
public:
    Writer(Sheet& sh, Units u) : m_sh(sh), m_p(patternsOf(u)) {}
    // A value shown in a pattern; its number kept in base units.
    void put(F f, double value, const char* pattern, double base) {
        m_sh[f] =
            std::isfinite(value) ? FormatNumber(value, QString::fromLatin1(pattern)) : QString();
        m_sh.value[size_t(f)] =
            std::isfinite(value) ? base : std::numeric_limits<double>::quiet_NaN();
    }
    void put(F f, double value, const char* pattern) { put(f, value, pattern, value); }
    void state(const Air& a, Units u, double p) {
        put(a.dew, moist::dewPoint(u, a.W, p), m_p.dew);
        put(a.wet, moist::wetBulb(u, a.t, a.W, p), m_p.wet);
        put(a.ratio, a.W * m_p.ratioScale, m_p.ratio, a.W);
        put(a.enthalpy, a.h, m_p.enthalpy);
        put(a.volume, a.v, m_p.volume);
    }
    const Patterns& patterns() const { return m_p; }

private:
    Sheet& m_sh;
    const Patterns& m_p;
};

bool inChart(Units u, const Air& a) {
    return moist::inRange(u, a.t) && std::isfinite(a.W) && a.W >= 0 && std::isfinite(a.h) &&
           std::isfinite(a.v);
}

// The flows as the chart tables' sheet writes them; the supply flow as the
// load reads it, or nothing when its whole text reads otherwise.
double flows(Sheet& sh, double share) {
    writeFlows(sh, share);
    const double flow = LeadingNumber(sh[F::txtMixedFlow]);
    // The flows as shown: CFM or L/s.
    for (F f : {F::txtOutdoorFlow, F::txtReturnFlow, F::txtMixedFlow})
        if (!sh[f].isEmpty())
            sh.value[size_t(f)] = LeadingNumber(sh[f]);
    bool whole = false;
    const double cfm = StrictNumber(sh[F::txtSupplyFlow], &whole);
    return whole && cfm == flow ? flow : std::numeric_limits<double>::quiet_NaN();
}

// Loads, condensate, the coil's and the room's split, ADP and bypass factor.
void loads(Sheet& sh, ChartState& s, const AshraeInputs& in, const Air& m, const Air& r,
           const Air& sup, double massFlow) {
    const Units u = in.units;
    Writer w(sh, u);
    const bool si = u == Units::SI;
    // kg/h x kJ/kg is kJ/h: kW shown, W kept; Btu/h both ways in IP.
    auto load = [&](F f, double kjOrBtu) {
        w.put(f, si ? kjOrBtu / SecondsPerHour : kjOrBtu, w.patterns().load,
              si ? kjOrBtu / SecondsPerHour * 1000 : kjOrBtu);
    };
    const double total = massFlow * (m.h - sup.h);
    const double sensible = massFlow * (moist::enthalpy(u, m.t, sup.W) - sup.h);
    load(F::txtLoad, total);
    load(F::txtCoilSensible, sensible);
    load(F::txtCoilLatent, total - sensible);
    load(F::txtCoilTotal, total);
    const double condensate = massFlow * (m.W - sup.W); // lb/h or kg/h (L/h)
    w.put(F::txtCondensate, si ? condensate : condensate / LbPerGallon / MinutesPerHour, "#,##0.00",
          condensate);
    const double roomTotal = massFlow * (r.h - sup.h);
    const double roomSensible = massFlow * (moist::enthalpy(u, r.t, sup.W) - sup.h);
    load(F::txtRoomSensible, roomSensible);
    load(F::txtRoomLatent, roomTotal - roomSensible);
    load(F::txtRoomTotal, roomTotal);
    showShr(sh, F::txtCoilSHR, sensible, total, in.heating);
    showShr(sh, F::txtRoomSHR, roomSensible, roomTotal, in.heating);
    QString why;
    std::optional<double> adp;
    if (in.heating)
        why = QStringLiteral("no apparatus dew point in heating");
    else if (!(sup.t < m.t && sup.h < m.h))
        why = QStringLiteral("supply not below mixed air");
    else if (adp = moist::apparatusDewPoint(u, m.t, m.W, sup.t, sup.W, in.pressure); !adp)
        why = QStringLiteral("the coil line does not reach saturation");
    if (adp) {
        w.put(F::txtCoilADP, *adp, w.patterns().adp);
        w.put(F::txtCoilBypass, (sup.t - *adp) / (m.t - *adp), "0.00");
        s.coilAdpShown = true;
        s.coilAdpT = *adp;
        s.coilAdpW = moist::saturationRatio(u, *adp, in.pressure);
    }
    sh.emptyWhy[size_t(F::txtCoilADP)] = sh.emptyWhy[size_t(F::txtCoilBypass)] = why;
}

void place(ChartState& s, const Air& o, const Air& r, const Air& sup, const Air& m, Units u,
           double p) {
    const double ts[] = {o.t, r.t, sup.t, m.t}, ws[] = {o.W, r.W, sup.W, m.W};
    s.air = airChartFor(u, p, ts, ws);
    const clsGraph& g = s.objMyGraph;
    auto x = [&](double t) { return ToSingle(xOfDryBulb(g, s.air, t)); };
    auto y = [&](double W) { return ToSingle(yOfRatio(g, s.air, W)); };
    StatePositions& pos = s.pos;
    pos = {x(o.t), y(o.W), x(r.t), y(r.W), x(sup.t), y(sup.W), x(m.t), y(m.W), 0, 0};
    pos.XmixedAirOffet = pos.mixedX - pos.returnX;
    pos.YmixedAirOffet = pos.mixedY - pos.returnY;
    s.mixedPlaced = true;
}

} // namespace

void RunAshraeSheet(Sheet& sh, ChartState& s, const AshraeInputs& in) {
    const Units u = in.units;
    const double p = in.pressure;
    for (int i = 0; i < FieldCount; ++i) {
        sh.value[size_t(i)] = std::numeric_limits<double>::quiet_NaN();
        sh.emptyWhy[size_t(i)].clear();
    }
    for (F f : {F::txtCoilSensible, F::txtCoilLatent, F::txtCoilTotal, F::txtCoilSHR, F::txtCoilADP,
                F::txtCoilBypass, F::txtRoomSensible, F::txtRoomLatent, F::txtRoomTotal,
                F::txtRoomSHR, F::txtLoad, F::txtCondensate})
        sh[f].clear();
    s.coilAdpShown = false;
    s.InterpFailed = false;
    auto air = [&](double t, double rh, F dew, F wet, F ratio, F enth, F vol, F flow, F mass) {
        Air a{t,     moist::humidityRatioFromRh(u, t, rh / 100, p),
              0,     0,
              dew,   wet,
              ratio, enth,
              vol,   flow,
              mass};
        a.h = moist::enthalpy(u, t, a.W);
        a.v = moist::specificVolume(u, t, a.W, p);
        return a;
    };
    const Air o =
        air(in.outdoorT, in.outdoorRh, F::txtOutdoorDew, F::txtOutDoorWetBulb, F::txtOutdoorRatio,
            F::txtOutdoorEnthalpy, F::txtOutdoorSpVol, F::txtOutdoorFlow, F::txtOutdoorMass);
    const Air r =
        air(in.returnT, in.returnRh, F::txtReturnDew, F::txtReturnWetBulb, F::txtReturnRatio,
            F::txtReturnEnthalpy, F::txtReturnSpVol, F::txtReturnFlow, F::txtReturnMass);
    const Air sup =
        air(in.supplyT, in.supplyRh, F::txtSupplyDew, F::txtSupplyWetBulb, F::txtSupplyRatio,
            F::txtSupplyEnthalpy, F::txtSupplySpVol, F::txtSupplyFlow, F::txtSupplyMass);
    // Mixed by dry-air mass: W and h in proportion, the dry bulb from both.
    const double f = in.share;
    Air m = {0,
             f * o.W + (1 - f) * r.W,
             f * o.h + (1 - f) * r.h,
             0,
             F::txtMixedDew,
             F::txtMixedWetBulb,
             F::txtMixedRatio,
             F::txtMixedEnthalpy,
             F::txtMixedSpVol,
             F::txtMixedFlow,
             F::txtMixedMass};
    m.t = moist::dryBulb(u, m.h, m.W);
    m.v = moist::specificVolume(u, m.t, m.W, p);

    Writer w(sh, u);
    w.put(F::txtMixedTemp, m.t, w.patterns().temperature);
    w.put(F::txtMixedRH, moist::relativeHumidity(u, m.t, m.W, p) * 100, "00");
    const double flow = flows(sh, f);
    // A state's mass: its flow over its own specific volume, per hour.
    const double perHour = u == Units::SI ? LitreSecondsPerM3Hour : MinutesPerHour;
    for (const Air* a : std::initializer_list<const Air*>{&o, &r, &sup, &m}) {
        w.state(*a, u, p);
        w.put(a->mass, LeadingNumber(sh[a->flow]) * perHour / a->v, "#0");
    }
    sh.warning = !(inChart(u, o) && inChart(u, r) && inChart(u, sup) && inChart(u, m));
    place(s, o, r, sup, m, u, p);
    if (sh.warning || !std::isfinite(flow))
        return;
    // The supply's dry-air mass flow carries the loads.
    loads(sh, s, in, m, r, sup, flow * perHour / sup.v);
}

} // namespace psychro
