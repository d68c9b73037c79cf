// The reference-line tables the core lays down, the property functions
// that read values back off them, and the geometric edge cases of placing
// the states and the mixed point.
#include "psychro/chart_geometry.h"
#include "psychro/mixing.h"
#include "psychro/properties.h"

#include <QTest>

#include <cmath>

using namespace psychro;

namespace {

// The chart's definition: 35..120 F and 0..0.03 lb/lb across (2,2)-(12,12).
double xOf(double T) {
    return 2 + 10 * (T - 35) / 85;
}
double satY(double T) {
    return 2 + 10 * 0.0012 * std::exp(0.0366 * T) / 0.03;
}
double lineY(double x1, double y1, double x2, double y2, double x) {
    return y1 + (y2 - y1) / (x2 - x1) * (x - x1);
}

ChartState filled() {
    ChartState s;
    setGraphBounds(s.objMyGraph);
    fillLineTables(s);
    return s;
}

} // namespace

class TestProperties : public QObject {
    Q_OBJECT
private slots:
    void closedFormulas();
    void lineTables();
    void readOffTheLines();
    void placementOutsideTheChart();
    void mixedPoint();
};

void TestProperties::closedFormulas() {
    bool failed = false;
    QCOMPARE(interp(4, 50, 5, 55, 4.4f, failed), 52.0f);
    QCOMPARE(interp(4, 50, 5, 55, 6, failed), 60.0f); // beyond the pair
    QVERIFY(!failed);
    QCOMPARE(interp(4, 50, 5, 50, 4.4f, failed), 0.0f); // equal values
    QVERIFY(failed);
    failed = false;
    QCOMPARE(interp(4, 50, 4, 55, 4.4f, failed), 0.0f); // equal positions
    QVERIFY(failed);
    interp(4, 50, 5, 55, 4.4f, failed); // a good call never clears the flag
    QVERIFY(failed);
    QString text;
    CalcHumidity(1, text, filled().objMyGraph); // no clamping below the plot
    QCOMPARE(text, "-.00300");
}

void TestProperties::lineTables() {
    const LineTables t = filled().tables;
    // Wet-bulb lines 35..85 F: upper ends on the saturation curve (the grid
    // from 90 F on reaches the top edge), lower ends on the bottom edge for
    // 35..60 F and on the right edge for 65..85 F.
    // clang-format off
    const double tops[12] = {0, 3.44, 3.729, 4.077, 4.494, 4.994, 5.596, 6.318, 7.185, 8.226,
                             9.476, 10.977};
    const double ends[12] = {0, 4.235, 5.294, 6.471, 7.765, 9.176, 10.647, 2.333, 3.433, 4.8,
                             6.3, 8.333};
    // clang-format on
    for (size_t i = 1; i <= 18; ++i) {
        QVERIFY(qAbs(t.WBX1[i] - xOf(30 + 5.0 * i)) < 1e-9);
        QVERIFY(qAbs(t.WBY1[i] - (i <= 11 ? tops[i] : 12)) < 6e-4);
        if (i > 11) {
            QCOMPARE(t.WBX2[i] + t.WBY2[i] + t.WBValue[i], 0.0);
            continue;
        }
        QVERIFY(qAbs((i <= 6 ? t.WBX2[i] : t.WBY2[i]) - ends[i]) < 6e-4);
        QCOMPARE(i <= 6 ? t.WBY2[i] : t.WBX2[i], i <= 6 ? 2.0 : 12.0);
        QCOMPARE(t.WBValue[i], float(30 + 5 * i));
    }
    // Specific-volume lines, highest volume first.
    // clang-format off
    const float volumes[6][5] = {{0, 0, 0, 0, 0}, {15.0f, 10.65f, 12, 12, 7.45f},
        {14.5f, 8.42f, 12, 11.5f, 2}, {14.0f, 7.16f, 9.01f, 9.15f, 2},
        {13.5f, 5.53f, 6.23f, 6.77f, 2}, {13.0f, 3.76f, 4.39f, 4.48f, 2}};
    // clang-format on
    for (size_t i = 0; i <= 5; ++i)
        QVERIFY(t.SpVolValue[i] == volumes[i][0] && t.SpVolX1[i] == volumes[i][1] &&
                t.SpVolY1[i] == volumes[i][2] && t.SpVolX2[i] == volumes[i][3] &&
                t.SpVolY2[i] == volumes[i][4]);
    QCOMPARE(t.WBX1[0] + t.WBY1[0] + t.WBValue[0], 0.0);
}

// Interpolation between the lines, and the pairs used beyond them, worked
// by hand from the chart's lines: the saturation points of 35 and 80 F lie
// at y 3.4401 and 9.4761.
void TestProperties::readOffTheLines() {
    const LineTables t = filled().tables;
    bool failed = false;
    QString text;
    auto dew = [&](double y) { return CalcDewPoint(float(y), text, t, failed), text; };
    QCOMPARE(dew(satY(62)), "62");
    // Under 35 F along the chord of points 1 and 10: 35 - .9401 x 45 / 6.0360.
    QCOMPARE(dew(2.5), "28");
    QCOMPARE(dew(11.5), "97"); // over 85 F from the origin: 80 x 11.5 / 9.4761
    const double x = 6, y55 = lineY(xOf(55), satY(55), xOf(96), 2, x);
    const double y60 = lineY(xOf(60), satY(60), xOf(108.5), 2, x);
    const double y75 = lineY(xOf(75), satY(75), 12, 4.8, x);
    const double y80 = lineY(xOf(80), satY(80), 12, 2 + 10 * 0.0129 / 0.03, x);
    auto wetBulb = [&](double xAt, double y) {
        return CalcWetBulb(xAt, float(y), text, t, failed), text;
    };
    QCOMPARE(wetBulb(x, (y55 + y60) / 2), "58"); // 57.5, away from zero
    QCOMPARE(wetBulb(x, y75 + 0.25 * (y80 - y75)), "76");
    // Below the 35 F line (y 2.7958 at x 3): 35 x 2.5 / 2.7958 = 31.3.
    QCOMPARE(wetBulb(3, 2.5), "31");
    // Below the 14.5 line: extrapolated from the 14.5 and 15.0 lines (y
    // 19.8571 and 27.6722 at x 6): 14.5 - .5 x 14.1571 / 7.8151 = 13.59.
    CalcSpVol(x, 5.7f, text, t, failed);
    QCOMPARE(text, "13.59");
    // Between them at x 11 (y 7.2219), the 15.0 and 13.0 lines (y 10.8204
    // and -19.6428): 15 - 2 x -3.5985 / -30.4632 = 14.76.
    CalcSpVol(11, 7.2218735f, text, t, failed);
    QCOMPARE(text, "14.76");
    QVERIFY(!failed);
    CalcSpVol(11.9f, 11.9f, text, t, failed);
    QCOMPARE(text, "0.00");
    QVERIFY(failed);
}

void TestProperties::placementOutsideTheChart() {
    ChartState s = filled();
    s.in = {95, 51, 99, 60, 0.25f, 0};
    placeStates(s, 60, 75);
    const StatePositions before = s.pos;
    s.in.gTemperature = 125;  // keeps its x, drops to 0
    placeStates(s, 55.5, 75); // not a whole degree: the same
    QVERIFY(s.InterpFailed && s.pos.outdoorx == before.outdoorx);
    QCOMPARE(s.pos.supplyX, before.supplyX);
    QVERIFY(s.pos.outdoorY == 0 && s.pos.supplyY == 0 && s.pos.returnY == before.returnY);
    s.InterpFailed = false;
    s.in.gTemperature = 20; // colder than the chart: on the left edge
    s.in.gRRH = 150;        // nothing brackets it
    placeStates(s, 60, 75);
    QVERIFY(s.InterpFailed && s.pos.outdoorx == 2 && s.pos.returnY == 0);
    QCOMPARE(s.pos.supplyY, before.supplyY);
}

void TestProperties::mixedPoint() {
    ChartState s = filled();
    StatePositions& p = s.pos;
    p = {float(xOf(45)), 8, float(xOf(75)), 5.7f, 0, 0, 0, 0, 0, 0};
    s.in.gAirRate = 0.4f; // heating: toward the colder outdoor point
    QString mixedT;
    QVERIFY(constructMixedPoint(s, mixedT));
    QCOMPARE(mixedT, "63");
    QVERIFY(qAbs(p.mixedY - (5.7 + 0.4 * 2.3)) < 1e-5 && qAbs(p.YmixedAirOffet - 0.92) < 1e-5);
    s.in.gAirRate = -0.5f; // a negative share is no fresh air
    QVERIFY(constructMixedPoint(s, mixedT));
    QVERIFY(s.in.gAirRate == 0 && mixedT == "75");
    p.outdoorx = p.returnX = 6, p.returnY = 5, p.outdoorY = 9; // vertical: tilted by 1 %
    s.in.gAirRate = 0.5f;
    QVERIFY(constructMixedPoint(s, mixedT));
    QVERIFY(qAbs(p.mixedX - 6.03) < 1e-5 && qAbs(p.mixedY - 7) < 1e-5);
    p.outdoorx = p.returnX = 0; // no horizontal difference: nothing changes
    QVERIFY(!constructMixedPoint(s, mixedT));
    QVERIFY(mixedT == "69" && qAbs(p.mixedX - 6.03) < 1e-5);
}

QTEST_APPLESS_MAIN(TestProperties)
#include "tst_properties.moc"
