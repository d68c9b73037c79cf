#include "outputs.h"

#include "options.h"

#include "chart/chart_export.h"
#include "chart/png_encode.h"
#include "fileio/safe_write.h"
#include "model/design_document.h"
#include "model/session.h"
#include "model/sheet_export.h"
#include "model/weather_export.h"
#include "print/print_report.h"
#include "ui/form1.h"

#include <QBuffer>
#include <QTextStream>

namespace app {

namespace {

// Text meant for a terminal. A control character from a file or an
// argument (an escape sequence in a design's title, say) would be obeyed by
// the terminal, so it is shown as the replacement character; line breaks
// and tabs stay.
QString terminalText(QString text) {
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control && c != u'\n' && c != u'\t')
            c = QChar::ReplacementCharacter;
    return text;
}

} // namespace

void printErr(const QString& text) {
    QTextStream err(stderr);
    err << terminalText(text) << Qt::endl;
}

bool writeStdout(const QByteArray& bytes) {
    QString error;
    if (fileio::writeFile(QString::fromLatin1(fileio::StdoutName), bytes, &error))
        return true;
    printErr(QStringLiteral("quorvel: %1").arg(error));
    return false;
}

// Every output is prepared in memory first; should any fail, or the run
// have failed, no file is written or replaced. Then all are put in place
// together. The sheet goes to standard output first, whatever happens.
int writeOutputs(const Request& r, const model::Session& s, const model::DesignDocument& document,
                 ui::Form1* window) {
    if (r.sheet && !writeStdout(r.json ? model::sheetAsJson(s)
                                       : terminalText(model::sheetAsText(s)).toUtf8()))
        return ExitFailure;
    // What was shown came partly from the defaults: a live run whose
    // station did not answer has not done what it was asked.
    if (r.live && !s.lastFeedFailure().isEmpty()) {
        printErr(QStringLiteral("quorvel: the live feed failed:\n%1").arg(s.lastFeedFailure()));
        return ExitFailure;
    }
    fileio::FileBatch batch;
    QString error;
    if (window) {
        // Rendered straight from the widgets; no window needs to be mapped.
        // Without alpha and with fast compression: the file is for looking
        // at, not archiving.
        const QByteArray png = chart::encodePngInBands(window->grabWindow());
        if (png.isEmpty()) {
            printErr(QStringLiteral("quorvel: cannot encode the window as PNG"));
            return ExitFailure;
        }
        batch.add(r.screenshot, png);
    }
    QByteArray bytes;
    if (!r.printPdf.isEmpty()) {
        if (!print::sessionPdf(s, &bytes, &error)) {
            printErr(QStringLiteral("Print Failed\nquorvel: %1").arg(error));
            return ExitFailure;
        }
        batch.add(r.printPdf, bytes);
    }
    if (!r.exportChart.isEmpty()) {
        // A weather year's hours under the process, as the window shows them.
        const climate::DensityGrid* hours = s.weather().isOpen() ? &s.weather().density() : nullptr;
        if (!chart::encodeChart(s.chart(), chart::chartFormatOf(r.exportChart, r.chartFormat),
                                &bytes, &error, hours)) {
            printErr(QStringLiteral("quorvel: '%1': %2").arg(r.exportChart, error));
            return ExitFailure;
        }
        batch.add(r.exportChart, bytes);
    }
    if (!r.csv.isEmpty())
        batch.add(r.csv, model::sheetAsCsv(s).toUtf8());
    if (!r.weatherYearCsv.isEmpty()) {
        if (!s.weather().isOpen() || !s.weather().problem().isEmpty()) {
            printErr(QStringLiteral("quorvel: '%1': %2")
                         .arg(r.weatherYearCsv, s.weather().isOpen()
                                                    ? s.weather().problem()
                                                    : QStringLiteral("no weather year (give "
                                                                     "--weather-year FILE.epw)")));
            return ExitFailure;
        }
        batch.add(r.weatherYearCsv, model::weatherYearCsv(s).toUtf8());
    }
    if (!r.saveDesign.isEmpty()) {
        const bool toStdout = r.saveDesign == QLatin1String(fileio::StdoutName);
        if (!document.fileBytes(&bytes, &error, toStdout ? QString() : r.saveDesign)) {
            printErr(QStringLiteral("quorvel: '%1': %2").arg(r.saveDesign, error));
            return ExitFailure;
        }
        batch.add(r.saveDesign, bytes);
    }
    if (!batch.commit(&error)) {
        printErr(QStringLiteral("quorvel: %1").arg(error));
        return ExitFailure;
    }
    return 0;
}

} // namespace app
