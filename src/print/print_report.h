#pragma once

#include "report_content.h"

#include <QImage>

#include <functional>

class QPrinter;
class QWidget;

namespace chart {
class Surface;
}

// The printed report: the chart at its on-screen size at the top of the
// page, the four state blocks below it and the cooling load.
//
// The window's print button takes a few lines:
//
//     void Form1::cmdPrint_Click() {
//         if (!print::printWithDialog(
//                 runPrintDialog, [this] { return <the ReportContent of the fields as shown>; },
//                 picGraph->surface(), [this](qreal dpr) { return renderGraphImage(dpr); }))
//             messageBox(QStringLiteral("Print Failed"));
//     }
//
// with runPrintDialog defaulting to
// [this](QPrinter& p) { return print::execPrintDialog(p, this); }, and the
// headless --print-pdf FILE calls printReportToPdf the same way.
namespace print {

// Draws the psychrometric chart afresh at a device pixel ratio, at its
// on-screen size (Form1::renderGraphImage). The image may carry that ratio;
// it is always scaled as a whole into the chart's place on the page.
using ChartRenderer = std::function<QImage(qreal devicePixelRatio)>;

// Prints the one-page report on printer and ends the document.
//
// Page coordinates are twips (1/1440 inch) from the top-left corner of the
// printable area, y downward. The chart image stands at (0, 0) with the
// width and height that picGraph's surface reads in twips, so it prints at
// its on-screen size (15 twips to a screen pixel). It is rendered through
// renderChart at the printer's resolution divided by 96 (the screen
// resolution of that size), limited to 600 dpi, so it prints sharp rather
// than as an enlarged screen image. Text is set in a 10-point sans-serif
// font; the headers (bold, underlined) and the load line in 11 points.
//
// For the time of printing picGraph's scale is switched to twips; its scale
// mode, height, width, top and left are restored afterwards, in that order,
// on every path.
//
// Returns false on any failure: the printer is not valid, the painter cannot
// begin on it (e.g. a PDF file that cannot be written), the chart could not
// be rendered, or the printer reports an error on ending the document.
bool printReport(QPrinter& printer, const ReportContent& report, chart::Surface& picGraph,
                 const ChartRenderer& renderChart);

// Shows the platform's print dialog (the printers of the print system, page
// set-up, print to file) for printer, modally. True when the user accepted;
// the chosen printer and page settings are then in printer.
bool execPrintDialog(QPrinter& printer, QWidget* parent);

// Puts the print dialog up for printer; true to go on printing. The window
// holds one so that tests can stand in for the user.
using PrintDialogRunner = std::function<bool(QPrinter& printer)>;

// The whole print button: runs the dialog on a new high-resolution printer;
// cancelling it counts as a failure and prints nothing. After an accepted
// dialog the pending window events run once (an animation tick queued
// meanwhile still draws in the chart's user coordinates), then the report
// built by content() is printed by printReport under the busy cursor.
// Returns false on cancel or any failure; the caller shows "Print Failed".
bool printWithDialog(const PrintDialogRunner& runDialog,
                     const std::function<ReportContent()>& content, chart::Surface& picGraph,
                     const ChartRenderer& renderChart);

// Prints the report into the PDF file fileName (created or replaced whole,
// never left half written) on the default page size of the system's
// locale. False on any failure, such as a path that cannot be written, with
// the reason in *error.
bool printReportToPdf(const QString& fileName, const ReportContent& report,
                      chart::Surface& picGraph, const ChartRenderer& renderChart,
                      QString* error = nullptr);

} // namespace print
