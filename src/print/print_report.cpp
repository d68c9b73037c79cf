#include "print_report.h"

#include "chart/chart_export.h"
#include "chart/image_surface.h"
#include "chart/plots.h"
#include "climate/density_grid.h"
#include "model/session.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <exception>

namespace print {

namespace {

constexpr int TwipsPerInch = 1440;
constexpr int TwipsPerPoint = 20;
// A chart surface pixel is 15 twips, so the on-screen size is 96 pixels an inch.
constexpr double ScreenDpi = double(TwipsPerInch) / chart::TwipsPerPixel;
// Beyond this the chart gains nothing visible on paper, while the image
// (669 x 429 screen pixels) would grow past 100 MB at 1200 dpi.
constexpr double MaxChartDpi = 600.0;

// Page layout, in twips from the top-left of the printable area.
constexpr double HeaderX = 4500;
constexpr double HeaderY[BlockCount] = {6500, 8500, 10500, 12500};
constexpr double MarkerX = 4400;
constexpr double MarkerDy = 80; // marker centre below the header's top
constexpr double RingRadius = 60;
constexpr double DotRadius = 40;
constexpr double LeftColumnX = 2600;
constexpr double RightColumnX = 5600;
// The marker's pen is 2 printer dots wide, a dot taken as 1/300 inch (an
// office printer's) so that the ring looks the same on every device.
constexpr double PenWidth = 2 * TwipsPerInch / 300.0;

// The report's base font; headers and the load line are one point larger.
constexpr int BasePoints = 10;
constexpr const char* DocName = "Quorvel Psychrometry report";
// A PDF's resolution: the printer's high resolution, so the chart comes out
// at the 600 dpi cap.
constexpr int PdfDpi = 1200;

// Saves picGraph's scale and switches it to twips; restores mode, height,
// width, top and left in that order when it goes out of scope.
class TwipsScale {
public:
    explicit TwipsScale(chart::Surface& s)
        : m_s(s), m_mode(s.scaleMode()), m_height(s.ScaleHeight()), m_width(s.ScaleWidth()),
          m_top(s.ScaleTop()), m_left(s.ScaleLeft()) {
        m_s.setScaleMode(chart::ScaleMode::Twips);
    }
    ~TwipsScale() {
        m_s.setScaleMode(m_mode);
        m_s.setScaleHeight(m_height);
        m_s.setScaleWidth(m_width);
        m_s.setScaleTop(m_top);
        m_s.setScaleLeft(m_left);
        // Writing a scale value switches the surface to user coordinates; a
        // surface that was in twips goes back to it (the values written are
        // the twips ones, so nothing else changes).
        if (m_s.scaleMode() != m_mode)
            m_s.setScaleMode(m_mode);
    }
    TwipsScale(const TwipsScale&) = delete;
    TwipsScale& operator=(const TwipsScale&) = delete;

private:
    chart::Surface& m_s;
    chart::ScaleMode m_mode;
    double m_height, m_width, m_top, m_left;
};

// The printer's text position: a print draws the text with its top-left
// corner at (x, y); ending the line returns to the left margin one line of
// the current font further down, continuing it moves x past the text.
class PrintPosition {
public:
    explicit PrintPosition(QPainter& p) : m_p(p) {}

    double x = 0;
    double y = 0;

    void print(const QString& text, bool endLine) {
        const QFontMetricsF fm(m_p.font(), m_p.device());
        m_p.drawText(QPointF(x, y + fm.ascent()), text);
        if (endLine) {
            x = 0;
            y += fm.lineSpacing();
        } else {
            x += fm.horizontalAdvance(text);
        }
    }

private:
    QPainter& m_p;
};

// Font sizes are given as pixel sizes in the painter's units, twips, so
// that they come out at their point size through the twips transform.
void setFontPoints(QPainter& p, int points) {
    QFont f = p.font();
    f.setPixelSize(points * TwipsPerPoint);
    p.setFont(f);
}

void setBold(QPainter& p, bool on) {
    QFont f = p.font();
    f.setBold(on);
    p.setFont(f);
}

void setUnderline(QPainter& p, bool on) {
    QFont f = p.font();
    f.setUnderline(on);
    p.setFont(f);
}

// A ring in the outline colour and a dot inside it, filled with the block's
// fill colour; the same marker as the state's on the chart.
void drawMarker(QPainter& p, const ReportBlock& block, double headerY) {
    const QPointF centre(MarkerX, headerY + MarkerDy);
    p.save();
    p.setPen(QPen(QColor(block.outline), PenWidth));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, RingRadius, RingRadius);
    p.setBrush(QColor(block.fill));
    p.drawEllipse(centre, DotRadius, DotRadius);
    p.restore();
}

void drawBlock(QPainter& p, PrintPosition& pos, const ReportBlock& block, double headerY) {
    setFontPoints(p, BasePoints + 1);
    drawMarker(p, block, headerY);
    pos.y = headerY;
    setBold(p, true);
    pos.x = HeaderX;
    setUnderline(p, true);
    pos.print(block.header, true);
    setUnderline(p, false);
    setBold(p, false);
    setFontPoints(p, BasePoints);
    for (const ReportRow& row : block.rows) {
        if (row.left) {
            pos.x = LeftColumnX;
            pos.print(*row.left, false);
        }
        pos.x = RightColumnX;
        pos.print(row.right, true);
    }
}

// The lines under the load, each broken at its double blanks into as many
// printed lines as it takes to stay within width (twips from the left
// column).
QStringList wrapped(const QPainter& p, const QStringList& lines, double width) {
    const QFontMetricsF fm(p.font(), p.device());
    QStringList out;
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        QString current;
        for (const QString& part : line.split(QStringLiteral("  "))) {
            const QString joined = current.isEmpty() ? part : current + QStringLiteral("  ") + part;
            if (!current.isEmpty() && fm.horizontalAdvance(joined) > width) {
                out << current;
                current = QStringLiteral("    ") + part;
            } else {
                current = joined;
            }
        }
        out << current;
    }
    return out;
}

// Twips, the report's font and drawing hints on a painter begun on the printer.
void setUpPainter(QPainter& p, const QPagedPaintDevice& printer) {
    // Twips: 1440 logical units map onto one inch of printer dots.
    p.setWindow(0, 0, TwipsPerInch, TwipsPerInch);
    p.setViewport(0, 0, printer.logicalDpiX(), printer.logicalDpiY());
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // JPEG would blur the chart's thin lines and small figures.
    p.setRenderHint(QPainter::LosslessImageRendering, true);

    QFont base(QStringLiteral("DejaVu Sans"));
    // Without shaping there are no ligatures, so the text copied or
    // extracted from a PDF reads "Specific", not a "fi" ligature glyph.
    base.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
    p.setFont(base);
    setFontPoints(p, BasePoints);
    p.setPen(Qt::black);
}

// The printable area in twips.
QSizeF pageTwips(const QPagedPaintDevice& printer) {
    return printer.pageLayout().paintRect(QPageLayout::Point).size() * TwipsPerPoint;
}

void paintStatePage(QPainter& p, const QPagedPaintDevice& printer, const ReportContent& report,
                    const QImage& chartImage, const QRectF& chartRect) {
    const QRectF page = printer.pageLayout().paintRect(QPageLayout::Point);
    const QStringList lines =
        wrapped(p, {report.conditionsLine, report.coilLine, report.roomLine, report.warningLine},
                page.width() * TwipsPerPoint - LeftColumnX);
    // The title block goes above the page as it stands, which moves down by
    // its height; should the whole then be taller than the page, it is
    // drawn smaller, so that it always stays one page.
    const double line = QFontMetricsF(p.font(), p.device()).lineSpacing();
    const double titleHeight =
        report.titleLines.isEmpty() ? 0 : (report.titleLines.size() + 1) * line;
    // The last line of the page as it stands: the MIXED block, a blank
    // line, the load and the lines under it, and a line for the headers and
    // the load set one point larger.
    const double pageBottom = HeaderY[BlockCount - 1] + (9 + lines.size()) * line;
    const double shrink = std::min(1.0, page.height() * TwipsPerPoint / (titleHeight + pageBottom));
    p.scale(shrink, shrink);
    PrintPosition title(p);
    for (const QString& text : report.titleLines) {
        setBold(p, &text == &report.titleLines.front());
        title.print(text, true);
    }
    setBold(p, false);
    p.translate(0, titleHeight);

    p.drawImage(chartRect, chartImage);

    PrintPosition pos(p);
    for (int b = 0; b < BlockCount; ++b)
        drawBlock(p, pos, report.blocks[size_t(b)], HeaderY[b]);

    // One empty line between the MIXED block and the load.
    pos.print(QStringLiteral("    "), true);
    setFontPoints(p, BasePoints + 1);
    pos.x = LeftColumnX;
    pos.print(report.loadLine, true);
    setFontPoints(p, BasePoints);
    for (const QString& text : lines) {
        setBold(p, text == report.warningLine);
        pos.x = LeftColumnX;
        pos.print(text, true);
    }
    setBold(p, false);
}

// The smallest the weather page's text gets to fit the page's width, in
// points, and the step it shrinks by.
constexpr double LeastPoints = 6, ShrinkStep = 0.5;
// Between the columns of the results and of the monthly table, twips.
constexpr double ColumnGap = 180;

void setFontTwips(QPainter& p, double twips) {
    QFont f = p.font();
    f.setPixelSize(int(std::lround(twips)));
    p.setFont(f);
}

// The widest text of each column of rows in the painter's font, the first
// row in bold when it is a header.
QList<double> columnWidths(const QPainter& p, const QList<QStringList>& rows, bool boldHeader) {
    QFont bold = p.font();
    bold.setBold(true);
    const QFontMetricsF fm(p.font(), p.device()), header(bold, p.device());
    QList<double> widths;
    for (qsizetype r = 0; r < rows.size(); ++r)
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            if (widths.size() <= c)
                widths.append(0);
            widths[c] = std::max(
                widths[c], (boldHeader && r == 0 ? header : fm).horizontalAdvance(rows[r][c]));
        }
    return widths;
}

double totalWidth(const QList<double>& widths) {
    double sum = 0;
    for (const double w : widths)
        sum += w;
    return sum + ColumnGap * double(std::max<qsizetype>(0, widths.size() - 1));
}

// The largest font size in points, BasePoints at most, at which the rows'
// columns fit the width; the painter is left at that size.
double fitFont(QPainter& p, const QList<QStringList>& rows, double width, bool boldHeader) {
    double points = BasePoints;
    setFontTwips(p, points * TwipsPerPoint);
    while (points > LeastPoints && totalWidth(columnWidths(p, rows, boldHeader)) > width) {
        points -= ShrinkStep;
        setFontTwips(p, points * TwipsPerPoint);
    }
    return points;
}

double lineSpacing(const QPainter& p) {
    return QFontMetricsF(p.font(), p.device()).lineSpacing();
}

// Rows of texts in columns from the top at y: the first column left
// aligned, the others right aligned when rightAligned (figures) and left
// otherwise; a text still too wide for the page at the smallest size is
// cut with an ellipsis rather than run off it. Returns the y under them.
double paintColumns(QPainter& p, const QList<QStringList>& rows, double y, double width,
                    bool rightAligned, bool boldHeader) {
    const QList<double> widths = columnWidths(p, rows, boldHeader);
    const QFontMetricsF fm(p.font(), p.device());
    for (qsizetype r = 0; r < rows.size(); ++r) {
        setBold(p, boldHeader && r == 0);
        const QFontMetricsF rowMetrics(p.font(), p.device());
        double x = 0;
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            const QString text = rowMetrics.elidedText(rows[r][c], Qt::ElideRight, width - x);
            const double dx =
                rightAligned && c > 0 ? widths[c] - rowMetrics.horizontalAdvance(text) : 0;
            p.drawText(QPointF(x + dx, y + rowMetrics.ascent()), text);
            x += widths[c] + ColumnGap;
        }
        y += fm.lineSpacing();
        if (boldHeader && r == 0) {
            // A rule under the months, across the table.
            p.save();
            p.setPen(QPen(Qt::black, PenWidth / 2));
            p.drawLine(QPointF(0, y - fm.descent() / 2),
                       QPointF(totalWidth(widths), y - fm.descent() / 2));
            p.restore();
        }
    }
    setBold(p, false);
    return y;
}

// The weather year's page: its title, the chart with the year's hours as
// large as on the first page, the year's results in two columns and the
// monthly table, each set as large as the page's width lets it, up to the
// report's base size. Should the whole be taller than the page, it is
// drawn smaller, as the first page is.
void paintWeatherPage(QPainter& p, const QPagedPaintDevice& printer, const WeatherPage& w,
                      const QImage& chartImage, const QRectF& chartRect) {
    const QSizeF page = pageTwips(printer);
    setFontPoints(p, BasePoints);
    const double blank = lineSpacing(p);
    const double rowsPoints = fitFont(p, w.rows, page.width(), false);
    const double rowsHeight = w.rows.size() * lineSpacing(p);
    const double tablePoints = fitFont(p, w.months, page.width(), true);
    const double tableHeight = w.months.size() * lineSpacing(p);
    setFontPoints(p, BasePoints + 1);
    setBold(p, true);
    const double titleHeight = lineSpacing(p);
    // A blank line under the title, the chart and the results.
    const double height = titleHeight + chartRect.height() + rowsHeight + tableHeight + 3 * blank;
    const double shrink = std::min(1.0, page.height() / height);
    p.save();
    p.scale(shrink, shrink);
    PrintPosition title(p);
    title.print(QFontMetricsF(p.font(), p.device())
                    .elidedText(w.title, Qt::ElideRight, page.width() / shrink),
                true);
    setBold(p, false);
    p.translate(0, titleHeight + blank);
    p.drawImage(chartRect, chartImage);
    setFontTwips(p, rowsPoints * TwipsPerPoint);
    const double width = page.width() / shrink;
    double y = paintColumns(p, w.rows, chartRect.height() + blank, width, false, false);
    setFontTwips(p, tablePoints * TwipsPerPoint);
    paintColumns(p, w.months, y + blank, width, true, true);
    p.restore();
    setFontPoints(p, BasePoints);
}

} // namespace

bool printReport(QPagedPaintDevice& printer, const ReportContent& report, chart::Surface& picGraph,
                 const ChartRenderer& renderChart, const ChartRenderer& renderYearChart) {
    if (!renderChart || (report.weather && !renderYearChart))
        return false;
    try {
        const TwipsScale twips(picGraph);
        const QRectF chartRect(0, 0, picGraph.ScaleWidth(), picGraph.ScaleHeight());

        const double chartDpi = std::min(double(printer.logicalDpiX()), MaxChartDpi);
        QImage chartImage = renderChart(chartDpi / ScreenDpi);
        if (chartImage.isNull())
            return false;

        // Half an inch at least on every side, whatever the printer's own
        // margins: nothing of the report reaches the paper's edge.
        const QMarginsF m = printer.pageLayout().margins(QPageLayout::Point);
        constexpr qreal LeastMarginPt = 36;
        printer.setPageMargins(
            QMarginsF(std::max(m.left(), LeastMarginPt), std::max(m.top(), LeastMarginPt),
                      std::max(m.right(), LeastMarginPt), std::max(m.bottom(), LeastMarginPt)),
            QPageLayout::Point);
        QPainter p;
        if (!p.begin(&printer))
            return false;
        setUpPainter(p, printer);
        p.save();
        paintStatePage(p, printer, report, chartImage, chartRect);
        p.restore();
        if (report.weather) {
            // One chart in memory at a time: at 600 dpi each is some 45 MB.
            chartImage = QImage();
            const QImage yearImage = renderYearChart(chartDpi / ScreenDpi);
            if (yearImage.isNull() || !printer.newPage())
                return false;
            paintWeatherPage(p, printer, *report.weather, yearImage, chartRect);
        }
        return p.end();
    } catch (const std::exception&) {
        return false;
    }
}

bool reportPdf(const ReportContent& report, chart::Surface& picGraph,
               const ChartRenderer& renderChart, QByteArray* out, QString* error,
               const ChartRenderer& renderYearChart) {
    // Drawn into memory: only a whole document is ever written.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(PdfDpi);
        writer.setTitle(QString::fromLatin1(DocName));
        writer.setPageSize(QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem
                                         ? QPageSize::Letter
                                         : QPageSize::A4));
        // Half an inch all round, as an office printer would leave.
        writer.setPageMargins(QMarginsF(36, 36, 36, 36), QPageLayout::Point);
        if (!printReport(writer, report, picGraph, renderChart, renderYearChart)) {
            if (error)
                *error = QStringLiteral("cannot draw the report");
            return false;
        }
    }
    *out = pdf.data();
    return true;
}

namespace {

ChartRenderer chartOf(const model::Session& s) {
    return [&state = s.chart()](qreal dpr) { return chart::renderGraphImage(state, dpr); };
}

// The same chart with the weather year's hours under the process.
ChartRenderer yearChartOf(const model::Session& s) {
    if (!s.weather().isOpen())
        return {};
    return
        [&s](qreal dpr) { return chart::renderGraphImage(s.chart(), dpr, &s.weather().density()); };
}

} // namespace

bool printSession(QPagedPaintDevice& device, const model::Session& s, chart::Surface& picGraph) {
    return printReport(device, reportContent(s), picGraph, chartOf(s), yearChartOf(s));
}

bool sessionPdf(const model::Session& s, QByteArray* out, QString* error) {
    // The report switches picGraph's scale to twips while it prints;
    // without a window, a scratch surface of the chart's size stands in.
    chart::ImageSurface picGraph(chart::GraphWidthPx, chart::GraphHeightPx);
    chart::SetScale(picGraph, s.chart().objMyGraph);
    return reportPdf(reportContent(s), picGraph, chartOf(s), out, error, yearChartOf(s));
}

} // namespace print
