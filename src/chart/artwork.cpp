#include "chart/artwork.h"

#include "assets.h"

#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace chart {

QImage renderArtwork(const char* resourcePath, qreal devicePixelRatio) {
    // Parsing and rendering an SVG costs milliseconds; the window asks for
    // the same picture at the same ratio more than once.
    static QHash<QPair<QString, qreal>, QImage> cache;
    const auto key = qMakePair(QString::fromLatin1(resourcePath), devicePixelRatio);
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    assets::init();
    // The build rendered every picture at 1x and 2x already.
    if (devicePixelRatio == 1.0 || devicePixelRatio == 2.0) {
        const QString base = QFileInfo(QString::fromLatin1(resourcePath)).completeBaseName();
        QImage ready(QStringLiteral(":/raster/%1@%2x.png").arg(base).arg(int(devicePixelRatio)));
        if (!ready.isNull()) {
            ready = ready.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            ready.setDevicePixelRatio(devicePixelRatio);
            cache.insert(key, ready);
            return ready;
        }
    }
    QSvgRenderer renderer{QString::fromLatin1(resourcePath)};
    const QSize natural = renderer.defaultSize();
    if (!renderer.isValid() || natural.isEmpty())
        return QImage();
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image(int(std::ceil(natural.width() * dpr)), int(std::ceil(natural.height() * dpr)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        renderer.render(&p, QRectF(0, 0, image.width(), image.height()));
    }
    image.setDevicePixelRatio(dpr);
    cache.insert(key, image);
    return image;
}

} // namespace chart
