// The printed report, checked on real PDF files: the text is read back with
// poppler's pdftotext and the page rendered with pdftoppm, so what is
// checked is what a printer would put on paper.

#include "chart/image_surface.h"
#include "print/print_report.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <optional>

using psychro::Field;

namespace {

constexpr int ChartW = 669, ChartH = 429; // the window's chart box, screen pixels
constexpr double MarginPt = 36;           // test pages: half an inch, 720 twips, 48 px at 96 dpi

const print::RowCaptions Captions = {
    "Temperature (F)",   "Rel Humidity %",  "Dew Point (F)",  "Wet Bulb (F)", "Humidity Ratio",
    "Enthalpy (BTU/lb)", "Specific Volume", "Air Flow (CFM)", "Mass (#m/hr)",
};

// A sheet as the window might show it; every text distinct so that a field
// printed in the wrong place shows. In the order of psychro::Field: each
// quantity for OUTDOOR, RETURN, SUPPLY, MIXED.
psychro::Sheet shownSheet(bool withEmptyFields) {
    static const char* const texts[psychro::FieldCount] = {
        "95",     "75",     "60",     "80",     "51",      "60",    "99",    "57",
        "74.6",   "60.3",   "59.9",   "63.5",   "79.1",    "65.2",  "59.8",  "68.0",
        ".01840", ".01112", ".01110", ".01294", "42.89",   "30.18", "26.23", "32.04",
        "14.33",  "13.68",  "13.30",  "13.84",  "1500",    "4500",  "6000",  "6000",
        "6,281",  "19,737", "27,068", "26,012", "257,280", "1.23",  "25"};
    psychro::Sheet s;
    for (int i = 0; i < psychro::FieldCount; ++i)
        s.text[size_t(i)] = QString::fromLatin1(texts[i]);
    if (withEmptyFields) {
        s[Field::txtReturnDew].clear();
        s[Field::txtMixedRH].clear();
    }
    return s;
}

// "Manual Entry", or a design city selected and two fields empty.
print::ReportContent report(bool cityAndEmptyFields = false) {
    return print::reportContent(Captions, shownSheet(cityAndEmptyFields),
                                cityAndEmptyFields ? 12 : 0,
                                cityAndEmptyFields ? "Phoenix, AZ" : "Manual Entry");
}

struct ExpectedBlock {
    QString header;
    std::array<print::ReportRow, 5> rows;
};
print::ReportRow row(const char* left, const char* right) {
    return {left ? std::optional(QString::fromLatin1(left)) : std::nullopt,
            QString::fromLatin1(right)};
}
// The report of the sheet above, written out by hand from its row table.
std::array<ExpectedBlock, 4> expected(bool cityAndEmptyFields) {
    std::array<ExpectedBlock, 4> e{{
        {"SUPPLY",
         {row("Temperature (F): 60", "Rel Humidity %: 99"), row(nullptr, "Air Flow (CFM): 6000"),
          row("Dew Point (F): 59.9", "Specific Volume: 13.30"),
          row("Wet Bulb (F): 59.8", "Enthalpy (BTU/lb): 26.23"),
          row("Humidity Ratio: .01110", "Mass (#m/hr): 27,068")}},
        {"RETURN",
         {row("Temperature (F): 75", "Rel Humidity %: 60"), row(nullptr, "Air Flow (CFM): 4500"),
          row("Dew Point (F): 60.3", "Specific Volume: 13.68"),
          row("Wet Bulb (F): 65.2", "Enthalpy (BTU/lb): 30.18"),
          row("Humidity Ratio: .01112", "Mass (#m/hr): 19,737")}},
        {"OUTDOOR",
         {row(nullptr, "Rel Humidity %: 51"), row("Temperature (F): 95", "Air Flow (CFM): 1500"),
          row("Dew Point (F): 74.6", "Specific Volume: 14.33"),
          row("Wet Bulb (F): 79.1", "Enthalpy (BTU/lb): 42.89"),
          row("Humidity Ratio: .01840", "Mass (#m/hr): 6,281")}},
        {"MIXED",
         {row("Temperature (F): 80", "Rel Humidity %: 57"), row(nullptr, "Air Flow (CFM): 6000"),
          row("Dew Point (F): 63.5", "Specific Volume: 13.84"),
          row("Wet Bulb (F): 68.0", "Enthalpy (BTU/lb): 32.04"),
          row("Humidity Ratio: .01294", "Mass (#m/hr): 26,012")}},
    }};
    if (cityAndEmptyFields) {
        e[1].rows[2].left = QStringLiteral("Dew Point (F): ");
        e[2].rows[0].left = QStringLiteral("Phoenix, AZ");
        e[3].rows[0].right = QStringLiteral("Rel Humidity %: ");
    }
    return e;
}

// The five scale values printing saves and restores, exactly.
QString scaleOf(const chart::Surface& s) {
    return QStringLiteral("mode %1 left %2 top %3 width %4 height %5")
        .arg(int(s.scaleMode()))
        .arg(s.ScaleLeft(), 0, 'g', 17)
        .arg(s.ScaleTop(), 0, 'g', 17)
        .arg(s.ScaleWidth(), 0, 'g', 17)
        .arg(s.ScaleHeight(), 0, 'g', 17);
}

// Quadrant colours of the stand-in chart: a flipped, shifted or resized
// chart shows on the rendered page.
const QColor Quadrant[4] = {{200, 100, 50}, {40, 160, 90}, {90, 40, 160}, {160, 160, 40}};

// Stands in for the window's chart renderer: an image of the size the
// window's would have at the asked ratio; records each call.
struct FakeChart {
    chart::Surface& surface;
    QList<qreal> ratios;
    QString scaleWhileRendering;
    bool busyCursorWhileRendering = false;

    print::ChartRenderer renderer() {
        return [this](qreal dpr) {
            ratios.append(dpr);
            scaleWhileRendering = scaleOf(surface);
            const QCursor* c = QGuiApplication::overrideCursor();
            busyCursorWhileRendering = c && c->shape() == Qt::WaitCursor;
            QImage im(int(std::ceil(ChartW * dpr)), int(std::ceil(ChartH * dpr)),
                      QImage::Format_RGB32);
            const int w = im.width() / 2, h = im.height() / 2;
            QPainter p(&im);
            for (int q = 0; q < 4; ++q)
                p.fillRect(q % 2 * w, q / 2 * h, w + 1, h + 1, Quadrant[q]);
            return im;
        };
    }
};

void setUpPdf(QPrinter& printer, const QString& file, int dpi) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(dpi);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(MarginPt, MarginPt, MarginPt, MarginPt), QPageLayout::Point);
}

// Runs a poppler tool to its end: its standard output, or nothing with
// *error set.
std::optional<QString> runTool(const QString& program, const QStringList& args, QString* error) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        *error = program + QStringLiteral(" did not start (poppler-utils installed?)");
        return std::nullopt;
    }
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = program + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAllStandardError());
        return std::nullopt;
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Renders a piece of the page at 96 or 720 dpi into a PNG and loads it.
QImage renderPage(const QString& pdf, const QString& prefix, const QStringList& options) {
    QString error;
    if (!runTool(QStringLiteral("pdftoppm"),
                 options + QStringList{"-png", "-singlefile", pdf, prefix}, &error))
        qWarning("%s", qPrintable(error));
    return QImage(prefix + QStringLiteral(".png"));
}

// Top-left corners, in points on the page, of each word of that text in
// `pdftotext -bbox` output, top to bottom.
QList<QPointF> wordsAt(const QString& xhtml, const QString& text) {
    const QRegularExpression re(QStringLiteral(R"re(xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>%1<)re")
                                    .arg(QRegularExpression::escape(text)));
    QList<QPointF> at;
    for (const auto& m : re.globalMatch(xhtml))
        at.append({m.captured(1).toDouble(), m.captured(2).toDouble()});
    std::sort(at.begin(), at.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
    return at;
}

// Twips from the top-left of the printable area to points on the page.
double pagePt(double twips) {
    return MarginPt + twips / 20.0;
}

bool near(QRgb actual, QColor expected, int tolerance) {
    return std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}
QByteArray pixelMessage(const char* what, int x, int y, QRgb c) {
    return QByteArray(what) + " at " + QByteArray::number(x) + "," + QByteArray::number(y) +
           " is " + QByteArray::number(qRed(c)) + "," + QByteArray::number(qGreen(c)) + "," +
           QByteArray::number(qBlue(c));
}

} // namespace

class TestPrintReport : public QObject {
    Q_OBJECT

private slots:
    void init();
    void contentPairsCaptionsWithFieldsAsShown_data();
    void contentPairsCaptionsWithFieldsAsShown();
    void pdfListsEveryBlockAndTheLoad_data() { contentPairsCaptionsWithFieldsAsShown_data(); }
    void pdfListsEveryBlockAndTheLoad();
    void textAndMarkersStandAtTheirTwipsPositions();
    void chartPrintsSharpAtOnScreenSizeTopLeft_data();
    void chartPrintsSharpAtOnScreenSizeTopLeft();
    void scaleRestoredOnEveryPath_data();
    void scaleRestoredOnEveryPath();
    void dialogCancelIsAFailure_data();
    void dialogCancelIsAFailure();

private:
    // Prints the report on an A4 PDF printer at that resolution; the file,
    // or an empty string when printReport failed.
    QString printPdf(const QString& name, int dpi = 300);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<chart::ImageSurface> m_surface;
    std::unique_ptr<FakeChart> m_chart;
};

void TestPrintReport::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_surface = std::make_unique<chart::ImageSurface>(ChartW, ChartH);
    m_surface->Scale(0, 14, 14, 0); // the chart's user scale
    m_chart = std::make_unique<FakeChart>(FakeChart{*m_surface, {}, {}, false});
}

QString TestPrintReport::printPdf(const QString& name, int dpi) {
    const QString file = m_dir->filePath(name);
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, file, dpi);
    return print::printReport(printer, report(), *m_surface, m_chart->renderer()) ? file
                                                                                  : QString();
}

void TestPrintReport::contentPairsCaptionsWithFieldsAsShown_data() {
    QTest::addColumn<bool>("cityAndEmptyFields");
    QTest::newRow("manual entry") << false;
    QTest::newRow("city selected, empty fields") << true;
}

void TestPrintReport::contentPairsCaptionsWithFieldsAsShown() {
    QFETCH(bool, cityAndEmptyFields);
    const print::ReportContent got = report(cityAndEmptyFields);
    const auto want = expected(cityAndEmptyFields);
    for (size_t b = 0; b < 4; ++b) {
        QCOMPARE(got.blocks[b].header, want[b].header);
        for (size_t r = 0; r < 5; ++r) {
            const auto& g = got.blocks[b].rows[r];
            QVERIFY2(g == want[b].rows[r],
                     qPrintable(QStringLiteral("%1 row %2: '%3' | '%4'")
                                    .arg(want[b].header)
                                    .arg(r + 1)
                                    .arg(g.left.value_or(QStringLiteral("<none>")), g.right)));
        }
    }
    QCOMPARE(got.loadLine, QStringLiteral("Cooling Load (BTU/HR): 257,280"));
}

void TestPrintReport::pdfListsEveryBlockAndTheLoad() {
    QFETCH(bool, cityAndEmptyFields);
    // Through the headless entry point, on the locale's default page.
    const QString pdf = m_dir->filePath(QStringLiteral("report.pdf"));
    QVERIFY(
        print::printReportToPdf(pdf, report(cityAndEmptyFields), *m_surface, m_chart->renderer()));
    QString error;
    const auto text = runTool(QStringLiteral("pdftotext"), {"-layout", pdf, "-"}, &error);
    QVERIFY2(text, qPrintable(error));
    QVERIFY2(!text->contains(QStringLiteral("Manual Entry")), "Manual Entry is not a city");
    const QStringList lines = text->split(QLatin1Char('\n'));

    // Each row's line, split at the wide gap between the two columns; a
    // line that starts indented has only its right entry.
    static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
    int at = 0;
    for (const ExpectedBlock& block : expected(cityAndEmptyFields)) {
        while (at < lines.size() && lines[at].trimmed() != block.header)
            ++at;
        QVERIFY2(at < lines.size(), qPrintable(block.header + " missing or out of order"));
        for (const print::ReportRow& want : block.rows) {
            do
                ++at;
            while (at < lines.size() && lines[at].trimmed().isEmpty());
            QVERIFY(at < lines.size());
            QStringList parts = lines[at].trimmed().split(gap);
            if (lines[at].front().isSpace())
                parts.prepend(QString());
            // Trailing blanks do not survive text extraction.
            QCOMPARE(parts.size(), 2);
            QCOMPARE(parts[0], want.left.value_or(QString()).trimmed());
            QCOMPARE(parts[1], want.right.trimmed());
        }
    }
    // One empty line between the last block and the load.
    QVERIFY(at + 2 < lines.size());
    QCOMPARE(lines[at + 1], QString());
    QCOMPARE(lines[at + 2], QStringLiteral("Cooling Load (BTU/HR): 257,280"));
}

void TestPrintReport::textAndMarkersStandAtTheirTwipsPositions() {
    const QString pdf = printPdf(QStringLiteral("layout.pdf"), 600);
    QVERIFY(!pdf.isEmpty());
    QString error;
    const auto xhtml = runTool(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"}, &error);
    QVERIFY2(xhtml, qPrintable(error));

    // Headers at x 4500 and their fixed y; left column (Dew Point) at 2600,
    // right column (Enthalpy) at 5600. Tolerance one point.
    const char* headers[4] = {"SUPPLY", "RETURN", "OUTDOOR", "MIXED"};
    const auto dew = wordsAt(*xhtml, "Dew"), enthalpy = wordsAt(*xhtml, "Enthalpy");
    QCOMPARE(dew.size(), 4);
    QCOMPARE(enthalpy.size(), 4);
    for (int b = 0; b < 4; ++b) {
        const auto h = wordsAt(*xhtml, headers[b]);
        QCOMPARE(h.size(), 1);
        QVERIFY2(std::abs(h[0].x() - pagePt(4500)) < 1, headers[b]);
        QVERIFY2(std::abs(h[0].y() - pagePt(6500 + 2000 * b)) < 1, headers[b]);
        QVERIFY(std::abs(dew[b].x() - pagePt(2600)) < 1);
        QVERIFY(std::abs(enthalpy[b].x() - pagePt(5600)) < 1);
    }
    // The load in the left column, two row pitches (the blank line and its
    // own) below MIXED's last row.
    const auto wet = wordsAt(*xhtml, "Wet"), mass = wordsAt(*xhtml, "Mass");
    const auto load = wordsAt(*xhtml, "Cooling");
    QVERIFY(wet.size() == 4 && mass.size() == 4 && load.size() == 1);
    const double pitch = wet[3].y() - dew[3].y();
    QVERIFY(pitch > 9 && pitch < 16); // one line of 10-point text
    QVERIFY(std::abs(load[0].x() - pagePt(2600)) < 1);
    QVERIFY(std::abs(load[0].y() - (mass[3].y() + 2 * pitch)) < 1);

    // Markers centred at (4400, header y + 80). At 720 dpi a pixel is 2
    // twips: the dot's rim (radius 40) is 20 px, the ring (radius 60) 30 px
    // from the centre, and between them the paper shows.
    const QColor outline[4] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {230, 230, 0}};
    const QColor fill[4] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 0}};
    for (int b = 0; b < 4; ++b) {
        const int cx = (720 + 4400) / 2, cy = (720 + 6500 + 2000 * b + 80) / 2;
        const QImage crop = renderPage(pdf, m_dir->filePath(QStringLiteral("m%1").arg(b)),
                                       {"-r", "720", "-x", QString::number(cx - 40), "-y",
                                        QString::number(cy - 40), "-W", "80", "-H", "80"});
        QVERIFY(!crop.isNull());
        const std::pair<int, QColor> probes[] = {
            {0, fill[b]}, {20, outline[b]}, {25, Qt::white}, {30, outline[b]}};
        for (const auto& [dx, colour] : probes) {
            for (int x : {40 - dx, 40 + dx})
                QVERIFY2(near(crop.pixel(x, 40), colour, 8),
                         pixelMessage(headers[b], x, 40, crop.pixel(x, 40)));
        }
    }
}

void TestPrintReport::chartPrintsSharpAtOnScreenSizeTopLeft_data() {
    QTest::addColumn<int>("printerDpi");
    QTest::addColumn<int>("chartDpi");
    QTest::newRow("300 dpi") << 300 << 300;
    QTest::newRow("1200 dpi, chart limited to 600") << 1200 << 600;
}

void TestPrintReport::chartPrintsSharpAtOnScreenSizeTopLeft() {
    QFETCH(int, printerDpi);
    QFETCH(int, chartDpi);
    const QString pdf = printPdf(QStringLiteral("chart.pdf"), printerDpi);
    QVERIFY(!pdf.isEmpty());

    // Rendered once, with a screen pixel (1/96 inch) worth chartDpi / 96 dots.
    QCOMPARE(m_chart->ratios, QList<qreal>{chartDpi / 96.0});
    // Embedded at that size (not a 669 x 429 screen image), losslessly.
    QString error;
    const auto list = runTool(QStringLiteral("pdfimages"), {"-list", pdf}, &error);
    QVERIFY2(list, qPrintable(error));
    const QStringList rows = list->split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 3); // two heading lines, one image
    const QStringList cols = rows[2].simplified().split(QLatin1Char(' '));
    QCOMPARE(cols[3].toInt(), int(std::ceil(ChartW * chartDpi / 96.0)));
    QCOMPARE(cols[4].toInt(), int(std::ceil(ChartH * chartDpi / 96.0)));
    QVERIFY2(cols[8] != QStringLiteral("jpeg"), "JPEG would blur the chart");

    // At 96 dpi the chart covers 669 x 429 pixels from the printable area's
    // corner (48, 48): each quadrant's outer corner in its colour, white
    // just outside.
    const QImage page = renderPage(pdf, m_dir->filePath(QStringLiteral("page")), {"-r", "96"});
    QVERIFY(!page.isNull());
    const int x0 = 48, y0 = 48, x1 = x0 + ChartW - 1, y1 = y0 + ChartH - 1;
    const std::tuple<int, int, QColor> probes[] = {
        {x0 + 2, y0 + 2, Quadrant[0]}, {x1 - 2, y0 + 2, Quadrant[1]}, {x0 + 2, y1 - 2, Quadrant[2]},
        {x1 - 2, y1 - 2, Quadrant[3]}, {x0 - 3, y0 + 99, Qt::white},  {x1 + 3, y0 + 99, Qt::white},
        {x0 + 99, y0 - 3, Qt::white},  {x0 + 99, y1 + 3, Qt::white}};
    for (const auto& [x, y, colour] : probes)
        QVERIFY2(near(page.pixel(x, y), colour, 3), pixelMessage("chart", x, y, page.pixel(x, y)));
}

void TestPrintReport::scaleRestoredOnEveryPath_data() {
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("twipsBefore");
    QTest::newRow("printed, user scale") << true << false;
    QTest::newRow("unwritable, user scale") << false << false;
    QTest::newRow("printed, twips scale") << true << true;
    QTest::newRow("unwritable, twips scale") << false << true;
}

void TestPrintReport::scaleRestoredOnEveryPath() {
    QFETCH(bool, writable);
    QFETCH(bool, twipsBefore);
    if (twipsBefore)
        m_surface->setScaleMode(chart::ScaleMode::Twips);
    else
        m_surface->Scale(-1.5, 20, 13, 3.25); // unlike the twips values in every place
    const QString before = scaleOf(*m_surface);

    // A path under a regular file cannot be created.
    QFile file(m_dir->filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString pdf =
        printPdf(writable ? QStringLiteral("ok.pdf") : QStringLiteral("file/x.pdf"));
    QCOMPARE(!pdf.isEmpty(), writable);
    if (writable) {
        // While printing, the surface read its size in twips, 15 to a pixel.
        QCOMPARE(m_chart->scaleWhileRendering,
                 QStringLiteral("mode %1 left 0 top 0 width %2 height %3")
                     .arg(int(chart::ScaleMode::Twips))
                     .arg(ChartW * 15)
                     .arg(ChartH * 15));
    }
    QCOMPARE(scaleOf(*m_surface), before);
}

void TestPrintReport::dialogCancelIsAFailure_data() {
    QTest::addColumn<bool>("accept");
    QTest::newRow("accepted") << true;
    QTest::newRow("cancelled") << false;
}

void TestPrintReport::dialogCancelIsAFailure() {
    QFETCH(bool, accept);
    const QString before = scaleOf(*m_surface);
    const QString pdf = m_dir->filePath(QStringLiteral("dialog.pdf"));
    int dialogs = 0;
    const bool printed = print::printWithDialog(
        [&](QPrinter& printer) {
            ++dialogs;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return accept;
        },
        [] { return report(); }, *m_surface, m_chart->renderer());
    QCOMPARE(printed, accept);
    QCOMPARE(dialogs, 1);
    QCOMPARE(QFileInfo::exists(pdf), accept);
    QCOMPARE(m_chart->ratios.size(), accept ? 1 : 0);
    // Busy while printing only.
    QCOMPARE(m_chart->busyCursorWhileRendering, accept);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(scaleOf(*m_surface), before);
}

QTEST_MAIN(TestPrintReport)
#include "tst_print_report.moc"
