// Typing into the window's input fields and leaving them: which working
// value takes the number, how many redraws each keystroke and each exit
// cause, how out-of-range entries are rewritten, and what the sheet shows
// afterwards.

#include "window_fixture.h"

#include <QRadioButton>

#include <cmath>

using psychro::Field;

class TestInputFields : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<fixture::Window> m_w;
    app::Form1& form() { return *m_w->form; }
    psychro::ChartState& state() { return form().chartState(); }
    QString text(Field f) { return m_w->text(f); }

    // Puts the focus into the field and selects its text, as a click and
    // a drag over it would; what is typed next replaces the text.
    void clickInto(Field f) {
        QLineEdit* e = form().field(f);
        e->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        QVERIFY(e->hasFocus());
        e->selectAll();
    }
    // Redraws caused by typing keys into the field that has the focus.
    int typed(Field f, const QString& keys) {
        const int before = form().redrawCount();
        QTest::keyClicks(form().field(f), keys);
        return form().redrawCount() - before;
    }
    // Redraws caused by leaving the field.
    int left() {
        const int before = form().redrawCount();
        m_w->leave();
        return form().redrawCount() - before;
    }
    // The 25 derived fields that the warning replaces.
    QList<QLineEdit*> warningFields() {
        QList<QLineEdit*> list;
        for (const QString& name : fixture::warningFieldNames())
            list << fixture::fieldNamed(form(), name);
        return list;
    }
    void verifyWarningShown() {
        QVERIFY(form().picWarning->isVisible());
        for (QLineEdit* e : warningFields())
            QVERIFY2(e->isHidden(), qPrintable(e->objectName()));
        // The load goes with them; inputs, flows, mixed temperature and RH stay.
        QVERIFY(form().txtLoad->isHidden());
        for (Field f :
             {Field::txtOutdoorTemp, Field::txtOutdoorRH, Field::txtReturnTemp, Field::txtSupplyRH,
              Field::txtOutdoorFlow, Field::txtReturnFlow, Field::txtMixedFlow,
              Field::txtSupplyFlow, Field::txtMixedTemp, Field::txtMixedRH})
            QVERIFY2(form().field(f)->isVisible(), psychro::fieldName(f));
    }

private slots:
    void init() {
        m_w = std::make_unique<fixture::Window>();
        QVERIFY(m_w->activate());
        // The 40 s live-feed tick redraws in manual mode too; it must not
        // slip into the redraw counts of a slow run.
        form().Timer1->stop();
    }
    void cleanup() {
        const QStringList bad = fixture::nonFiniteTexts(form());
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join(u' ')));
        QVERIFY2(m_w->messages.isEmpty(), qPrintable(m_w->messages.join(u'|')));
        m_w.reset();
    }

    void humidityTypedAndLeft_data();
    void humidityTypedAndLeft();
    void freshAirTypedAndLeft_data();
    void freshAirTypedAndLeft();
    void flowsFollowSupplyFlowAndShare_data();
    void flowsFollowSupplyFlowAndShare();
    void zeroFreshAirCopiesTheReturnValues();
    void oneKeystrokeInOutdoorTemperatureRedrawsOnce();
    void lettersInOutdoorTemperatureReadAsZero();
    void heatingGivesANegativeLoad();
    void outdoorTemperatureAboveTheChartWarns();
    void supplyTemperatureBetweenWholeDegreesWarns();
    void humidityAbove100ReachesARedrawStartedElsewhere();
    void humidityZeroReachesARedrawStartedElsewhere();
    void outdoorTemperaturePlacement_data();
    void outdoorTemperaturePlacement();
    void mixedPointOnTheMixingLine_data();
    void mixedPointOnTheMixingLine();
    void mixedRelativeHumidity_data();
    void mixedRelativeHumidity();
    void oddFlowsNeverShowNanOrInfinity_data();
    void oddFlowsNeverShowNanOrInfinity();
};

void TestInputFields::humidityTypedAndLeft_data() {
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("typingRedraws");
    QTest::addColumn<float>("valueWhileTyping");
    QTest::addColumn<QString>("textAfterLeaving");
    QTest::addColumn<int>("leavingRedraws");
    QTest::addColumn<float>("valueAfterLeaving");

    // Outdoor RH redraws only strictly between 1 and 100, and holds 100 as 99.
    // "150": "1" no, "15" yes, "150" no; leaving rewrites "100", whose change
    // redraws with 99, then the exit redraws again.
    QTest::newRow("outdoor 150") << Field::txtOutdoorRH << "150" << 1 << 150.f << "100" << 2
                                 << 99.f;
    // "0.5" never redraws; leaving writes "1" (no redraw at 1) and redraws once.
    QTest::newRow("outdoor 0.5") << Field::txtOutdoorRH << "0.5" << 0 << 0.5f << "1" << 1 << 1.f;
    // "100": "10" and "100" (as 99) redraw; the field keeps showing 100.
    QTest::newRow("outdoor 100") << Field::txtOutdoorRH << "100" << 2 << 99.f << "100" << 1 << 99.f;
    QTest::newRow("outdoor 1") << Field::txtOutdoorRH << "1" << 0 << 1.f << "1" << 1 << 1.f;
    // Return and supply RH redraw for 0 < RH <= 100 and keep 100.
    // "0": no redraw; leaving writes "1" (a change that redraws) and redraws.
    QTest::newRow("return 0") << Field::txtReturnRH << "0" << 0 << 0.f << "1" << 2 << 1.f;
    QTest::newRow("supply 0") << Field::txtSupplyRH << "0" << 0 << 0.f << "1" << 2 << 1.f;
    QTest::newRow("supply 250") << Field::txtSupplyRH << "250" << 2 << 250.f << "100" << 2 << 100.f;
    QTest::newRow("return 100") << Field::txtReturnRH << "100" << 3 << 100.f << "100" << 1 << 100.f;
    QTest::newRow("supply 100") << Field::txtSupplyRH << "100" << 3 << 100.f << "100" << 1 << 100.f;
    QTest::newRow("return letters") << Field::txtReturnRH << "ab" << 0 << 0.f << "1" << 2 << 1.f;
}

void TestInputFields::humidityTypedAndLeft() {
    QFETCH(Field, field);
    QFETCH(QString, keys);
    QFETCH(int, typingRedraws);
    QFETCH(float, valueWhileTyping);
    QFETCH(QString, textAfterLeaving);
    QFETCH(int, leavingRedraws);
    QFETCH(float, valueAfterLeaving);
    const psychro::WorkingInputs& in = state().in;
    const float& value = field == Field::txtOutdoorRH  ? in.gORH
                         : field == Field::txtReturnRH ? in.gRRH
                                                       : in.gSRH;
    clickInto(field);
    QCOMPARE(typed(field, keys), typingRedraws);
    QCOMPARE(text(field), keys);
    QCOMPARE(value, valueWhileTyping);
    QCOMPARE(left(), leavingRedraws);
    QCOMPARE(text(field), textAfterLeaving);
    QCOMPARE(value, valueAfterLeaving);
    // The last redraw placed the state with the corrected value: 1 % and 99 %
    // or 100 % are all on the chart, so nothing warns.
    QVERIFY(form().picWarning->isHidden());
}

void TestInputFields::freshAirTypedAndLeft_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("typingRedraws");
    QTest::addColumn<QString>("textAfterLeaving");
    QTest::addColumn<int>("leavingRedraws");
    QTest::addColumn<float>("share");

    // "-3": "-" and "-3" are not in 0 < P <= 100; leaving writes "0" (ignored
    // by the change) and redraws once with no fresh air.
    QTest::newRow("-3") << "-3" << 0 << "0" << 1 << 0.f;
    QTest::newRow("0") << "0" << 0 << "0" << 1 << 0.f;
    QTest::newRow("40") << "40" << 2 << "40" << 1 << 0.4f;
    // "150": "1" and "15" redraw; leaving writes "100" (a change that
    // redraws) and redraws again.
    QTest::newRow("150") << "150" << 2 << "100" << 2 << 1.f;
    QTest::newRow("100") << "100" << 3 << "100" << 1 << 1.f;
}

void TestInputFields::freshAirTypedAndLeft() {
    QFETCH(QString, keys);
    QFETCH(int, typingRedraws);
    QFETCH(QString, textAfterLeaving);
    QFETCH(int, leavingRedraws);
    QFETCH(float, share);
    clickInto(Field::txtFreshMix);
    QCOMPARE(typed(Field::txtFreshMix, keys), typingRedraws);
    QCOMPARE(left(), leavingRedraws);
    QCOMPARE(text(Field::txtFreshMix), textAfterLeaving);
    QCOMPARE(state().in.gAirRate, share);
    // Knob left edge = (track width - knob width) x share.
    const int travel = form().SliderBackGrnd->width() - form().slider->width();
    QCOMPARE(form().slider->x(), int(std::lround(travel * double(share))));
    // The sheet was computed with that share.
    QCOMPARE(text(Field::txtOutdoorFlow), reference::fixed(6000 * double(share), 0));
}

void TestInputFields::flowsFollowSupplyFlowAndShare_data() {
    QTest::addColumn<QString>("flow");
    QTest::addColumn<QString>("share");
    QTest::addColumn<QString>("outdoorFlow");
    QTest::addColumn<QString>("returnFlow");
    // 33.33 % of 6000 is 1999.8, shown "2000"; the return flow is taken
    // from the rounded text.
    QTest::newRow("33.33 % of 6000") << "6000"
                                     << "33.33"
                                     << "2000"
                                     << "4000";
    // A flow with decimals is copied verbatim to the mixed flow.
    QTest::newRow("25 % of 6000.5") << "6000.5"
                                    << "25"
                                    << "1500"
                                    << "4500.5";
    QTest::newRow("10 % of 2500") << "2500"
                                  << "10"
                                  << "250"
                                  << "2250";
    // 2.5 is rounded half away from zero.
    QTest::newRow("25 % of 10") << "10"
                                << "25"
                                << "3"
                                << "7";
    // A flow with a thousands separator is rewritten in plain digits when
    // left, so every step reads 6000; blanks are ignored: "1 500" is 1500.
    QTest::newRow("25 % of 6,000") << "6,000"
                                   << "25"
                                   << "1500"
                                   << "4500";
    QTest::newRow("10 % of 1 500") << "1 500"
                                   << "10"
                                   << "150"
                                   << "1350";
}

void TestInputFields::flowsFollowSupplyFlowAndShare() {
    QFETCH(QString, flow);
    QFETCH(QString, share);
    QFETCH(QString, outdoorFlow);
    QFETCH(QString, returnFlow);
    clickInto(Field::txtFreshMix);
    typed(Field::txtFreshMix, share);
    QVERIFY(left() >= 1);
    // Typing a flow redraws nothing until the field is left.
    clickInto(Field::txtSupplyFlow);
    QCOMPARE(typed(Field::txtSupplyFlow, flow), 0);
    QCOMPARE(text(Field::txtMixedFlow), QStringLiteral("6000"));
    QCOMPARE(left(), 1);
    QCOMPARE(text(Field::txtMixedFlow), flow == "6,000" ? QStringLiteral("6000") : flow);
    QCOMPARE(text(Field::txtOutdoorFlow), outdoorFlow);
    QCOMPARE(text(Field::txtReturnFlow), returnFlow);
    bool plain = false;
    flow.toDouble(&plain);
    if (!plain)
        return;
    const reference::Expected want =
        reference::sheet({95, 51, 75, 60, 60, 99, flow, share.toDouble() / 100});
    const QStringList diff = fixture::sheetDifferences(form(), want);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QLatin1String("; "))));
}

void TestInputFields::zeroFreshAirCopiesTheReturnValues() {
    clickInto(Field::txtFreshMix);
    typed(Field::txtFreshMix, QStringLiteral("0"));
    QCOMPARE(left(), 1);
    QCOMPARE(state().in.gAirRate, 0.f);
    QCOMPARE(text(Field::txtMixedEnthalpy), text(Field::txtReturnEnthalpy));
    QCOMPARE(text(Field::txtMixedMass), text(Field::txtReturnMass));
    // The mixed point sits on the return point; nothing comes from outdoors.
    QCOMPARE(text(Field::txtOutdoorFlow), QStringLiteral("0"));
    QCOMPARE(text(Field::txtMixedTemp), QStringLiteral("75"));
    QCOMPARE(text(Field::txtMixedRatio), text(Field::txtReturnRatio));
    const QStringList diff = fixture::sheetDifferences(
        form(), reference::sheet({95, 51, 75, 60, 60, 99, QStringLiteral("6000"), 0}));
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QLatin1String("; "))));
}

void TestInputFields::oneKeystrokeInOutdoorTemperatureRedrawsOnce() {
    clickInto(Field::txtOutdoorTemp);
    QCOMPARE(typed(Field::txtOutdoorTemp, QStringLiteral("8")), 1);
    QCOMPARE(state().in.gTemperature, 8.f);
    // "8" then "0": one more character, one more redraw, and the sheet is
    // that of 80 F outdoors.
    QCOMPARE(typed(Field::txtOutdoorTemp, QStringLiteral("0")), 1);
    QCOMPARE(text(Field::txtOutdoorTemp), QStringLiteral("80"));
    QCOMPARE(state().in.gTemperature, 80.f);
    const reference::Expected want =
        reference::sheet({80, 51, 75, 60, 60, 99, QStringLiteral("6000"), 0.25});
    const QStringList diff = fixture::sheetDifferences(form(), want);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QLatin1String("; "))));
    QVERIFY(form().picWarning->isHidden());
    // Leaving a temperature field redraws nothing.
    QCOMPARE(left(), 0);
    for (Field f : {Field::txtReturnTemp, Field::txtSupplyTemp}) {
        clickInto(f);
        QCOMPARE(left(), 0);
    }
}

void TestInputFields::lettersInOutdoorTemperatureReadAsZero() {
    clickInto(Field::txtOutdoorTemp);
    QCOMPARE(typed(Field::txtOutdoorTemp, QStringLiteral("abc")), 3);
    QCOMPARE(state().in.gTemperature, 0.f);
    // 0 F is left of the chart: shown on its left edge, below the plot, with
    // the warning.
    QCOMPARE(state().pos.outdoorx, 2.f);
    QCOMPARE(state().pos.outdoorY, 0.f);
    verifyWarningShown();
}

void TestInputFields::heatingGivesANegativeLoad() {
    QTest::mouseClick(form().OptCoolHeat[1], Qt::LeftButton);
    QVERIFY(form().OptCoolHeat[1]->isChecked());
    // Manual Entry's winter point.
    QCOMPARE(text(Field::txtOutdoorTemp), QStringLiteral("25"));
    QCOMPARE(text(Field::txtOutdoorRH), QStringLiteral("80"));
    // A winter day at 40 F / 50 %, room air 72 F / 40 %, warm supply air
    // 95 F / 20 %: the mixed air (64 F) is cooler than the supply air.
    const std::pair<Field, const char*> entries[] = {
        {Field::txtOutdoorTemp, "40"}, {Field::txtOutdoorRH, "50"},  {Field::txtReturnTemp, "72"},
        {Field::txtReturnRH, "40"},    {Field::txtSupplyTemp, "95"}, {Field::txtSupplyRH, "20"}};
    for (const auto& [f, keys] : entries) {
        clickInto(f);
        typed(f, QLatin1String(keys));
    }
    m_w->leave();
    QVERIFY(form().picWarning->isHidden());
    QCOMPARE(text(Field::txtMixedTemp), QStringLiteral("64"));
    QVERIFY2(text(Field::txtLoad).startsWith(u'-'), qPrintable(text(Field::txtLoad)));
    const reference::Expected want =
        reference::sheet({40, 50, 72, 40, 95, 20, QStringLiteral("6000"), 0.25});
    const QStringList diff = fixture::sheetDifferences(form(), want);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QLatin1String("; "))));
}

void TestInputFields::outdoorTemperatureAboveTheChartWarns() {
    const float outdoorx = state().pos.outdoorx; // 95 F
    QCOMPARE(outdoorx, float(reference::xOf(95)));
    // Reach "125" without passing a temperature below the chart (which
    // would move the point to the left edge): "95" -> "195" -> "125".
    clickInto(Field::txtOutdoorTemp);
    QTest::keyClick(form().txtOutdoorTemp, Qt::Key_Home);
    QCOMPARE(typed(Field::txtOutdoorTemp, QStringLiteral("1")), 1);
    QTest::keyClick(form().txtOutdoorTemp, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(typed(Field::txtOutdoorTemp, QStringLiteral("2")), 1);
    QCOMPARE(text(Field::txtOutdoorTemp), QStringLiteral("125"));
    QCOMPARE(state().in.gTemperature, 125.f);
    // The point keeps its place from before and drops below the plot.
    QCOMPARE(state().pos.outdoorx, outdoorx);
    QCOMPARE(state().pos.outdoorY, 0.f);
    verifyWarningShown();
    // The load is still computed, from the hidden enthalpies.
    const double hM = text(Field::txtMixedEnthalpy).toDouble();
    const double hS = text(Field::txtSupplyEnthalpy).toDouble();
    QCOMPARE(text(Field::txtLoad), reference::grouped(6000 * 4.5 * (hM - hS), 0));

    // Back on the chart, the warning goes and the fields come back.
    QTest::keyClick(form().txtOutdoorTemp, Qt::Key_Backspace);
    QCOMPARE(typed(Field::txtOutdoorTemp, QStringLiteral("0")), 1); // "120"
    QVERIFY(form().picWarning->isHidden());
    for (QLineEdit* e : warningFields())
        QVERIFY2(e->isVisible(), qPrintable(e->objectName()));
}

void TestInputFields::supplyTemperatureBetweenWholeDegreesWarns() {
    clickInto(Field::txtSupplyTemp);
    typed(Field::txtSupplyTemp, QStringLiteral("55."));
    QVERIFY(form().picWarning->isHidden());
    const float supplyX = state().pos.supplyX;
    QCOMPARE(supplyX, float(reference::xOf(55)));
    QCOMPARE(typed(Field::txtSupplyTemp, QStringLiteral("5")), 1);
    QCOMPARE(text(Field::txtSupplyTemp), QStringLiteral("55.5"));
    QCOMPARE(state().pos.supplyX, supplyX);
    QCOMPARE(state().pos.supplyY, 0.f);
    verifyWarningShown();
}

void TestInputFields::humidityAbove100ReachesARedrawStartedElsewhere() {
    clickInto(Field::txtReturnRH);
    QCOMPARE(typed(Field::txtReturnRH, QStringLiteral("150")), 2);
    QCOMPARE(state().in.gRRH, 150.f);
    QVERIFY(form().picWarning->isHidden());
    // Still in the return RH field, a key reaches the supply temperature
    // ("60" -> "060", still 60 F) and redraws with the stored 150 %.
    const int before = form().redrawCount();
    QTest::keyClick(form().txtSupplyTemp, Qt::Key_Home);
    QTest::keyClick(form().txtSupplyTemp, Qt::Key_0);
    QCOMPARE(form().redrawCount() - before, 1);
    QVERIFY(form().txtReturnRH->hasFocus());
    QCOMPARE(state().in.gRRH, 150.f);
    QCOMPARE(state().pos.returnY, 0.f);
    QVERIFY(state().InterpFailed);
    verifyWarningShown();
    // Leaving the field corrects it and the chart recovers.
    QCOMPARE(left(), 2);
    QCOMPARE(text(Field::txtReturnRH), QStringLiteral("100"));
    QVERIFY(form().picWarning->isHidden());
    QVERIFY(qAbs(state().pos.returnY - 8.179) < 0.001); // 100 % at 75 F
}

void TestInputFields::humidityZeroReachesARedrawStartedElsewhere() {
    clickInto(Field::txtReturnRH);
    QCOMPARE(typed(Field::txtReturnRH, QStringLiteral("0")), 0);
    QTest::keyClick(form().txtSupplyTemp, Qt::Key_Home);
    QTest::keyClick(form().txtSupplyTemp, Qt::Key_0);
    // 0 % lies on the straight blend from the 10 % curve to the bottom edge
    // at 0.5 %: just below the plot, and no warning.
    QCOMPARE(state().in.gRRH, 0.f);
    QVERIFY(qAbs(state().pos.returnY - 1.969) < 0.001);
    QVERIFY(form().picWarning->isHidden());
}

void TestInputFields::outdoorTemperaturePlacement_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<double>("placedAt"); // F; 0 for the left edge
    // Rounded to whole degrees, halves to the even neighbour.
    QTest::newRow("72.5") << "72.5" << 72.0;
    QTest::newRow("73.5") << "73.5" << 74.0;
    QTest::newRow("72.6") << "72.6" << 73.0;
    QTest::newRow("34.6") << "34.6" << 35.0;
    // 120 F at 51 % lies above the 15.0 cu ft/lb line: no volume to read.
    QTest::newRow("120") << "120" << 120.0;
    // Colder than the chart: on the left edge, below the plot.
    QTest::newRow("20") << "20" << 0.0;
    QTest::newRow("-10") << "-10" << 0.0;
}

void TestInputFields::outdoorTemperaturePlacement() {
    QFETCH(QString, keys);
    QFETCH(double, placedAt);
    clickInto(Field::txtOutdoorTemp);
    QCOMPARE(typed(Field::txtOutdoorTemp, keys), keys.size());
    // The animation runs on in every case.
    QVERIFY(form().Timer2->isActive());
    if (placedAt == 0) {
        QCOMPARE(state().pos.outdoorx, 2.f);
        QCOMPARE(state().pos.outdoorY, 0.f);
        verifyWarningShown();
        return;
    }
    QVERIFY(qAbs(state().pos.outdoorx - reference::xOf(placedAt)) < 1e-5);
    const reference::Expected want = reference::sheet(
        {placedAt, 51, 75, 60, 60, 99, QStringLiteral("6000"), 0.25, keys.toDouble()});
    QVERIFY(qAbs(state().pos.outdoorY - want.outdoorY) < 1e-4);
    QCOMPARE(form().picWarning->isVisible(), want.warning);
    const QStringList diff = fixture::sheetDifferences(form(), want);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QLatin1String("; "))));
}

void TestInputFields::mixedPointOnTheMixingLine_data() {
    QTest::addColumn<QString>("outdoorT");
    QTest::addColumn<QString>("share");
    QTest::addColumn<QString>("mixedT");
    // 75 F + 0.3 x (95 F - 75 F) = 81 F.
    QTest::newRow("30 %") << "95"
                          << "30"
                          << "81";
    QTest::newRow("all outdoor air") << "95"
                                     << "100"
                                     << "95";
    QTest::newRow("heating") << "45"
                             << "40"
                             << "63";
    // Outdoor straight above the return point: the mixing line is tilted by
    // a hundredth of the return x so that it has a slope.
    QTest::newRow("same dry bulb") << "75"
                                   << "25"
                                   << "75";
}

void TestInputFields::mixedPointOnTheMixingLine() {
    QFETCH(QString, outdoorT);
    QFETCH(QString, share);
    QFETCH(QString, mixedT);
    form().txtOutdoorTemp->setText(outdoorT); // as a city pick writes it
    clickInto(Field::txtFreshMix);
    typed(Field::txtFreshMix, share);
    m_w->leave();
    QCOMPARE(text(Field::txtMixedTemp), mixedT);
    const psychro::StatePositions& p = state().pos;
    const double f = share.toDouble() / 100;
    const double dx =
        p.outdoorx == p.returnX ? p.outdoorx - 0.99 * p.returnX : p.outdoorx - p.returnX;
    QVERIFY(qAbs(p.mixedX - (p.returnX + f * dx)) < 1e-5);
    QVERIFY(qAbs(p.mixedY - (p.returnY + f * (p.outdoorY - p.returnY))) < 1e-5);
    // Its humidity ratio is read off the chart at that height.
    QCOMPARE(text(Field::txtMixedRatio), reference::ratioText(reference::wOf(p.mixedY)));
}

void TestInputFields::mixedRelativeHumidity_data() {
    QTest::addColumn<QString>("mixedT");
    // All outdoor air: the mixed point is the outdoor point.
    QTest::newRow("80 F, no correction") << "80";
    QTest::newRow("81 F, first correction") << "81";
    QTest::newRow("86 F, two corrections") << "86";
    QTest::newRow("111 F, every correction") << "111";
    QTest::newRow("112 F, none shown") << "112";
}

void TestInputFields::mixedRelativeHumidity() {
    QFETCH(QString, mixedT);
    form().txtOutdoorTemp->setText(mixedT);
    clickInto(Field::txtOutdoorRH);
    typed(Field::txtOutdoorRH, QStringLiteral("20"));
    clickInto(Field::txtFreshMix);
    typed(Field::txtFreshMix, QStringLiteral("100"));
    m_w->leave();
    QCOMPARE(text(Field::txtMixedTemp), mixedT);
    const reference::Expected want =
        reference::sheet({mixedT.toDouble(), 20, 75, 60, 60, 99, QStringLiteral("6000"), 1});
    QCOMPARE(text(Field::txtMixedRH), want.text.value(QStringLiteral("txtMixedRH")));
    if (mixedT == QLatin1String("112"))
        QVERIFY(text(Field::txtMixedRH).isEmpty());
    else
        QCOMPARE(text(Field::txtMixedRH).size(), 2);
    const QStringList diff = fixture::sheetDifferences(form(), want);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QLatin1String("; "))));
}

void TestInputFields::oddFlowsNeverShowNanOrInfinity_data() {
    QTest::addColumn<QString>("flow");
    QTest::newRow("zero") << "0";
    QTest::newRow("empty") << "";
    QTest::newRow("letters") << "abc";
    QTest::newRow("beyond double range") << "1e400";
    QTest::newRow("negative beyond range") << "-1e400";
    QTest::newRow("negative") << "-6000";
}

void TestInputFields::oddFlowsNeverShowNanOrInfinity() {
    QFETCH(QString, flow);
    clickInto(Field::txtSupplyFlow);
    QTest::keyClick(form().txtSupplyFlow, Qt::Key_Delete);
    typed(Field::txtSupplyFlow, flow);
    QCOMPARE(left(), 1);
    QCOMPARE(text(Field::txtMixedFlow), flow == "6,000" ? QStringLiteral("6000") : flow);
    // No number, or none that the load can be formed from: no load either.
    if (flow != QLatin1String("-6000"))
        QCOMPARE(text(Field::txtLoad), QString());
    // The check of every text is in cleanup().
}

QTEST_MAIN(TestInputFields)
#include "tst_input_fields.moc"
