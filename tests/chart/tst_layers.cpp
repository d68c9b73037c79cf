// The psychrometric chart's layers and the process-flow animation over
// them, drawn through a recording surface from a state the core computed:
// geometry, colours, labels, drawing order, a state that nothing changes,
// and a chart that a whole animation cycle leaves as drawn.
#include "chart/animation.h"
#include "chart/artwork.h"
#include "chart/image_surface.h"
#include "chart/plots.h"
#include "chart/recording_surface.h"
#include "climate/density_grid.h"
#include "psychro/chart_geometry.h"
#include "psychro/mixing.h"

#include <QTest>

#include <cstring>

using namespace chart;
using Kind = RecordingSurface::Kind;
using Op = RecordingSurface::Op;

namespace {

constexpr QRgb DarkGreen = qRgb(0, 128, 0), Saturation = qRgb(12, 0, 0);

// The start-up state: outdoor 95 F / 51 %, supply 60 F / 99 %, return
// 75 F / 60 %, a quarter of fresh air.
psychro::ChartState startUpState() {
    psychro::ChartState s;
    psychro::setGraphBounds(s.objMyGraph);
    psychro::fillLineTables(s);
    s.in = {95, 51, 99, 60, 0.25f, 0};
    psychro::placeStates(s, 60, 75);
    QString mixedT;
    s.mixedPlaced = psychro::constructMixedPoint(s, mixedT);
    return s;
}

bool near(double a, double b, double tolerance = 0.005) {
    return qAbs(a - b) < tolerance;
}
bool near(QPointF a, double x, double y) {
    return near(a.x(), x, 1e-4) && near(a.y(), y, 1e-4);
}

struct Recorded {
    RecordingSurface g;
    psychro::ChartState s = startUpState();
    AnimationState a;
    QPointF R, O, S, M; // return, outdoor, supply, mixed
    Recorded() { g.Scale(0, 14, 14, 0); }
    // Animation over return (6, 5), outdoor (9, 8) and supply (4.5, 5.2),
    // the mixed point the share of the way toward outdoors.
    explicit Recorded(float share) : Recorded() {
        R = {6, 5}, O = {9, 8}, M = R + share * (O - R);
        s.pos = {9, 8, 6, 5, 0, 0, 0, 0, share * 3, share * 3};
        s.in.gAirRate = share;
        moveSupply({4.5, 5.2});
    }
    void moveSupply(QPointF to) {
        S = to;
        s.pos.supplyX = float(to.x()), s.pos.supplyY = float(to.y());
    }
    QList<Op> tick() {
        g.clear();
        Timer2_Timer(g, s, a);
        return g.ops;
    }
    QList<Op> of(Kind k, QRgb colour) const {
        QList<Op> out;
        for (const Op& op : g.ops)
            if (op.kind == k && op.colour == colour)
                out.append(op);
        return out;
    }
    const Op* text(const QString& t, int nth = 0) const {
        for (const Op& op : g.ops)
            if (op.kind == Kind::Text && op.text == t && nth-- == 0)
                return &op;
        return nullptr;
    }
    // A wipe restores a rectangle holding the whole segment.
    bool wipes(const Op& op, QPointF p, QPointF q) const {
        auto holds = [&](QPointF v) {
            return g.toPxX(v.x()) > op.x1 && g.toPxX(v.x()) < op.x2 && g.toPxY(v.y()) > op.y1 &&
                   g.toPxY(v.y()) < op.y2;
        };
        return op.kind == Kind::Wipe && holds(p) && holds(q);
    }
    static bool dash(const Op& op, QPointF front, QPointF rear) {
        return op.kind == Kind::Line && op.colour == marker::Gold && op.width == 4 &&
               near(front, op.x1, op.y1) && near(rear, op.x2, op.y2);
    }
    // A ring marker: a white-filled circle rimmed in c, then a dot of c.
    static bool ring(const Op* op, QPointF at, QRgb c) {
        for (int i = 0; i < 2; ++i, ++op)
            if (op->kind != Kind::Circle || !near(at, op->x1, op->y1) || op->colour != c ||
                op->x2 != (i ? 0.07 : 0.12) || op->width != 1 || op->fillStyle != 0 ||
                op->fillColour != (i ? c : colour::White))
                return false;
        return true;
    }
    // The markers go back on top as drawn, the mixed one as a gold ring.
    bool markersOnTop(const QList<Op>& ops) const {
        const qsizetype n = ops.size();
        return n >= 6 && wipes(ops[n - 6], R, R) && wipes(ops[n - 5], S, S) &&
               wipes(ops[n - 4], O, O) && wipes(ops[n - 3], M, M) &&
               ring(&ops[n - 2], M, marker::Gold);
    }
};

} // namespace

class TestLayers : public QObject {
    Q_OBJECT
private slots:
    void axisAndSaturation();
    void gridWetBulbAndVolumeLines();
    void processLinesAndMarkers();
    void coilLineOnlyWhenSwitchedOn();
    void wholeChartInOrderWithoutChangingTheState();
    void cycleOfThirtyTwoTicks();
    void zeroShareAndVerticalLines();
    void fullCycleLeavesTheChartAsDrawn();
    void airChartAtTwoPressures();
    void airChartInSiAndFromItsPicture();
    void densityCellWhereEachChartPutsIt();
};

void TestLayers::axisAndSaturation() {
    Recorded d;
    Plot_Y_Axis(d.g, d.s.objMyGraph);
    QList<Op> lines = d.of(Kind::Line, colour::Gray);
    QCOMPARE(lines.size(), 14); // 0.002 and 0.004 from the left edge, 0.006 from 43.65 F
    QVERIFY(lines[0].x1 == 2 && lines[1].x1 == 2 && near(lines[2].x1, 3.018));
    lines = d.of(Kind::Line, colour::Black); // W = 0, the whole bottom edge; 0.030 from 87.62 F
    QVERIFY(lines.size() == 2 && lines[0].x1 == 2 && lines[0].y1 == 2 && lines[0].x2 == 12);
    QVERIFY(near(lines[1].x1, 8.19) && lines[1].y1 == 12);
    QVERIFY(!d.text("0.000") && d.text("0.002"));
    QCOMPARE(QPointF(d.text("0.030")->x1, d.text("0.030")->y1), QPointF(12.125, 12.125));
    Plot_Saturation(d.g, d.s.objMyGraph); // drawn twice: each time afresh
    d.g.clear();
    Plot_Saturation(d.g, d.s.objMyGraph);
    lines = d.of(Kind::Line, Saturation);
    QCOMPARE(lines.size(), 86);
    QVERIFY(lines[0].x1 == lines[0].x2 && near(lines[0].y1, 3.44)); // zero length at 35 F
    QVERIFY(near(lines[52].y1, 11.66) && lines[53].y1 == 12);       // 87 F; 88 F cut to the top
    QCOMPARE(QPointF(lines[85].x1, lines[85].y1), QPointF(12, 12));
    for (int i = 1; i < 86; ++i)
        QCOMPARE(lines[i].x2, lines[i - 1].x1); // one connected curve
}

void TestLayers::gridWetBulbAndVolumeLines() {
    Recorded d;
    Plot_WetBulb(d.g, d.s);
    const psychro::LineTables& t = d.s.tables;
    int grid = 0;
    for (const Op& l : d.g.ops)
        if (l.kind == Kind::Line && l.x1 == l.x2) {
            QCOMPARE(l.colour, l.x1 == 2 || l.x1 == 12 ? colour::Black : colour::Gray);
            QVERIFY(l.y1 == 2 && l.y2 == t.WBY1[size_t(++grid)]);
        }
    QCOMPARE(grid, 18);
    const QList<Op> wet = d.of(Kind::Line, colour::DarkRed);
    QCOMPARE(wet.size(), 11);
    for (size_t i = 1; i <= 11; ++i) {
        const Op& l = wet[qsizetype(i) - 1];
        QVERIFY(l.x1 == t.WBX1[i] && l.y1 == t.WBY1[i] && l.x2 == t.WBX2[i] && l.y2 == t.WBY2[i]);
    }
    // Grid labels centred below their line; wet-bulb labels above and left
    // of the line's upper end.
    QCOMPARE(QPointF(d.text("120")->x1, d.text("120")->y1), QPointF(12 - 1.5 * 5 / 72, 1.875));
    const Op* wet85 = d.text("85", 1);
    QVERIFY(d.text("85")->colour == colour::Black && wet85->colour == colour::DarkRed);
    QCOMPARE(QPointF(wet85->x1, wet85->y1), QPointF(t.WBX1[11] - 0.25, t.WBY1[11] + 0.5));
    d.g.clear();
    Plot_SPVol(d.g, d.s);
    QCOMPARE(d.of(Kind::Line, DarkGreen).size(), 5);
    QCOMPARE(d.of(Kind::Text, DarkGreen).size(), 5);
    // Labelled close above a line from the top edge, higher above the others.
    QVERIFY(near(d.text("15.0")->x1, 10.4) && near(d.text("15.0")->y1, 12.5));
    QVERIFY(near(d.text("14.0")->x1, 6.56) && near(d.text("14.0")->y1, 10.01));
}

void TestLayers::processLinesAndMarkers() {
    Recorded d;
    const psychro::StatePositions& p = d.s.pos;
    PlotPoints(d.g, d.s);
    const QList<Op>& ops = d.g.ops;
    QCOMPARE(ops.size(), 3 + 8);
    const QLineF lines[3] = {{p.outdoorx, p.outdoorY, p.returnX, p.returnY},
                             {p.mixedX, p.mixedY, p.supplyX, p.supplyY},
                             {p.supplyX, p.supplyY, p.returnX, p.returnY}};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(ops[i].kind == Kind::Line && ops[i].width == 4 && ops[i].colour == colour::Black);
        QCOMPARE(QLineF(ops[i].x1, ops[i].y1, ops[i].x2, ops[i].y2), lines[i]);
    }
    const std::pair<QRgb, QPointF> markers[4] = {{marker::Return, {p.returnX, p.returnY}},
                                                 {marker::Supply, {p.supplyX, p.supplyY}},
                                                 {marker::Outdoor, {p.outdoorx, p.outdoorY}},
                                                 {marker::Mixed, {p.mixedX, p.mixedY}}};
    for (int m = 0; m < 4; ++m)
        QVERIFY(Recorded::ring(&ops[3 + 2 * m], markers[m].second, markers[m].first));
    d.g.clear();
    d.s.mixedPlaced = false; // no mixed point: the mixing line alone
    PlotPoints(d.g, d.s);
    QCOMPARE(d.g.ops.size(), 1);
}

// An ADP at 50 F, W .0075: x = 2 + 15 / 85 x 10, y = 2 + .0075 / .03 x 10.
void TestLayers::coilLineOnlyWhenSwitchedOn() {
    Recorded d;
    d.s.coilAdpShown = true, d.s.coilAdpT = 50, d.s.coilAdpW = 0.0075;
    drawPsychrometricChart(d.g, d.s);
    const qsizetype off = d.g.ops.size();
    d.g.clear();
    PlotLegend(d.g, d.s.objMyGraph); // drawn last, after the coil line
    const qsizetype legend = d.g.ops.size();
    d.g.clear();
    d.s.showCoilLine = true;
    drawPsychrometricChart(d.g, d.s);
    const QList<Op> coil = d.g.ops.mid(off - legend, d.g.ops.size() - off);
    QVERIFY(coil.size() > 3);
    const QPointF S(d.s.pos.supplyX, d.s.pos.supplyY), A(3.764706, 4.5);
    for (qsizetype i = 0; i + 2 < coil.size(); ++i) {
        const Op& o = coil[i];
        QVERIFY(o.kind == Kind::Line && o.width == 1 && o.colour == colour::Black);
        // Every dash lies on the supply-to-ADP segment.
        const double cross = (A.x() - S.x()) * (o.y2 - S.y()) - (A.y() - S.y()) * (o.x2 - S.x());
        QVERIFY(near(cross, 0, 1e-6));
    }
    QVERIFY(near(QPointF(coil[0].x1, coil[0].y1), S.x(), S.y()));
    QVERIFY(near(QPointF(coil[coil.size() - 3].x2, coil[coil.size() - 3].y2), A.x(), A.y()));
    // The ADP's marker is a ring as large as the states'.
    QVERIFY(Recorded::ring(&coil[coil.size() - 2], A, marker::Adp));
}

void TestLayers::wholeChartInOrderWithoutChangingTheState() {
    Recorded d;
    d.s.pos.outdoorY = 13; // above the chart
    psychro::ChartState before;
    std::memcpy(&before, &d.s, sizeof before);
    drawPsychrometricChart(d.g, d.s);
    QCOMPARE(std::memcmp(&before, &d.s, sizeof before), 0);
    const QList<Op> first = d.g.ops;
    d.g.clear();
    drawPsychrometricChart(d.g, d.s); // the same picture again
    QCOMPARE(d.g.ops.size(), first.size());
    for (qsizetype i = 0; i < first.size(); ++i)
        QVERIFY(d.g.ops[i].x1 == first[i].x1 && d.g.ops[i].y2 == first[i].y2 &&
                d.g.ops[i].colour == first[i].colour && d.g.ops[i].text == first[i].text);
    // Erased first; grid and wet-bulb lines, axis, saturation, humidity
    // curves, volume lines, then the process and its markers on top.
    int layer = 0;
    QCOMPARE(first.first().kind, Kind::Erase);
    // Every line and marker stays inside the frame: the humidity curves and
    // the mixing line are cut at its top edge, the outdoor marker left out.
    auto inside = [](double x, double y) { return x >= 2 && x <= 12 && y >= 2 && y <= 12; };
    int cut = 0;
    for (const Op& o : first) {
        if (o.kind == Kind::Line || o.kind == Kind::Circle)
            QVERIFY(inside(o.x1, o.y1) && (o.kind == Kind::Circle || inside(o.x2, o.y2)));
        cut += o.kind == Kind::Line && (o.y1 == 12 || o.y2 == 12) &&
               (o.colour == colour::Blue || o.width == 4);
        QVERIFY(o.kind != Kind::Circle || o.colour != marker::Outdoor || o.x1 < 3);
        const int at = o.kind == Kind::Circle        ? 7
                       : o.width == 4                ? 6
                       : o.colour == DarkGreen       ? 5
                       : o.colour == colour::Blue    ? 4
                       : o.colour == Saturation      ? 3
                       : o.text.startsWith("0.0")    ? 2
                       : o.colour == colour::DarkRed ? 1
                                                     : layer;
        QVERIFY2(at >= layer, qPrintable(o.text));
        layer = at;
    }
    QCOMPARE(layer, 7);
    QVERIFY(cut >= 6); // five curves and the mixing line
}

void TestLayers::cycleOfThirtyTwoTicks() {
    Recorded t(0.25f);
    // Each leg: where the dash starts and heads, and the line it runs on.
    const QPointF start[4] = {{}, t.R, t.M, t.S}, toward[4] = {{}, t.M, t.S, t.R};
    const QPointF line[4][2] = {{}, {t.O, t.R}, {t.M, t.S}, {t.R, t.S}};
    float L = 0; // grows by 0.1 in single precision
    double rear = 0;
    for (int n = 1; n <= 34; ++n) {
        L = float(double(L) + 0.1);
        // Ticks 1-9, 11-19 and 21-30 move the dash along legs 1, 2 and 3;
        // 10, 20 and 31 only repaint their line; 32 starts over.
        const int c = (n - 1) % 32 + 1;
        const int leg = c <= 10 ? 1 : c <= 20 ? 2 : c <= 31 ? 3 : 0;
        const bool dash = leg && c != 10 && c != 20 && c != 31;
        const QList<Op> ops = t.tick();
        const QByteArray where = "tick " + QByteArray::number(n);
        QVERIFY2(ops.size() == (leg ? 1 : 0) + (dash ? 1 : 0) + 6, where);
        QVERIFY2(!leg || t.wipes(ops[0], line[leg][0], line[leg][1]), where);
        const double along = dash ? double(L) - (leg - 1) : 0;
        const QPointF way = toward[leg] - start[leg];
        QVERIFY2(!dash || Recorded::dash(ops[1], start[leg] + along * way, start[leg] + rear * way),
                 where);
        QVERIFY2(t.markersOnTop(ops), where);
        rear = along;
        L = c == 32 ? 0 : L;
        QCOMPARE(t.a.LineIndex, L);
    }
}

void TestLayers::zeroShareAndVerticalLines() {
    // No fresh air: the first leg's dash has no length, at the return point.
    Recorded none(0);
    for (int n = 1; n <= 9; ++n)
        QVERIFY(Recorded::dash(none.tick().value(1), none.R, none.R));
    // A vertical room line silences the third leg, which keeps its dash.
    Recorded room(0.25f);
    room.moveSupply({6, 3});
    for (int n = 1; n <= 20; ++n)
        room.tick();
    room.a.B1a = 0.3f, room.a.A1a = -0.2f;
    for (int n = 21; n <= 30; ++n)
        QVERIFY(room.tick().isEmpty());
    QVERIFY(room.a.B1a == 0.3f && room.a.A1a == -0.2f && room.a.LineIndex > 2.99f);
    QVERIFY(room.wipes(room.tick().value(0), room.R, room.S)); // 31 still repaints
    QVERIFY(room.markersOnTop(room.tick()) && room.a.LineIndex == 0);
}

// The first tick turns the mixed marker gold; after a whole cycle every
// other pixel is as drawn, and the next tick draws exactly what the first
// did: nothing builds up under the wipes.
void TestLayers::fullCycleLeavesTheChartAsDrawn() {
    const psychro::ChartState s = startUpState();
    ImageSurface img(669, 429);
    img.Scale(0, 14, 14, 0);
    drawPsychrometricChart(img, s);
    img.KeepAsDrawn();
    const QImage drawn = img.Image().copy();
    const QPointF m(img.toPxX(s.pos.mixedX), img.toPxY(s.pos.mixedY));
    QCOMPARE(drawn.pixel(m.toPoint()), marker::Mixed);
    AnimationState a;
    Timer2_Timer(img, s, a);
    QCOMPARE(img.Image().pixel(m.toPoint()), marker::Gold);
    const QImage afterOne = img.Image().copy();
    for (int n = 2; n <= 32; ++n)
        Timer2_Timer(img, s, a);
    const QImage afterCycle = img.Image().copy();
    Timer2_Timer(img, s, a); // the first tick again, over its own traces
    QVERIFY(img.Image() == afterOne);
    const double r = img.toPxX(MarkerRadius) - img.toPxX(0) + 2;
    int traces = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            traces += afterCycle.pixel(x, y) != drawn.pixel(x, y) &&
                      (qAbs(x - m.x()) > r || qAbs(y - m.y()) > r);
    QCOMPARE(traces, 0);
}

// By hand from Hyland-Wexler: pws(86 F) = 0.615835 psia, Ws = 0.621945 pws
// / (p - pws), W at 50 % = 0.621945 (pws / 2) / (p - pws / 2); sea level
// 0.027202 and 0.013310, 12.089 psia (about 5,280 ft) 0.033384 and
// 0.016256. pws(65 F) = 0.305737 psia, Ws* = 0.013214 at sea level, and the
// 65 F wet-bulb line at 100 F: ((1093 - 0.556 x 65) Ws* - 0.240 x 35) /
// (1093 + 0.444 x 100 - 65) = 0.005190. W to 0.04 at y 12, 86 F at x 8.6.
void TestLayers::airChartAtTwoPressures() {
    const double cases[2][3] = {{14.696, 0.027202, 0.013310}, {12.089, 0.033384, 0.016256}};
    for (const auto& [p, saturated, half] : cases) {
        Recorded d;
        d.s.method = psychro::Method::Ashrae;
        d.s.air = {psychro::moist::Units::IP, p, 20, 120, 0.04};
        drawPsychrometricChart(d.g, d.s);
        auto reaches = [&](QRgb c, double x, double W) {
            for (const Op& o : d.of(Kind::Line, c))
                if (near(o.x2, x, 1e-9) && near(o.y2, 2 + W / 0.04 * 10, 0.002))
                    return true;
            return false;
        };
        QVERIFY(reaches(Saturation, 8.6, saturated) && reaches(colour::Blue, 8.6, half));
        QVERIFY(p < 14 || reaches(colour::DarkRed, 10, 0.005190));
        for (const Op& o : d.g.ops)
            QVERIFY(o.kind != Kind::Line || (qMin(o.x1, o.x2) >= 2 && qMax(o.x1, o.x2) <= 12 &&
                                             qMin(o.y1, o.y2) >= 2 && qMax(o.y1, o.y2) <= 12));
        QVERIFY(d.text(p < 14 ? "ASHRAE equations   12.089 psia"
                              : "ASHRAE equations   14.696 psia (sea level)"));
    }
}

// At 1,600 m (83.5 kPa), -5..50 C: the humidity ratio in g/kg, the ADP
// (10 C, 6 g/kg) by the air chart's mapping, and the window's way (the
// reference as a picture, the states over it) drawing what a full draw does.
void TestLayers::airChartInSiAndFromItsPicture() {
    Recorded d;
    d.s.method = psychro::Method::Ashrae;
    d.s.air = {psychro::moist::Units::SI, 83.52, -5, 50, 0.03};
    d.s.coilAdpShown = d.s.showCoilLine = true, d.s.coilAdpT = 10, d.s.coilAdpW = 0.006;
    drawPsychrometricChart(d.g, d.s);
    QString ratios; // the labels right of the frame
    for (const Op& o : d.of(Kind::Text, colour::Black))
        ratios += o.x1 > 12 && o.x1 < 13 ? o.text + ' ' : QString();
    QCOMPARE(ratios, "2 4 6 8 10 12 14 16 18 20 22 24 26 28 30 ");
    QVERIFY(d.text("Humidity Ratio (g/kg)") && d.text("Dry Bulb Temperature (°C)"));
    QVERIFY(!d.text("0.012") && d.text("ASHRAE equations   83.520 kPa"));
    const QList<Op> adp = d.of(Kind::Circle, marker::Adp);
    QVERIFY(adp.size() == 2 && Recorded::ring(adp.data(), {2 + 150.0 / 55, 4}, marker::Adp));
    ImageSurface full(669, 429), fromPicture(669, 429);
    for (ImageSurface* img : {&full, &fromPicture})
        SetScale(*img, d.s.objMyGraph);
    drawPsychrometricChart(full, d.s);
    renderAirReference({}, d.s.objMyGraph, 669, 429, 1.0); // another chart kept beside it
    fromPicture.Picture(renderAirReference(d.s.air, d.s.objMyGraph, 669, 429, 1.0));
    fromPicture.Cls();
    drawAirOverlays(fromPicture, d.s);
    QVERIFY(fromPicture.Image() == full.Image());
}

// Seven hours at 74.5..75.5 F, 0.010..0.0105 lb/lb, one at -40 F (off both
// charts): on the tables' chart x = 2 + 39.5 / 85 x 10, y = 2 + 0.010 / 0.03
// x 10; on the air chart (20..120 F) x = 2 + 5.45. The busiest cell, as
// dark as the scale's last swatch; over the reference, under the process;
// drawn anew only for another grid or range.
void TestLayers::densityCellWhereEachChartPutsIt() {
    climate::DensityGrid grid{-40.5, 1, 0.0005, 161, 70, std::vector<int>(161 * 70), 0};
    grid.counts[20 * 161 + 115] = 7, grid.counts[0] = 1;
    Recorded d;
    for (const double left : {2 + 39.5 / 8.5, 7.45}) {
        d.s.method = left > 7 ? psychro::Method::Ashrae : psychro::Method::ChartTables;
        d.s.air = {psychro::moist::Units::IP, 14.696, 20, 120, 0.03};
        d.g.clear();
        Plot_Density(d.g, grid, d.s);
        int fills = 0;
        QRgb darkest = 0; // the scale's last swatch
        for (const Op& o : d.g.ops)
            fills += o.kind == Kind::Fill, darkest = o.kind == Kind::Fill ? o.colour : darkest;
        QVERIFY(d.g.ops[0].kind == Kind::Fill && d.g.ops[0].colour == darkest && fills == 5);
        QVERIFY(near(d.g.ops[0].x1, left, 1e-9) && near(d.g.ops[0].y1, 2 + 10 / 3.0, 1e-9) &&
                near(d.g.ops[0].x2 - left, left > 7 ? 0.1 : 1 / 8.5, 1e-9) &&
                near(d.g.ops[0].y2, 2 + 10.5 / 3, 1e-9) && d.text("5–7"));
        const QImage picture = renderDensity(grid, d.s, 669, 429, 1.0);
        auto alpha = [&](const QImage& image, double x) {
            return qAlpha(image.pixel(int(d.g.toPxX(x)), int(d.g.toPxY(2 + 10.25 / 3))));
        };
        QVERIFY(alpha(picture, left + 0.04) > 128 && alpha(picture, left - 0.04) == 0);
        QCOMPARE(renderDensity(grid, d.s, 669, 429, 1.0).cacheKey(), picture.cacheKey());
        d.g.clear();
        drawPsychrometricChart(d.g, d.s, &picture);
        qsizetype at = 0, lastGreen = 0, firstThick = 0;
        for (qsizetype i = 0; i < d.g.ops.size(); ++i) {
            const Op& o = d.g.ops[i];
            at = o.kind == Kind::Picture && o.picture.cacheKey() == picture.cacheKey() ? i : at;
            lastGreen = o.colour == DarkGreen ? i : lastGreen;
            firstThick = firstThick ? firstThick : o.width == 4 ? i : 0;
        }
        QVERIFY(lastGreen < at && at < firstThick);
    }
    const QImage fromAir = renderDensity(grid, d.s, 669, 429, 1.0);
    d.s.air.tMin = 0; // another range: the cell moves
    QVERIFY(renderDensity(grid, d.s, 669, 429, 1.0) != fromAir);
    d.s.air.tMin = 20, grid.counts[20 * 161 + 116] = 1; // another grid: 76 F has an hour
    QVERIFY(renderDensity(grid, d.s, 669, 429, 1.0) != fromAir);
}

QTEST_MAIN(TestLayers)
#include "tst_layers.moc"
