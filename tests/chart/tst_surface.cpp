// The drawing surface's semantics that every chart routine relies on.
#include "chart/image_surface.h"
#include "chart/recording_surface.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTest>

using namespace chart;

class TestSurface : public QObject {
    Q_OBJECT
private slots:
    void scaleMapsUserCoordinatesWithYUp();
    void currentPositionFollowsLinePrintAndCircle();
    void eraseKeepsBackgroundColourAndPicture();
    void backColorErasesLikeCls();
    void linesDrawInForeColourAndWidth();
    void circleFillFollowsFillStyle();
    void transparentTextLeavesLinesVisible();
    void drawingOutsideIsClippedWithoutError();
    void twipsModeAndRestore();
    void imageIsRenderedAtDevicePixelRatio();
    void textIsDrawnInTheSurfaceFont();
};

namespace {
// A 140 x 140 pixel surface: 10 pixels per unit, y up.
struct Surface140 : ImageSurface {
    Surface140() : ImageSurface(140, 140) { Scale(0, 14, 14, 0); }
};
} // namespace

void TestSurface::scaleMapsUserCoordinatesWithYUp() {
    ImageSurface s(669, 429);
    s.Scale(0, 14, 14, 0);
    QCOMPARE(s.toPxX(0), 0.0);
    QCOMPARE(s.toPxX(14), 669.0);
    QCOMPARE(s.toPxY(14), 0.0);
    QCOMPARE(s.toPxY(0), 429.0);
    QCOMPARE(s.toPxY(7), 214.5);
    QCOMPARE(s.ScaleWidth(), 14.0);
    QCOMPARE(s.ScaleHeight(), -14.0);
}

void TestSurface::currentPositionFollowsLinePrintAndCircle() {
    RecordingSurface s(140, 140, 13.0);
    s.Scale(0, 14, 14, 0);
    s.Line(1, 1, 3, 4);
    QCOMPARE(s.CurrentX(), 3.0);
    QCOMPARE(s.CurrentY(), 4.0);
    s.Print("abc");
    QCOMPARE(s.ops.last().kind, RecordingSurface::Kind::Text);
    QCOMPARE(s.ops.last().x1, 3.0); // top-left corner at the current position
    QCOMPARE(s.ops.last().y1, 4.0);
    // Back to the left of the scale, one text line (13 px = 1.3 units) down.
    QCOMPARE(s.CurrentX(), 0.0);
    QCOMPARE(s.CurrentY(), 4.0 - 1.3);
    s.LineBoxFilled(2, 2, 5, 6, qRgb(1, 2, 3));
    QCOMPARE(s.CurrentX(), 5.0);
    QCOMPARE(s.CurrentY(), 6.0);
    s.Circle(7, 8, 0.5, qRgb(1, 2, 3));
    QCOMPARE(s.CurrentX(), 7.0);
    QCOMPARE(s.CurrentY(), 8.0);
}

void TestSurface::eraseKeepsBackgroundColourAndPicture() {
    Surface140 s;
    QImage picture(20, 20, QImage::Format_ARGB32_Premultiplied);
    picture.fill(qRgb(0, 200, 0));
    s.Picture(picture);
    s.Cls();
    s.ForeColor(qRgb(255, 0, 0));
    s.DrawWidth(3);
    s.Line(0, 7, 14, 7);
    QCOMPARE(s.Image().pixel(70, 70), qRgb(255, 0, 0));
    s.Cls();
    QCOMPARE(s.Image().pixel(70, 70), qRgb(255, 255, 255)); // line gone
    QCOMPARE(s.Image().pixel(5, 5), qRgb(0, 200, 0));       // picture at top-left
    QCOMPARE(s.Image().pixel(25, 5), qRgb(255, 255, 255));  // natural size only
    QCOMPARE(s.CurrentX(), 0.0);
    QCOMPARE(s.CurrentY(), 14.0);
}

void TestSurface::backColorErasesLikeCls() {
    Surface140 s;
    s.Cls();
    s.DrawWidth(3);
    s.Line(0, 7, 14, 7);
    s.BackColor(qRgb(0, 0, 255));
    QCOMPARE(s.Image().pixel(70, 70), qRgb(0, 0, 255));
    QCOMPARE(s.Image().pixel(10, 10), qRgb(0, 0, 255));
}

void TestSurface::linesDrawInForeColourAndWidth() {
    Surface140 s;
    s.Cls();
    s.ForeColor(qRgb(128, 0, 0));
    s.DrawWidth(4);
    s.Line(2, 10, 12, 10); // horizontal at pixel row 40
    QCOMPARE(s.Image().pixel(70, 40), qRgb(128, 0, 0));
    QCOMPARE(s.Image().pixel(70, 41), qRgb(128, 0, 0));
    QCOMPARE(s.Image().pixel(70, 45), qRgb(255, 255, 255));
    s.DrawWidth(1);
    s.Line(2, 5, 12, 5);
    QCOMPARE(s.Image().pixel(70, 92), qRgb(255, 255, 255));
}

void TestSurface::circleFillFollowsFillStyle() {
    Surface140 s;
    s.Cls();
    s.FillStyle(0);
    s.FillColor(qRgb(0, 255, 0));
    s.Circle(4, 7, 2, qRgb(0, 0, 255)); // radius 20 px around (40, 70)
    QCOMPARE(s.Image().pixel(40, 70), qRgb(0, 255, 0));
    s.FillStyle(1);
    s.DrawWidth(3);
    s.Circle(10, 7, 2, qRgb(0, 0, 255));
    QCOMPARE(s.Image().pixel(100, 70), qRgb(255, 255, 255)); // open interior
    QCOMPARE(s.Image().pixel(120, 70), qRgb(0, 0, 255));     // outline
}

void TestSurface::transparentTextLeavesLinesVisible() {
    for (bool transparent : {true, false}) {
        Surface140 s;
        s.Cls();
        s.DrawWidth(3);
        s.ForeColor(qRgb(0, 0, 255));
        s.Line(0, 12.55, 14, 12.55); // through the text box, between glyphs
        s.FontTransparent(transparent);
        s.ForeColor(qRgb(0, 0, 0));
        s.setCurrentX(1);
        s.setCurrentY(13);
        s.Print("        "); // blanks: only the background box could hide the line
        QCOMPARE(s.Image().pixel(20, 14) == qRgb(0, 0, 255), transparent);
    }
}

void TestSurface::drawingOutsideIsClippedWithoutError() {
    Surface140 s;
    s.Cls();
    s.DrawWidth(2);
    s.ForeColor(qRgb(255, 0, 0));
    // Far outside, huge, infinite and undefined coordinates: no error, and
    // only the part inside the surface shows.
    s.Line(-1e30, 7, 1e30, 7);
    s.Line(qInf(), 0, 1, 1);
    s.Line(qQNaN(), 0, 1, 1);
    s.Circle(1e200, 1e200, 1e100, qRgb(0, 0, 0));
    s.setCurrentX(-1e300);
    s.Print("x");
    s.LineBoxFilled(-1e20, -1e20, 1e20, 1, qRgb(0, 0, 255));
    QCOMPARE(s.Image().pixel(70, 70), qRgb(255, 0, 0));
    QCOMPARE(s.Image().pixel(70, 135), qRgb(0, 0, 255));
    QCOMPARE(s.Image().pixel(70, 20), qRgb(255, 255, 255));
}

void TestSurface::twipsModeAndRestore() {
    RecordingSurface s(669, 429);
    s.Scale(0, 14, 14, 0);
    s.setScaleMode(ScaleMode::Twips);
    QCOMPARE(s.ScaleWidth(), 669.0 * 15);
    QCOMPARE(s.ScaleHeight(), 429.0 * 15);
    QCOMPARE(s.ScaleLeft(), 0.0);
    s.setScaleMode(ScaleMode::User);
    s.setScaleHeight(-14);
    s.setScaleWidth(14);
    s.setScaleTop(14);
    s.setScaleLeft(0);
    QCOMPARE(s.scaleMode(), ScaleMode::User);
    QCOMPARE(s.toPxY(0), 429.0);
    QCOMPARE(s.toPxX(14), 669.0);
}

void TestSurface::imageIsRenderedAtDevicePixelRatio() {
    ImageSurface s(100, 50, 2.0);
    s.Scale(0, 14, 14, 0);
    s.Cls();
    QCOMPARE(s.Image().size(), QSize(200, 100));
    QCOMPARE(s.Image().devicePixelRatio(), 2.0);
    s.ForeColor(qRgb(0, 0, 0));
    s.DrawWidth(1);
    s.Line(7, 0, 7, 14); // logical x 50 = device x 100
    QCOMPARE(qGray(s.Image().pixel(100, 50)) < 128, true);
}

// Labels are 8 points on a 96-dpi surface whatever font the painter or the
// application would otherwise use: the inked width of a run of M's matches
// that font's advance.
void TestSurface::textIsDrawnInTheSurfaceFont() {
    ImageSurface s(300, 40);
    s.Scale(0, 14, 14, 0);
    s.FontSize(8);
    s.Cls();
    s.ForeColor(qRgb(0, 0, 0));
    s.setCurrentX(0);
    s.setCurrentY(14);
    const QString text = "MMMMMMMMMM";
    s.Print(text);
    int right = 0;
    for (int x = 0; x < s.Image().width(); ++x)
        for (int y = 0; y < s.Image().height(); ++y)
            if (qGray(s.Image().pixel(x, y)) < 128)
                right = std::max(right, x);
    QImage ref(1, 1, QImage::Format_ARGB32);
    ref.setDotsPerMeterX(3780);
    ref.setDotsPerMeterY(3780);
    QFont font("Liberation Sans");
    font.setPointSizeF(8);
    const double advance = QFontMetricsF(font, &ref).horizontalAdvance(text);
    QVERIFY2(qAbs(right - advance) < 0.08 * advance,
             qPrintable(QString("inked to %1, font advance %2").arg(right).arg(advance)));
}

QTEST_MAIN(TestSurface)
#include "tst_surface.moc"
