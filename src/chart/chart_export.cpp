#include "chart/chart_export.h"

#include "chart/png_encode.h"

#include "chart/artwork.h"
#include "chart/image_surface.h"
#include "chart/plots.h"

#include "assets.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QSvgRenderer>

namespace chart {

namespace {

// Sharp enough for the hours' cells and their scale wherever a vector
// copy is enlarged (cells are some 5 screen pixels), while the embedded
// picture stays small: mostly transparent, it compresses well.
constexpr qreal VectorDensityRatio = 4;

void drawOn(Surface& surface, const psychro::ChartState& s, const climate::DensityGrid* density,
            qreal densityRatio) {
    SetScale(surface, s.objMyGraph);
    surface.Cls();
    // Drawn afresh, not kept: an export is made once.
    const QImage hours =
        density ? densityPicture(*density, s, GraphWidthPx, GraphHeightPx, densityRatio) : QImage();
    drawPsychrometricChart(surface, s, density ? &hours : nullptr);
}

// The vector exports draw through the same routines onto the document, with
// the background artwork drawn as vectors too.
bool drawVector(QPaintDevice& device, const psychro::ChartState& s,
                const climate::DensityGrid* density) {
    QPainter p(&device);
    if (!p.isActive())
        return false;
    QSvgRenderer art{QString::fromLatin1(assets::graphBackground)};
    DeviceSurface surface(p, GraphWidthPx, GraphHeightPx, [&art](QPainter& painter) {
        art.render(&painter, QRectF(QPointF(0, 0), art.defaultSize()));
    });
    drawOn(surface, s, density, VectorDensityRatio);
    return p.end();
}

} // namespace

QString chartFormatOf(const QString& path, const QString& format) {
    return format.isEmpty() ? QFileInfo(path).suffix().toLower() : format.toLower();
}

QImage renderGraphImage(const psychro::ChartState& s, qreal devicePixelRatio,
                        const climate::DensityGrid* density) {
    ImageSurface surface(GraphWidthPx, GraphHeightPx, devicePixelRatio);
    surface.Picture(renderArtwork(assets::graphBackground, devicePixelRatio));
    drawOn(surface, s, density, surface.devicePixelRatio());
    return surface.Image().copy();
}

bool encodeChart(const psychro::ChartState& s, const QString& suffix, QByteArray* out,
                 QString* error, const climate::DensityGrid* density) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool drawn = false;
    if (suffix == QLatin1String("png")) {
        // Twice the screen size: sharp when placed in a report.
        const QByteArray png = encodePng(renderGraphImage(s, 2.0, density));
        drawn = !png.isEmpty() && buffer.write(png) == png.size();
    } else if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(GraphWidthPx, GraphHeightPx));
        svg.setViewBox(QRect(0, 0, GraphWidthPx, GraphHeightPx));
        svg.setResolution(96);
        svg.setTitle(QStringLiteral("Psychrometric chart"));
        drawn = drawVector(svg, s, density);
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(GraphWidthPx * 72.0 / 96, GraphHeightPx * 72.0 / 96),
                                  QPageSize::Point, QStringLiteral("Chart"),
                                  QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("Psychrometric chart"));
        drawn = drawVector(pdf, s, density);
    } else {
        if (error)
            *error = suffix.isEmpty()
                         ? QStringLiteral("the chart exports as .png, .svg or .pdf, and the name "
                                          "has no suffix")
                         : QStringLiteral("the chart exports as .png, .svg or .pdf, not '.%1'")
                               .arg(suffix);
        return false;
    }
    if (!drawn || buffer.data().isEmpty()) {
        if (error)
            *error = QStringLiteral("cannot draw the chart as %1").arg(suffix);
        return false;
    }
    *out = buffer.data();
    return true;
}

} // namespace chart
