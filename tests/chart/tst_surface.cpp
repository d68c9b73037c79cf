// The drawing surface's semantics that every chart routine relies on, and
// the artwork the build renders ahead for its backgrounds: each picture,
// taken back at start-up, is its SVG as drawn here at that ratio, and bytes
// that are not such a picture are refused rather than shown as garbage.
#include "chart/artwork.h"
#include "chart/image_surface.h"
#include "chart/recording_surface.h"
#include "chart/rendered_picture.h"

#include "assets.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <array>
#include <cstring>

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
    void readyPicturesAreTheSvgs_data();
    void readyPicturesAreTheSvgs();
    void otherBytesAreRefused();
    void artworkKeptForTheLatestRatio();
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

void TestSurface::readyPicturesAreTheSvgs_data() {
    QTest::addColumn<QString>("svg");
    QTest::addColumn<qreal>("ratio");
    // The chart's background is opaque; the warning sign has soft edges.
    for (const char* svg : {assets::graphBackground, assets::warning})
        for (const qreal ratio : {1.0, 2.0})
            QTest::addRow("%s at %gx", svg, ratio) << QString::fromLatin1(svg) << ratio;
}

void TestSurface::readyPicturesAreTheSvgs() {
    QFETCH(QString, svg);
    QFETCH(qreal, ratio);
    assets::init();
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QImage drawn(renderer.defaultSize() * ratio, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter p(&drawn);
        renderer.render(&p, QRectF(0, 0, drawn.width(), drawn.height()));
    }
    const QImage ready = chart::renderArtwork(svg.toLatin1().constData(), ratio);
    QCOMPARE(ready.devicePixelRatio(), ratio);
    QCOMPARE(ready.format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(ready.size(), drawn.size());
    for (int y = 0; y < ready.height(); ++y)
        QVERIFY2(std::memcmp(ready.constScanLine(y), drawn.constScanLine(y),
                             size_t(ready.width()) * 4) == 0,
                 qPrintable(QStringLiteral("row %1 differs").arg(y)));
}

void TestSurface::otherBytesAreRefused() {
    QImage image(5, 3, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgba(10, 20, 30, 40));
    const QByteArray bytes = chart::encodeRenderedPicture(image);
    const QImage back = chart::decodeRenderedPicture(bytes);
    QCOMPARE(back.size(), image.size());
    QCOMPARE(back.pixel(4, 2), image.pixel(4, 2));

    auto withWord = [&bytes](int index, quint32 value) {
        QByteArray changed = bytes;
        std::memcpy(changed.data() + index * 4, &value, 4);
        return changed;
    };
    quint32 mark = 0;
    std::memcpy(&mark, bytes.constData(), 4);
    const std::array<std::pair<const char*, QByteArray>, 7> refused{{
        {"nothing", QByteArray()},
        {"a header alone", bytes.left(16)},
        {"a row short", bytes.chopped(5 * 4)},
        {"a byte over", bytes + '\0'},
        {"written in the other byte order", withWord(0, qbswap(mark))},
        {"rows wider than the picture", withWord(3, 6 * 4)},
        {"no width", withWord(1, 0)},
    }};
    for (const auto& [what, changed] : refused)
        QVERIFY2(chart::decodeRenderedPicture(changed).isNull(), what);
}

// Resizing the window zooms the chart to a new ratio at every step, and
// each step asks for its background there: holding every one of them grew
// the program by megabytes a step.
void TestSurface::artworkKeptForTheLatestRatio() {
    QTemporaryDir dir;
    QFile svg(dir.filePath(QStringLiteral("square.svg")));
    QVERIFY(svg.open(QIODevice::WriteOnly) &&
            svg.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="1000" height="1000">)"
                      R"(<rect width="1000" height="1000" fill="#08f"/></svg>)") > 0);
    svg.close();
    const QByteArray path = QFile::encodeName(svg.fileName());
    auto residentMb = [] {
        QFile statm(QStringLiteral("/proc/self/statm"));
        return statm.open(QIODevice::ReadOnly)
                   ? statm.readAll().split(' ').value(1).toLongLong() * 4096 / (1 << 20)
                   : -1;
    };
    const QImage first = renderArtwork(path.constData(), 1.5);
    QCOMPARE(renderArtwork(path.constData(), 1.5).cacheKey(), first.cacheKey()); // kept
    const qint64 before = residentMb();
    for (int step = 1; step <= 15; ++step) { // 9 MB a ratio
        const QImage art = renderArtwork(path.constData(), 1.5 + step / 100.0);
        QCOMPARE(art.pixel(0, 0), qRgb(0, 0x88, 0xff));
    }
    QVERIFY2(residentMb() - before < 60, qPrintable(QString::number(residentMb() - before)));
}

QTEST_MAIN(TestSurface)
#include "tst_surface.moc"
