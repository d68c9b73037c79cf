// The drawing surface's semantics that every chart routine relies on.
#include "chart/image_surface.h"
#include "chart/recording_surface.h"

#include <QTest>

using namespace chart;

namespace {
constexpr QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), White = qRgb(255, 255, 255);
// 140 x 140 pixels, 10 to a unit, y up.
struct Surface140 : ImageSurface {
    Surface140() : ImageSurface(140, 140) { Scale(0, 14, 14, 0); }
    QRgb at(int x, int y) const { return Image().pixel(x, y); }
    QPointF current() const { return {CurrentX(), CurrentY()}; }
};
} // namespace

class TestSurface : public QObject {
    Q_OBJECT
private slots:
    void scaleAndCurrentPosition();
    void eraseAndPen();
    void pictureAsWideAsTheSurface();
    void density();
};

void TestSurface::scaleAndCurrentPosition() {
    RecordingSurface s(669, 429, 13.0);
    s.Scale(0, 14, 14, 0);
    QVERIFY(s.toPxX(14) == 669 && s.toPxY(14) == 0 && s.toPxY(7) == 214.5);
    s.Line(1, 1, 3, 4);
    s.Print("abc"); // top-left corner at the position, then a line down
    QCOMPARE(QPointF(s.ops.last().x1, s.ops.last().y1), QPointF(3, 4));
    QCOMPARE(QPointF(s.CurrentX(), s.CurrentY()), QPointF(0, 4 - 14 * 13.0 / 429));
    s.LineBoxFilled(2, 2, 5, 6, Red);
    QCOMPARE(QPointF(s.CurrentX(), s.CurrentY()), QPointF(5, 6));
    s.Circle(7, 8, 0.5, Red);
    QCOMPARE(QPointF(s.CurrentX(), s.CurrentY()), QPointF(7, 8));
}

void TestSurface::eraseAndPen() {
    Surface140 s;
    QImage picture(20, 20, QImage::Format_ARGB32_Premultiplied);
    picture.fill(qRgb(0, 200, 0));
    s.Picture(picture);
    s.DrawWidth(4);
    s.ForeColor(Red);
    s.Line(-1e30, 10, 1e30, 10); // far outside: cut at the edges, row 40
    s.Line(qInf(), 0, qQNaN(), 1);
    QVERIFY(s.at(70, 41) == Red && s.at(70, 45) == White);
    s.Cls(); // the picture at the top-left at its natural size remains
    QVERIFY(s.at(70, 41) == White && s.at(5, 5) == qRgb(0, 200, 0) && s.at(25, 5) == White);
    QCOMPARE(s.current(), QPointF(0, 14));
    s.FillStyle(0);
    s.FillColor(qRgb(0, 255, 0));
    s.Circle(4, 5, 2, Blue); // radius 20 px around (40, 90)
    s.FillStyle(1);
    s.Circle(10, 5, 2, Blue);
    QVERIFY(s.at(40, 90) == qRgb(0, 255, 0) && s.at(100, 90) == White && s.at(120, 90) == Blue);
    for (bool transparent : {true, false}) {
        s.ForeColor(Blue);
        s.Line(0, 12.55, 14, 12.55); // through the text box
        s.FontTransparent(transparent);
        s.setCurrentX(1);
        s.setCurrentY(13);
        s.Print("        "); // blanks: only a background box hides the line
        QCOMPARE(s.at(20, 14) == Blue, transparent);
    }
    s.BackColor(Blue);
    QCOMPARE(s.at(70, 41), Blue);
}

// A background as wide as the surface and taller: an opaque one is the
// cleared surface as it stands, and is never drawn on; a translucent one,
// given in its place, lies over the background colour.
void TestSurface::pictureAsWideAsTheSurface() {
    const QColor translucent = QColor::fromRgba(qRgba(0, 0, 255, 128));
    ImageSurface s(669, 429);
    s.Scale(0, 14, 14, 0);
    for (const QColor& colour : {QColor(0, 200, 0), translucent}) {
        QImage picture(669, 432, QImage::Format_ARGB32_Premultiplied);
        picture.fill(colour);
        s.Picture(picture);
        s.Cls();
        s.DrawWidth(3);
        s.ForeColor(Red);
        s.Line(0, 7, 14, 7); // row 214
        QCOMPARE(s.Image().pixel(300, 214), Red);
        s.Cls();
        const QRgb shown = s.Image().pixel(300, 214);
        if (colour == translucent)
            QVERIFY(qAlpha(shown) == 255 && qRed(shown) > 120 && qRed(shown) < 135 &&
                    qBlue(shown) == 255);
        else
            QVERIFY(shown == colour.rgb() && picture.pixel(300, 214) == colour.rgb() &&
                    s.Image().pixel(668, 428) == colour.rgb());
    }
}

// At twice the density the chart keeps its place.
void TestSurface::density() {
    ImageSurface s(100, 50, 2.0);
    s.Scale(0, 14, 14, 0);
    s.Line(7, 0, 7, 14); // x 50, device x 100
    QVERIFY(s.Image().size() == QSize(200, 100) && qGray(s.Image().pixel(100, 50)) < 128);
}

QTEST_MAIN(TestSurface)
#include "tst_surface.moc"
