#include "feed/http_fetch.h"
#include "feed/observations.h"

#include <QDomDocument>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <memory>

using feed::CurrentTargets;
using feed::DisplayNode;
using feed::DisplayNode2;
using feed::ObservationHistory;

namespace {

QDomDocument parse(const QByteArray& data) {
    QDomDocument doc;
    if (!feed::parseDocument(data, doc))
        qWarning("test document did not parse");
    return doc;
}

QByteArray sampleDocument() {
    QFile f(QStringLiteral(QUORVEL_TEST_DATA "/current-observation-KDTO.xml"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Reading {
    QString time;
    QString temp;
    QString dew;
};

// A daily history in the usual order: time, temperature, dew point.
QByteArray history(const QList<Reading>& readings) {
    QByteArray d = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<WXDailyHistory>\n";
    for (const Reading& r : readings)
        d += "<observation><observation_time_rfc822>" + r.time.toLatin1() +
             "</observation_time_rfc822><temp_f>" + r.temp.toLatin1() + "</temp_f><dewpoint_f>" +
             r.dew.toLatin1() + "</dewpoint_f></observation>\n";
    return d + "</WXDailyHistory>\n";
}

QString stamp(int i) {
    return QStringLiteral("Thu, 10 Aug 2023 %1:%2:00 -0500")
        .arg(i / 3 % 24, 2, 10, QLatin1Char('0'))
        .arg(i % 3 * 20, 2, 10, QLatin1Char('0'));
}

// The live panel and the outdoor fields, with the captions and texts they
// have before the first observation.
struct Panel {
    QLabel lblTempF{QStringLiteral("lblTempF")};
    QLabel lblTempC{QStringLiteral("lblTempC")};
    QLabel lblRH{QStringLiteral("lblRH")};
    QLabel lblDewF{QStringLiteral("lblDewF")};
    QLabel lblDewC{QStringLiteral("lblDewC")};
    QLabel lblTime{QStringLiteral("lblTime")};
    QLineEdit txtOutdoorTemp{QStringLiteral("95")};
    QLineEdit txtOutdoorRH{QStringLiteral("51")};
    QLineEdit txtOutdoorDew{QStringLiteral("19")};
    psychro::WorkingInputs inputs;

    CurrentTargets targets() {
        return {&lblTempF, &lblTempC,       &lblRH,        &lblDewF,       &lblDewC,
                &lblTime,  &txtOutdoorTemp, &txtOutdoorRH, &txtOutdoorDew, &inputs};
    }
};

} // namespace

class TestObservations : public QObject {
    Q_OBJECT

private slots:
    void currentSampleFillsPanelAndFields();
    void fieldsChangeInDocumentOrder();
    void relativeHumidityOf100ShownAsDelivered();
    void numbersAreWrittenInShortestForm_data();
    void numbersAreWrittenInShortestForm();
    void nonNumbersOnlyReachTheCaption_data();
    void nonNumbersOnlyReachTheCaption();
    void elementsAreFoundAnywhereButNamesMatchExactly();
    void missingElementsKeepPreviousValues();

    void historyKeepsEveryObservation();
    void historyDropsZeroReadings();
    void historyKeepsAtMost500();
    void historyOverwritesButNeverClears();
    void historySkipsNonNumbers();
    void historyDewPointFirstSharesSlot();
};

void TestObservations::currentSampleFillsPanelAndFields() {
    Panel p;
    const QDomDocument doc = parse(sampleDocument());
    DisplayNode(doc.childNodes(), p.targets());
    // Values as the sample's description lists them.
    QCOMPARE(p.lblTempF.text(), QStringLiteral("Temperature: 96.0 deg F"));
    QCOMPARE(p.lblTempC.text(), QStringLiteral(" 35.6 deg C"));
    QCOMPARE(p.lblRH.text(), QStringLiteral("Relative Humidity: 37 %"));
    QCOMPARE(p.lblDewF.text(), QStringLiteral("Dew Point: 66.0 deg F"));
    QCOMPARE(p.lblDewC.text(), QStringLiteral(" 18.9 deg C"));
    QCOMPARE(p.lblTime.text(), QStringLiteral("Thu, 10 Aug 2023 23:53:00 -0500"));
    QCOMPARE(p.txtOutdoorTemp.text(), QStringLiteral("96"));
    QCOMPARE(p.txtOutdoorRH.text(), QStringLiteral("37"));
    QCOMPARE(p.txtOutdoorDew.text(), QStringLiteral("66"));
    QCOMPARE(p.inputs.gTemperature, 96.0f);
    QCOMPARE(p.inputs.gORH, 37.0f);
    QCOMPARE(p.inputs.gDewPoint, 66.0f);
}

void TestObservations::fieldsChangeInDocumentOrder() {
    // The sample lists the time, then temp_f, temp_c, relative_humidity,
    // dewpoint_f, dewpoint_c. A field's change handler must see everything
    // before its element already done and nothing after it.
    Panel p;
    QStringList seen;
    connect(&p.txtOutdoorTemp, &QLineEdit::textChanged, this, [&] {
        seen << QStringLiteral("temp: g=%1 caption=%2 time=%3 rh=%4")
                    .arg(p.inputs.gTemperature)
                    .arg(p.lblTempF.text(), p.lblTime.text(), p.lblRH.text());
    });
    connect(&p.txtOutdoorRH, &QLineEdit::textChanged, this, [&] {
        seen << QStringLiteral("rh: g=%1 caption=%2 tempc=%3 dew=%4")
                    .arg(p.inputs.gORH)
                    .arg(p.lblRH.text(), p.lblTempC.text(), p.lblDewF.text());
    });
    const QDomDocument doc = parse(sampleDocument());
    DisplayNode(doc.childNodes(), p.targets());
    QCOMPARE(seen, (QStringList{
                       QStringLiteral("temp: g=96 caption=Temperature: 96.0 deg F "
                                      "time=Thu, 10 Aug 2023 23:53:00 -0500 rh=lblRH"),
                       QStringLiteral("rh: g=37 caption=Relative Humidity: 37 % "
                                      "tempc= 35.6 deg C dew=lblDewF"),
                   }));
}

void TestObservations::relativeHumidityOf100ShownAsDelivered() {
    Panel p;
    const QDomDocument doc = parse("<current_observation><relative_humidity>100</relative_humidity>"
                                   "</current_observation>");
    DisplayNode(doc.childNodes(), p.targets());
    QCOMPARE(p.lblRH.text(), QStringLiteral("Relative Humidity: 100 %"));
    QCOMPARE(p.txtOutdoorRH.text(), QStringLiteral("100"));
    // The field's own handler turns 100 into 99 for the chart; the walk
    // stores the value as delivered.
    QCOMPARE(p.inputs.gORH, 100.0f);
}

void TestObservations::numbersAreWrittenInShortestForm_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<float>("value");
    QTest::newRow("trailing zero") << "72.50"
                                   << "72.5" << 72.5f;
    QTest::newRow("blanks around") << "  81.0 "
                                   << "81" << 81.0f;
    QTest::newRow("negative") << "-4.0"
                              << "-4" << -4.0f;
    QTest::newRow("single precision") << "72.3"
                                      << "72.3" << 72.3f;
    QTest::newRow("zero") << "0.0"
                          << "0" << 0.0f;
}

void TestObservations::numbersAreWrittenInShortestForm() {
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(float, value);
    Panel p;
    const QDomDocument doc = parse("<o><temp_f>" + text.toLatin1() + "</temp_f></o>");
    DisplayNode(doc.childNodes(), p.targets());
    QCOMPARE(p.lblTempF.text(), "Temperature: " + text + " deg F");
    QCOMPARE(p.txtOutdoorTemp.text(), field);
    QCOMPARE(p.inputs.gTemperature, value);
}

void TestObservations::nonNumbersOnlyReachTheCaption_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << "NA";
    QTest::newRow("number then letters") << "96F";
    QTest::newRow("beyond single range") << "1E39";
    QTest::newRow("beyond double range") << "1E400";
    QTest::newRow("not a number") << "NaN";
    QTest::newRow("infinity") << "inf";
}

void TestObservations::nonNumbersOnlyReachTheCaption() {
    QFETCH(QString, text);
    Panel p;
    p.inputs.gTemperature = 95;
    p.inputs.gDewPoint = 19;
    const QDomDocument doc = parse("<o><temp_f>" + text.toLatin1() + "</temp_f><dewpoint_f>" +
                                   text.toLatin1() + "</dewpoint_f></o>");
    DisplayNode(doc.childNodes(), p.targets());
    QCOMPARE(p.lblTempF.text(), "Temperature: " + text + " deg F");
    QCOMPARE(p.lblDewF.text(), "Dew Point: " + text + " deg F");
    QCOMPARE(p.txtOutdoorTemp.text(), QStringLiteral("95"));
    QCOMPARE(p.txtOutdoorDew.text(), QStringLiteral("19"));
    QCOMPARE(p.inputs.gTemperature, 95.0f);
    QCOMPARE(p.inputs.gDewPoint, 19.0f);
}

void TestObservations::elementsAreFoundAnywhereButNamesMatchExactly() {
    Panel p;
    const QDomDocument doc = parse("<feed><station><now><deep><temp_f>70</temp_f></deep></now>"
                                   "</station><Temp_C>21</Temp_C><dewpoint_c_x>9</dewpoint_c_x>"
                                   "<x:dewpoint_f xmlns:x=\"urn:x\">50</x:dewpoint_f></feed>");
    DisplayNode(doc.childNodes(), p.targets());
    QCOMPARE(p.txtOutdoorTemp.text(), QStringLiteral("70"));
    QCOMPARE(p.lblTempC.text(), QStringLiteral("lblTempC"));
    QCOMPARE(p.lblDewC.text(), QStringLiteral("lblDewC"));
    QCOMPARE(p.lblDewF.text(), QStringLiteral("lblDewF"));
    QCOMPARE(p.txtOutdoorDew.text(), QStringLiteral("19"));
}

void TestObservations::missingElementsKeepPreviousValues() {
    Panel p;
    DisplayNode(parse(sampleDocument()).childNodes(), p.targets());
    // An empty element, or one holding only blanks, has no text node.
    const QDomDocument partial =
        parse("<o><temp_f>88.0</temp_f><temp_c/><dewpoint_f>  </dewpoint_f></o>");
    DisplayNode(partial.childNodes(), p.targets());
    QCOMPARE(p.txtOutdoorTemp.text(), QStringLiteral("88"));
    QCOMPARE(p.lblTempC.text(), QStringLiteral(" 35.6 deg C"));
    QCOMPARE(p.lblDewF.text(), QStringLiteral("Dew Point: 66.0 deg F"));
    QCOMPARE(p.txtOutdoorDew.text(), QStringLiteral("66"));
    QCOMPARE(p.txtOutdoorRH.text(), QStringLiteral("37"));
    QCOMPARE(p.lblTime.text(), QStringLiteral("Thu, 10 Aug 2023 23:53:00 -0500"));
}

void TestObservations::historyKeepsEveryObservation() {
    ObservationHistory h;
    DisplayNode2(parse(history({{stamp(0), "80.1", "65.0"},
                                {stamp(1), "81.2", "65.5"},
                                {stamp(2), "82.3", "66.0"}}))
                     .childNodes(),
                 h);
    QCOMPARE(h.obsIndex, qint16(3));
    QCOMPARE(h.obsTime[0], stamp(0));
    QCOMPARE(h.obsTime[2], stamp(2));
    QCOMPARE(h.obsTime[3], QString());
    QCOMPARE(h.obsTemperature[0], 80.1f);
    QCOMPARE(h.obsTemperature[1], 81.2f);
    QCOMPARE(h.obsTemperature[2], 82.3f);
    // Each dew point follows its temperature, so it lands one slot later.
    QCOMPARE(h.obsDewPoint[0], 0.0f);
    QCOMPARE(h.obsDewPoint[1], 65.0f);
    QCOMPARE(h.obsDewPoint[2], 65.5f);
    QCOMPARE(h.obsDewPoint[3], 66.0f);
}

void TestObservations::historyDropsZeroReadings() {
    for (const QString& zero : {QStringLiteral("0"), QStringLiteral("0.0")}) {
        ObservationHistory h;
        DisplayNode2(parse(history({{stamp(0), "80", "60"},
                                    {stamp(1), "81", "61"},
                                    {stamp(2), zero, "62"},
                                    {stamp(3), "83", "63"},
                                    {stamp(4), "84", "64"}}))
                         .childNodes(),
                     h);
        QCOMPARE(h.obsIndex, qint16(4));
        // The dropped reading's slot is reused by the next one, time included.
        QCOMPARE(h.obsTime[2], stamp(3));
        QCOMPARE(h.obsTemperature[2], 83.0f);
        QCOMPARE(h.obsTime[3], stamp(4));
        QCOMPARE(h.obsTemperature[3], 84.0f);
        QCOMPARE(h.obsTime[4], QString());
        // The dropped reading's dew point went to slot 2 and was overwritten
        // by the next reading's.
        QCOMPARE(h.obsDewPoint[2], 62.0f);
        QCOMPARE(h.obsDewPoint[3], 63.0f);
        QCOMPARE(h.obsDewPoint[4], 64.0f);
    }
}

void TestObservations::historyKeepsAtMost500() {
    QList<Reading> readings;
    for (int i = 0; i < 600; ++i)
        readings.append({stamp(i), QString::number(50 + i % 40), QString::number(40 + i % 20)});
    ObservationHistory h;
    DisplayNode2(parse(history(readings)).childNodes(), h);
    QCOMPARE(h.obsIndex, qint16(500));
    QCOMPARE(h.obsTime[499], stamp(499));
    QCOMPARE(h.obsTemperature[499], float(50 + 499 % 40));
    // Dew points land one slot after their temperature; the 500th
    // reading's dew point comes after the walk has stopped storing, so the
    // spare last slot stays untouched, and nothing of the 501st is stored.
    QCOMPARE(h.obsDewPoint[499], float(40 + 498 % 20));
    QCOMPARE(h.obsDewPoint[500], 0.0f);
    QCOMPARE(h.obsTime[500], QString());
    QCOMPARE(h.obsTemperature[500], 0.0f);
}

void TestObservations::historyOverwritesButNeverClears() {
    ObservationHistory h;
    for (size_t i = 0; i < 6; ++i) {
        h.obsTime[i] = QStringLiteral("old");
        h.obsTemperature[i] = 1;
        h.obsDewPoint[i] = 2;
    }
    h.obsIndex = 0;
    DisplayNode2(parse(history({{stamp(0), "80", "60"}, {stamp(1), "81", "61"}})).childNodes(), h);
    QCOMPARE(h.obsIndex, qint16(2));
    QCOMPARE(h.obsTime[1], stamp(1));
    QCOMPARE(h.obsTime[2], QStringLiteral("old"));
    QCOMPARE(h.obsTemperature[2], 1.0f);
    QCOMPARE(h.obsDewPoint[2], 61.0f);
    QCOMPARE(h.obsDewPoint[3], 2.0f);
    QCOMPARE(h.obsDewPoint[0], 2.0f);

    // The caller resets obsIndex; without that the walk appends.
    DisplayNode2(parse(history({{stamp(5), "85", "65"}})).childNodes(), h);
    QCOMPARE(h.obsIndex, qint16(3));
    QCOMPARE(h.obsTime[2], stamp(5));
}

void TestObservations::historySkipsNonNumbers() {
    ObservationHistory h;
    DisplayNode2(
        parse(history({{stamp(0), "80", "60"}, {stamp(1), "M", "M"}, {stamp(2), "82", "62"}}))
            .childNodes(),
        h);
    // A missing reading is dropped like a zero one.
    QCOMPARE(h.obsIndex, qint16(2));
    QCOMPARE(h.obsTime[1], stamp(2));
    QCOMPARE(h.obsTemperature[1], 82.0f);
    QCOMPARE(h.obsDewPoint[1], 60.0f);
    QCOMPARE(h.obsDewPoint[2], 62.0f);
}

void TestObservations::historyDewPointFirstSharesSlot() {
    ObservationHistory h;
    const QByteArray doc = "<h><ob><dewpoint_f>60</dewpoint_f><observation_time_rfc822>" +
                           stamp(0).toLatin1() +
                           "</observation_time_rfc822><temp_f>80</temp_f></ob>"
                           "<ob><dewpoint_f>61</dewpoint_f><temp_f>81</temp_f></ob></h>";
    DisplayNode2(parse(doc).childNodes(), h);
    QCOMPARE(h.obsIndex, qint16(2));
    QCOMPARE(h.obsDewPoint[0], 60.0f);
    QCOMPARE(h.obsDewPoint[1], 61.0f);
    QCOMPARE(h.obsTemperature[1], 81.0f);
}

QTEST_MAIN(TestObservations)
#include "tst_observations.moc"
