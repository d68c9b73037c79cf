// The screenshot's PNG, compressed in bands at once: every reader must see
// the picture it was given, and zlib must find the stream whole. And the
// helper threads that do it beside the caller.
#include "chart/helper_threads.h"
#include "chart/png_encode.h"

#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <atomic>
#include <semaphore>

#include <zlib.h>

namespace {

// The chunks of a PNG file by type, each checked against its CRC; empty
// when the signature or a CRC is wrong.
QMultiMap<QByteArray, QByteArray> chunks(const QByteArray& png) {
    QMultiMap<QByteArray, QByteArray> found;
    if (!png.startsWith("\x89PNG\r\n\x1a\n"))
        return found;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        if (at + 12 + length > png.size())
            return {};
        const QByteArray typeAndData = png.mid(at + 4, 4 + length);
        const quint32 crc = qFromBigEndian<quint32>(png.constData() + at + 8 + length);
        if (crc32(0, reinterpret_cast<const Bytef*>(typeAndData.constData()),
                  uInt(typeAndData.size())) != crc)
            return {};
        found.insert(typeAndData.left(4), typeAndData.mid(4));
        at += 12 + length;
    }
    return found;
}

} // namespace

class TestPngEncode : public QObject {
    Q_OBJECT
private slots:
    void bandsMakeOnePicture_data();
    void bandsMakeOnePicture();
    void helpersTakeWorkOnlyWhenFree();
};

void TestPngEncode::bandsMakeOnePicture_data() {
    QTest::addColumn<QImage>("image");
    QImage noise(37, 29, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate() | 0xff000000u);
    QTest::newRow("noise, more rows than bands") << noise;
    QTest::newRow("fewer rows than bands") << noise.copy(0, 0, 5, 3);
    QTest::newRow("one pixel") << noise.copy(4, 4, 1, 1);
    // A window-like picture: flat, with long runs the compressor matches
    // across rows.
    QImage flat(300, 97, QImage::Format_RGB32);
    flat.fill(qRgb(240, 240, 240));
    for (int y = 10; y < 90; y += 7)
        for (int x = 0; x < 300; ++x)
            flat.setPixel(x, y, qRgb(x % 256, y, 255 - x % 256));
    QTest::newRow("flat with stripes") << flat;
    // Alpha goes, as it does in a conversion to RGB888.
    QImage translucent(16, 12, QImage::Format_ARGB32_Premultiplied);
    translucent.fill(qRgba(40, 80, 120, 128));
    QTest::newRow("translucent") << translucent;
}

void TestPngEncode::bandsMakeOnePicture() {
    QFETCH(QImage, image);
    const QByteArray png = chart::encodePngInBands(image);
    const QImage expected = image.convertToFormat(QImage::Format_RGB888);
    // Read back by Qt's reader as encodePng's file is: the same pixels,
    // marked sRGB alike.
    const QImage read = QImage::fromData(png, "PNG");
    QVERIFY(!read.isNull());
    QCOMPARE(read, QImage::fromData(chart::encodePng(image), "PNG"));
    // One header, one stream that zlib takes whole, its checksum included,
    // row for row the picture without its alpha; and the end.
    const QMultiMap<QByteArray, QByteArray> c = chunks(png);
    QCOMPARE(c.keys(), (QList<QByteArray>{"IDAT", "IEND", "IHDR", "sRGB"}));
    const QByteArray header = c.value("IHDR");
    QCOMPARE(header.size(), 13);
    QCOMPARE(qFromBigEndian<quint32>(header.constData()), quint32(image.width()));
    QCOMPARE(qFromBigEndian<quint32>(header.constData() + 4), quint32(image.height()));
    const uLong rowBytes = uLong(image.width()) * 3 + 1;
    QByteArray rows(qsizetype(rowBytes * uLong(image.height())) + 1, '\0');
    uLongf length = uLongf(rows.size());
    const QByteArray idat = c.value("IDAT");
    QCOMPARE(uncompress(reinterpret_cast<Bytef*>(rows.data()), &length,
                        reinterpret_cast<const Bytef*>(idat.constData()), uLong(idat.size())),
             Z_OK);
    QCOMPARE(length, rowBytes * uLong(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        QCOMPARE(rows.at(qsizetype(rowBytes) * y), '\0'); // no filter
        QCOMPARE(QByteArray(rows.constData() + rowBytes * uLong(y) + 1, qsizetype(rowBytes - 1)),
                 QByteArray(reinterpret_cast<const char*>(expected.constScanLine(y)),
                            qsizetype(rowBytes - 1)));
    }
}

// Work goes to a helper only when one is free to start it at once (the
// caller waits for it), never to more threads than the cores but one;
// beyond, the caller is told to do it itself. A freed helper takes work
// again.
void TestPngEncode::helpersTakeWorkOnlyWhenFree() {
    chart::prepareHelperThread();
    const int most = std::max(1, QThread::idealThreadCount() - 1);
    std::counting_semaphore<> hold(0), done(0);
    std::atomic<int> elsewhere{0};
    const Qt::HANDLE caller = QThread::currentThreadId();
    auto work = [&] {
        if (QThread::currentThreadId() != caller)
            ++elsewhere;
        hold.acquire();
        done.release();
    };
    int taken = 0;
    while (taken <= most && chart::runBeside(work))
        ++taken;
    // All let go before anything is compared: none is left waiting.
    hold.release(taken);
    for (int i = 0; i < taken; ++i)
        QVERIFY(done.try_acquire_for(std::chrono::seconds(10)));
    QCOMPARE(taken, most);
    QCOMPARE(elsewhere.load(), most);
    // Freed, and taken again: the helper may still be on its way back.
    bool again = false;
    for (int i = 0; i < 1000 && !again; ++i)
        if (!(again = chart::runBeside(work)))
            QThread::msleep(1);
    QVERIFY(again);
    hold.release();
    QVERIFY(done.try_acquire_for(std::chrono::seconds(10)));
}

QTEST_MAIN(TestPngEncode)
#include "tst_png_encode.moc"
