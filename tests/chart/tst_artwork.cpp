// The artwork the build renders ahead: each picture, taken back at start-up,
// is its SVG as drawn here at that ratio, and bytes that are not such a
// picture are refused rather than shown as garbage.
#include "chart/artwork.h"
#include "chart/rendered_picture.h"

#include "assets.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QTest>
#include <QtEndian>

#include <array>
#include <cstring>

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    void readyPicturesAreTheSvgs_data();
    void readyPicturesAreTheSvgs();
    void otherBytesAreRefused();
};

void TestArtwork::readyPicturesAreTheSvgs_data() {
    QTest::addColumn<QString>("svg");
    QTest::addColumn<qreal>("ratio");
    // The chart's background is opaque; the warning sign has soft edges.
    for (const char* svg : {assets::graphBackground, assets::warning})
        for (const qreal ratio : {1.0, 2.0})
            QTest::addRow("%s at %gx", svg, ratio) << QString::fromLatin1(svg) << ratio;
}

void TestArtwork::readyPicturesAreTheSvgs() {
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

void TestArtwork::otherBytesAreRefused() {
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

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
