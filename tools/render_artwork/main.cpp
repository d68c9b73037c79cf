// Renders the SVG artwork at fixed pixel ratios during the build, so the
// program takes ready pictures at start-up instead of laying out SVG text;
// other ratios (zoomed charts) still render the SVG itself.
// Usage: quorvel-render-artwork OUT_DIR RATIO[,RATIO...] FILE.svg...
#include "rendered_picture.h"

#include <QGuiApplication>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: quorvel-render-artwork OUT_DIR RATIOS FILE.svg...\n");
        return 2;
    }
    const QDir out(args[1]);
    QDir().mkpath(out.path());
    for (const QString& svg : args.mid(3)) {
        QSvgRenderer renderer(svg);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(svg));
            return 1;
        }
        for (const QString& ratioText : args[2].split(u',')) {
            const int ratio = ratioText.toInt();
            const QSize natural = renderer.defaultSize();
            QImage image(natural * ratio, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            {
                QPainter p(&image);
                renderer.render(&p, QRectF(0, 0, image.width(), image.height()));
            }
            const QString name =
                QFileInfo(svg).completeBaseName() + QStringLiteral("@%1x.argb").arg(ratio);
            const QByteArray bytes = chart::encodeRenderedPicture(image);
            QFile file(out.filePath(name));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(out.filePath(name)));
                return 1;
            }
        }
    }
    return 0;
}
