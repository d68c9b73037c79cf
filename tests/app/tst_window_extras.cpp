// The window beyond its fixed form: resizing, the chart read-out, exports,
// copying the sheet, and moving through the fields by keyboard.
#include "window_fixture.h"

#include "app/sheet_export.h"
#include "psychro/chart_geometry.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>

using psychro::Field;

class TestWindowExtras : public QObject {
    Q_OBJECT
private slots:
    void readoutAtKnownPoints();
    void readoutUnderPointerAndOutsidePlot();
    void copiedSheetIsATable();
    void csvQuotesGroupedNumbers();
    void exportsHaveTheirTypeAndSize();
    void tabOrderFollowsTheSheet();
    void enterLeavesTheFieldLikeTab();
    void everyFieldHasAUnitTooltip();
    void resizeKeepsChartGeometry();
    void hiddenControlsKeepTheirPlace();
};

void TestWindowExtras::readoutAtKnownPoints() {
    fixture::Window w;
    const auto& p = w.form->chartState().pos;
    // At the return point the read-out agrees with the sheet's return column.
    const QString r = w.form->readout(QPointF(p.returnX, p.returnY));
    QVERIFY2(r.contains("Dry bulb 75.0 °F"), qPrintable(r));
    QVERIFY2(r.contains("Humidity ratio " + w.text(Field::txtReturnRatio)), qPrintable(r));
    QVERIFY2(r.contains("Dew point " + w.text(Field::txtReturnDew) + " °F"), qPrintable(r));
    QVERIFY2(r.contains("Wet bulb " + w.text(Field::txtReturnWetBulb) + " °F"), qPrintable(r));
    QVERIFY2(r.contains("Specific volume " + w.text(Field::txtReturnSpVol)), qPrintable(r));
    // The centre of the plot: 77.5 F and 0.015 lb/lb; h = 0.24 T + W (1061.2 + 0.444 T).
    const QString c = w.form->readout(QPointF(7, 7));
    QVERIFY2(c.contains("Dry bulb 77.5 °F") && c.contains("Humidity ratio .01500"), qPrintable(c));
    const double h = 0.24 * 77.5 + 0.015 * (1061.2 + 0.444 * 77.5);
    QVERIFY2(c.contains(QString("Enthalpy %1 BTU/lb").arg(h, 0, 'f', 2)), qPrintable(c));
    // Above the saturation curve (59.7 F, .02809 lb/lb) only the point itself.
    const QString wet = w.form->readout(QPointF(2 + 10 * 24.7 / 85, 2 + 10 * 0.02809 / 0.03));
    QVERIFY2(wet.endsWith("above saturation") && !wet.contains("Dew point"), qPrintable(wet));
    // Outside the plot area there is nothing to read.
    QCOMPARE(w.form->readout(QPointF(1.9, 7)), QString());
    QCOMPARE(w.form->readout(QPointF(7, 12.1)), QString());
    // Reading the chart leaves the redraw's failure flag alone.
    QVERIFY(!w.form->chartState().InterpFailed);
    w.form->readout(QPointF(11.9, 11.9)); // above the 15.0 volume line: cannot read it
    QVERIFY(!w.form->chartState().InterpFailed);
}

void TestWindowExtras::readoutUnderPointerAndOutsidePlot() {
    fixture::Window w;
    QVERIFY(w.activate());
    auto* label = w.form->findChild<QLabel*>("chartReadout");
    QVERIFY(label);
    // The plot's centre (7, 7) in widget pixels: border + 7/14 of the area.
    const QPoint centre(2 + 669 / 2, 2 + 429 / 2);
    QTest::mouseMove(w.form->picGraph, centre);
    QTRY_VERIFY(label->text().contains("Dry bulb 77."));
    QTest::mouseMove(w.form->picGraph, QPoint(20, 20)); // top-left margin
    QTRY_COMPARE(label->text(), QString());
}

void TestWindowExtras::copiedSheetIsATable() {
    fixture::Window w;
    QVERIFY(w.activate());
    w.form->findChild<QAction*>("actionCopySheet")->trigger();
    const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines[0], "\tOUTDOOR\tRETURN\tSUPPLY\tMIXED AIR");
    QCOMPARE(lines[1], QString("Temperature (F)\t95\t75\t60\t") + w.text(Field::txtMixedTemp));
    for (int i = 1; i <= 9; ++i)
        QCOMPARE(lines[i].count('\t'), 4);
    QCOMPARE(lines[8], "Air Flow (CFM)\t1500\t4500\t6000\t6000");
    QCOMPARE(lines[10], "Cooling Load (BTU/hr)\t" + w.text(Field::txtLoad));
    QCOMPARE(lines[12], "% Fresh Air\t25");
}

void TestWindowExtras::csvQuotesGroupedNumbers() {
    fixture::Window w;
    const QStringList lines = app::sheetAsCsv(*w.form).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines[0], ",OUTDOOR,RETURN,SUPPLY,MIXED AIR");
    QVERIFY(w.text(Field::txtLoad).contains(','));
    QCOMPARE(lines[10], "Cooling Load (BTU/hr),\"" + w.text(Field::txtLoad) + "\"");
}

void TestWindowExtras::exportsHaveTheirTypeAndSize() {
    fixture::Window w;
    const QString png = w.dir.filePath("chart.png"), svg = w.dir.filePath("chart.svg"),
                  pdf = w.dir.filePath("chart.pdf");
    QVERIFY(w.form->exportChart(png));
    QVERIFY(w.form->exportChart(svg));
    QVERIFY(w.form->exportChart(pdf));
    QImageReader reader(png);
    QCOMPARE(reader.format(), QByteArray("png"));
    QCOMPARE(reader.size(), QSize(2 * 669, 2 * 429));
    QFile s(svg);
    QVERIFY(s.open(QIODevice::ReadOnly));
    const QByteArray svgText = s.readAll();
    QVERIFY(svgText.contains("<svg") && svgText.contains("viewBox=\"0 0 669 429\""));
    QVERIFY(svgText.contains(">0.030<")); // the axis labels are text, not pixels
    QProcess info;
    info.start("pdfinfo", {pdf});
    QVERIFY(info.waitForFinished(10000));
    const QString out = info.readAllStandardOutput();
    QVERIFY2(out.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(out));
    // 669 x 429 px at 96 dpi is 501.75 x 321.75 pt, in whole points.
    QVERIFY2(out.contains("502 x 322 pts"), qPrintable(out));
    QString error;
    QVERIFY(!w.form->exportChart(w.dir.filePath("chart.bmp"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!w.form->exportChart(w.dir.filePath("missing/chart.png"), &error));
    // A value stored without a redraw (an RH of 0 while typing) is not on the
    // screen, so it is not in the export either.
    const QImage shown = w.form->renderGraphImage(1.0);
    w.form->txtReturnRH->setText("0");
    QCOMPARE(w.form->renderGraphImage(1.0), shown);
}

void TestWindowExtras::tabOrderFollowsTheSheet() {
    fixture::Window w;
    const QList<QWidget*> expected = {
        w.form->txtOutdoorTemp, w.form->txtOutdoorRH, w.form->txtReturnTemp, w.form->txtReturnRH,
        w.form->txtSupplyTemp,  w.form->txtSupplyRH,  w.form->txtSupplyFlow, w.form->txtFreshMix};
    for (int i = 0; i + 1 < expected.size(); ++i) {
        QWidget* next = expected[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || !next->isEnabled())
            next = next->nextInFocusChain();
        QCOMPARE(next, expected[i + 1]);
    }
}

void TestWindowExtras::enterLeavesTheFieldLikeTab() {
    fixture::Window w;
    QVERIFY(w.activate());
    w.typeOver(w.form->txtOutdoorRH, "150");
    const int before = w.form->redrawCount();
    QTest::keyClick(w.form->txtOutdoorRH, Qt::Key_Return);
    QApplication::processEvents();
    QCOMPARE(w.text(Field::txtOutdoorRH), "100"); // the focus-lost correction ran
    QCOMPARE(w.form->redrawCount() - before, 2);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.form->txtReturnTemp));
}

void TestWindowExtras::everyFieldHasAUnitTooltip() {
    fixture::Window w;
    for (const QString& name : fixture::fieldNames()) {
        const QString tip = w.form->findChild<QLineEdit*>(name)->toolTip();
        QVERIFY2(!tip.isEmpty(), qPrintable(name));
    }
    QVERIFY(w.form->txtOutdoorTemp->toolTip().contains("°F"));
    QVERIFY(w.form->txtSupplyFlow->toolTip().contains("CFM"));
    QVERIFY(w.form->txtMixedRatio->toolTip().contains("lb water / lb dry air"));
}

void TestWindowExtras::resizeKeepsChartGeometry() {
    fixture::Window w;
    QVERIFY(w.activate());
    const QImage before = w.form->picGraph->surface().Image();
    const auto& p = w.form->chartState().pos;
    const QPointF fracBefore(w.form->picGraph->surface().toPxX(p.returnX) / 669,
                             w.form->picGraph->surface().toPxY(p.returnY) / 429);
    const int redraws = w.form->redrawCount();
    w.form->resize(w.form->width() + 700, w.form->height() + 450);
    QTRY_VERIFY(w.form->picGraph->zoom() > 1.4);
    QVERIFY(w.form->redrawCount() > redraws);
    const QImage after = w.form->picGraph->surface().Image();
    const double zoom = w.form->picGraph->zoom();
    QVERIFY(qAbs(after.width() - 669 * zoom * before.devicePixelRatio()) <= 1);
    QVERIFY(w.form->picGraph->width() > 673 * 1.4);
    // The return marker's green dot sits at the same fraction of the surface.
    const QPoint px(int(fracBefore.x() * after.width()), int(fracBefore.y() * after.height()));
    QCOMPARE(after.pixel(px), qRgb(0, 255, 0));
    QCOMPARE(
        before.pixel(int(fracBefore.x() * before.width()), int(fracBefore.y() * before.height())),
        qRgb(0, 255, 0));
    // Values do not move with the size.
    QCOMPARE(w.text(Field::txtReturnDew), "61");
    // Never smaller than usable, and at any size the chart is whole: scaled
    // into the space it has, never cut off.
    for (const QSize size : {QSize(200, 200), QSize(1150, 700), QSize(1920, 1080)}) {
        w.form->resize(size);
        QApplication::processEvents();
        const QRect area = w.form->centralWidget()->rect();
        QVERIFY(area.contains(w.form->picGraph->geometry()));
        QVERIFY(area.contains(w.form->findChild<QWidget*>("sidePanel")->geometry()));
        QVERIFY(w.form->picGraph->geometry().right() <
                w.form->findChild<QWidget*>("sidePanel")->geometry().left());
    }
    QVERIFY(w.form->width() > 200);
    // Without the history chart the psychrometric chart takes the height or
    // the width it has, whichever runs out first.
    const QRect g = w.form->picGraph->geometry();
    const QSize area = w.form->centralWidget()->size();
    QVERIFY(std::max(double(g.bottom()) / area.height(), double(g.right() + 549) / area.width()) >
            0.97);
}

// Nothing under the pointer moves when the warning comes and goes or the
// outdoor source is switched: hidden controls keep their place.
void TestWindowExtras::hiddenControlsKeepTheirPlace() {
    fixture::Window w;
    QVERIFY(w.activate());
    app::Form1& f = *w.form;
    auto places = [&f] {
        QList<QRect> r;
        for (QWidget* c : std::initializer_list<QWidget*>{f.OptCoolHeat[1], f.OptLive[0], f.cmdLiveSet,
                                                          f.cmdPrint, f.txtFreshMix, f.txtCondensate})
            r << QRect(c->mapTo(&f, QPoint(0, 0)), c->size());
        return r;
    };
    const QList<QRect> before = places();
    w.typeOver(f.txtOutdoorTemp, QStringLiteral("abc"));
    QVERIFY(f.picWarning->isVisible() && !f.txtLoad->isVisible());
    QApplication::processEvents();
    QCOMPARE(places(), before);
    f.feedSettings().gXMLCurrent = f.feedSettings().gXMLDaily = QStringLiteral("http://127.0.0.1:9/");
    f.OptLive[0]->click();
    QVERIFY(f.LiveFeed && f.frmLive->isVisible() && !f.cmboCity->isVisible());
    QApplication::processEvents();
    QCOMPARE(places(), before);
}

QTEST_MAIN(TestWindowExtras)
#include "tst_window_extras.moc"
