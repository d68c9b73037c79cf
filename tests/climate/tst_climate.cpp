// Weather years: the Chicago TMY3 file read whole, and files that are
// refused.
#include "climate/epw.h"

#include <QBuffer>
#include <QTest>

using namespace climate;

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

} // namespace

class TestClimate : public QObject {
    Q_OBJECT
private slots:
    void chicago();
    void refused_data();
    void refused();
};

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
    QVERIFY(year.hours[0].relativeHumidity == 73);
    // awk -F, 'NR>8 {s+=$7; n++} END {print s/n}' (and with $2==1, $2==7):
    // 9.987991, -4.646505 (January), 24.134812 (July).
    double all = 0, months[12] = {};
    for (const WeatherHour& h : year.hours)
        all += h.dryBulb, months[h.month - 1] += h.dryBulb;
    QVERIFY(near(all / 8760, 9.987991, 1e-6) && near(months[0] / 744, -4.646505, 1e-6) &&
            near(months[6] / 744, 24.134812, 1e-6));
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
