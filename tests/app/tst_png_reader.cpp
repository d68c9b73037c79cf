// PNGs read without asking every installed image plugin first: no plugin
// library is loaded by a start-up's pictures, and what is read is what Qt's
// own PNG reader gives, clipped, scaled and sized as a caller asks.

#include "png_reader.h"

#include "chart/png_encode.h"

#include <QApplication>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImageReader>
#include <QImageWriter>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QtTest>

class TestPngReader : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // Written by libpng, or for other formats by Qt's writer, which asks
    // the plugins itself.
    QString write(const QImage& image, const QString& name, const char* format = "png") {
        const QString path = m_dir.filePath(name);
        bool written = false;
        if (qstrcmp(format, "png") == 0) {
            QFile file(path);
            const QByteArray png = chart::encodePng(image, true);
            written = file.open(QIODevice::WriteOnly) && file.write(png) == png.size();
        } else {
            written = QImageWriter(path, format).write(image);
        }
        if (!written)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // A picture whose every pixel differs, with translucent ones.
    static QImage pattern(QImage::Format format) {
        QImage image(37, 23, QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgba(x * 7, y * 11, (x * y) % 256, 255 - (x + y) % 3 * 60));
        image.setColorSpace(QColorSpace::SRgb); // as the PNG is marked
        return image.convertToFormat(format);
    }

private slots:
    // First, while nothing in this process has read a picture yet.
    void loadsNoImagePlugin() {
        const QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                           QStringLiteral("/imageformats"));
        if (plugins.entryList(QDir::Files).isEmpty())
            QSKIP("no image plugin installed to be loaded");
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QGroupBox frame(QStringLiteral("A frame the style draws from a PNG"));
        frame.resize(200, 80);
        QVERIFY(!frame.grab().isNull());
        QVERIFY(!QImage(write(pattern(QImage::Format_ARGB32), QStringLiteral("a.png"))).isNull());
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY2(!maps.readAll().contains("/imageformats/"), "an image plugin was loaded");
    }

    void readsWhatWasWritten_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("translucent") << int(QImage::Format_ARGB32);
        QTest::newRow("grey") << int(QImage::Format_Grayscale8);
        QTest::newRow("opaque colour") << int(QImage::Format_RGB32);
    }
    void readsWhatWasWritten() {
        QFETCH(int, format);
        const QImage original = pattern(QImage::Format(format));
        const QString path = write(original, QStringLiteral("p%1.png").arg(format));
        const QImage read(path);
        QCOMPARE(read.convertToFormat(original.format()), original);

        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        QCOMPARE(reader.size(), original.size());
        QVERIFY(reader.canRead());
        const QRect clip(3, 2, 20, 15);
        reader.setClipRect(clip);
        reader.setScaledSize(QSize(10, 30));
        const QImage part = reader.read();
        QCOMPARE(part, read.copy(clip).scaled(10, 30, Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation));
        QImageReader scaled(path);
        scaled.setScaledSize(QSize(50, 9));
        QCOMPARE(scaled.read(), read.scaled(50, 9, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }

    // Another format under a PNG's name is still read by what it is, and a
    // cut-off PNG is refused, not half read.
    void notAPng() {
        QImage original = pattern(QImage::Format_RGB32);
        original.setColorSpace(QColorSpace()); // a BMP carries none
        const QString bmp = m_dir.filePath(QStringLiteral("really-a-bmp.png"));
        QVERIFY(QFile::copy(write(original, QStringLiteral("b.bmp"), "bmp"), bmp));
        QCOMPARE(QImage(bmp).convertToFormat(QImage::Format_RGB32), original);

        QFile whole(write(original, QStringLiteral("whole.png")));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QFile cut(m_dir.filePath(QStringLiteral("cut.png")));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.readAll().left(60));
        cut.close();
        QImageReader reader(cut.fileName());
        QVERIFY(reader.read().isNull());
    }
};

int main(int argc, char* argv[]) {
    app::registerPngReader();
    QApplication application(argc, argv);
    TestPngReader test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_png_reader.moc"
