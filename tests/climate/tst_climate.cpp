// Weather years: the Chicago TMY3 file read whole, a small year carried
// through the air handler by hand, and files that are refused.
#include "climate/density_grid.h"
#include "climate/epw.h"
#include "climate/year_run.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QTest>

using namespace climate;
using psychro::moist::Units;

namespace {

// An EPW file of elevation 201 m with these hourly rows.
QByteArray epw(const QByteArrayList& rows) {
    return "LOCATION,Test,IL,USA,TMY3,725300,41.98,-87.92,-6.0,201.0\nDESIGN CONDITIONS,0\n"
           "TYPICAL/EXTREME PERIODS,0\nGROUND TEMPERATURES,0\nHOLIDAYS/DAYLIGHT SAVINGS,No\n"
           "COMMENTS 1,\nCOMMENTS 2,\nDATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n" +
           rows.join('\n');
}

// An hourly row without a relative humidity (999).
QByteArray row(int month, int day, int hour, double dry, double dew, double pressure) {
    return QString::asprintf("1999,%d,%d,%d,60,?9,%g,%g,999,%g,0", month, day, hour, dry, dew,
                             pressure)
        .toLatin1();
}

bool readBytes(QByteArray bytes, WeatherYear* year, QString* error = nullptr) {
    QBuffer buffer(&bytes);
    return buffer.open(QIODevice::ReadOnly) && readEpw(buffer, year, error);
}

bool near(double got, double want, double relative = 1e-4) {
    return std::abs(got - want) <= relative * std::abs(want) + 1e-9;
}

// The design of the hand-worked hours: at 201 m (659.45 ft) the standard
// atmosphere is 14.696 (1 - 6.8754e-6 x 659.45)^5.2559 = 14.34915 psia.
// Return 75 F, 50 %: pws 0.430075 psia, W = 0.621945 x 0.215037 /
// (14.34915 - 0.215037) = 0.0094623, h = 18 + W (1061 + 33.3) = 28.3546.
// Supply 55 F, 90 %: pws 0.214101, W = 0.0084656, v = 0.370486 x 514.67 x
// (1 + 1.607858 W) / 14.34915 = 13.46933 ft3/lb; 2,000 cfm is
// m = 120,000 / 13.46933 = 8,909.13 lb/h. Outdoor share 0.3 at least.
// Hours above the design-city table's 95 F for Chicago.
AirHandler design() {
    return {75, 50, 55, 90, 2000, 0.3, Economizer::DryBulb, 95.0};
}

} // namespace

class TestClimate : public QObject {
    Q_OBJECT
    YearResult m_result;
    std::vector<HourRow> m_rows;
    WeatherYear m_year;
private slots:
    void initTestCase();
    void chicago();
    void hourByHand();
    void yearTotals();
    void economizerModes();
    void designRefused();
    void refused_data();
    void refused();
};

// Four hot hours in July, three cold ones in January (the pressure
// missing), five mild ones in April and two in May, one without a dry bulb
// and one in fog (the dew point above the dry bulb); a blank line at the end.
void TestClimate::initTestCase() {
    QByteArrayList rows;
    for (int h = 14; h <= 17; ++h)
        rows << row(7, 15, h, 35, 22, 99000);
    for (int h = 6; h <= 8; ++h)
        rows << row(1, 10, h, -20, -25, 999999);
    for (int h = 10; h <= 14; ++h)
        rows << row(4, 2, h, 10, 0, 100000);
    rows << row(5, 5, 12, 20, 10, 100000) << row(5, 5, 13, 20, 10, 100000)
         << row(6, 1, 1, 99.9, 10, 100000) << row(10, 1, 1, 10, 12, 100000) << ""
         << "";
    QVERIFY(readBytes(epw(rows), &m_year));
    QVERIFY(runYear(m_year, design(), &m_result, nullptr, &m_rows));
}

void TestClimate::chicago() {
    const QString path = QStringLiteral(
        QUORVEL_SHARED_DATA "/weather-samples/USA_IL_Chicago-OHare.Intl.AP.725300_TMY3.epw");
    if (!QFile::exists(path))
        QSKIP("the shared weather samples are not beside the project");
    WeatherYear year;
    QString error;
    QVERIFY2(readEpw(path, &year, &error), qPrintable(error));
    QVERIFY(year.hours.size() == 8760 && year.skipped + year.pressuresFilled == 0);
    const Location& l = year.location;
    QCOMPARE(QStringList({l.city, l.state, l.country, l.source, l.wmo}).join(','),
             "Chicago Ohare Intl Ap,IL,USA,TMY3,725300");
    QVERIFY(l.latitude == 41.98 && l.longitude == -87.92 && l.timeZone == -6 && l.elevation == 201);
    QVERIFY(year.hours[0].relativeHumidity == 73 && !m_year.hours[0].relativeHumidity);
    // awk -F, 'NR>8 {s+=$7; n++} END {print s/n}' (and with $2==1, $2==7):
    // 9.987991, -4.646505 (January), 24.134812 (July); above 91 F ($7*1.8+32>91): 27 hours.
    double all = 0, months[12] = {};
    for (const WeatherHour& h : year.hours)
        all += h.dryBulb, months[h.month - 1] += h.dryBulb;
    QVERIFY(near(all / 8760, 9.987991, 1e-6) && near(months[0] / 744, -4.646505, 1e-6) &&
            near(months[6] / 744, 24.134812, 1e-6));
    QElapsedTimer timer;
    timer.start();
    YearResult r;
    AirHandler d = design();
    d.designCoolingDryBulb = 91;
    QVERIFY(runYear(year, d, &r));
    qInfo("8,760 hours run in %.2f ms", timer.nsecsElapsed() / 1e6);
    QVERIFY(r.hoursRead == 8760 && r.hoursAboveDesign == 27);
}

// 35 C = 95 F, dew point 22 C = 71.6 F, 99,000 Pa = 14.35874 psia: pws
// 0.383589, W = 0.0170711, h = 22.8 + W (1061 + 42.18) = 41.6325. Mixed:
// W = 0.3 x 0.0170711 + 0.7 x 0.0094623 = 0.0117449, h = 32.3380, t =
// (32.3380 - 1061 W) / (0.24 + 0.444 W) = 81.058 F. Leaving 55 F at the
// supply's W: h = 22.3887; at 81.058 F, 28.7406. Load 8,909.13 x (32.3380
// - 22.3887) = 88,639 Btu/h, sensible x (28.7406 - 22.3887) = 56,589,
// condensate x (0.0117449 - 0.0084656) = 29.216 lb/h.
void TestClimate::hourByHand() {
    const HourRow& r = m_rows.front();
    QVERIFY(near(r.outdoorShare, 0.3) && near(r.mixedDryBulb, 81.058) &&
            near(r.mixedRatio, 0.0117449) && near(r.load, 88639) && near(r.sensible, 56589) &&
            near(r.latent, 32050) && near(r.condensate, 29.216));
}

// The other hours, for the totals below.
// -20 C = -4 F, frost point -25 C = -13 F at 98,933.53 Pa (below): pws (ice)
// 0.009179, W = 0.0003981, h = -0.5383; mixed W = 0.0067431, h = 19.6867,
// t = 51.575 F; heated to 55 F, h = 20.5190: 8,909.13 x 0.8323 = 7,415.2.
// 50 F, dew point 32 F at 14.50377 psia: W = 0.0038248, h = 16.1430. At
// 55 F and the same W: return 23.4706 (4.8840 less), outdoor 17.3515
// (1.2085 more): share 4.8840 / (4.8840 + 1.2085) = 0.80164, mixed 55 F.
// 68 F, dew point 50 F: W = 0.0077324 below the supply's, h = 24.7575;
// all outdoor air: 8,909.13 x (24.7575 - 21.5929) = 28,194, all sensible.
// The totals are these hours times their count: cooling 4 x 88,639.06
// + 2 x 28,194.12 = 410,944.5 Btu = 34.2454 ton-h (120.436 kWh), sensible
// 23.5621, latent 4 x 32,049.76 = 10.6833; heating 3 x 7,415.17 = 22.2455
// kBtu; condensate 4 x 29.2161 / 8.33 = 14.0293 gal = 53.107 l. The fog
// hour needs neither coil with the economizer open.
void TestClimate::yearTotals() {
    const YearResult& r = m_result;
    QVERIFY(near(m_rows[7].outdoorShare, 0.80164) && near(m_rows[7].mixedDryBulb, 55));
    QVERIFY(r.hoursRead == 15 && r.hoursSkipped == 1 && r.hoursEconomizer == 8);
    QVERIFY(r.year.hoursCooling == 6 && r.year.hoursHeating == 3 && r.hoursAboveDesign == 0);
    // 101,325 (1 - 2.25577e-5 x 201)^5.2559 = 98,933.53 Pa, missing in January.
    QVERIFY(m_year.pressuresFilled == 3 && near(m_year.hours[4].pressure, 98933.53, 1e-7));
    QVERIFY(near(r.year.coolingTonHours(), 34.2454) && near(r.year.coolingKWh(), 120.4359, 1e-6) &&
            near(r.year.sensibleTonHours(), 23.5621) && near(r.year.latentTonHours(), 10.6833));
    QVERIFY(near(r.year.heatingKBtu(), 22.2455) && near(r.year.condensateGallons(), 14.0293) &&
            near(r.year.condensateLitres(), 53.107));
    QVERIFY(near(r.months[6].coolingTonHours(), 29.5464) && r.months[6].hoursCooling == 4);
    QVERIFY(near(r.months[4].coolingTonHours(), 4.69902) && r.months[4].condensateLb == 0);
    QVERIFY(near(r.months[0].heatingKBtu(), 22.2455) && r.months[3].hoursCooling == 0);
    // The first of the hot hours; its wet bulb solves 0.0170711 = ((1093 -
    // 0.556 t*) Ws* - 0.24 (95 - t*)) / (1093 + 42.18 - t*): 77.789 F.
    const PeakHour& c = r.peakCooling.value();
    QVERIFY(c.month == 7 && c.day == 15 && c.hour == 14 &&
            std::abs(c.outdoorWetBulb - 77.789) < 0.002);
    QVERIFY(r.peakHeating && r.peakHeating->hour == 6 && near(r.peakHeating->load, 7415.2));
    // The hot hours: 95 F and 0.0170711 lb/lb, 35 C and 17.07 g/kg.
    // The fog hour as saturated air at 50 F: 0.0077324 (0.0088474 at 53.6 F).
    const DensityGrid ip = densityGrid(m_year, Units::IP), si = densityGrid(m_year, Units::SI);
    QVERIFY(ip.count(95 + 40, 34) == 4 && si.count(2 * (35 + 40), 68) == 4 &&
            ip.count(90, 15) == 1);
    // 70, 71 and 72 F as a file keeps them (21.1, 21.7, 22.2 C): a column each.
    WeatherYear whole;
    QVERIFY(readBytes(epw({row(8, 1, 1, 21.1, 10, 1e5), row(8, 1, 2, 21.7, 10, 1e5),
                           row(8, 1, 3, 22.2, 10, 1e5)}),
                      &whole));
    const DensityGrid w = densityGrid(whole, Units::IP);
    QVERIFY(w.count(70 + 40, 15) == 1 && w.count(71 + 40, 15) == 1 && w.count(72 + 40, 15) == 1);
}

// 27 C = 80.6 F, frost point -1 C at 100,000 Pa: W 0.0035193, h 23.204; 22 C
// = 71.6 F, dew point 20 C: W 0.0148944, h 33.460. The return: 75 F, 28.355.
// The outdoor share of each with no economizer, a dry-bulb and an enthalpy one.
void TestClimate::economizerModes() {
    WeatherYear year;
    QVERIFY(readBytes(epw({row(8, 1, 1, 27, -1, 100000), row(8, 1, 2, 22, 20, 100000)}), &year));
    const double shares[3][2] = {{0.3, 0.3}, {0.3, 1}, {1, 0.3}};
    for (const Economizer mode : {Economizer::None, Economizer::DryBulb, Economizer::Enthalpy}) {
        AirHandler d = design();
        d.economizer = mode;
        YearResult r;
        std::vector<HourRow> rows;
        QVERIFY(runYear(year, d, &r, nullptr, &rows));
        const double* want = shares[int(mode)];
        QVERIFY(rows[0].outdoorShare == want[0] && rows[1].outdoorShare == want[1]);
    }
}

// A dry bulb, a relative humidity, the share and the flow out of range.
void TestClimate::designRefused() {
    const std::pair<double AirHandler::*, double> spoils[] = {{&AirHandler::supplyDryBulb, 201},
                                                              {&AirHandler::returnRh, 101},
                                                              {&AirHandler::freshAirShare, 1.01},
                                                              {&AirHandler::supplyCfm, 0}};
    for (const auto& [field, value] : spoils) {
        AirHandler d = design();
        d.*field = value;
        YearResult r;
        QVERIFY(!runYear(m_year, d, &r));
    }
}

void TestClimate::refused_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    const QByteArray good = row(1, 1, 1, -5, -8, 99000);
    QTest::newRow("empty") << QByteArray() << "line 1: 'LOCATION' expected";
    QTest::newRow("latitude") << epw({good}).replace("41.98", "4l.98")
                              << "line 1: latitude '4l.98' is not a number";
    QTest::newRow("not EPW") << epw({good}).replace("DATA PERIODS", "DATA")
                             << "line 8: 'DATA PERIODS' expected";
    QTest::newRow("no data") << epw({}) << "line 9: no hourly rows";
    QTest::newRow("columns") << epw({good, "1999,1,1,2,60,?9,-5"})
                             << "line 10: 7 columns, an hourly row has at least 10";
    QTest::newRow("dry bulb") << epw({good, good, good, QByteArray(good).replace("-5", "abc")})
                              << "line 12: dry bulb 'abc' is not a number";
    QTest::newRow("month") << epw({row(13, 1, 1, 0, 0, 0)}) << "month '13' is out of range (1..12)";
    QTest::newRow("day") << epw({row(2, 30, 1, 0, 0, 0)}) << "day '30' is out of range (1..29)";
    QTest::newRow("years") << epw(QByteArrayList(8785, good))
                           << "line 8793: more than 8784 hourly rows";
    QTest::newRow("10 MiB") << epw({good}) + QByteArray(1023, ' ').append('\n').repeated(10300)
                            << "larger than 10485760";
    QTest::newRow("long line") << epw({good + QByteArray(65536, ' ')})
                               << "line 9: longer than 65536";
}

void TestClimate::refused() {
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    WeatherYear year;
    QString why;
    QVERIFY(!readBytes(file, &year, &why) && year.hours.empty());
    QVERIFY2(why.contains(error), qPrintable(why));
}

QTEST_APPLESS_MAIN(TestClimate)
#include "tst_climate.moc"
