// Printing that goes wrong: no printer, an output file that cannot be
// written, the dialog cancelled. Each ends in one "Print Failed" message;
// the chart keeps its own coordinate system and the window keeps drawing.

#include "app/form1.h"
#include "chart/surface.h"

#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// picGraph's scale as the printed report must leave it.
struct Scale {
    chart::ScaleMode mode;
    double left, top, width, height;
    bool operator==(const Scale&) const = default;
};

Scale scaleOf(const chart::Surface& s) {
    return {s.scaleMode(), s.ScaleLeft(), s.ScaleTop(), s.ScaleWidth(), s.ScaleHeight()};
}

char* toString(const Scale& s) {
    return QTest::toString(QStringLiteral("mode %1, left %2, top %3, width %4, height %5")
                               .arg(int(s.mode))
                               .arg(s.left, 0, 'g', 17)
                               .arg(s.top, 0, 'g', 17)
                               .arg(s.width, 0, 'g', 17)
                               .arg(s.height, 0, 'g', 17));
}

enum class Way {
    NoPrinter,        // the dialog hands back a printer that does not exist
    UnwritableFile,   // print to a PDF file under a regular file
    Cancelled,        // the user closes the dialog without printing
    PdfUnderFile,     // the headless PDF report into a path under a regular file
    PdfIntoDirectory, // ... onto an existing directory
    PdfWritten,       // a good PDF: no message (shows the checks can tell)
};

} // namespace

class TestPrintFaults : public QObject {
    Q_OBJECT

private slots:
    void failedPrintLeavesTheChartDrawable_data();
    void failedPrintLeavesTheChartDrawable();
};

void TestPrintFaults::failedPrintLeavesTheChartDrawable_data() {
    QTest::addColumn<int>("way");
    QTest::addColumn<int>("messages"); // "Print Failed" messages expected
    QTest::newRow("no printer") << int(Way::NoPrinter) << 1;
    QTest::newRow("output file under a regular file") << int(Way::UnwritableFile) << 1;
    QTest::newRow("dialog cancelled") << int(Way::Cancelled) << 1;
    QTest::newRow("PDF report under a regular file") << int(Way::PdfUnderFile) << 1;
    QTest::newRow("PDF report onto a directory") << int(Way::PdfIntoDirectory) << 1;
    QTest::newRow("PDF report written") << int(Way::PdfWritten) << 0;
}

void TestPrintFaults::failedPrintLeavesTheChartDrawable() {
    QFETCH(int, way);
    QFETCH(int, messages);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a regular file\n");
    }
    const QString goodPdf = dir.filePath(QStringLiteral("report.pdf"));

    app::Form1 form(dir.filePath(QStringLiteral("quorvel.ini")));
    QStringList shown;
    form.messageBox = [&shown](const QString& text) { shown << text; };
    bool dialogRan = false;
    form.runPrintDialog = [&](QPrinter& printer) {
        dialogRan = true;
        switch (Way(way)) {
        case Way::NoPrinter:
            printer.setOutputFormat(QPrinter::NativeFormat);
            printer.setPrinterName(QStringLiteral("quorvel-no-such-printer"));
            return true;
        case Way::UnwritableFile:
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(blocker + QStringLiteral("/report.pdf"));
            return true;
        default:
            return false;
        }
    };
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // The chart's scale (0 to 14 both ways) shares its left edge, 0, with
    // the twips scale; shifted a little, every value differs from its twips
    // counterpart, so a restore that forgets one shows.
    chart::Surface& graph = form.picGraph->surface();
    QCOMPARE(graph.scaleMode(), chart::ScaleMode::User);
    graph.Scale(-0.25, 14.5, 13.75, -0.5);
    const Scale scale = scaleOf(graph);
    form.DrawGraphs();
    const QImage drawn = form.picGraph->surface().Image().copy();

    switch (Way(way)) {
    case Way::NoPrinter:
    case Way::UnwritableFile:
    case Way::Cancelled:
        form.cmdPrint->click();
        QVERIFY(dialogRan);
        break;
    case Way::PdfUnderFile:
        QVERIFY(!form.printToPdf(blocker + QStringLiteral("/report.pdf")));
        break;
    case Way::PdfIntoDirectory:
        QVERIFY(!form.printToPdf(dir.path()));
        break;
    case Way::PdfWritten:
        QVERIFY(form.printToPdf(goodPdf));
        QVERIFY(QFile(goodPdf).size() > 1000);
        break;
    }

    QCOMPARE(shown, QStringList(messages, QStringLiteral("Print Failed")));
    QCOMPARE(scaleOf(graph), scale);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(form.cursor().shape() != Qt::WaitCursor);
    QVERIFY(form.Timer2->isActive());
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("a regular file\n"));
    }

    // The window still draws, and in the chart's own coordinates: the same
    // inputs give the same picture as before printing.
    const int redraws = form.redrawCount();
    form.DrawGraphs();
    QCOMPARE(form.redrawCount(), redraws + 1);
    QVERIFY(form.picGraph->surface().Image() == drawn);
    // A change of input still changes the chart (the comparison above can
    // tell pictures apart).
    form.txtReturnTemp->setText(QStringLiteral("78"));
    QVERIFY(form.picGraph->surface().Image() != drawn);
    QVERIFY(!form.txtMixedTemp->text().isEmpty());
}

QTEST_MAIN(TestPrintFaults)
#include "tst_print_faults.moc"
