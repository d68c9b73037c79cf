// The program without its window, driven through the Session's event
// procedures as the window drives them (texts typed and left, cities, the
// slider, the feed switch) and read back through the sheet, the working
// values, the redraw count and the signals.
#include "model/design.h"
#include "model/design_document.h"
#include "model/readout.h"
#include "model/session.h"
#include "model/weather_export.h"
#include "psychro/chart_geometry.h"

#include <QDir>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using model::Session;
using psychro::Field;
Q_DECLARE_METATYPE(psychro::Field)

namespace {

Field field(const QString& name) {
    return psychro::fieldByName(QLatin1String("txt") + name);
}

QStringList columns(const QString& row) {
    return row.split(u' ', Qt::SkipEmptyParts);
}

// A session as the window opens it: no feed, the built-in settings.
struct Started : Session {
    Started() { startUp(); }
};

// One keystroke after another over a selected text: each prefix of keys is
// the field's text in turn. Returns the redraws they caused.
int typed(Session& s, Field f, const QString& keys) {
    const int before = s.redrawCount();
    for (qsizetype i = 1; i <= keys.size(); ++i)
        s.changeText(f, keys.left(i));
    return s.redrawCount() - before;
}

int left(Session& s, Field f) {
    const int before = s.redrawCount();
    s.leaveField(f);
    return s.redrawCount() - before;
}

// The working value a field's procedures store; "-" for a field without one.
QString working(const Session& s, Field f) {
    const psychro::WorkingInputs& in = s.chart().in;
    const std::pair<Field, float> values[] = {{Field::txtOutdoorTemp, in.gTemperature},
                                              {Field::txtOutdoorRH, in.gORH},
                                              {Field::txtReturnRH, in.gRRH},
                                              {Field::txtSupplyRH, in.gSRH},
                                              {Field::txtFreshMix, in.gAirRate}};
    for (const auto& [g, v] : values)
        if (g == f)
            return QString::number(v);
    return QStringLiteral("-");
}

// "Name=text ...": the fields that show something else, and every text
// that shows a non-number.
QString differences(const Session& s, const QString& expected) {
    QStringList bad;
    for (const QString& pair : columns(expected)) {
        const QString name = pair.section(u'=', 0, 0), want = pair.section(u'=', 1);
        const Field f = field(name);
        if (f == Field::Count || s.text(f) != want)
            bad << name + " shows '" + (f == Field::Count ? "?" : s.text(f)) + "', not " + want;
    }
    for (const QString& t : s.sheet().text)
        if (t.contains(QLatin1String("nan"), Qt::CaseInsensitive) ||
            t.contains(QLatin1String("inf"), Qt::CaseInsensitive))
            bad << "a field shows " + t;
    return bad.join(QLatin1String("; "));
}

// A station that answers at once, but holds the first fetch of a refresh
// open while whileHeld runs: what a slow station does, without the clock.
struct HeldFeed : model::FeedSource {
    int fetches = 0;
    std::function<void()> whileHeld;
    bool addresses(const model::FeedSettings&, model::FeedAddresses& out, QString*) override {
        out = {QStringLiteral("c"), QStringLiteral("d")};
        return true;
    }
    bool fetch(const QString&, QByteArray& body, QString*) override {
        if (++fetches == 1 && whileHeld)
            whileHeld();
        body = "document";
        return true;
    }
    bool readCurrent(const QByteArray&, QList<model::CurrentReading>& r, QString*) override {
        r = {{model::CurrentElement::TempF, QStringLiteral("70")}};
        return true;
    }
    bool readHistory(const QByteArray&, model::ObservationHistory&, QString*) override {
        return true;
    }
};

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void startUp();
    void goldenSheets_data();
    void goldenSheets();
    void typedAndLeft_data();
    void typedAndLeft();
    void storedValuesReachARedrawStartedElsewhere();
    void cities_data();
    void cities();
    void slider_data();
    void slider();
    void liveWithoutAFeed();
    void manualTimerAndRereading();
    void refreshesDoNotNest();
    void designFiles_data();
    void designFiles();
    void readout();
    void ashraeSheets_data();
    void ashraeSheets();
    void unitsRoundTrip();
    void weatherYearFollowsTheDesign();
};

// The chart read at a point, with the sheet's routines: at the return
// point what the sheet shows; above the saturation curve (59.7 F, .02809
// lb/lb) only the point itself; outside the plot area nothing.
void TestSession::readout() {
    Started s;
    const psychro::StatePositions& p = s.chart().pos;
    const QString r = model::readout(s.chart(), p.returnX, p.returnY);
    QVERIFY2(r.contains("Dry bulb 75.0 °F    Humidity ratio .01118 lb/lb    RH 60 %    "
                        "Dew point 61 °F    Wet bulb 66 °F"),
             qPrintable(r));
    const QString wet = model::readout(s.chart(), 2 + 10 * 24.7 / 85, 2 + 10 * 0.02809 / 0.03);
    QVERIFY2(wet.endsWith("above saturation") && !wet.contains("Dew point"), qPrintable(wet));
    // Half way between the 10 % curve and the bottom edge at 5.25 %.
    const double y1 = 2 + 10 * psychro::rhCurveRatio(1, 75) / 0.03;
    QVERIFY(model::readout(s.chart(), p.returnX, (2 + y1) / 2).contains("RH 5 %"));
    QCOMPARE(model::readout(s.chart(), 1.9, 7), QString());
    QVERIFY(!s.chart().InterpFailed);
    // The equations' chart reads in its own mapping and units: the return
    // point (23.89 C, 60 %) at 1,600 m holds 13.54 g/kg.
    s.chooseUnits(psychro::moist::Units::SI);
    QCOMPARE(s.setPressure({true, 1600}), QString());
    const QString si = model::readout(s.chart(), p.returnX, p.returnY);
    QVERIFY2(si.startsWith("Dry bulb 23.9 °C    Humidity ratio 13.54 g/kg    RH 60 %"),
             qPrintable(si));
}

// Start-up writes the Manual Entry row's 95 and 51 (a redraw each), leaves
// the share field (a redraw), switches to manual entry (a redraw) and
// redraws once more.
void TestSession::startUp() {
    Session s;
    QSignalSpy redraws(&s, &Session::recomputed), shares(&s, &Session::shareChanged);
    s.startUp();
    QVERIFY(s.redrawCount() == 5 && redraws.count() == 5);
    QCOMPARE(shares.count(), 1);
    const psychro::WorkingInputs& in = s.chart().in;
    QVERIFY(in.gTemperature == 95 && in.gORH == 51 && in.gRRH == 60 && in.gSRH == 99);
    QCOMPARE(s.freshAirShare(), 0.25f);
    QVERIFY(!s.sliderEnabled() && !s.liveFeed() && !s.liveView() && !s.warning());
    QVERIFY(s.operation() == 0 && s.cityRow() == 0);
}

void TestSession::goldenSheets_data() {
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<QString>("expected");
    // Worked by hand from the chart's lines and the sheet's formulas: e.g.
    // return enthalpy 0.24 x 75 + .01118 x (1061.2 + 0.444 x 75) = 30.24,
    // mixed (19665 x 30.24 + 6263 x 42.87) / 25928 = 33.29, load
    // 6000 x 4.5 x (33.29 - 25.99) = 197,100.
    QTest::newRow("start-up")
        << "" << false
        << "OutdoorTemp=95 OutdoorRH=51 ReturnTemp=75 ReturnRH=60 SupplyTemp=60 SupplyRH=99 "
           "FreshMix=25 MixedTemp=80 MixedRH=58 OutdoorRatio=.01819 ReturnRatio=.01118 "
           "SupplyRatio=.01065 MixedRatio=.01293 OutdoorDew=74 ReturnDew=61 SupplyDew=60 "
           "MixedDew=65 OutDoorWetBulb=79 ReturnWetBulb=66 SupplyWetBulb=60 MixedWetBulb=69 "
           "OutdoorSpVol=14.37 ReturnSpVol=13.73 SupplySpVol=13.38 MixedSpVol=13.89 "
           "OutdoorEnthalpy=42.87 ReturnEnthalpy=30.24 SupplyEnthalpy=25.99 MixedEnthalpy=33.29 "
           "OutdoorFlow=1500 ReturnFlow=4500 MixedFlow=6000 OutdoorMass=6263 ReturnMass=19665 "
           "SupplyMass=26906 MixedMass=25928 Load=197,100 Condensate=0.12 "
           // Coil: h(80, .01065) = 19.2 + .01065 x 1096.72 = 30.880; sensible
           // 27000 x (30.880 - 25.99) = 132,032. The coil line .000114 /F
           // crosses the 59-60 F chord (.010400-.010787) at 59.50 F; BF
           // .50 / 20.50. Room: h(75, .01065) = 29.656, 27000 x 3.666 = 98,993.
           "CoilSensible=132,032 CoilLatent=65,068 CoilSHR=0.67 CoilADP=59.5 CoilBypass=0.02 "
           "RoomSensible=98,993 RoomLatent=15,757 RoomTotal=114,750 RoomSHR=0.86";
    // No fresh air: the mixed air is the return air, character for character,
    // even with no outdoor mass (120 F is above the 15.0 volume line).
    QTest::newRow("no fresh air")
        << "OutdoorTemp=120 FreshMix=0" << true
        << "MixedTemp=75 MixedRatio=.01118 MixedEnthalpy=30.24 ReturnMass=26220 MixedMass=26220 "
           "OutdoorFlow=0 ReturnFlow=6000 OutdoorMass= MixedRH=60 Load=114,750 Condensate=0.03";
    // 1999.8 CFM shows as 2000; the return flow is what the shown one leaves.
    QTest::newRow("a third") << "FreshMix=33.33" << false
                             << "OutdoorFlow=2000 ReturnFlow=4000 MixedTemp=82 OutdoorMass=8351 "
                                "ReturnMass=17480 MixedMass=25831 Load=224,910 MixedRH=57";
    QTest::newRow("flow with decimals")
        << "SupplyFlow=6000.50" << false
        << "MixedFlow=6000.50 OutdoorFlow=1500 ReturnFlow=4500.5 SupplyMass=26908 Load=197,116";
    // Supply warmer than the mixed air: the same formula gives a negative load.
    QTest::newRow("heating")
        << "OutdoorTemp=40 OutdoorRH=50 ReturnTemp=72 ReturnRH=40 SupplyTemp=95 SupplyRH=20"
        << false
        << "MixedTemp=64 OutdoorRatio=.00269 ReturnRatio=.00660 SupplyRatio=.00705 "
           "OutdoorEnthalpy=12.50 ReturnEnthalpy=24.49 SupplyEnthalpy=30.58 MixedEnthalpy=21.36 "
           "OutdoorDew=31 ReturnDew=46 SupplyDew=48 MixedDew=42 OutDoorWetBulb=33 "
           "ReturnWetBulb=57 SupplyWetBulb=66 MixedWetBulb=52 Load=-248,940 Condensate=-0.08 "
           // h(64, .00705) = 23.042 and h(72, .00705) = 24.987; no ADP above
           // the mixed air, and no SHR of a load that is not cooling.
           "CoilSensible=-203,532 CoilLatent=-45,408 CoilTotal=-248,940 CoilSHR= CoilADP= "
           "CoilBypass= RoomSensible=-151,015 RoomLatent=-13,415 RoomTotal=-164,430 RoomSHR=";
    // Every saturation correction applies at 111 F; from 112 F no mixed RH.
    QTest::newRow("mixed at 111 F") << "OutdoorTemp=111 OutdoorRH=30 FreshMix=100" << false
                                    << "MixedTemp=111 MixedRH=31 ReturnFlow=0 MixedMass=24341";
    QTest::newRow("mixed at 112 F")
        << "OutdoorTemp=112 OutdoorRH=20 FreshMix=100" << false << "MixedTemp=112 MixedRH=";
    // Dew point <= wet bulb <= dry bulb in whole degrees: read off the chart
    // the saturated return's dew point would be 101 F, the dry outdoor air's
    // 29 F over a 27 F wet bulb. The 100 % curve stops at the top edge, so
    // 95 F at 95 % lies below .03564; moister supply air gives condensate < 0.
    QTest::newRow("saturated return")
        << "ReturnTemp=88 ReturnRH=100 SupplyTemp=95 SupplyRH=95 SupplyFlow=60000" << false
        << "ReturnRatio=.02979 ReturnDew=88 ReturnWetBulb=88 SupplyRatio=.03141 Condensate=-2.44";
    // Placed on the 100 % curve, just under the drawn one: the coil line
    // .0001105 /F meets the 59-60 F chord at 59.76 F; BF .24 / 20.24.
    QTest::newRow("saturated supply")
        << "SupplyRH=100" << false << "SupplyRatio=.01072 CoilADP=59.8 CoilBypass=0.01";
    QTest::newRow("cold dry outdoor") << "OutdoorTemp=35 OutdoorRH=46" << false
                                      << "OutdoorRatio=.00198 OutdoorDew=27 OutDoorWetBulb=27";
    // The order holds at a difference of one degree too: read off the chart
    // the dew point is 30 over a 29 F wet bulb, the wet bulb 111 at 110 F.
    QTest::newRow("dew point a degree over the wet bulb")
        << "OutdoorTemp=35 OutdoorRH=56" << false << "OutdoorDew=29 OutDoorWetBulb=29";
    QTest::newRow("wet bulb a degree over the dry bulb")
        << "OutdoorTemp=110 OutdoorRH=90" << true << "OutDoorWetBulb=110 OutdoorDew=110";
    // Placed at 72 F (halves to even); 73 F would read .00861.
    QTest::newRow("half a degree")
        << "OutdoorTemp=72.5 OutdoorRH=50" << false << "OutdoorRatio=.00832";
    QTest::newRow("above the chart")
        << "OutdoorTemp=125" << true << "CoilSensible= CoilSHR= RoomTotal= RoomSHR=";
    // A dry state is placed on the blend below the 10 % curve even off the
    // chart; its values would come off the tables' extensions: the warning.
    QTest::newRow("dry, on the right edge") << "OutdoorTemp=120 OutdoorRH=5" << false << "";
    QTest::newRow("dry, just beyond it") << "OutdoorTemp=120.5 OutdoorRH=5" << true << "";
    QTest::newRow("dry, far beyond it") << "OutdoorTemp=200 OutdoorRH=1" << true << "CoilSHR=";
    // Mixed and supply enthalpies close together: no SHR of 0 to 1 exists.
    QTest::newRow("supply near the mixed air")
        << "SupplyTemp=78 SupplyRH=70" << false << "CoilSHR= RoomSHR=";
    QTest::newRow("dry mixed air")
        << "OutdoorTemp=105 OutdoorRH=5 FreshMix=100" << false << "MixedTemp=105 MixedRH=05";
    // Left of the chart the outdoor point drops below W = 0: no mixed RH.
    QTest::newRow("below the chart") << "OutdoorTemp=-10 OutdoorRH=37 FreshMix=100" << true
                                     << "MixedTemp=35 MixedRatio=-.00600 MixedRH=";
}

void TestSession::goldenSheets() {
    QFETCH(QString, inputs);
    QFETCH(bool, warning);
    QFETCH(QString, expected);
    Started s;
    for (const QString& pair : columns(inputs)) {
        const Field f = field(pair.section(u'=', 0, 0));
        s.changeText(f, pair.section(u'=', 1));
        s.leaveField(f);
    }
    QCOMPARE(s.warning(), warning);
    const QString diff = differences(s, expected);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestSession::typedAndLeft_data() {
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("keys"); // typed one after another
    QTest::addColumn<int>("redrawsTyping");
    QTest::addColumn<QString>("typedValue"); // the working value then; "-" none
    QTest::addColumn<QString>("textLeft");   // the text after leaving
    QTest::addColumn<int>("redrawsLeaving");
    QTest::addColumn<QString>("leftValue");
    QTest::addColumn<bool>("warning");
    using F = Field;
    auto row = [](const char* name, F f, const char* keys, int rt, const char* vt, const char* left,
                  int rl, const char* vl, bool warning = false) {
        QTest::newRow(name) << f << keys << rt << vt << left << rl << vl << warning;
    };
    // Outdoor RH redraws strictly between 1 and 100 and holds 100 as 99;
    // leaving rewrites it into 1..100, and the rewrite's change runs first.
    row("outdoor RH 150 set to 100, held as 99", F::txtOutdoorRH, "150", 1, "150", "100", 2, "99");
    row("outdoor RH 100.5 set to 100", F::txtOutdoorRH, "100.5", 3, "100.5", "100", 2, "99");
    row("outdoor RH 0.5 set to 1", F::txtOutdoorRH, "0.5", 0, "0.5", "1", 1, "1");
    row("outdoor RH 0.99 set to 1", F::txtOutdoorRH, "0.99", 0, "0.99", "1", 1, "1");
    row("outdoor RH 1.01 redraws", F::txtOutdoorRH, "1.01", 1, "1.01", "1.01", 1, "1.01");
    row("outdoor RH 100 held as 99", F::txtOutdoorRH, "100", 2, "99", "100", 1, "99");
    // Return and supply RH redraw above 0 up to 100 and keep 100.
    row("return RH 0 set to 1", F::txtReturnRH, "0", 0, "0", "1", 2, "1");
    row("return RH 100 kept", F::txtReturnRH, "100", 3, "100", "100", 1, "100");
    row("return RH 100.01 set to 100", F::txtReturnRH, "100.01", 5, "100.01", "100", 2, "100");
    row("supply RH 250 set to 100", F::txtSupplyRH, "250", 2, "250", "100", 2, "100");
    // The share changes above 0 up to 100 only; leaving clamps to 0..100.
    row("share -3 set to 0", F::txtFreshMix, "-3", 0, "0.25", "0", 1, "0");
    row("share -0.1 set to 0", F::txtFreshMix, "-0.1", 0, "0.25", "0", 1, "0");
    row("share 150 set to 100", F::txtFreshMix, "150", 2, "0.15", "100", 2, "1");
    row("share 100.1 set to 100", F::txtFreshMix, "100.1", 4, "1", "100", 2, "1");
    // Temperatures redraw on every keystroke and not when left.
    row("letters for a temperature", F::txtOutdoorTemp, "abc", 3, "0", "abc", 0, "0", true);
    row("half a degree of supply", F::txtSupplyTemp, "55.5", 4, "-", "55.5", 0, "-", true);
    // The flow waits to be left; a grouped flow is then written plainly.
    row("grouped flow", F::txtSupplyFlow, "6,000", 0, "-", "6000", 1, "-");
    row("flow with decimals", F::txtSupplyFlow, "6000.5", 0, "-", "6000.5", 1, "-");
}

void TestSession::typedAndLeft() {
    QFETCH(Field, field);
    QFETCH(QString, keys);
    QFETCH(int, redrawsTyping);
    QFETCH(QString, typedValue);
    QFETCH(QString, textLeft);
    QFETCH(int, redrawsLeaving);
    QFETCH(QString, leftValue);
    QFETCH(bool, warning);
    Started s;
    QCOMPARE(typed(s, field, keys), redrawsTyping);
    QCOMPARE(s.text(field), keys);
    QCOMPARE(working(s, field), typedValue);
    QCOMPARE(left(s, field), redrawsLeaving);
    QCOMPARE(s.text(field), textLeft);
    QCOMPARE(working(s, field), leftValue);
    QCOMPARE(s.warning(), warning);
    QCOMPARE(s.text(Field::txtMixedFlow), field == Field::txtSupplyFlow ? textLeft : "6000");
}

// What is typed is stored at once; a redraw started by another field uses
// it, until leaving the field corrects it: an RH out of range warns, a
// grouped flow reads 6 for the flows and gives no load rather than 6000's.
void TestSession::storedValuesReachARedrawStartedElsewhere() {
    Started s;
    QCOMPARE(typed(s, Field::txtReturnRH, "150") + typed(s, Field::txtSupplyFlow, "6,000"), 2);
    QVERIFY(!s.warning());
    s.changeText(Field::txtSupplyTemp, "060");
    QVERIFY(s.warning());
    const QString diff = differences(s, "MixedFlow=6,000 OutdoorFlow=2 ReturnFlow=4 Load=");
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(left(s, Field::txtReturnRH), 2);
    QVERIFY(!s.warning());
}

void TestSession::cities_data() {
    QTest::addColumn<bool>("heating");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("point"); // outdoor dry bulb and RH the city gives
    QTest::addColumn<int>("redraws");   // one for each outdoor field that changes
    QTest::addColumn<QString>("other"); // the other operation's point, the switch takes
    auto city = [](const char* name, bool heating, int row, const char* point, int redraws,
                   const char* other) {
        QTest::newRow(name) << heating << row << point << redraws << other;
    };
    city("Denver cooling", false, 32, "95 27", 1, "-10 37");
    city("Denver heating", true, 32, "-10 37", 2, "95 27");
    city("Yuma cooling, the last row", false, 99, "110 31", 2, "30 37");
    city("Yuma heating", true, 99, "30 37", 2, "110 31");
    city("Omaha's summer of 65 F", false, 65, "65 51", 1, "-10 68");
    city("Albany heating", true, 1, "-10 63", 2, "93 52");
    city("Houston heating", true, 44, "20 66", 2, "95 58");
    city("Manual Entry heating", true, 0, "25 80", 0, "95 51");
}

void TestSession::cities() {
    QFETCH(bool, heating);
    QFETCH(int, row);
    QFETCH(QString, point);
    QFETCH(int, redraws);
    QFETCH(QString, other);
    Started s;
    if (heating)
        s.chooseOperation(1);
    QSignalSpy chosen(&s, &Session::cityChanged);
    int before = s.redrawCount();
    s.chooseCity(row);
    QCOMPARE(s.redrawCount() - before, redraws);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(s.text(Field::txtOutdoorTemp) + ' ' + s.text(Field::txtOutdoorRH), point);
    QCOMPARE(working(s, Field::txtOutdoorTemp) + ' ' + working(s, Field::txtOutdoorRH), point);
    before = s.redrawCount();
    s.chooseOperation(heating ? 0 : 1);
    QCOMPARE(s.redrawCount() - before, 3);
    QCOMPARE(s.text(Field::txtOutdoorTemp) + ' ' + s.text(Field::txtOutdoorRH), other);
    QVERIFY(s.cityRow() == row && s.operation() == (heating ? 0 : 1));
}

void TestSession::slider_data() {
    QTest::addColumn<double>("pointer"); // X in twips over a 3270 twip track, 165 twip knob
    QTest::addColumn<QString>("shown");
    QTest::addColumn<float>("share");
    QTest::addColumn<int>("redraws"); // and share signals
    QTest::addColumn<QString>("outdoorFlow");
    // At the left end "0.0" is ignored by the field: one redraw only.
    QTest::newRow("left end") << 0.0 << "0.0" << 0.0f << 1 << "0";
    QTest::newRow("within the knob's half width") << 60.0 << "0.0" << 0.0f << 1 << "0";
    QTest::newRow("centre") << 1635.0 << "50.0" << 0.5f << 2 << "3000";
    QTest::newRow("right end") << 3270.0 << "100.0" << 1.0f << 2 << "6000";
    QTest::newRow("beyond the right end") << 4000.0 << "100.0" << 1.0f << 2 << "6000";
    // 29.48 %, shown 29.5 and snapped to it: 1770 CFM, not 1769.
    QTest::newRow("snapped to a tenth") << 998.0 << "29.5" << 0.295f << 2 << "1770";
}

void TestSession::slider() {
    QFETCH(double, pointer);
    QFETCH(QString, shown);
    QFETCH(float, share);
    QFETCH(int, redraws);
    QFETCH(QString, outdoorFlow);
    Started s;
    s.moveSlider(pointer, 3270, 165); // locked: nothing happens
    QCOMPARE(s.redrawCount(), 5);
    QCOMPARE(s.freshAirShare(), 0.25f);
    s.toggleSliderLock();
    QSignalSpy shares(&s, &Session::shareChanged);
    s.moveSlider(pointer, 3270, 165);
    QCOMPARE(s.redrawCount() - 5, redraws);
    QCOMPARE(shares.count(), redraws);
    QCOMPARE(s.text(Field::txtFreshMix), shown);
    QCOMPARE(s.freshAirShare(), share);
    QCOMPARE(s.text(Field::txtOutdoorFlow), outdoorFlow);
    s.toggleSliderLock(); // locked again
    s.moveSlider(1635 - pointer, 3270, 165);
    QCOMPARE(s.redrawCount() - 5, redraws);
}

// Without a feed the switch to live fails once, loudly, after the outdoor
// fields took row 0 of the current mode.
void TestSession::liveWithoutAFeed() {
    Started s;
    s.chooseOperation(1);
    s.chooseCity(32); // heating in Denver: -10 / 37
    QSignalSpy messages(&s, &Session::message);
    QString outdoorAtMessage;
    connect(&s, &Session::message, this, [&] {
        outdoorAtMessage = s.text(Field::txtOutdoorTemp) + '/' + s.text(Field::txtOutdoorRH);
        if (messages.count() == 1)
            s.Timer1_Timer(); // a tick while the message is open: no second one
    });
    const int before = s.redrawCount();
    s.chooseLive(0);
    QCOMPARE(messages.count(), 1);
    QVERIFY(messages[0][0].toString().startsWith("Failed to Load Data\n"));
    QCOMPARE(outdoorAtMessage, "25/80");
    QCOMPARE(s.redrawCount() - before, 4);
    QVERIFY(s.cityRow() == 0 && s.liveFeed() && s.liveView() && !s.refreshing());
    QVERIFY(!s.lastFeedFailure().isEmpty());
    // One message an outage; the status says since when.
    s.Timer1_Timer();
    QCOMPARE(messages.count(), 1);
    QVERIFY(s.feedStatus().startsWith("station unreachable since "));
    s.chooseLive(1);
    QVERIFY(!s.liveFeed() && !s.liveView() && s.feedStatus().isEmpty());
    QCOMPARE(s.redrawCount() - before, 6);
    QCOMPARE(messages.count(), 1);
    s.chooseLive(0); // a new look at the station
    QCOMPARE(messages.count(), 2);
}

// In manual entry the refresh tick only redraws; the switch to manual
// entry re-reads the fields as shown, an outdoor 100 % as 100.
void TestSession::manualTimerAndRereading() {
    Started s;
    QSignalSpy messages(&s, &Session::message), refreshes(&s, &Session::refreshingChanged);
    s.Timer1_Timer();
    QCOMPARE(s.redrawCount(), 6);
    QCOMPARE(messages.count() + refreshes.count(), 0);
    QVERIFY(s.lastFeedFailure().isEmpty());
    typed(s, Field::txtOutdoorRH, "100");
    QCOMPARE(s.chart().in.gORH, 99.f);
    s.chooseLive(1);
    QCOMPARE(s.chart().in.gORH, 100.f);
    QVERIFY(!s.warning());
}

// Ticks and edited settings while a refresh waits for the station are
// dropped, not nested inside it; the settings cannot change under it.
void TestSession::refreshesDoNotNest() {
    HeldFeed feed;
    Session s(&feed);
    s.startUp();
    bool refreshingMeanwhile = false;
    feed.whileHeld = [&] {
        refreshingMeanwhile = s.refreshing();
        s.Timer1_Timer();
        s.settingsEdited();
    };
    s.chooseLive(0);
    QVERIFY(refreshingMeanwhile && !s.refreshing());
    QCOMPARE(feed.fetches, 2); // the one refresh's two documents
    QCOMPARE(s.text(Field::txtOutdoorTemp), QStringLiteral("70"));
    s.Timer1_Timer(); // afterwards a tick refreshes again
    QCOMPARE(feed.fetches, 4);
}

static QByteArray design(const char* body) {
    return QByteArray(R"({"format": "quorvel-design", "version": 1)") + body + '}';
}

void TestSession::designFiles_data() {
    QTest::addColumn<QByteArray>("bytes"); // "dir": a directory; "unreadable": a file denied
    QTest::addColumn<QString>("expected"); // "Name=text ..." once opened, or the reason
    QTest::newRow("every field, kept keys") << design(R"(, "txtOutdoorTemp": "88",
        "txtOutdoorRH": "40", "txtReturnTemp": "74", "txtReturnRH": "52", "txtSupplyTemp": "56",
        "txtSupplyRH": "93", "txtSupplyFlow": "8000", "txtFreshMix": "30", "locked": false,
        "future": [1, {"a": null}], "title": {"project": "Zürich — 3", "airHandler": "AHU-3",
        "engineer": "Ōno", "date": "2024-05-01", "notes": "1\n2\r\n\t", "stamp": "kept"})")
                                            << "OutdoorTemp=88 ReturnRH=52 SupplyFlow=8000 "
                                               "OutdoorFlow=2400 ReturnFlow=5600 MixedTemp=78";
    QTest::newRow("heating, city row")
        << design(R"(, "operation": "heating", "cityRow": 32, "txtReturnTemp": "70")")
        << "OutdoorTemp=-10 OutdoorRH=37 ReturnTemp=70";
    // 35 C, 40 % at 1,600 m (83.523 kPa): W = 0.621945 x 2.25113 / 81.272.
    QTest::newRow("the equations in SI")
        << design(R"(, "method": "ashrae", "units": "SI", "altitude": 1600,
                  "txtOutdoorTemp": "35", "txtOutdoorRH": "40")")
        << "OutdoorTemp=35 OutdoorRatio=17.23";
    QTest::newRow("SI tables") << design(R"(, "units": "SI")") << "in IP units only";
    QTest::newRow("two pressures")
        << design(R"(, "altitude": 0, "pressure": 14.7)") << "both an altitude and a pressure";
    QTest::newRow("in orbit") << design(R"(, "method": "ashrae", "pressure": 0.1)")
                              << "the pressure must be 4 to 16 psia";
    QTest::newRow("RH as typed") << design(R"(, "txtReturnRH": "250", "cityRow": 0)")
                                 << "ReturnRH=100";
    QTest::newRow("not JSON") << QByteArray("quorvel") << "not JSON (";
    QTest::newRow("truncated") << design(R"(, "title": {"notes": "a")").chopped(4) << "not JSON (";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\xff", 10) << "not JSON (";
    QTest::newRow("other format") << QByteArray(R"({"format": "x", "version": 1})") << "format";
    QTest::newRow("newer") << QByteArray(R"({"format": "quorvel-design", "version": 2})")
                           << "made by a newer version: design version 2";
    QTest::newRow("number input") << design(R"(, "txtOutdoorRH": 50)")
                                  << "the OUTDOOR relative humidity is not text";
    QTest::newRow("locked as text") << design(R"(, "locked": "yes")") << "the slider's lock";
    QTest::newRow("city row 100") << design(R"(, "cityRow": 100)")
                                  << "the design city's row 100 is outside";
    QTest::newRow("2 MiB") << design(QByteArray(2 << 20, ' ').constData()) << "larger than";
    QTest::newRow("directory") << QByteArray("dir") << "not a regular file";
    QTest::newRow("unreadable") << QByteArray("unreadable") << "cannot read '";
}

// A design file opens as typing would, reads back from the Session as it
// was written; a damaged one is refused with a reason naming the file.
void TestSession::designFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("d.qpsy"));
    QFile f(path);
    QVERIFY(bytes == "dir" ? QDir(dir.path()).mkdir(QStringLiteral("d.qpsy"))
                           : f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    f.close();
    // Root reads any file; the kernel still refuses this one.
    if (bytes == "unreadable" &&
        (!f.setPermissions(QFileDevice::WriteOwner) || f.open(QIODevice::ReadOnly)))
        path = QStringLiteral("/proc/self/mem");
    model::Design d;
    QString error;
    const bool good = expected.contains(u'=');
    QVERIFY2(model::readDesignFile(path, &d, &error) == good &&
                 (good || (error.contains(expected) && error.contains(path))),
             qPrintable(error));
    if (!good)
        return;
    // Every key is written back as read, unknown ones too; a city row of 0 is none.
    const QJsonObject in = QJsonDocument::fromJson(bytes).object();
    const QJsonObject out = QJsonDocument::fromJson(model::designToJson(d)).object();
    for (const QString& k : in.keys())
        QVERIFY2(out.value(k) == in.value(k) || in.value(k) == QJsonValue(0), qPrintable(k));

    Started opened;
    opened.chooseLive(0); // a design leaves the live feed
    model::applyDesign(opened, d);
    QCOMPARE(differences(opened, expected), QString());
    // Read back: the same design, with the inputs as shown.
    model::Design want = d;
    want.inputs = model::designOf(opened).inputs;
    QVERIFY(model::designOf(opened) == want && !opened.liveFeed());
}

void TestSession::ashraeSheets_data() {
    QTest::addColumn<double>("altitude"); // ft
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QList<double>>("values"); // mixed t and W, load, ADP
    // Typed: outdoor 95 F 40 %, return 75 F 50 %, supply 55 F 90 %, 10000
    // CFM, 20 % fresh air. At 14.696 psia the saturation pressures (over
    // water) are 0.816246, 0.430075 and 0.214101 psia; W = 0.621945 pw /
    // (p - pw) gives 0.0141316, 0.0092357 and 0.0082631; h = 0.240 t +
    // W (1061 + 0.444 t) gives 38.3897, 28.1066 and 22.1690. Mixed by dry-air
    // mass: W = 0.2 x 0.0141316 + 0.8 x 0.0092357 = 0.0102149, h = 30.1632,
    // t = (h - 1061 W) / (0.240 + 0.444 W) = 79.0284. The supply's v =
    // 0.370486 x 514.67 x (1 + 1.607858 W) / p = 13.1472, so 600000 / v =
    // 45637.1 lb/h carries a load of 45637.1 x (30.1632 - 22.1690) = 364833;
    // sensible 45637.1 x (h(79.0284, 0.0082631) - 22.1690) = 267204;
    // condensate 45637.1 x 0.0019518 = 89.07 lb/h, 0.18 GPM. The line from
    // mixed through supply meets saturation at 51.073 F: BF = 3.927 / 27.955.
    QTest::newRow("sea level") << 0.0
                               << "OutdoorRatio=.01413 OutDoorWetBulb=75 OutdoorDew=67 "
                                  "MixedTemp=79 MixedEnthalpy=30.16 SupplyMass=45637 "
                                  "OutdoorMass=8391 Load=364,833 CoilSensible=267,204 "
                                  "CoilLatent=97,629 Condensate=0.18 CoilADP=51.1 "
                                  "CoilBypass=0.14 CoilSHR=0.73 RoomSHR=0.82"
                               << QList{79.0284, 0.0102149, 364833.0, 51.073};
    // p = 14.696 (1 - 6.8754e-6 x 5280)^5.2559 = 12.1002 psia. The same
    // vapour pressures give W = 0.0172472, 0.0112528, 0.0100645 (22 % up),
    // h = 41.8268, 30.3139, 24.1242; mixed W = 0.0124516, h = 32.6165, t =
    // 79.0347; v supply = 16.0132, 37469.1 lb/h, load 318199; the wet bulbs
    // fall (74.05 F outdoor), the dew points stay.
    QTest::newRow("5,280 ft") << 5280.0
                              << "OutdoorRatio=.01725 OutDoorWetBulb=74 OutdoorDew=67 "
                                 "MixedTemp=79 MixedEnthalpy=32.62 SupplyMass=37469 "
                                 "Load=318,199 CoilADP=51.1 CoilSHR=0.69 RoomSHR=0.79"
                              << QList{79.0347, 0.0124516, 318199.0, 51.071};
}

// The equations' sheet, worked by hand, through the Session's procedures.
void TestSession::ashraeSheets() {
    QFETCH(double, altitude);
    QFETCH(QString, expected);
    QFETCH(QList<double>, values);
    Started s;
    s.chooseMethod(psychro::Method::Ashrae);
    QCOMPARE(s.setPressure({true, altitude}), QString());
    for (const auto& [f, text] : {std::pair{Field::txtOutdoorTemp, "95"},
                                  {Field::txtOutdoorRH, "40"},
                                  {Field::txtReturnTemp, "75"},
                                  {Field::txtReturnRH, "50"},
                                  {Field::txtSupplyTemp, "55"},
                                  {Field::txtSupplyRH, "90"},
                                  {Field::txtSupplyFlow, "10000"},
                                  {Field::txtFreshMix, "20"}}) {
        s.changeText(f, QLatin1String(text));
        s.leaveField(f);
    }
    QCOMPARE(differences(s, expected), QString());
    QVERIFY(!s.warning());
    const auto& v = s.sheet().value;
    QVERIFY(std::abs(v[size_t(Field::txtMixedTemp)] - values[0]) < 0.001);
    QVERIFY(std::abs(v[size_t(Field::txtMixedRatio)] - values[1]) < 1e-7);
    QVERIFY(std::abs(v[size_t(Field::txtLoad)] - values[2]) < 1);
    QVERIFY(std::abs(v[size_t(Field::txtCoilADP)] - values[3]) < 0.01);
}

// SI and back: the inputs are converted so that the air stays the same, a
// field switched back untouched shows what it showed, and a design saved
// in SI opens as it was.
void TestSession::unitsRoundTrip() {
    using psychro::moist::Units;
    Started s;
    s.changeText(Field::txtFreshMix, QStringLiteral("33"));
    QCOMPARE(s.setPressure({true, 5280}), QString());
    QVERIFY(s.method() == psychro::Method::ChartTables); // the pressure waits for the equations
    const psychro::Sheet ip = (s.chooseMethod(psychro::Method::Ashrae), s.sheet());
    s.chooseUnits(Units::SI);
    QVERIFY(s.method() == psychro::Method::Ashrae);
    QCOMPARE(differences(s, "OutdoorTemp=35 ReturnTemp=23.89 SupplyTemp=15.56 "
                            "SupplyFlow=2831.68 FreshMix=33"),
             QString());
    QVERIFY(std::abs(s.pressureSetting().value - 1609.344) < 1e-9);
    // The SI formula's constants agree with the IP ones to 0.0003 kPa.
    QVERIFY(std::abs(s.pressure() - 12.1002448 * psychro::moist::KpaPerPsia) < 1e-3);
    // W is the same number in lb/lb and kg/kg (to the 0.01 C the inputs are
    // converted to: 0.03 % for 60 F air); a Btu/h is 0.29307107 W.
    for (Field f : {Field::txtOutdoorRatio, Field::txtMixedRatio, Field::txtSupplyRatio})
        QVERIFY(std::abs(s.sheet().value[size_t(f)] / ip.value[size_t(f)] - 1) < 5e-4);
    QVERIFY(std::abs(s.sheet().value[size_t(Field::txtLoad)] /
                         (ip.value[size_t(Field::txtLoad)] * 0.29307107) -
                     1) < 1e-3);

    // Saved in SI, opened in a Session showing IP.
    model::Design d;
    QString error;
    QVERIFY2(model::designFromJson(model::designToJson(model::designOf(s)), &d, &error),
             qPrintable(error));
    Started opened;
    model::applyDesign(opened, d);
    QVERIFY(opened.units() == Units::SI && opened.pressureSetting() == s.pressureSetting());
    QCOMPARE(opened.sheet().text, s.sheet().text);

    s.chooseUnits(Units::IP);
    QCOMPARE(s.sheet().text, ip.text);
    // The tables are IP only; an edited field is converted anew.
    s.chooseUnits(Units::SI);
    s.changeText(Field::txtSupplyFlow, QStringLiteral("1000"));
    s.chooseMethod(psychro::Method::ChartTables);
    QVERIFY(s.units() == Units::IP);
    QCOMPARE(s.text(Field::txtSupplyFlow), QStringLiteral("2118.88"));
    QCOMPARE(s.text(Field::txtOutdoorTemp), QStringLiteral("95"));

    // The IP span's edges (30000 ft is 9144 m, 16 psia 110.32 kPa) lie past
    // the SI one's round figures; switched there, a design still opens.
    for (const model::PressureSetting edge : {model::PressureSetting{true, 30000}, {true, -1000},
                                              {false, 16}, {false, 4}}) {
        Started e;
        QCOMPARE(e.setPressure(edge), QString());
        e.chooseUnits(Units::SI);
        QVERIFY2(model::designFromJson(model::designToJson(model::designOf(e)), &d, &error),
                 qPrintable(error));
        QVERIFY(d.pressure == e.pressureSetting() && d.pressure.value != edge.value);
    }
    for (const model::PressureSetting past : {model::PressureSetting{true, 9145}, {true, -305},
                                              {false, 110.33}, {false, 27.57}})
        QVERIFY(!model::pressureProblem(Units::SI, past).isEmpty());
}

// A weather year runs the design the Session shows, again at every change
// that matters to it; a design file names it beside itself and opens it
// again, and opens without it when it is gone.
void TestSession::weatherYearFollowsTheDesign() {
    QTemporaryDir dir;
    QFile epw(dir.filePath(QStringLiteral("w.epw")));
    QVERIFY(epw.open(QIODevice::WriteOnly));
    // Two summer hours, 95 F with a 71.6 F dew point, at 201 m.
    epw.write("LOCATION,Test,IL,USA,TMY3,725300,41.98,-87.92,-6.0,201.0\nDESIGN CONDITIONS,0\n"
              "TYPICAL/EXTREME PERIODS,0\nGROUND TEMPERATURES,0\nHOLIDAYS/DAYLIGHT SAVINGS,No\n"
              "COMMENTS 1,\nCOMMENTS 2,\nDATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n"
              "1999,7,15,14,60,?9,35,22,999,99000,0\n1999,7,15,15,60,?9,35,22,999,99000,0\n");
    epw.close();
    Started s;
    model::WeatherStudy& w = s.weather();
    QString error;
    QVERIFY2(w.open(epw.fileName(), &error), qPrintable(error));
    const double at25 = w.result().year.coolingBtu;
    QVERIFY(at25 > 0 && w.result().hoursRead == 2);
    QSignalSpy changed(&w, &model::WeatherStudy::changed);
    typed(s, Field::txtFreshMix, QStringLiteral("50"));
    QVERIFY(changed.size() == 2 && w.result().year.coolingBtu > at25);
    typed(s, Field::txtOutdoorTemp, QStringLiteral("80")); // the year has its own outdoor air
    QCOMPARE(changed.size(), 2);
    s.chooseCity(32); // Denver: 95 F, two hours at it, none above
    QCOMPARE(w.result().hoursAboveDesign, std::optional<int>(0));
    QVERIFY(model::weatherYearRows(s).contains(
        QStringList{QStringLiteral("Above design"), QStringLiteral("0 hours above 95.0 F")}));

    model::DesignDocument doc(s);
    // The title's mark follows what the file keeps: the economizer and the
    // method.
    QSignalSpy docChanged(&doc, &model::DesignDocument::changed);
    w.setEconomizer(climate::Economizer::Enthalpy);
    QVERIFY(doc.hasUnsavedChanges() && !docChanged.isEmpty());
    docChanged.clear();
    s.chooseMethod(s.method() == psychro::Method::Ashrae ? psychro::Method::ChartTables
                                                          : psychro::Method::Ashrae);
    QVERIFY(!docChanged.isEmpty());
    s.chooseMethod(s.method() == psychro::Method::Ashrae ? psychro::Method::ChartTables
                                                          : psychro::Method::Ashrae);
    QVERIFY2(doc.saveAs(dir.filePath(QStringLiteral("a.qpsy")), &error), qPrintable(error));
    QFile saved(dir.filePath(QStringLiteral("a.qpsy")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray json = saved.readAll();
    QVERIFY(json.contains("\"weatherYear\": \"w.epw\"") && json.contains("\"enthalpy\""));
    Started other;
    QStringList messages;
    connect(&other, &Session::message, this, [&](const QString& m) { messages << m; });
    model::DesignDocument otherDoc(other);
    QVERIFY(otherDoc.open(saved.fileName(), &error));
    QVERIFY(other.weather().path() == w.path() &&
            other.weather().economizer() == climate::Economizer::Enthalpy &&
            other.weather().result().year.coolingBtu == w.result().year.coolingBtu);
    // Gone: the design opens, says so, and runs no year; New closes one.
    QVERIFY(QFile::remove(epw.fileName()));
    Started third;
    connect(&third, &Session::message, this, [&](const QString& m) { messages << m; });
    model::DesignDocument thirdDoc(third);
    QVERIFY(thirdDoc.open(saved.fileName(), &error) && !third.weather().isOpen());
    QVERIFY(messages.size() == 1 && messages[0].contains(QStringLiteral("w.epw")));
    otherDoc.newDesign();
    QVERIFY(!other.weather().isOpen() && messages.size() == 1);
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
