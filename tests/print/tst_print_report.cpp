// The printed report, checked on real PDF files read back with poppler
// (pdftotext, pdftoppm, pdfimages, pdfinfo): what a printer would put on paper.

#include "chart/image_surface.h"
#include "model/session.h"
#include "print/print_report.h"

#include <QtGui>
#include <QtTest>

namespace {

constexpr int ChartW = 669, ChartH = 429; // the window's chart box, screen pixels
constexpr double MarginPt = 36;           // half an inch, 720 twips
// The fake chart's quadrants, so that a flipped, shifted or resized chart shows.
const QRgb Quadrants[4] = {0xffc86432, 0xff28a05a, 0xff5a28a0, 0xffa0a028};
// How pageLines reads SUPPLY's, RETURN's and MIXED's rows; '*' is the state.
const char* const Rows = "@2600 T: *1 @5600 RH: *2|@5600 CFM: *8|@2600 DP: *3 @5600 v: *7|"
                         "@2600 WB: *4 @5600 h: *6|@2600 W: *5 @5600 m: *9";

// Each field shows its state's initial and its sheet row ("S3": SUPPLY's dew
// point), so a field printed in the wrong place shows; psychro::Field runs row
// by row, each for OUTDOOR, RETURN, SUPPLY and MIXED. Two fields are empty.
// Short captions keep the columns apart whatever the text.
print::ReportContent report(int city = 0, const QString& name = "Manual Entry") {
    psychro::Sheet s;
    for (int i = 0; i < 36; ++i)
        s.text[size_t(i)] = QChar("ORSM"[i % 4]) + QString::number(i / 4 + 1);
    s[psychro::Field::txtLoad] = QStringLiteral("257,280");
    s[psychro::Field::txtReturnDew] = s[psychro::Field::txtMixedRH] = QString();
    return print::reportContent({"T", "RH", "DP", "WB", "W", "h", "v", "CFM", "m"}, s, city, name);
}

// A poppler tool's standard output; empty, so that checks fail, when it is missing.
QByteArray tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(QUORVEL_HANG_GUARD_MS);
    return p.readAllStandardOutput();
}

// The page's text lines, top down, with the top of each in *tops; each run
// of words that pdftotext sets apart (a column) after "@<twips>", its x from
// the printable area's left edge.
QStringList pageLines(const QString& pdf, QList<double>* tops) {
    static const QRegularExpression run(
        QStringLiteral(R"re(<line xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([\s\S]*?)</line>)re"));
    QList<std::tuple<double, int, QString>> runs; // top, x in twips, words
    for (const auto& m : run.globalMatch(tool("pdftotext", {"-bbox-layout", pdf, "-"})))
        runs.append({m.captured(2).toDouble(), qRound(m.captured(1).toDouble() - MarginPt) * 20,
                     m.captured(3).remove(QRegularExpression("<[^>]*>")).simplified()});
    std::sort(runs.begin(), runs.end()); // pdftotext lists a column's lines together
    QStringList lines;
    for (const auto& [top, x, words] : runs) {
        if (lines.isEmpty() || top - tops->last() > 1)
            lines.append(QString()), tops->append(top);
        lines.last() = (lines.last() + QString(" @%1 ").arg(x) + words).trimmed();
    }
    return lines;
}

bool near(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 16;
}

QList<double> scaleOf(const chart::Surface& s) {
    return {double(s.scaleMode()), s.ScaleLeft(), s.ScaleTop(), s.ScaleWidth(), s.ScaleHeight()};
}

} // namespace

class TestPrintReport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    chart::ImageSurface m_surface{ChartW, ChartH};
    QList<qreal> m_ratios; // the renderer was asked for

    // Stands in for the window's chart renderer: an image of the size the
    // window's would have, in quadrants. Failure 1 renders nothing, 2 throws.
    print::ChartRenderer renderer(int failure = 0) {
        m_ratios.clear();
        return [this, failure](qreal dpr) {
            m_ratios.append(dpr);
            if (failure == 2)
                throw std::bad_alloc();
            const QImage quadrants(reinterpret_cast<const uchar*>(Quadrants), 2, 2,
                                   QImage::Format_RGB32);
            const QSize size(int(std::ceil(ChartW * dpr)), int(std::ceil(ChartH * dpr)));
            return failure == 1 ? QImage() : quadrants.scaled(size);
        };
    }

    // Prints on an A4 PDF with half-inch margins; the file, or "" on failure.
    QString printPdf(const QString& name, int dpi, const print::ReportContent& r, int failure = 0) {
        QPdfWriter writer(m_dir.filePath(name));
        writer.setResolution(dpi);
        writer.setPageLayout({QPageSize(QPageSize::A4), QPageLayout::Portrait, {36, 36, 36, 36}});
        const bool ok = print::printReport(writer, r, m_surface, renderer(failure));
        return ok ? m_dir.filePath(name) : QString();
    }

private slots:
    void pageShowsEveryEntryAndTheChartInPlace_data() {
        QTest::addColumn<bool>("city");
        QTest::addColumn<int>("dpi");
        QTest::newRow("manual entry, 300 dpi") << false << 300;
        QTest::newRow("a city, 1200 dpi") << true << 1200;
    }
    void pageShowsEveryEntryAndTheChartInPlace() {
        QFETCH(bool, city);
        QFETCH(int, dpi);
        const QString pdf = printPdf("page.pdf", dpi, city ? report(1, "Albany, NY") : report());
        QStringList want;
        for (const QString b : {"SUPPLY", "RETURN", "OUTDOOR", "MIXED"})
            want << "@4500 " + b << QString(Rows).replace('*', b[0]).split('|');
        // OUTDOOR's temperature moves down for the city; two fields are empty.
        want[13] = city ? "@2600 Albany, NY @5600 RH: O2" : "@5600 RH: O2";
        want[14] = "@2600 T: O1 @5600 CFM: O8";
        want[9] = "@2600 DP: @5600 v: R7";
        want[19] = "@2600 T: M1 @5600 RH:";
        QList<double> y;
        QCOMPARE(pageLines(pdf, &y), want << "@2600 Cooling Load (BTU/HR): 257,280");
        for (int b = 0; b < 4; ++b) // headers at fixed heights
            QVERIFY(std::abs(y[6 * b] - (MarginPt + (6500 + 2000 * b) / 20.0)) < 1);
        // The load one blank line below MIXED, as far as two lines of its text.
        QVERIFY(std::abs(y[24] - y[23] - 2 * (y[23] - y[22])) < 1);

        // Rendered once, a screen pixel (1/96 inch) worth min(dpi, 600) / 96
        // dots, and embedded alone, at that resolution, without JPEG's blur.
        const int chartDpi = std::min(dpi, 600);
        QCOMPARE(m_ratios, QList<qreal>{chartDpi / 96.0});
        const QByteArrayList list = tool("pdfimages", {"-list", pdf}).simplified().split(' ');
        QCOMPARE(list.size(), 33); // 16 headings, a rule, 16 fields of one image
        QCOMPARE(list[25] + ' ' + list[29], "image " + QByteArray::number(chartDpi)); // x-ppi
        // At 360 dpi (4 twips a pixel) the chart covers (180, 180) to
        // (2688, 1788): quadrants at its corners, paper outside. Markers are
        // centred at (4400, header y + 80) twips, that is (1280, 1825 + 500 b):
        // the dot's rim (radius 40) 10 px, the ring (radius 60) 14 px from the
        // centre, paper between.
        const QImage page = QImage::fromData(
            tool("pdftoppm", {"-r", "360", "-W", "2700", "-H", "3400", "-png", pdf}));
        const auto at = [&page](int x, int y) { return page.pixelColor(x, y); };
        QVERIFY(near(at(182, 182), Quadrants[0]) && near(at(2686, 1786), Quadrants[3]));
        QVERIFY(near(at(178, 178), Qt::white) && near(at(2690, 1790), Qt::white));
        const QColor outline[4] = {Qt::blue, Qt::green, Qt::red, {230, 230, 0}};
        for (int b = 0, y = 1825; b < 4; ++b, y += 500)
            QVERIFY2(near(at(1280, y), b == 3 ? QColor(Qt::yellow) : outline[b]) &&
                         near(at(1290, y), outline[b]) && near(at(1292, y), Qt::white) &&
                         near(at(1294, y), outline[b]),
                     qPrintable(want[6 * b]));
    }

    void sessionReportShowsItsOwnTexts() {
        model::Session s(nullptr, nullptr);
        s.startUp(); // "Manual Entry": no city
        QVERIFY(!print::reportContent(s).blocks[2].rows[0].left);
        s.chooseCity(69); // "Phoenix, AZ"
        const print::ReportContent r = print::reportContent(s);
        QCOMPARE(r.blocks[2].rows[0].left.value_or(""), "Phoenix, AZ");
        QCOMPARE(r.blocks[2].rows[1].left.value_or(""),
                 "Temperature (F): " + s.text(psychro::Field::txtOutdoorTemp));
        QCOMPARE(r.loadLine, "Cooling Load (BTU/HR): " + s.text(psychro::Field::txtLoad) +
                                 "    Condensate (GPM): " + s.text(psychro::Field::txtCondensate));
        QCOMPARE(r.conditionsLine, "Fresh Air: 25 %    Operation: Cooling with Dehumidifcation");
        QVERIFY(r.titleLines.isEmpty());
        QVERIFY(r.coilLine.startsWith("Cooling Coil and Room: Sensible " +
                                      s.text(psychro::Field::txtCoilSensible)));
        // A title block stands above the page, notes cut after three lines,
        // and the whole still fits one page.
        s.setTitleBlock({"P-7", "AHU-1", "", "", "a\nb\nc\nd"});
        const print::ReportContent titled = print::reportContent(s);
        QCOMPARE(titled.titleLines, (QStringList{"Project: P-7", "Air Handler: AHU-1", "Notes: a",
                                                 "b", QStringLiteral("c\u2026")}));
        QList<double> tops;
        const QStringList lines = pageLines(printPdf("titled.pdf", 300, titled), &tops);
        QCOMPARE(lines.first(), "@0 Project: P-7");
        QVERIFY(lines[lines.size() - 4].contains("Fresh Air: 25 %"));
        QVERIFY(lines.last().contains("Room: Sensible " + s.text(psychro::Field::txtRoomSensible)));
        QVERIFY(QString(tool("pdfinfo", {m_dir.filePath("titled.pdf")}))
                    .contains(QRegularExpression("Pages:\\s+1\\n")));
    }

    void scaleRestoredOnEveryPath_data() {
        QTest::addColumn<int>("failure"); // as named below
        QTest::addColumn<bool>("twipsBefore");
        const char* names[] = {"printed", "no chart", "renderer throws", "device cannot begin"};
        for (int i = 0; i < 8; ++i)
            QTest::addRow("%s, %s", names[i / 2], i % 2 ? "twips" : "user") << i / 2 << bool(i % 2);
    }
    void scaleRestoredOnEveryPath() {
        QFETCH(int, failure);
        QFETCH(bool, twipsBefore);
        // The user scale unlike the twips values in every place.
        twipsBefore ? m_surface.setScaleMode(chart::ScaleMode::Twips)
                    : m_surface.Scale(-1.5, 20, 13, 3.25);
        const QList<double> before = scaleOf(m_surface);
        const QString pdf = printPdf(failure == 3 ? "none/x.pdf" : "x.pdf", 96, report(), failure);
        QCOMPARE(pdf.isEmpty(), failure > 0);
        QCOMPARE(scaleOf(m_surface), before);
    }

    // A state the chart cannot give prints as the window shows it: its
    // values blank, the warning's words below; and whatever the printer's
    // own margins, nothing comes nearer than half an inch to the paper's
    // edge, the long coil line wrapped.
    void pageShowsWhatTheWindowShowsInsideMargins() {
        model::Session s(nullptr, nullptr);
        s.startUp();
        s.changeText(psychro::Field::txtOutdoorTemp, "20");
        s.setTitleBlock({"P", "AHU", "", "", ""});
        QVERIFY(s.warning());
        const QString pdf = m_dir.filePath("edge.pdf");
        {
            QPdfWriter writer(pdf);
            writer.setResolution(300);
            writer.setPageLayout({QPageSize(QPageSize::A4), QPageLayout::Portrait, {}});
            QVERIFY(print::printSession(writer, s, m_surface));
        }
        const QString text = tool("pdftotext", {"-layout", pdf, "-"});
        QVERIFY2(text.contains("Values Outside Range of Program") && !text.contains("-.00600"),
                 qPrintable(text));
        QVERIFY(
            QRegularExpression("Humidity Ratio: +Mass \\(#m/hr\\): *\n").match(text).hasMatch());
        static const QRegularExpression box(
            R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)")re");
        int words = 0;
        for (const auto& m : box.globalMatch(tool("pdftotext", {"-bbox", pdf, "-"}))) {
            ++words;
            QVERIFY(m.captured(1).toDouble() >= MarginPt - 0.5 &&
                    m.captured(2).toDouble() >= MarginPt - 0.5);
            QVERIFY2(m.captured(3).toDouble() <= 595 - MarginPt + 0.5 &&
                         m.captured(4).toDouble() <= 842 - MarginPt + 0.5,
                     qPrintable(m.captured(0)));
        }
        QVERIFY(words > 100);
    }

    // A weather year's page: its title, the chart with its hours (a day of
    // 30 C, dew point 20 C, a month: 86 F, 0.0149 lb/lb, (8, 6.97) in user
    // units, pixel (382, 217) at 96 dpi), its results and the whole monthly
    // table inside the margins, though a million cfm makes it too wide at
    // 10 points. Without a year the report is a page.
    void weatherYearOnASecondPage() {
        model::Session s(nullptr, nullptr);
        s.startUp();
        const auto print = [&](const QString& name) {
            QPdfWriter writer(m_dir.filePath(name));
            writer.setResolution(96);
            writer.setPageLayout({QPageSize(QPageSize::A4), QPageLayout::Portrait, {}});
            return print::printSession(writer, s, m_surface);
        };
        QVERIFY(print("one.pdf") &&
                tool("pdfinfo", {m_dir.filePath("one.pdf")}).contains("Pages:           1\n"));
        QByteArray epw = "LOCATION,Testville,IL,USA,TMY3,1,41.9,-87.9,-6.0,201.0\n"
                         "DESIGN CONDITIONS,0\nTYPICAL/EXTREME PERIODS,0\nGROUND TEMPERATURES,0\n"
                         "HOLIDAYS/DAYLIGHT SAVINGS,No\nCOMMENTS 1,\nCOMMENTS 2,\n"
                         "DATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n";
        for (int h = 0; h < 12 * 24; ++h)
            epw += QString::asprintf("1999,%d,15,%d,60,?9,30,20,999,100000,0\n", h / 24 + 1,
                                     h % 24 + 1)
                       .toLatin1();
        s.changeText(psychro::Field::txtSupplyFlow, "1000000");
        QFile file(m_dir.filePath("year.epw"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(epw) == epw.size());
        file.close();
        QVERIFY(s.weather().open(file.fileName(), nullptr) && print("two.pdf"));
        const QString two = m_dir.filePath("two.pdf");
        QVERIFY(tool("pdfinfo", {two}).contains("Pages:           2\n"));
        const QString page2 = tool("pdftotext", {"-f", "2", "-l", "2", "-layout", two, "-"});
        QVERIFY2(page2.contains("Weather Year: Testville, IL, USA (201 m)") &&
                     page2.contains("Cooling") && page2.contains(QRegularExpression("Jan +Feb")),
                 qPrintable(page2));
        static const QRegularExpression dec(
            R"re(<word xMin="[\d.]+" [^>]*xMax="([\d.]+)"[^>]*>Dec<)re");
        const auto m = dec.match(tool("pdftotext", {"-f", "2", "-l", "2", "-bbox", two, "-"}));
        QVERIFY(m.hasMatch() && m.captured(1).toDouble() <= 595 - MarginPt + 0.5);
        tool("pdfimages", {"-png", two, m_dir.filePath("chart")});
        const QImage first(m_dir.filePath("chart-000.png")),
            second(m_dir.filePath("chart-001.png"));
        QVERIFY(near(first.pixel(382, 217), Qt::white) && !near(second.pixel(382, 217), Qt::white));
    }

    // The PDF of the command line, on the locale's paper, its chart drawn
    // at the writer's 1200 dpi (the 600 dpi cap).
    void pdfOnTheLocalePaper_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("paper"); // as pdfinfo names it
        QTest::newRow("US Letter") << "en_US"
                                   << "(letter)";
        QTest::newRow("A4 elsewhere") << "de_DE"
                                      << "(A4)";
    }
    void pdfOnTheLocalePaper() {
        QFETCH(QString, locale);
        QFETCH(QString, paper);
        QLocale::setDefault(QLocale(locale));
        QByteArray bytes;
        QVERIFY(print::reportPdf(report(), m_surface, renderer(), &bytes));
        QCOMPARE(m_ratios, QList<qreal>{6.25});
        QFile file(m_dir.filePath("locale.pdf"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        QVERIFY(tool("pdfinfo", {file.fileName()}).contains(paper.toLatin1()));
    }
};

QTEST_MAIN(TestPrintReport)
#include "tst_print_report.moc"
