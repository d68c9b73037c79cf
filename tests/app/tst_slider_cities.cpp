// The fresh-air slider with its lock, driven with the mouse, and the
// design-city list with the operation choice, driven with keys and clicks.

#include "window_fixture.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

using psychro::Field;

class TestSliderCities : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<fixture::Window> m_w;
    app::Form1& form() { return *m_w->form; }
    QWidget* track() { return form().findChild<QWidget*>(QStringLiteral("SliderBackGrnd")); }
    QWidget* knob() { return form().findChild<QWidget*>(QStringLiteral("slider")); }
    QLabel* lock() { return form().findChild<QLabel*>(QStringLiteral("Image1")); }
    int travel() { return track()->width() - knob()->width(); }
    // Knob left edge for a share: the travel times the share, in whole pixels.
    int knobAt(double share) { return int(std::lround(travel() * share)); }

    // Moves the pointer over the track at x, clear of the knob's height.
    int pointerAt(int x) {
        const int before = form().redrawCount();
        QTest::mouseMove(track(), QPoint(x, 3));
        return form().redrawCount() - before;
    }
    static bool samePicture(const QLabel* a, const QLabel* b) {
        return a->pixmap().toImage() == b->pixmap().toImage();
    }

    struct City {
        QString name;
        QString winterT, winterRH, summerT, summerRH;
    };
    // The list as published, from an independent copy of the table.
    static QList<City> cityFile() {
        QFile f(QStringLiteral(QUORVEL_TEST_DATA "/design_cities.tsv"));
        QList<City> rows;
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return rows;
        f.readLine(); // column heads
        while (!f.atEnd()) {
            const QStringList c = QString::fromUtf8(f.readLine()).trimmed().split(u'\t');
            if (c.size() == 6)
                rows.append({c[1], c[2], c[3], c[4], c[5]});
        }
        return rows;
    }
    void verifyOutdoor(const QString& t, const QString& rh) {
        QCOMPARE(m_w->text(Field::txtOutdoorTemp), t);
        QCOMPARE(m_w->text(Field::txtOutdoorRH), rh);
        // The change handlers stored them for the chart (100 % as 99 %).
        QCOMPARE(form().chartState().in.gTemperature, t.toFloat());
        QCOMPARE(form().chartState().in.gORH, rh == QLatin1String("100") ? 99.f : rh.toFloat());
    }

private slots:
    void init() {
        m_w = std::make_unique<fixture::Window>();
        QVERIFY(m_w->activate());
        form().Timer1->stop(); // keeps the 40 s refresh out of the redraw counts
    }
    void cleanup() {
        QVERIFY2(m_w->messages.isEmpty(), qPrintable(m_w->messages.join(u'|')));
        m_w.reset();
    }

    void knobFollowsTypedShare_data();
    void knobFollowsTypedShare();
    void lockedSliderIgnoresThePointer();
    void unlockedKnobFollowsThePointer();
    void doubleClickOnKnobTogglesTheLock();
    void pointerOverTheKnobIsNotTheTrack();
    void knobSnapsToTenthsOfAPercent_data();
    void knobSnapsToTenthsOfAPercent();

    void listHoldsTheHundredRowsInOrder();
    void everyRowGivesItsSummerAndWinterPoint();
    void switchingOperationReappliesTheSelectedCity();
    void lastRowAndManualEntry();
};

void TestSliderCities::knobFollowsTypedShare_data() {
    QTest::addColumn<QString>("share");
    QTest::addColumn<double>("fraction");
    QTest::newRow("0 %") << "0" << 0.0;
    QTest::newRow("40 %") << "40" << 0.4;
    QTest::newRow("100 %") << "100" << 1.0;
}

void TestSliderCities::knobFollowsTypedShare() {
    QFETCH(QString, share);
    QFETCH(double, fraction);
    // Start-up placed the knob at 25 %.
    QCOMPARE(knob()->x(), knobAt(0.25));
    // Typing moves the knob with the lock closed: the lock governs the mouse.
    QVERIFY(!form().freshAirSlider().SliderEnabled);
    m_w->typeOver(form().txtFreshMix, share);
    m_w->leave();
    QCOMPARE(knob()->x(), knobAt(fraction));
    if (fraction == 0)
        QCOMPARE(knob()->x(), 0);
    if (fraction == 1)
        QCOMPARE(knob()->geometry().right(), track()->width() - 1);
    // Track 3270 x 585 twips, knob 165 x 315 twips, 240 twips from the top;
    // only the knob's left edge moves.
    QCOMPARE(track()->size(), QSize(218, 39));
    QCOMPARE(knob()->y(), 16);
    QCOMPARE(knob()->size(), QSize(11, 21));
}

void TestSliderCities::lockedSliderIgnoresThePointer() {
    const int x0 = knob()->x();
    for (int x : {0, track()->width() / 2, track()->width() - 1, 20})
        QCOMPARE(pointerAt(x), 0);
    QCOMPARE(knob()->x(), x0);
    QCOMPARE(form().chartState().in.gAirRate, 0.25f);
    QCOMPARE(form().txtFreshMix->text(), QStringLiteral("25"));
    QVERIFY(form().Timer2->isActive());
}

void TestSliderCities::unlockedKnobFollowsThePointer() {
    QVERIFY(samePicture(lock(), form().imglockclosed));
    QCOMPARE(lock()->frameShape(), QFrame::Panel);
    QTest::mouseClick(lock(), Qt::LeftButton);
    QVERIFY(form().freshAirSlider().SliderEnabled);
    QVERIFY(samePicture(lock(), form().imgLockOpen));
    QVERIFY(!samePicture(lock(), form().imglockclosed));
    QCOMPARE(lock()->frameShape(), QFrame::NoFrame);

    // Far left: 0.0 with the knob at the left end; "0.0" is ignored by the
    // field's change handler, so the move costs one redraw.
    QCOMPARE(pointerAt(0), 1);
    QCOMPARE(form().txtFreshMix->text(), QStringLiteral("0.0"));
    QCOMPARE(form().chartState().in.gAirRate, 0.f);
    QCOMPARE(knob()->x(), 0);
    QCOMPARE(m_w->text(Field::txtOutdoorFlow), QStringLiteral("0"));
    // Exact centre: 50.0, one redraw for the move and one for the new text.
    QCOMPARE(track()->width() % 2, 0);
    QCOMPARE(pointerAt(track()->width() / 2), 2);
    QCOMPARE(form().txtFreshMix->text(), QStringLiteral("50.0"));
    QCOMPARE(form().chartState().in.gAirRate, 0.5f);
    QCOMPARE(knob()->x(), knobAt(0.5));
    QCOMPARE(m_w->text(Field::txtOutdoorFlow), QStringLiteral("3000"));
    // The animation starts over after the move and runs again.
    QCOMPARE(form().chartState().anim.LineIndex, 0.f);
    QVERIFY(form().Timer2->isActive());
    // Far right: 100.0 with the knob flush with the right end.
    QCOMPARE(pointerAt(track()->width() - 1), 2);
    QCOMPARE(form().txtFreshMix->text(), QStringLiteral("100.0"));
    QCOMPARE(form().chartState().in.gAirRate, 1.f);
    QCOMPARE(knob()->x() + knob()->width(), track()->width());
    QCOMPARE(m_w->text(Field::txtMixedTemp), QStringLiteral("95"));
}

void TestSliderCities::doubleClickOnKnobTogglesTheLock() {
    QTest::mouseClick(lock(), Qt::LeftButton);
    QVERIFY(form().freshAirSlider().SliderEnabled);
    const int redraws = form().redrawCount();
    QTest::mouseDClick(knob(), Qt::LeftButton);
    QVERIFY(!form().freshAirSlider().SliderEnabled);
    QVERIFY(samePicture(lock(), form().imglockclosed));
    QCOMPARE(lock()->frameShape(), QFrame::Panel);
    // Toggling redraws nothing and leaves the share alone.
    QCOMPARE(form().redrawCount(), redraws);
    QCOMPARE(form().chartState().in.gAirRate, 0.25f);
    QCOMPARE(pointerAt(0), 0);
    QCOMPARE(form().chartState().in.gAirRate, 0.25f);
    // And unlocks a locked one.
    QTest::mouseDClick(knob(), Qt::LeftButton);
    QVERIFY(form().freshAirSlider().SliderEnabled);
    QCOMPARE(pointerAt(0), 1);
    QCOMPARE(form().chartState().in.gAirRate, 0.f);
}

void TestSliderCities::pointerOverTheKnobIsNotTheTrack() {
    QTest::mouseClick(lock(), Qt::LeftButton);
    QVERIFY(form().freshAirSlider().SliderEnabled);
    const QPoint onKnob = knob()->geometry().center() + QPoint(2, 0);
    const int redraws = form().redrawCount();
    QTest::mouseMove(track(), onKnob);
    QCOMPARE(form().redrawCount(), redraws);
    QCOMPARE(form().chartState().in.gAirRate, 0.25f);
    // Beside the knob at the same height the track takes it.
    QTest::mouseMove(track(), onKnob + QPoint(30, 0));
    QCOMPARE(form().redrawCount(), redraws + 2);
    QVERIFY(form().chartState().in.gAirRate > 0.25f);
}

void TestSliderCities::knobSnapsToTenthsOfAPercent_data() {
    QTest::addColumn<int>("x");
    for (int x : {3, 6, 40, 77, 150, 200, 214})
        QTest::newRow(qPrintable(QStringLiteral("x %1").arg(x))) << x;
}

void TestSliderCities::knobSnapsToTenthsOfAPercent() {
    QFETCH(int, x);
    QTest::mouseClick(lock(), Qt::LeftButton);
    // The pointer is the knob's centre, kept inside the track; the share is
    // the knob's left edge over the travel (twips, 15 to a pixel), shown to
    // a tenth of a percent, and the knob then snaps to the share shown.
    const double trackW = track()->width() * 15.0, knobW = knob()->width() * 15.0;
    const double X = std::clamp(x * 15.0, knobW / 2, trackW - knobW / 2);
    const double percent = (X - knobW / 2) / (trackW - knobW) * 100;
    const QString shown = reference::fixed(percent, 1);
    QCOMPARE(pointerAt(x), shown.toDouble() > 0 ? 2 : 1);
    QCOMPARE(form().txtFreshMix->text(), shown);
    QCOMPARE(form().chartState().in.gAirRate, float(shown.toDouble() / 100));
    QCOMPARE(knob()->x(), knobAt(shown.toDouble() / 100));
}

void TestSliderCities::listHoldsTheHundredRowsInOrder() {
    const QList<City> cities = cityFile();
    QCOMPARE(cities.size(), 100);
    QComboBox* list = form().cmboCity;
    QCOMPARE(list->count(), 100);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(list->itemText(i), cities[i].name);
    QCOMPARE(list->currentIndex(), 0);
    verifyOutdoor(cities[0].summerT, cities[0].summerRH);
}

void TestSliderCities::everyRowGivesItsSummerAndWinterPoint() {
    const QList<City> cities = cityFile();
    QCOMPARE(cities.size(), 100);
    QComboBox* list = form().cmboCity;
    // Cooling takes the summer point: walk down the list with the arrow key.
    for (int i = 1; i < 100; ++i) {
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentIndex(), i);
        verifyOutdoor(cities[i].summerT, cities[i].summerRH);
    }
    // Heating takes the winter point: walk back up.
    QTest::mouseClick(form().OptCoolHeat[1], Qt::LeftButton);
    verifyOutdoor(cities[99].winterT, cities[99].winterRH);
    for (int i = 98; i >= 0; --i) {
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(list->currentIndex(), i);
        verifyOutdoor(cities[i].winterT, cities[i].winterRH);
    }
    QVERIFY(fixture::nonFiniteTexts(form()).isEmpty());
}

void TestSliderCities::switchingOperationReappliesTheSelectedCity() {
    QComboBox* list = form().cmboCity;
    const int denver = list->findText(QStringLiteral("Denver, CO"));
    QCOMPARE(denver, 32);
    int before = form().redrawCount();
    list->setCurrentIndex(denver);
    // 95 F stays as it was; only the RH changes and redraws.
    verifyOutdoor(QStringLiteral("95"), QStringLiteral("27"));
    QCOMPARE(form().redrawCount() - before, 1);
    QVERIFY(form().picWarning->isHidden());

    before = form().redrawCount();
    QTest::mouseClick(form().OptCoolHeat[1], Qt::LeftButton);
    QVERIFY(form().OptCoolHeat[1]->isChecked());
    QVERIFY(!form().OptCoolHeat[0]->isChecked());
    verifyOutdoor(QStringLiteral("-10"), QStringLiteral("37"));
    // Both fields change (two redraws), then the choice itself redraws.
    QCOMPARE(form().redrawCount() - before, 3);
    QCOMPARE(list->currentIndex(), denver);
    // -10 F is left of the chart.
    QVERIFY(form().picWarning->isVisible());

    QTest::mouseClick(form().OptCoolHeat[0], Qt::LeftButton);
    verifyOutdoor(QStringLiteral("95"), QStringLiteral("27"));
    QVERIFY(form().picWarning->isHidden());
}

void TestSliderCities::lastRowAndManualEntry() {
    QComboBox* list = form().cmboCity;
    list->setCurrentIndex(99);
    QCOMPARE(list->currentText(), QStringLiteral("Yuma, AZ"));
    verifyOutdoor(QStringLiteral("110"), QStringLiteral("31"));
    QVERIFY(form().picWarning->isHidden());
    const reference::Expected want =
        reference::sheet({110, 31, 75, 60, 60, 99, QStringLiteral("6000"), 0.25});
    const QStringList diff = fixture::sheetDifferences(form(), want);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QLatin1String("; "))));

    QTest::mouseClick(form().OptCoolHeat[1], Qt::LeftButton);
    verifyOutdoor(QStringLiteral("30"), QStringLiteral("37"));
    list->setCurrentIndex(0);
    verifyOutdoor(QStringLiteral("25"), QStringLiteral("80"));
}

QTEST_MAIN(TestSliderCities)
#include "tst_slider_cities.moc"
