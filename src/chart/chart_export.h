#pragma once

#include "psychro/chart_state.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace climate {
struct DensityGrid;
}

// The psychrometric chart away from the screen: drawn afresh from the state
// a recompute left, sharp at any resolution, for printing and exporting.
namespace chart {

// The drawable areas of the two chart surfaces at 100 %, device-independent
// pixels (the picture boxes less their sunken frames).
inline constexpr int GraphWidthPx = 669, GraphHeightPx = 429;
inline constexpr int HistoryWidthPx = 669, HistoryHeightPx = 205;

// The formats the chart exports as, each its file suffix.
inline const QStringList ChartFormats = {QStringLiteral("png"), QStringLiteral("svg"),
                                         QStringLiteral("pdf")};

// The format of a chart file: format when given, else the file's suffix.
QString chartFormatOf(const QString& path, const QString& format = QString());

// The chart with its background at a device pixel ratio; with a weather
// year's hours under the process when given a density grid.
QImage renderGraphImage(const psychro::ChartState& s, qreal devicePixelRatio,
                        const climate::DensityGrid* density = nullptr);

// The chart as the bytes of a file of the given format: "png" (twice the
// screen size), "svg" or "pdf" (vectors, the background too; the hours as
// an embedded picture at four times the screen's resolution). False with a
// reason for any other format or when drawing failed.
bool encodeChart(const psychro::ChartState& s, const QString& suffix, QByteArray* out,
                 QString* error, const climate::DensityGrid* density = nullptr);

} // namespace chart
