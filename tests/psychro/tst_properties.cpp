// The property functions read values back off the chart's reference
// lines; the tables come from drawing the chart as the redraw does.
#include "chart/plots.h"
#include "chart/recording_surface.h"
#include "psychro/chart_geometry.h"
#include "psychro/properties.h"

#include <QTest>

#include <cmath>

using namespace psychro;

namespace {

// Saturation height of the drawn curve at T (F), computed here from the
// chart's definition rather than from the code under test.
double satY(double T) {
    return 2 + 10 * 0.0012 * std::exp(0.0366 * T) / 0.03;
}
double xOf(double T) {
    return 2 + 10 * (T - 35) / 85;
}

ChartState drawnChart() {
    ChartState s;
    setGraphBounds(s.objMyGraph);
    chart::RecordingSurface g;
    g.Scale(0, 14, 14, 0);
    chart::Plot_WetBulb(g, s);
    chart::Plot_SPVol(g, s);
    return s;
}

// y of a line through two ends at x.
double lineY(double x1, double y1, double x2, double y2, double x) {
    const double m = (y2 - y1) / (x2 - x1);
    return y1 - m * x1 + m * x;
}

} // namespace

class TestProperties : public QObject {
    Q_OBJECT
private slots:
    void interpolation();
    void humidityRatioIsLinearInY();
    void enthalpy();
    void parseWalksBlankSeparatedNumbers();
    void dewPointScan();
    void wetBulbScan();
    void specificVolumeScan();
};

void TestProperties::interpolation() {
    bool failed = false;
    QCOMPARE(interp(4, 50, 5, 55, 4.4f, failed), 52.0f);
    QVERIFY(!failed);
    // Extrapolation beyond the pair.
    QCOMPARE(interp(4, 50, 5, 55, 6, failed), 60.0f);
    QVERIFY(!failed);
    QCOMPARE(interp(4, 50, 5, 50, 4.4f, failed), 0.0f);
    QVERIFY(failed);
    // Equal positions with different values: defined, flagged, never a
    // division by zero.
    failed = false;
    QCOMPARE(interp(4, 50, 4, 55, 4.4f, failed), 0.0f);
    QVERIFY(failed);
    // A set flag is never cleared by a later good call.
    interp(4, 50, 5, 55, 4.4f, failed);
    QVERIFY(failed);
}

void TestProperties::humidityRatioIsLinearInY() {
    clsGraph g;
    setGraphBounds(g);
    QString text;
    CalcHumidity(2, text, g);
    QCOMPARE(text, ".00000");
    CalcHumidity(12, text, g);
    QCOMPARE(text, ".03000");
    CalcHumidity(7, text, g);
    QCOMPARE(text, ".01500");
    CalcHumidity(1, text, g); // no clamping below the plot
    QCOMPARE(text, "-.00300");
    CalcHumidity(13, text, g);
    QCOMPARE(text, ".03300");
}

void TestProperties::enthalpy() {
    QString text;
    CalcEnthalpy(75, 0.0112f, text);
    QCOMPARE(text, "30.26");
    CalcEnthalpy(90, 0.0219f, text);
    QCOMPARE(text, "45.72");
    CalcEnthalpy(0, 0, text);
    QCOMPARE(text, "0.00");
}

void TestProperties::parseWalksBlankSeparatedNumbers() {
    QString s = "95 40 ";
    QCOMPARE(Parse(s), 95.0f);
    QCOMPARE(s, "40 ");
    QCOMPARE(Parse(s), 40.0f);
    QCOMPARE(s, "");
    s = "40";
    QCOMPARE(Parse(s), 0.0f);
    QCOMPARE(s, "40");
    s = " 95";
    QCOMPARE(Parse(s), 0.0f);
    QCOMPARE(s, "95");
    s = "-10 63 93 52";
    QCOMPARE(Parse(s), -10.0f);
    QCOMPARE(Parse(s), 63.0f);
    QCOMPARE(Parse(s), 93.0f);
    QCOMPARE(s, "52");
}

void TestProperties::dewPointScan() {
    const ChartState s = drawnChart();
    bool failed = false;
    QString text;
    // Between two saturation points: 62 F lies between the 60 and 65 points.
    CalcDewPoint(float(satY(62)), text, s.tables, failed);
    QCOMPARE(text, "62");
    // Below the 35 F point: the chord from point 1 to point 10 extended.
    const double y = 2.5;
    const double expectedLow = 35 + (y - satY(35)) / ((satY(80) - satY(35)) / (80 - 35));
    CalcDewPoint(float(y), text, s.tables, failed);
    QCOMPARE(text, QString::number(std::lround(expectedLow)));
    QVERIFY(expectedLow < 30); // truly an extrapolation
    // Above the 85 F point: the untouched pair (0, 0) with point 10.
    CalcDewPoint(11.5f, text, s.tables, failed);
    QCOMPARE(text, QString::number(std::lround(80 * 11.5 / satY(80))));
    QVERIFY(!failed);
}

void TestProperties::wetBulbScan() {
    const ChartState s = drawnChart();
    bool failed = false;
    QString text;
    // Line k runs from the saturation point at its temperature to its end
    // E; a point halfway between lines 5 (55 F) and 6 (60 F) at x = 6.
    const double x = 6.0;
    const double y55 = lineY(xOf(55), satY(55), xOf(96), 2, x);
    const double y60 = lineY(xOf(60), satY(60), xOf(108.5), 2, x);
    CalcWetBulb(float(x), float((y55 + y60) / 2), text, s.tables, failed);
    QCOMPARE(text, "58"); // 57.5 rounds away from zero
    // Right-edge lines: 75 F ends at 0.0084 lb/lb on the right edge.
    const double y75 = lineY(xOf(75), satY(75), 12, 2 + 10 * 0.0084 / 0.03, x);
    const double y80 = lineY(xOf(80), satY(80), 12, 2 + 10 * 0.0129 / 0.03, x);
    CalcWetBulb(float(x), float(y75 + 0.25 * (y80 - y75)), text, s.tables, failed);
    QCOMPARE(text, "76");
    // Below line 1: paired with (0, 0), which gives 35 x y / y1.
    const double y35 = lineY(xOf(35), satY(35), xOf(54), 2, 3.0);
    CalcWetBulb(3.0f, 2.5f, text, s.tables, failed);
    QCOMPARE(text, QString::number(std::lround(35 * 2.5 / y35)));
    QVERIFY(!failed);
}

void TestProperties::specificVolumeScan() {
    const ChartState s = drawnChart();
    bool failed = false;
    QString text;
    // Below the 14.5 line: extrapolated from the 14.5 and 15.0 lines, even
    // far below them where a bracketing pair would give about 13.7.
    const double x = 6.706, y = 5.725;
    const double y2 = lineY(8.42, 12.0, 11.5, 2.0, x);
    const double y1 = lineY(10.65, 12.0, 12.0, 7.45, x);
    const double expected = 14.5 + (y - y2) / ((y1 - y2) / (15.0 - 14.5));
    CalcSpVol(float(x), float(y), text, s.tables, failed);
    QCOMPARE(text, QString::number(expected, 'f', 2));
    QVERIFY(!failed);
    // Between the 14.5 and the 15.0 line: the pair is lines 1 and 5.
    const double xb = 11.0,
                 yb = (lineY(8.42, 12.0, 11.5, 2.0, xb) + lineY(10.65, 12.0, 12.0, 7.45, xb)) / 2;
    const double y5 = lineY(3.76, 4.39, 4.48, 2.0, xb), y1b = lineY(10.65, 12.0, 12.0, 7.45, xb);
    CalcSpVol(float(xb), float(yb), text, s.tables, failed);
    QCOMPARE(text, QString::number(15.0 + (yb - y1b) / ((y5 - y1b) / (13.0 - 15.0)), 'f', 2));
    QVERIFY(!failed);
    // Above the 15.0 line: line 5 paired with itself cannot interpolate.
    CalcSpVol(11.9f, 11.9f, text, s.tables, failed);
    QCOMPARE(text, "0.00");
    QVERIFY(failed);
}

QTEST_APPLESS_MAIN(TestProperties)
#include "tst_properties.moc"
