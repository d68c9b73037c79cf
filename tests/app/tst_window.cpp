// The main window as it stands after start-up: its controls, their
// captions and initial state, the chart surfaces, the timers, the caption
// and the state sheet computed for the start-up inputs.

#include "window_fixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

using psychro::Field;

class TestWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<fixture::Window> m_w;
    app::Form1& form() { return *m_w->form; }

private slots:
    void init() { m_w = std::make_unique<fixture::Window>(); }
    void cleanup() {
        QVERIFY2(m_w->messages.isEmpty(), qPrintable(m_w->messages.join(u'|')));
        m_w.reset();
    }

    void everySheetFieldIsFoundByName();
    void onlyTheEightInputsAreEditable();
    void readOnlyFieldsIgnoreTyping();
    void captions_data();
    void captions();
    void unnamedCaptions();
    void optionsStartInCoolingAndManualEntry();
    void chartSurfacesHaveTheirPlaceAndSize();
    void timersRunAfterStartUp();
    void captionCarriesTheVersion();
    void startUpSheetFollowsTheChartFormulas();
    void startUpRedrawsOncePerStep();
    void historyChartShowsOnlyItsBackgroundInManualMode();
};

void TestWindow::everySheetFieldIsFoundByName() {
    // The 36 fields of the sheet, load, condensate and the fresh-air share.
    QCOMPARE(fixture::fieldNames().size(), 39);
    for (const QString& name : fixture::fieldNames()) {
        const QList<QLineEdit*> found = form().findChildren<QLineEdit*>(name);
        QVERIFY2(found.size() == 1, qPrintable(name));
        // The same control the window's own accessors hand out.
        const psychro::Field f = psychro::fieldByName(name);
        QVERIFY2(f != Field::Count && form().field(f) == found.first(), qPrintable(name));
    }
}

void TestWindow::onlyTheEightInputsAreEditable() {
    const QStringList inputs = {"txtOutdoorTemp", "txtOutdoorRH", "txtReturnTemp", "txtReturnRH",
                                "txtSupplyTemp",  "txtSupplyRH",  "txtSupplyFlow", "txtFreshMix"};
    for (const QString& name : fixture::fieldNames())
        QVERIFY2(fixture::fieldNamed(form(), name)->isReadOnly() != inputs.contains(name),
                 qPrintable(name));
}

void TestWindow::readOnlyFieldsIgnoreTyping() {
    const int before = form().redrawCount();
    for (Field f : {Field::txtMixedTemp, Field::txtOutdoorDew, Field::txtMixedFlow, Field::txtLoad,
                    Field::txtCondensate}) {
        QLineEdit* e = form().field(f);
        const QString shown = e->text();
        QTest::keyClicks(e, QStringLiteral("12"));
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), shown);
    }
    QCOMPARE(form().redrawCount(), before);
}

void TestWindow::captions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    auto row = [](const char* name, const char* caption) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption);
    };
    row("lblSupplyDryBulb", "Temperature (F)");
    row("lblSupplyRH", "Rel Humidity %");
    row("lblSupplyDew", "Dew Point (F)");
    row("lblSupplyWetBulb", "Wet Bulb (F)");
    row("lblSupplyRatio", "Humidity Ratio");
    row("lblSupplyEnthalpy", "Enthalpy (BTU/lb)");
    row("lblSupplySpVOL", "Specific Volume");
    row("lblSupplyCFM", "Air Flow (CFM)");
    row("lblSupplyMass", "Mass (#m/hr)");
    row("lblOutdoorTemp", "Temperature (F)");
    row("lblOutdoorRH", "Rel Humidity %");
    row("lblOutdoorDew", "Dew Point (F)");
    row("lblReturnTemp", "Temperature (F)");
    // The live panel's labels show their own names until a first observation.
    for (const char* n : {"lblTempF", "lblTempC", "lblRH", "lblDewF", "lblDewC", "lblTime"})
        row(n, n);
    row("Frame1", "Operation");
    row("frmFreshAir", "Fresh Air Mix");
    row("Frame2", "Design Points");
    row("frmLive", "  Live Data");
    row("OptCoolHeat_0", "Cooling with Dehumidifcation");
    row("OptCoolHeat_1", "Heating with Humidification");
    row("OptLive_0", "Live  Feed");
    row("OptLive_1", "Manual Entry ");
    row("cmdLiveSet", "XML Setup");
    row("cmdPrint", "Print");
}

void TestWindow::captions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QObject* o = form().findChild<QObject*>(name);
    QVERIFY2(o, qPrintable(name));
    QString shown;
    if (auto* l = qobject_cast<QLabel*>(o))
        shown = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(o))
        shown = g->title();
    else if (auto* b = qobject_cast<QAbstractButton*>(o))
        shown = b->text();
    else
        QFAIL("not a captioned control");
    QCOMPARE(shown, caption);
}

// Captions without a control name of their own: the column heads, the
// results' and the fresh-air share's labels, and the live panel's "Time:".
void TestWindow::unnamedCaptions() {
    QStringList texts;
    for (QLabel* l : form().findChildren<QLabel*>())
        texts << l->text();
    for (const char* c : {"OUTDOOR", "RETURN", "SUPPLY", "MIXED AIR", "Cooling Load (BTU/hr)",
                          "Condensate (GPM)", "% Fresh Air"})
        QVERIFY2(texts.contains(QLatin1String(c)), c);
    QStringList live;
    for (QLabel* l : form().frmLive->findChildren<QLabel*>())
        live << l->text();
    QVERIFY(live.contains(QStringLiteral("Time:")));
}

void TestWindow::optionsStartInCoolingAndManualEntry() {
    auto* cool = form().findChild<QRadioButton*>(QStringLiteral("OptCoolHeat_0"));
    auto* heat = form().findChild<QRadioButton*>(QStringLiteral("OptCoolHeat_1"));
    auto* live = form().findChild<QRadioButton*>(QStringLiteral("OptLive_0"));
    auto* manual = form().findChild<QRadioButton*>(QStringLiteral("OptLive_1"));
    QVERIFY(cool && heat && live && manual);
    QVERIFY(cool->isChecked());
    QVERIFY(!heat->isChecked());
    QVERIFY(!live->isChecked());
    QVERIFY(manual->isChecked());
    QVERIFY(!form().LiveFeed);
    // Manual entry: the live panel and the history chart are hidden, the
    // city list is there with "Manual Entry" selected, the fields editable.
    QVERIFY(form().findChild<QGroupBox*>(QStringLiteral("frmLive"))->isHidden());
    QVERIFY(form().picChart->isHidden());
    auto* city = form().findChild<QComboBox*>(QStringLiteral("cmboCity"));
    QVERIFY(city && !city->isHidden());
    QCOMPARE(city->count(), 100);
    QCOMPARE(city->currentIndex(), 0);
    QCOMPARE(city->currentText(), QStringLiteral("Manual Entry"));
    QVERIFY(form().txtOutdoorTemp->isEnabled());
    QVERIFY(form().txtOutdoorRH->isEnabled());
    // Locked slider, share 25 %.
    QVERIFY(!form().freshAirSlider().SliderEnabled);
    QCOMPARE(form().chartState().in.gAirRate, 0.25f);
    for (const char* hidden :
         {"imglockclosed", "imgLockOpen", "Picture1", "Picture2", "picWarning"}) {
        auto* w = form().findChild<QWidget*>(QLatin1String(hidden));
        QVERIFY2(w && w->isHidden(), hidden);
    }
}

void TestWindow::chartSurfacesHaveTheirPlaceAndSize() {
    QWidget* central = form().centralWidget();
    auto* graph = form().findChild<QWidget*>(QStringLiteral("picGraph"));
    auto* chart = form().findChild<QWidget*>(QStringLiteral("picChart"));
    QVERIFY(graph && chart);
    // 10095 x 6495 and 10095 x 3135 twips at 15 twips a pixel.
    QCOMPARE(graph->size(), QSize(673, 433));
    QCOMPARE(chart->size(), QSize(673, 209));
    QCOMPARE(graph->mapTo(central, QPoint(0, 0)), QPoint(8, 16));
    QCOMPARE(chart->mapTo(central, QPoint(0, 0)), QPoint(8, 544));
    // The history chart lies below the psychrometric one.
    QVERIFY(chart->geometry().top() >= graph->geometry().bottom());
    // Shown at its opening size, the window keeps them so.
    QVERIFY(m_w->activate());
    QCOMPARE(graph->size(), QSize(673, 433));
    QCOMPARE(graph->mapTo(central, QPoint(0, 0)), QPoint(8, 16));
}

void TestWindow::timersRunAfterStartUp() {
    auto* t1 = form().findChild<QTimer*>(QStringLiteral("Timer1"));
    auto* t2 = form().findChild<QTimer*>(QStringLiteral("Timer2"));
    QVERIFY(t1 && t2);
    QCOMPARE(t1->interval(), 40000);
    QCOMPARE(t2->interval(), 200);
    QVERIFY(t1->isActive());
    QVERIFY(t2->isActive());
    QVERIFY(!t1->isSingleShot());
    QVERIFY(!t2->isSingleShot());
}

void TestWindow::captionCarriesTheVersion() {
    QCOMPARE(form().windowTitle(), QStringLiteral("System Quorvel - Psychrometry   V1.1"));
}

void TestWindow::startUpSheetFollowsTheChartFormulas() {
    // "Manual Entry" in cooling: outdoor 95 F / 51 %; the inputs' initial
    // texts for return and supply; 6000 CFM at 25 % fresh air.
    QCOMPARE(m_w->text(Field::txtOutdoorTemp), QStringLiteral("95"));
    QCOMPARE(m_w->text(Field::txtOutdoorRH), QStringLiteral("51"));
    QCOMPARE(m_w->text(Field::txtReturnTemp), QStringLiteral("75"));
    QCOMPARE(m_w->text(Field::txtReturnRH), QStringLiteral("60"));
    QCOMPARE(m_w->text(Field::txtSupplyTemp), QStringLiteral("60"));
    QCOMPARE(m_w->text(Field::txtSupplyRH), QStringLiteral("99"));
    QCOMPARE(m_w->text(Field::txtSupplyFlow), QStringLiteral("6000"));
    QCOMPARE(m_w->text(Field::txtFreshMix), QStringLiteral("25"));

    const reference::Expected want =
        reference::sheet({95, 51, 75, 60, 60, 99, QStringLiteral("6000"), 0.25});
    QVERIFY(!want.warning);
    const QStringList diff = fixture::sheetDifferences(form(), want);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QLatin1String("; "))));

    // A few values worked by hand: 25 % of 6000 CFM; the mixed dry bulb is a
    // quarter of the way from 75 F to 95 F.
    QCOMPARE(m_w->text(Field::txtOutdoorFlow), QStringLiteral("1500"));
    QCOMPARE(m_w->text(Field::txtReturnFlow), QStringLiteral("4500"));
    QCOMPARE(m_w->text(Field::txtMixedFlow), QStringLiteral("6000"));
    QCOMPARE(m_w->text(Field::txtMixedTemp), QStringLiteral("80"));
    // The placement of the return state published with the curves.
    QVERIFY(qAbs(form().chartState().pos.returnX - 6.706) < 0.001);
    QVERIFY(qAbs(form().chartState().pos.returnY - 5.725) < 0.001);
    QVERIFY(qAbs(form().chartState().pos.supplyY - 5.549) < 0.001);

    // Every derived field filled (no placeholder, nothing empty) and shown.
    for (const QString& name : fixture::fieldNames()) {
        QLineEdit* e = fixture::fieldNamed(form(), name);
        QVERIFY2(!e->text().isEmpty(), qPrintable(name));
        QVERIFY2(!e->isHidden(), qPrintable(name));
    }
    QVERIFY(form().picWarning->isHidden());
    QVERIFY(!form().chartState().InterpFailed);
    QVERIFY(fixture::nonFiniteTexts(form()).isEmpty());
}

void TestWindow::startUpRedrawsOncePerStep() {
    // Row 0 of the city list changes both outdoor fields (two redraws), the
    // fresh-air share's exit handler, the manual-entry switch and the final
    // redraw one each.
    QCOMPARE(form().redrawCount(), 5);
    // The pointer is back to normal after the last of them.
    QCOMPARE(form().cursor().shape(), Qt::ArrowCursor);
}

void TestWindow::historyChartShowsOnlyItsBackgroundInManualMode() {
    chart::ImageSurface& shown = form().picChart->surface();
    chart::ImageSurface blank(shown.widthPx(), shown.heightPx(), shown.devicePixelRatio());
    blank.Picture(shown.picture());
    blank.Cls();
    QVERIFY(!shown.picture().isNull());
    QVERIFY(shown.Image() == blank.Image());
    // Another redraw keeps it that way.
    form().OptCoolHeat[1]->click();
    QVERIFY(shown.Image() == blank.Image());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
