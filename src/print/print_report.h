#pragma once

#include "report_content.h"

#include <QImage>

#include <functional>

class QPagedPaintDevice;

namespace chart {
class Surface;
}
namespace model {
class Session;
}

// The printed report: the chart at its on-screen size at the top of the
// page, the four state blocks below it and the cooling load, and a weather
// year's page when one is open, on any paged device (a printer the
// window's dialog chose, a PDF).
namespace print {

// Draws the psychrometric chart afresh at a device pixel ratio, at its
// on-screen size. The image may carry that ratio; it is always scaled as a
// whole into the chart's place on the page.
using ChartRenderer = std::function<QImage(qreal devicePixelRatio)>;

// Prints the report on the device and ends the document.
//
// Page coordinates are twips (1/1440 inch) from the top-left corner of the
// printable area, y downward. The chart image stands at (0, 0) with the
// width and height that picGraph's surface reads in twips, so it prints at
// its on-screen size. It is rendered through renderChart at the device's
// resolution divided by 96 (the screen resolution of that size), limited to
// 600 dpi, so it prints sharp rather than as an enlarged screen image. Text
// is set in a 10-point sans-serif font; the headers (bold, underlined) and
// the load line in 11 points.
//
// For the time of printing picGraph's scale is switched to twips; its scale
// mode, height, width, top and left are restored afterwards, in that order,
// on every path.
//
// Returns false on any failure: the painter cannot begin on the device, the
// chart could not be rendered, or ending the document failed. (A printer's
// own error state is the caller's to check.)
//
// With a weather year (report.weather), a second page: its title, the chart
// drawn by renderYearChart (the same chart with the year's hours, required
// then) at the same place and size, the year's results and the monthly
// table, every text within the page's width.
bool printReport(QPagedPaintDevice& device, const ReportContent& report, chart::Surface& picGraph,
                 const ChartRenderer& renderChart, const ChartRenderer& renderYearChart = {});

// The report as the bytes of a PDF document on the default page size of
// the system's locale. False, with the reason in *error, when it could not
// be drawn.
bool reportPdf(const ReportContent& report, chart::Surface& picGraph,
               const ChartRenderer& renderChart, QByteArray* out, QString* error = nullptr,
               const ChartRenderer& renderYearChart = {});

// The report of what a Session shows, its chart drawn afresh from the
// Session's state (and with a weather year open, the year's page with its
// hours on the chart): on a printer the window's dialog chose, or as a PDF
// document (with a scratch surface of the chart's size for picGraph).
bool printSession(QPagedPaintDevice& device, const model::Session& s, chart::Surface& picGraph);
bool sessionPdf(const model::Session& s, QByteArray* out, QString* error = nullptr);

} // namespace print
