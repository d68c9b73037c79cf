// The process-flow animation: which line each 200 ms tick repaints, where
// the gold dash goes, the markers drawn on top; read through a recording
// surface with known state positions. Then the same in the window: a
// redraw restarts the cycle at the return point.

#include "window_fixture.h"

#include "chart/animation.h"
#include "chart/recording_surface.h"

#include <QMetaObject>

#include <cmath>

using Op = chart::RecordingSurface::Op;
using Kind = chart::RecordingSurface::Kind;

namespace {

constexpr QRgb Gold = qRgb(255, 225, 0);
constexpr QRgb White = qRgb(255, 255, 255);

struct P {
    double x, y;
};

} // namespace

class TestAnimation : public QObject {
    Q_OBJECT

private:
    chart::RecordingSurface m_surface;
    psychro::ChartState m_s;

    // Return (6, 5), outdoor (9, 8), supply (4.5, 5.2); a quarter of fresh
    // air puts the mixed point a quarter of the way toward outdoors.
    void setPositions(float share = 0.25f) {
        m_s = {};
        psychro::StatePositions& p = m_s.pos;
        p.returnX = 6, p.returnY = 5;
        p.outdoorx = 9, p.outdoorY = 8;
        p.supplyX = 4.5f, p.supplyY = 5.2f;
        m_s.in.gAirRate = share;
        p.XmixedAirOffet = share * (p.outdoorx - p.returnX);
        p.YmixedAirOffet = share * (p.outdoorY - p.returnY);
    }
    P R() const { return {m_s.pos.returnX, m_s.pos.returnY}; }
    P O() const { return {m_s.pos.outdoorx, m_s.pos.outdoorY}; }
    P S() const { return {m_s.pos.supplyX, m_s.pos.supplyY}; }
    P M() const {
        return {m_s.pos.returnX + m_s.pos.XmixedAirOffet, m_s.pos.returnY + m_s.pos.YmixedAirOffet};
    }
    QList<Op> tick() {
        m_surface.clear();
        chart::Timer2_Timer(m_surface, m_s);
        return m_surface.ops;
    }

    static bool near(double a, double b) { return std::abs(a - b) < 1e-4; }
    static QString describe(const Op& op) {
        return QStringLiteral("kind %1 (%2,%3)-(%4,%5) colour %6 width %7")
            .arg(int(op.kind))
            .arg(op.x1)
            .arg(op.y1)
            .arg(op.x2)
            .arg(op.y2)
            .arg(op.colour, 6, 16)
            .arg(op.width);
    }
    static void verifyLine(const Op& op, P a, P b, QRgb colour) {
        QVERIFY2(op.kind == Kind::Line, qPrintable(describe(op)));
        QVERIFY2(op.colour == colour && op.width == 4, qPrintable(describe(op)));
        QVERIFY2(
            near(op.x1, a.x) && near(op.y1, a.y) && near(op.x2, b.x) && near(op.y2, b.y),
            qPrintable(
                describe(op) +
                QStringLiteral(" expected (%1,%2)-(%3,%4)").arg(a.x).arg(a.y).arg(b.x).arg(b.y)));
    }
    // The wipe of a line: a pixel rectangle that holds the whole segment.
    void verifyWipe(const Op& op, P a, P b) {
        QVERIFY2(op.kind == Kind::Wipe, qPrintable(describe(op)));
        for (const P& p : {a, b})
            QVERIFY2(m_surface.toPxX(p.x) > op.x1 && m_surface.toPxX(p.x) < op.x2 &&
                         m_surface.toPxY(p.y) > op.y1 && m_surface.toPxY(p.y) < op.y2,
                     qPrintable(describe(op)));
    }
    // The markers on top: return, supply, outdoor and mixed put back as
    // drawn, then the mixed one as a gold white ring with a gold dot.
    void verifyMarkers(const QList<Op>& ops, qsizetype from) {
        QCOMPARE(ops.size(), from + 6);
        int m = 0;
        for (const P& at : {R(), S(), O(), M()})
            verifyWipe(ops[from + m++], at, at);
        for (int ring = 0; ring < 2; ++ring) {
            const Op& op = ops[from + 4 + ring];
            QVERIFY2(op.kind == Kind::Circle, qPrintable(describe(op)));
            QVERIFY(near(op.x1, M().x) && near(op.y1, M().y));
            QCOMPARE(op.x2, ring == 0 ? 0.12 : 0.07);
            QCOMPARE(op.colour, Gold);
            QCOMPARE(op.fillStyle, 0);
            QCOMPARE(op.fillColour, ring == 0 ? White : Gold);
            QCOMPARE(op.width, 1);
        }
    }

private slots:
    void cycleOfThirtyTwoTicks();
    void zeroShareLeavesLegOneAtTheReturnPoint();
    void verticalRoomLineSilencesLegThree();
    void verticalCoilLineKeepsRunning();
    void redrawRestartsTheCycleInTheWindow();
};

void TestAnimation::cycleOfThirtyTwoTicks() {
    setPositions();
    // LineIndex grows by 0.1 in single precision; t of each tick follows
    // from that, and the rear end of each dash is the previous tick's front.
    float L = 0;
    P rear{0, 0};
    for (int n = 1; n <= 32; ++n) {
        L = float(double(L) + 0.1);
        const QList<Op> ops = tick();
        const QByteArray where = "tick " + QByteArray::number(n);
        QCOMPARE(m_s.anim.LineIndex, n == 32 ? 0.f : L);
        if (n <= 9) { // leg 1, return toward mixed
            const double t = L;
            const P front{t * 0.25 * 3, t * 0.25 * 3};
            verifyWipe(ops.value(0), O(), R());
            verifyLine(ops.value(1), {R().x + front.x, R().y + front.y},
                       {R().x + rear.x, R().y + rear.y}, Gold);
            verifyMarkers(ops, 2);
            rear = front;
        } else if (n == 10) { // mixing line repainted, dash gone
            verifyWipe(ops.value(0), O(), R());
            verifyMarkers(ops, 1);
            rear = {0, 0};
        } else if (n <= 19) { // leg 2, mixed toward supply
            const double t = L - 1;
            const P front{t * (S().x - M().x), t * (S().y - M().y)};
            verifyWipe(ops.value(0), M(), S());
            verifyLine(ops.value(1), {M().x + front.x, M().y + front.y},
                       {M().x + rear.x, M().y + rear.y}, Gold);
            verifyMarkers(ops, 2);
            rear = front;
        } else if (n == 20) { // coil line repainted
            verifyWipe(ops.value(0), M(), S());
            verifyMarkers(ops, 1);
            rear = {0, 0};
        } else if (n <= 30) { // leg 3, supply back to return
            const double t = float(L - 2);
            const P front{t * (S().x - R().x), t * (S().y - R().y)};
            verifyWipe(ops.value(0), R(), S());
            verifyLine(ops.value(1), {S().x - front.x, S().y - front.y},
                       {S().x - rear.x, S().y - rear.y}, Gold);
            verifyMarkers(ops, 2);
            rear = front;
            if (n == 30) { // the dash reaches the return point
                QVERIFY(t < 1 && t > 0.9999);
                QVERIFY(std::abs(ops[1].x1 - R().x) < 1e-5);
                QVERIFY(std::abs(ops[1].y1 - R().y) < 1e-5);
            }
        } else if (n == 31) { // room line repainted
            verifyWipe(ops.value(0), R(), S());
            verifyMarkers(ops, 1);
        } else { // reset: nothing but the markers
            verifyMarkers(ops, 0);
            QCOMPARE(m_s.anim.B1a, 0.f);
            QCOMPARE(m_s.anim.A1a, 0.f);
        }
        if (QTest::currentTestFailed())
            QFAIL(where.constData());
    }
    // The next cycle starts again at the return point.
    const QList<Op> ops = tick();
    verifyLine(ops.value(1), {R().x + 0.1 * 0.75, R().y + 0.1 * 0.75}, R(), Gold);
}

void TestAnimation::zeroShareLeavesLegOneAtTheReturnPoint() {
    setPositions(0);
    for (int n = 1; n <= 9; ++n) {
        const QList<Op> ops = tick();
        verifyLine(ops.value(1), R(), R(), Gold);
    }
    tick();
    // Leg 2 runs from the mixed point, which is the return point now.
    const QList<Op> ops = tick();
    verifyLine(ops.value(1), {R().x + 0.1 * (S().x - R().x), R().y + 0.1 * (S().y - R().y)}, R(),
               Gold);
}

void TestAnimation::verticalRoomLineSilencesLegThree() {
    setPositions();
    m_s.pos.supplyX = m_s.pos.returnX;
    m_s.pos.supplyY = 3;
    for (int n = 1; n <= 20; ++n)
        tick();
    // Leave a dash position behind to see that the silent ticks keep it.
    m_s.anim.B1a = 0.3f;
    m_s.anim.A1a = -0.2f;
    for (int n = 21; n <= 30; ++n) {
        QVERIFY2(tick().isEmpty(), QByteArray::number(n).constData());
        QCOMPARE(m_s.anim.B1a, 0.3f);
        QCOMPARE(m_s.anim.A1a, -0.2f);
    }
    QVERIFY(m_s.anim.LineIndex > 2.99f && m_s.anim.LineIndex <= 3.f);
    const QList<Op> ops = tick(); // 31: the room line is still repainted
    verifyWipe(ops.value(0), R(), S());
    verifyMarkers(ops, 1);
    verifyMarkers(tick(), 0); // 32: reset
    QCOMPARE(m_s.anim.LineIndex, 0.f);
}

void TestAnimation::verticalCoilLineKeepsRunning() {
    setPositions();
    m_s.pos.supplyX = float(M().x); // supply straight below the mixed point
    m_s.pos.supplyY = 3;
    for (int n = 1; n <= 64; ++n) {
        const QList<Op> ops = tick();
        for (const Op& op : ops)
            QVERIFY2(std::isfinite(op.x1) && std::isfinite(op.y1) && std::isfinite(op.x2) &&
                         std::isfinite(op.y2),
                     qPrintable(describe(op)));
        // A dash on leg 2 stays on the coil line.
        const int inCycle = (n - 1) % 32 + 1;
        if (inCycle >= 11 && inCycle <= 19)
            for (const Op& op : ops)
                if (op.kind == Kind::Line && op.colour == Gold) {
                    QVERIFY(near(op.x1, M().x) && near(op.x2, M().x));
                    QVERIFY(op.y1 <= M().y + 1e-6 && op.y1 >= S().y - 1e-6);
                }
    }
    QVERIFY(std::isfinite(m_s.anim.B1a) && std::isfinite(m_s.anim.A1a));
}

void TestAnimation::redrawRestartsTheCycleInTheWindow() {
    fixture::Window w;
    QVERIFY(w.activate());
    app::Form1& form = *w.form;
    psychro::ChartState& s = form.chartState();
    chart::ImageSurface& graph = form.picGraph->surface();
    const qreal dpr = graph.devicePixelRatio();
    auto pixelAt = [&](double x, double y) {
        return graph.Image().pixel(int(graph.toPxX(x) * dpr), int(graph.toPxY(y) * dpr)) & 0xffffff;
    };
    const double mx = s.pos.mixedX, my = s.pos.mixedY;

    // The timer moves the dash by itself, a few ticks of 200 ms, without
    // redrawing anything.
    const int startRedraws = form.redrawCount();
    QTRY_VERIFY_WITH_TIMEOUT(s.anim.LineIndex > 0.45f, 5000);
    QCOMPARE(form.redrawCount(), startRedraws);
    QCOMPARE(pixelAt(mx, my), Gold & 0xffffff);

    // A keystroke in the supply temperature ("60" -> "060") redraws: the
    // animation starts over and the mixed marker is yellow again.
    const int redraws = form.redrawCount();
    QTest::keyClick(form.txtSupplyTemp, Qt::Key_Home);
    QTest::keyClick(form.txtSupplyTemp, Qt::Key_0);
    QCOMPARE(form.redrawCount(), redraws + 1);
    QCOMPARE(s.anim.LineIndex, 0.f);
    QCOMPARE(s.anim.B1a, 0.f);
    QCOMPARE(s.anim.A1a, 0.f);
    QVERIFY(form.Timer2->isActive());
    QCOMPARE(pixelAt(mx, my), qRgb(255, 255, 0) & 0xffffff);

    // The next tick is the first of leg 1, its dash starting at the return
    // point: a tenth of the way toward the mixed point.
    QVERIFY(QMetaObject::invokeMethod(form.Timer2, "timeout"));
    QCOMPARE(s.anim.LineIndex, 0.1f);
    const float dx = s.pos.outdoorx - s.pos.returnX, dy = s.pos.outdoorY - s.pos.returnY;
    QVERIFY(std::abs(s.anim.B1a - 0.1 * 0.25 * dx) < 1e-5);
    QVERIFY(std::abs(s.anim.A1a - 0.1 * 0.25 * dy) < 1e-5);
    QCOMPARE(pixelAt(mx, my), Gold & 0xffffff);

    // A whole cycle takes every dash off without a trace: the chart is the
    // freshly drawn one, pixel for pixel, but for the gold mixed marker.
    form.DrawGraphs();
    const QImage fresh = graph.Image().copy();
    for (int n = 0; n < 32; ++n)
        QVERIFY(QMetaObject::invokeMethod(form.Timer2, "timeout"));
    QCOMPARE(s.anim.LineIndex, 0.f);
    const double r = (graph.toPxX(0.12) - graph.toPxX(0) + 2) * dpr;
    const QPointF gold(graph.toPxX(s.pos.returnX + s.pos.XmixedAirOffet) * dpr,
                       graph.toPxY(s.pos.returnY + s.pos.YmixedAirOffet) * dpr);
    int traces = 0;
    for (int y = 0; y < fresh.height(); ++y)
        for (int x = 0; x < fresh.width(); ++x)
            if (graph.Image().pixel(x, y) != fresh.pixel(x, y) &&
                (std::abs(x - gold.x()) > r || std::abs(y - gold.y()) > r))
                ++traces;
    QCOMPARE(traces, 0);
    QVERIFY(w.messages.isEmpty());
}

QTEST_MAIN(TestAnimation)
#include "tst_animation.moc"
