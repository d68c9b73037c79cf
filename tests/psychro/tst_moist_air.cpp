// The ASHRAE moist-air equations against 400 reference states in IP and SI,
// the apparatus dew point, and what comes back outside the range.
#include "psychro/moist_air.h"

#include <QFile>
#include <QTest>

#include <cmath>

using namespace psychro::moist;

namespace {

// One reference state in the library's units (SI pressure in kPa,
// enthalpy in kJ/kg, whatever the file's).
struct State {
    Units u;
    double z, p, t, rh, W, wb, dew, h, v, pws;
};

// Each column of the file as computed from the state's dry bulb, RH and
// pressure (W from them first), and as the file gives it.
using Computed = double (*)(const State& s, double W);
const Computed Computations[] = {
    [](const State&, double W) { return W; },
    [](const State& s, double W) { return wetBulb(s.u, s.t, W, s.p); },
    [](const State& s, double W) { return dewPoint(s.u, W, s.p); },
    [](const State& s, double W) { return enthalpy(s.u, s.t, W); },
    [](const State& s, double W) { return specificVolume(s.u, s.t, W, s.p); },
    [](const State& s, double) { return saturationPressure(s.u, s.t); },
    [](const State& s, double) { return standardPressure(s.u, s.z); },
    [](const State& s, double) { return ratioAtWetBulb(s.u, s.t, s.wb, s.p); }};
const double State::*const Expected[] = {&State::W, &State::wb,  &State::dew, &State::h,
                                         &State::v, &State::pws, &State::p,   &State::W};

} // namespace

class TestMoistAir : public QObject {
    Q_OBJECT
    std::vector<State> m_states;
private slots:
    void initTestCase();
    void referenceStates_data();
    void referenceStates();
    void apparatusDewPoint_data();
    void apparatusDewPoint();
    void outsideTheRange();
};

void TestMoistAir::initTestCase() {
    QFile file(QStringLiteral(QUORVEL_SHARED_DATA "/reference/ashrae-states.csv"));
    if (!file.open(QIODevice::ReadOnly))
        return;      // referenceStates skips
    file.readLine(); // the header
    while (!file.atEnd()) {
        const QList<QByteArray> f = file.readLine().trimmed().split(',');
        const double kilo = f[0] == "SI" ? 1000 : 1; // Pa and J/kg in the file
        auto v = [&](int i, double scale = 1) { return f.value(i).toDouble() / scale; };
        m_states.push_back({kilo > 1 ? Units::SI : Units::IP, v(1), v(2, kilo), v(3), v(4), v(5),
                            v(6), v(7), v(8, kilo), v(9), v(10, kilo)});
    }
    QCOMPARE(m_states.size(), size_t(400));
}

void TestMoistAir::referenceStates_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QList<double>>("limit"); // IP, SI
    QTest::addColumn<bool>("relative");
    // Dew point and wet bulb as required: 0.01 F and 0.005 C. The closed
    // forms match the file's nine digits, far inside the required 0.05 %
    // (W, v) and 0.01 Btu/lb (h): a slip in a constant's fifth digit shows.
    QTest::newRow("humidity ratio") << 0 << QList{1e-7, 1e-7} << true;
    QTest::newRow("wet bulb") << 1 << QList{0.01, 0.005} << false;
    QTest::newRow("dew point") << 2 << QList{0.01, 0.005} << false;
    QTest::newRow("enthalpy") << 3 << QList{1e-5, 1e-5} << false;
    QTest::newRow("specific volume") << 4 << QList{1e-6, 1e-7} << true;
    QTest::newRow("saturation pressure") << 5 << QList{1e-7, 1e-7} << true;
    QTest::newRow("standard pressure") << 6 << QList{1e-7, 1e-7} << true;
    // The wet-bulb lines: W back from the file's wet bulb, which is given
    // to 0.001 F or so (2e-6 lb/lb where W rises fastest with it).
    QTest::newRow("ratio at a wet bulb") << 7 << QList{1e-5, 1e-5} << false;
}

// Worst error of one column over the IP and the SI states.
void TestMoistAir::referenceStates() {
    QFETCH(int, column);
    QFETCH(QList<double>, limit);
    QFETCH(bool, relative);
    if (m_states.empty())
        QSKIP("the shared reference states are not beside the project");
    double worst[2] = {0, 0};
    for (const State& s : m_states) {
        const double want = s.*Expected[column];
        const double W = humidityRatioFromRh(s.u, s.t, s.rh / 100, s.p);
        const double error =
            std::abs(Computations[column](s, W) - want) / (relative ? std::abs(want) : 1);
        double& w = worst[s.u == Units::SI];
        w = std::isnan(error) ? INFINITY : std::max(w, error);
    }
    qInfo("worst error IP %.3g (limit %g), SI %.3g (limit %g)%s", worst[0], limit[0], worst[1],
          limit[1], relative ? ", relative" : "");
    QVERIFY(worst[0] <= limit[0] && worst[1] <= limit[1]);
}

void TestMoistAir::apparatusDewPoint_data() {
    QTest::addColumn<QList<double>>("line"); // mixed t and W, supply t and W
    QTest::addColumn<double>("adp");         // NaN: none
    // At 14.696 psia and 60 F: T = 519.67 R, ln pws = -20.090436 - 11.29465
    // - 14.042707 + 3.481131 - 0.347773 + 40.933203 = -1.361233, pws =
    // 0.256345 psia, Ws = 0.621945 x 0.256345 / 14.439655 = 0.0110413. A
    // line rising 0.0003 lb/lb per F from there: supply 65 F, mixed 85 F.
    // It crosses the curve where the curve is steeper than the line, above
    // g's maximum near 50 F.
    QTest::newRow("cooling coil") << QList{85.0, 0.0185413, 65.0, 0.0125413} << 60.0;
    // Over ice at 20 F: T = 479.67 R, ln pws = -21.29415 - 4.893243 - 2.578984
    // + 0.044181 + 0.039263 - 0.004783 + 25.701707 = -2.986008, pws =
    // 0.0504886 psia, Ws = 0.0021441; a line rising 0.00005 per F.
    QTest::newRow("frost coil") << QList{75.0, 0.0048941, 35.0, 0.0028941} << 20.0;
    QTest::newRow("saturated supply") << QList{80.0, 0.0130, 60.0, 0.0110413} << 60.0;
    QTest::newRow("supply warmer") << QList{55.0, 0.0085, 75.0, 0.0093} << double(NAN);
    QTest::newRow("supply above saturation") << QList{85.0, 0.0185, 65.0, 0.0140} << double(NAN);
    // Falls to W = 0 at 55 F: below, no air is that dry.
    QTest::newRow("line too steep") << QList{80.0, 0.0100, 60.0, 0.0020} << double(NAN);
}

void TestMoistAir::apparatusDewPoint() {
    QFETCH(QList<double>, line);
    QFETCH(double, adp);
    const std::optional<double> got =
        psychro::moist::apparatusDewPoint(Units::IP, line[0], line[1], line[2], line[3], 14.696);
    QCOMPARE(got.has_value(), !std::isnan(adp));
    if (got)
        QVERIFY2(std::abs(*got - adp) < 0.01, qPrintable(QString::number(*got)));
}

// The defined answers outside the range, and the enthalpy's inverse.
void TestMoistAir::outsideTheRange() {
    QVERIFY(std::isnan(wetBulb(Units::IP, 70, 0.0159, 14.696))); // above saturation
    QVERIFY(std::isnan(wetBulb(Units::IP, 201, 0.01, 14.696)));
    QVERIFY(std::isnan(wetBulb(Units::IP, 199, 0.01, 10.1))); // boils at 10,000 ft
    QVERIFY(std::isnan(dewPoint(Units::SI, 0, 101.325)));
    QVERIFY(std::isnan(saturationPressure(Units::SI, -100.5)));
    QVERIFY(std::isnan(saturationPressure(Units::IP, 392.5)));
    QVERIFY(std::isnan(humidityRatio(14.7, 14.696)));
    QVERIFY(std::isnan(humidityRatioFromRh(Units::IP, 70, 1.01, 14.696)));
    QVERIFY(std::isnan(standardPressure(Units::SI, 44331)));
    QVERIFY(inRange(Units::SI, 93) && !inRange(Units::SI, 93.5) && !inRange(Units::IP, NAN));
    // Dry air still has a wet bulb: (1093 - 0.556 t*) Ws* = 0.240 (70 - t*);
    // at t* = 43.5 F, pws = 0.139339 psia, Ws* = 0.0059534, both sides 6.36.
    QVERIFY(std::abs(wetBulb(Units::IP, 70, 0, 14.696) - 43.5) < 0.01);
    for (const Units u : {Units::IP, Units::SI})
        for (const double t : {-40.0, 0.0, 33.3, 93.0})
            QVERIFY(std::abs(dryBulb(u, enthalpy(u, t, 0.012), 0.012) - t) < 1e-9);
}

QTEST_APPLESS_MAIN(TestMoistAir)
#include "tst_moist_air.moc"
