// The chart's layers drawn through a recording surface: geometry, colours,
// labels, the line tables the sheet reads, and the placement of the states.
#include "chart/plots.h"
#include "chart/recording_surface.h"
#include "psychro/chart_geometry.h"

#include <QTest>

#include <cmath>

using namespace chart;
using psychro::ChartState;
using Kind = RecordingSurface::Kind;
using Op = RecordingSurface::Op;

namespace {

double xOf(double T) {
    return 2 + 10 * (T - 35) / 85;
}
double satY(double T) {
    return 2 + 10 * 0.0012 * std::exp(0.0366 * T) / 0.03;
}

struct Fixture {
    RecordingSurface g;
    ChartState s;
    Fixture() {
        g.Scale(0, 14, 14, 0);
        psychro::setGraphBounds(s.objMyGraph);
    }
    QList<Op> ofKind(Kind k) const {
        QList<Op> out;
        for (const Op& op : g.ops)
            if (op.kind == k)
                out.append(op);
        return out;
    }
    const Op* text(const QString& t) const {
        for (const Op& op : g.ops)
            if (op.kind == Kind::Text && op.text == t)
                return &op;
        return nullptr;
    }
};

} // namespace

class TestLayers : public QObject {
    Q_OBJECT
private slots:
    void humidityRatioAxis();
    void saturationCurve();
    void dryBulbGridAndWetBulbLines();
    void specificVolumeLines();
    void relativeHumidityCurvesAndLabels();
    void statePlacement_data();
    void statePlacement();
    void statesThatMatchNoStep();
    void humidityAbove100IsOutOfRange();
    void mixedPointAndMarkers();
    void verticalMixingLineIsTilted();
    void wholeChartIsRepeatable();
    void layersComeInPipelineOrder();
};

void TestLayers::humidityRatioAxis() {
    Fixture f;
    Plot_Y_Axis(f.g, f.s.objMyGraph);
    const QList<Op> lines = f.ofKind(Kind::Line);
    QCOMPARE(lines.size(), 16);
    // W = 0: black, the whole bottom edge, no label.
    QCOMPARE(lines[0].x1, 2.0);
    QCOMPARE(lines[0].y1, 2.0);
    QCOMPARE(lines[0].x2, 12.0);
    QCOMPARE(lines[0].colour, colour::Black);
    QVERIFY(!f.text("0.000"));
    // 0.002 and 0.004 start on the left edge, the others on the saturated side.
    QCOMPARE(lines[1].x1, 2.0);
    QCOMPARE(lines[2].x1, 2.0);
    QCOMPARE(lines[1].colour, colour::Gray);
    QVERIFY(qAbs(lines[3].x1 - 3.018) < 0.005); // 43.65 F
    QVERIFY(qAbs(lines[15].x1 - 8.19) < 0.005); // 87.62 F
    QCOMPARE(lines[15].y1, 12.0);
    QCOMPARE(lines[15].colour, colour::Black);
    const Op* top = f.text("0.030");
    QVERIFY(top);
    QCOMPARE(top->x1, 12.125);
    QCOMPARE(top->y1, 12.125);
    QVERIFY(f.text("0.002") && f.text("0.010"));
    QCOMPARE(f.ofKind(Kind::Text).size(), 15);
    QVERIFY(f.g.fontTransparent());
}

void TestLayers::saturationCurve() {
    Fixture f;
    Plot_Saturation(f.g, f.s);
    const QList<Op> lines = f.ofKind(Kind::Line);
    QCOMPARE(lines.size(), 86);
    for (const Op& l : lines)
        QCOMPARE(l.colour, qRgb(12, 0, 0));
    // The first point draws a segment of zero length at 35 F.
    QCOMPARE(lines[0].x1, lines[0].x2);
    QVERIFY(qAbs(lines[0].y1 - 3.44) < 0.005);
    QVERIFY(qAbs(lines[52].y1 - 11.66) < 0.005); // 87 F
    QCOMPARE(lines[53].y1, 12.0);                // 88 F cut to the top
    QCOMPARE(lines[85].x1, 12.0);
    QCOMPARE(lines[85].y1, 12.0);
    // Each segment ends where the previous one started.
    for (int i = 1; i < lines.size(); ++i)
        QCOMPARE(lines[i].x2, lines[i - 1].x1);
}

void TestLayers::dryBulbGridAndWetBulbLines() {
    Fixture f;
    Plot_WetBulb(f.g, f.s);
    const auto& t = f.s.tables;
    for (int i = 1; i <= 18; ++i) {
        const double T = 35 + 5 * (i - 1);
        QVERIFY(qAbs(t.WBX1[size_t(i)] - xOf(T)) < 1e-9);
        QVERIFY(qAbs(t.WBY1[size_t(i)] - std::min(12.0, satY(T))) < 1e-9);
    }
    QCOMPARE(t.WBY1[12], 12.0); // 90 F and up run to the top edge
    QVERIFY(t.WBY1[11] < 12.0);
    const double rightEnds[5] = {2.333, 3.433, 4.8, 6.3, 8.333};
    for (int i = 7; i <= 11; ++i) {
        QCOMPARE(t.WBX2[size_t(i)], 12.0);
        QVERIFY(qAbs(t.WBY2[size_t(i)] - rightEnds[i - 7]) < 0.001);
    }
    const double bottomEnds[6] = {4.235, 5.294, 6.471, 7.765, 9.176, 10.647};
    for (int i = 1; i <= 6; ++i) {
        QCOMPARE(t.WBY2[size_t(i)], 2.0);
        QVERIFY(qAbs(t.WBX2[size_t(i)] - bottomEnds[i - 1]) < 0.001);
    }
    for (int i = 1; i <= 11; ++i)
        QCOMPARE(t.WBValue[size_t(i)], float(35 + 5 * (i - 1)));
    for (int i = 12; i <= 18; ++i) {
        QCOMPARE(t.WBX2[size_t(i)], 0.0);
        QCOMPARE(t.WBValue[size_t(i)], 0.0f);
    }
    QCOMPARE(t.WBX1[0], 0.0);

    // Grid lines: outer two black, inner gray; labels centred under them.
    const Op* label120 = f.text("120");
    QVERIFY(label120);
    QVERIFY(qAbs(label120->x1 - (12 - 1.5 * 5.0 / 72)) < 1e-9);
    QCOMPARE(label120->y1, 1.875);
    const Op* label35 = f.text("35");
    QVERIFY(label35 && qAbs(label35->x1 - (2 - 5.0 / 72)) < 1e-9);
    int vertical = 0;
    for (const Op& l : f.ofKind(Kind::Line))
        if (l.x1 == l.x2 && l.y1 == 2.0) {
            ++vertical;
            const bool outer = l.x1 == 2.0 || l.x1 == 12.0;
            QCOMPARE(l.colour, outer ? colour::Black : colour::Gray);
        }
    QCOMPARE(vertical, 18);
    // The wet-bulb lines and their labels are dark red.
    // "85" twice: the black grid label under the plot, and the dark-red
    // wet-bulb label above and left of the line's upper end.
    QList<Op> labels85;
    for (const Op& op : f.ofKind(Kind::Text))
        if (op.text == "85")
            labels85.append(op);
    QCOMPARE(labels85.size(), 2);
    QCOMPARE(labels85[0].colour, colour::Black);
    QCOMPARE(labels85[1].colour, colour::DarkRed);
    QVERIFY(qAbs(labels85[1].x1 - (xOf(85) - 0.25)) < 1e-9);
    QVERIFY(qAbs(labels85[1].y1 - (satY(85) + 0.5)) < 1e-9);
}

void TestLayers::specificVolumeLines() {
    Fixture f;
    Plot_SPVol(f.g, f.s);
    const auto& t = f.s.tables;
    const float values[5] = {15.0f, 14.5f, 14.0f, 13.5f, 13.0f};
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(t.SpVolValue[size_t(i)], values[i - 1]);
    QCOMPARE(t.SpVolValue[0], 0.0f);
    QCOMPARE(t.SpVolX1[3], 7.16f);
    QCOMPARE(t.SpVolY2[1], 7.45f);
    // On the top edge: small offset; below it: the large one.
    const Op* l15 = f.text("15.0");
    QVERIFY(qAbs(l15->x1 - (10.65 - 0.25)) < 1e-6 && qAbs(l15->y1 - 12.5) < 1e-6);
    const Op* l14 = f.text("14.0");
    QVERIFY(qAbs(l14->x1 - (7.16 - 0.6)) < 1e-6 && qAbs(l14->y1 - 10.01) < 1e-6);
    for (const Op& op : f.g.ops)
        QCOMPARE(op.colour, qRgb(0, 128, 0));
}

void TestLayers::relativeHumidityCurvesAndLabels() {
    Fixture f;
    Plot_RH(f.g, f.s, 60, 75);
    QCOMPARE(f.ofKind(Kind::Line).size(), 9 * 86);
    for (const Op& op : f.g.ops)
        QCOMPARE(op.colour, colour::Blue);
    const Op* l90 = f.text("90%");
    QVERIFY(l90);
    QVERIFY(qAbs(l90->x1 - 8.50) < 0.01);
    QVERIFY(qAbs(l90->y1 - 11.85) < 1e-6);
    const Op* l10 = f.text("10% RH");
    QVERIFY(l10);
    QVERIFY(qAbs(l10->x1 - 11.11) < 0.01);
    QVERIFY(qAbs(l10->y1 - 3.79) < 0.01);
    // Curves are not limited to the plot area: 50 % leaves through the top.
    double maxY = 0;
    for (const Op& l : f.ofKind(Kind::Line))
        maxY = std::max(maxY, l.y1);
    QVERIFY(maxY > 12.5);
}

void TestLayers::statePlacement_data() {
    QTest::addColumn<double>("returnT");
    QTest::addColumn<float>("returnRh");
    QTest::addColumn<double>("expectedX");
    QTest::addColumn<double>("expectedY");
    QTest::newRow("75 F 60 %") << 75.0 << 60.0f << 6.706 << 5.725;
    QTest::newRow("100 % on row 10") << 75.0 << 100.0f << 6.706 << 8.179;
    QTest::newRow("0 % just below the edge") << 75.0 << 0.0f << 6.706 << 1.969;
    QTest::newRow("exactly on the 60 % curve") << 75.0 << 60.0f << 6.706 << 5.725;
}

void TestLayers::statePlacement() {
    QFETCH(double, returnT);
    QFETCH(float, returnRh);
    QFETCH(double, expectedX);
    QFETCH(double, expectedY);
    Fixture f;
    f.s.in.gRRH = returnRh;
    f.s.in.gSRH = 99;
    f.s.in.gORH = 51;
    f.s.in.gTemperature = 95;
    Plot_RH(f.g, f.s, 60, returnT);
    QVERIFY(qAbs(f.s.pos.returnX - expectedX) < 0.001);
    QVERIFY(qAbs(f.s.pos.returnY - expectedY) < 0.001);
    // Supply 60 F / 99 %: nine tenths of the way from 90 % to row 10.
    QVERIFY(qAbs(f.s.pos.supplyY - 5.549) < 0.001);
    QVERIFY(!f.s.InterpFailed);
}

void TestLayers::statesThatMatchNoStep() {
    Fixture f;
    f.s.in = {72.5f, 50, 99, 60, 0.25f, 0};
    Plot_RH(f.g, f.s, 60, 75);
    QCOMPARE(f.s.pos.outdoorx, float(xOf(72))); // halves go to the even degree
    QVERIFY(!f.s.InterpFailed);

    f.s.in.gTemperature = 125; // keeps the previous x, y 0, warning
    const float before = f.s.pos.outdoorx;
    Plot_RH(f.g, f.s, 60, 75);
    QCOMPARE(f.s.pos.outdoorx, before);
    QCOMPARE(f.s.pos.outdoorY, 0.0f);
    QVERIFY(f.s.InterpFailed);

    f.s.InterpFailed = false;
    f.s.in.gTemperature = 20; // colder than the chart: left edge
    Plot_RH(f.g, f.s, 60, 75);
    QCOMPARE(f.s.pos.outdoorx, 2.0f);
    QCOMPARE(f.s.pos.outdoorY, 0.0f);
    QVERIFY(f.s.InterpFailed);

    f.s.InterpFailed = false;
    f.s.in.gTemperature = 95;
    const float supplyXBefore = f.s.pos.supplyX;
    Plot_RH(f.g, f.s, 55.5, 75); // not a whole degree
    QCOMPARE(f.s.pos.supplyX, supplyXBefore);
    QCOMPARE(f.s.pos.supplyY, 0.0f);
    QVERIFY(f.s.InterpFailed);

    // Below 10 % the blend with the bottom edge needs no curve heights.
    f.s.InterpFailed = false;
    f.s.in.gTemperature = 20;
    f.s.in.gORH = 5;
    Plot_RH(f.g, f.s, 60, 75);
    QVERIFY(!f.s.InterpFailed);
    QVERIFY(f.s.pos.outdoorY > 0 && f.s.pos.outdoorY < 2);
}

void TestLayers::humidityAbove100IsOutOfRange() {
    Fixture f;
    f.s.in = {95, 51, 99, 150, 0.25f, 0};
    Plot_RH(f.g, f.s, 60, 75);
    QCOMPARE(f.s.pos.returnY, 0.0f);
    QVERIFY(f.s.InterpFailed);
    // The other states are placed as usual.
    QVERIFY(qAbs(f.s.pos.supplyY - 5.549) < 0.001);
}

void TestLayers::mixedPointAndMarkers() {
    Fixture f;
    f.s.pos.returnX = float(xOf(75));
    f.s.pos.returnY = 5.7f;
    f.s.pos.outdoorx = float(xOf(95));
    f.s.pos.outdoorY = 8.0f;
    f.s.pos.supplyX = float(xOf(60));
    f.s.pos.supplyY = 5.5f;
    f.s.in.gAirRate = 0.3f;
    QString mixedTemp;
    PlotPoints(f.g, f.s, mixedTemp);
    QCOMPARE(mixedTemp, "81"); // 75 + 0.3 x 20
    QVERIFY(qAbs(f.s.pos.mixedY - (5.7 + 0.3 * 2.3)) < 1e-5);
    const QList<Op>& ops = f.g.ops;
    QCOMPARE(ops.size(), 3 + 8);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(ops[i].kind, Kind::Line);
        QCOMPARE(ops[i].width, 4);
        QCOMPARE(ops[i].colour, colour::Black);
    }
    // Mixing, coil, room.
    QCOMPARE(ops[1].x1, double(f.s.pos.mixedX));
    QCOMPARE(ops[1].x2, double(f.s.pos.supplyX));
    QCOMPARE(ops[2].x2, double(f.s.pos.returnX));
    const QRgb order[4] = {marker::Return, marker::Supply, marker::Outdoor, marker::Mixed};
    for (int m = 0; m < 4; ++m) {
        const Op& outer = ops[3 + 2 * m];
        const Op& inner = ops[4 + 2 * m];
        QCOMPARE(outer.kind, Kind::Circle);
        QCOMPARE(outer.x2, 0.12);
        QCOMPARE(outer.fillColour, colour::White);
        QCOMPARE(outer.fillStyle, 0);
        QCOMPARE(outer.colour, order[m]);
        QCOMPARE(inner.x2, 0.07);
        QCOMPARE(inner.fillColour, order[m]);
        QCOMPARE(inner.width, 1);
    }
    // Heating: outdoor left of return puts the mixed point between them.
    Fixture h;
    h.s.pos = f.s.pos;
    h.s.pos.outdoorx = float(xOf(25));
    h.s.pos.outdoorY = 2.5f;
    h.s.in.gAirRate = 0.25f;
    PlotPoints(h.g, h.s, mixedTemp);
    QCOMPARE(mixedTemp, "63"); // 75 - 0.25 x 50 = 62.5, away from zero
    QVERIFY(h.s.pos.mixedX < h.s.pos.returnX);
}

void TestLayers::verticalMixingLineIsTilted() {
    Fixture f;
    f.s.pos.returnX = 6.0f;
    f.s.pos.returnY = 5.0f;
    f.s.pos.outdoorx = 6.0f;
    f.s.pos.outdoorY = 9.0f;
    f.s.in.gAirRate = 0.5f;
    QString mixedTemp = "old";
    PlotPoints(f.g, f.s, mixedTemp);
    QVERIFY(qAbs(f.s.pos.mixedX - (6.0 + 0.5 * 0.06)) < 1e-5);
    QVERIFY(qAbs(f.s.pos.mixedY - 7.0) < 1e-5);
    // Both at x 0: nothing beyond the mixing line, the text kept.
    Fixture z;
    z.s.in.gAirRate = 0.5f;
    mixedTemp = "old";
    PlotPoints(z.g, z.s, mixedTemp);
    QCOMPARE(mixedTemp, "old");
    QCOMPARE(z.g.ops.size(), 1);
}

void TestLayers::wholeChartIsRepeatable() {
    Fixture f;
    f.s.in = {95, 51, 99, 60, 0.25f, 0};
    QString t1, t2;
    drawPsychrometricChart(f.g, f.s, 60, 75, t1);
    const QList<Op> first = f.g.ops;
    f.g.clear();
    drawPsychrometricChart(f.g, f.s, 60, 75, t2);
    QCOMPARE(f.g.ops.size(), first.size());
    for (int i = 0; i < first.size(); ++i) {
        QCOMPARE(f.g.ops[i].x1, first[i].x1);
        QCOMPARE(f.g.ops[i].y2, first[i].y2);
    }
    QCOMPARE(t1, t2);
}

// The reference lines are drawn (and their tables filled) before the states
// are placed, and the process lines and markers come last, on top.
void TestLayers::layersComeInPipelineOrder() {
    Fixture f;
    f.s.in = {95, 51, 99, 60, 0.25f, 0};
    QString mixed;
    drawPsychrometricChart(f.g, f.s, 60, 75, mixed);
    auto firstIndex = [&](auto pred) {
        for (int i = 0; i < f.g.ops.size(); ++i)
            if (pred(f.g.ops[i]))
                return i;
        return -1;
    };
    const int wetBulb = firstIndex([](const Op& o) { return o.colour == colour::DarkRed; });
    const int axis = firstIndex([](const Op& o) { return o.kind == Kind::Text && o.text == "0.002"; });
    const int saturation = firstIndex([](const Op& o) { return o.colour == qRgb(12, 0, 0); });
    const int rh = firstIndex([](const Op& o) { return o.colour == colour::Blue; });
    const int volume = firstIndex([](const Op& o) { return o.colour == qRgb(0, 128, 0); });
    const int process = firstIndex([](const Op& o) { return o.kind == Kind::Line && o.width == 4; });
    const int markers = firstIndex([](const Op& o) { return o.kind == Kind::Circle; });
    QVERIFY(wetBulb >= 0 && wetBulb < axis);
    QVERIFY(axis < saturation);
    QVERIFY(saturation < rh);
    QVERIFY(rh < volume);
    QVERIFY(volume < process);
    QVERIFY(process < markers);
    QCOMPARE(f.g.ops.last().kind, Kind::Circle);
    QCOMPARE(f.g.ops.last().fillColour, marker::Mixed);
}

QTEST_MAIN(TestLayers)
#include "tst_layers.moc"
