#include "chart/artwork.h"

#include "chart/image_surface.h"
#include "chart/plots.h"
#include "chart/rendered_picture.h"

#include "assets.h"
#include "climate/density_grid.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>

#include <array>
#include <cmath>
#include <deque>

namespace chart {

QImage renderArtwork(const char* resourcePath, qreal devicePixelRatio) {
    // Parsing and rendering an SVG costs milliseconds; the window asks for
    // the same picture at the same ratio more than once, and the chart's
    // from a second thread while a screenshot paints the rest. Each picture
    // is kept at its latest ratio alone: resizing the window zooms the chart
    // to a new one at every step.
    static QHash<QString, QImage> cache;
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    const QString key = QString::fromLatin1(resourcePath);
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    if (const auto it = cache.constFind(key);
        it != cache.constEnd() && it->devicePixelRatio() == dpr)
        return *it;
    assets::init();
    // The build rendered every picture at 1x and 2x already. Any other
    // ratio (a zoomed chart) renders the SVG: scaling the larger picture
    // down costs several times more, in time and memory.
    if (dpr == 1.0 || dpr == 2.0) {
        const int ready = int(dpr);
        const QString base = QFileInfo(QString::fromLatin1(resourcePath)).completeBaseName();
        const QResource rendered(QStringLiteral(":/raster/%1@%2x.argb").arg(base).arg(ready));
        QImage image = decodeRenderedPicture(rendered.uncompressedData());
        if (!image.isNull()) {
            image.setDevicePixelRatio(dpr);
            cache.insert(key, image);
            return image;
        }
    }
    QSvgRenderer renderer{QString::fromLatin1(resourcePath)};
    const QSize natural = renderer.defaultSize();
    if (!renderer.isValid() || natural.isEmpty())
        return QImage();
    QImage image =
        largeImage(int(std::ceil(natural.width() * dpr)), int(std::ceil(natural.height() * dpr)));
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        renderer.render(&p, QRectF(0, 0, image.width(), image.height()));
    }
    image.setDevicePixelRatio(dpr);
    cache.insert(key, image);
    return image;
}

QImage renderAirReference(const psychro::AirChart& c, const psychro::clsGraph& graph, int widthPx,
                          int heightPx, qreal dpr) {
    // Everything the picture depends on: the chart, the plot area and the
    // scale it is drawn in, the size and the ratio.
    struct Key {
        psychro::AirChart c;
        std::array<float, 8> frame;
        int widthPx, heightPx;
        qreal dpr;
        bool operator==(const Key&) const = default;
    };
    const Key key{c,
                  {graph.sngMinXValue, graph.sngMaxXValue, graph.sngMinYValue, graph.sngMaxYValue,
                   graph.MinXScale, graph.MaxXScale, graph.MinYScale, graph.MaxYScale},
                  widthPx,
                  heightPx,
                  dpr};
    // The screen's ratio and a zoom, the range before and after a state
    // moved it: four pictures cover a session's back and forth.
    constexpr size_t Kept = 4;
    static std::deque<std::pair<Key, QImage>> cache;
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    for (const auto& [k, image] : cache)
        if (k == key)
            return image;
    ImageSurface surface(widthPx, heightPx, dpr);
    SetScale(surface, graph);
    Plot_AirReference(surface, graph, c);
    cache.emplace_front(key, surface.Image().copy());
    if (cache.size() > Kept)
        cache.pop_back();
    return cache.front().second;
}

QImage densityPicture(const climate::DensityGrid& grid, const psychro::ChartState& s, int widthPx,
                      int heightPx, qreal dpr) {
    ImageSurface surface(widthPx, heightPx, dpr);
    surface.BackColor(qRgba(0, 0, 0, 0));
    SetScale(surface, s.objMyGraph);
    Plot_Density(surface, grid, s);
    return surface.Image().copy();
}

QImage renderDensity(const climate::DensityGrid& grid, const psychro::ChartState& s, int widthPx,
                     int heightPx, qreal dpr) {
    // Everything the picture depends on. The counts are compared whole
    // (some 11,000 cells, microseconds) and copied only when drawn: a grid
    // carries no identity, and another year or the same year in other
    // units is another picture. The air chart's range matters only with
    // the equations; its pressure never (the mapping does not read it).
    struct Key {
        double minDryBulb, dryBulbStep, ratioStep;
        int columns, rows;
        psychro::Method method;
        psychro::moist::Units units;
        double tMin, tMax, wMax;
        std::array<float, 8> frame;
        int widthPx, heightPx;
        qreal dpr;
        bool operator==(const Key&) const = default;
    };
    const psychro::clsGraph& graph = s.objMyGraph;
    const bool air = s.method == psychro::Method::Ashrae;
    const psychro::AirChart range = air ? s.air : psychro::AirChart{};
    const Key key{grid.minDryBulb,
                  grid.dryBulbStep,
                  grid.ratioStep,
                  grid.columns,
                  grid.rows,
                  s.method,
                  range.units,
                  range.tMin,
                  range.tMax,
                  range.wMax,
                  {graph.sngMinXValue, graph.sngMaxXValue, graph.sngMinYValue, graph.sngMaxYValue,
                   graph.MinXScale, graph.MaxXScale, graph.MinYScale, graph.MaxYScale},
                  widthPx,
                  heightPx,
                  dpr};
    struct Kept {
        Key key;
        std::vector<int> counts;
        QImage picture;
    };
    // The screen's ratio and a zoom, the range before and after a state
    // moved it, as for the reference.
    constexpr size_t KeptCount = 4;
    static std::deque<Kept> cache;
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    for (const Kept& k : cache)
        if (k.key == key && k.counts == grid.counts)
            return k.picture;
    cache.push_front({key, grid.counts, densityPicture(grid, s, widthPx, heightPx, dpr)});
    if (cache.size() > KeptCount)
        cache.pop_back();
    return cache.front().picture;
}

} // namespace chart
