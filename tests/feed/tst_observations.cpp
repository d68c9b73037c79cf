#include "feed/observations.h"

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

// An observation time depth elements down.
QByteArray nested(int depth) {
    return QByteArray("<a>").repeated(depth - 1) +
           "<observation_time_rfc822>deep</observation_time_rfc822>" +
           QByteArray("</a>").repeated(depth - 1);
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
    void nodeValuesAreThoseOfTheDom_data();
    void nodeValuesAreThoseOfTheDom();
    void documentsLoadedOrRefused_data();
    void documentsLoadedOrRefused();

    void historyKeepsEveryObservation();
    void historyDropsZeroReadings();
    void historyKeepsAtMost500();
    void historyOverwritesButNeverClears();
    void historySkipsNonNumbers();
    void historyDewPointFirstSharesSlot();
};

void TestObservations::currentSampleFillsPanelAndFields() {
    Panel p;
    QVERIFY(DisplayNode(sampleDocument(), p.targets()));
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
    QVERIFY(DisplayNode(sampleDocument(), p.targets()));
    QCOMPARE(seen, (QStringList{
                       QStringLiteral("temp: g=96 caption=Temperature: 96.0 deg F "
                                      "time=Thu, 10 Aug 2023 23:53:00 -0500 rh=lblRH"),
                       QStringLiteral("rh: g=37 caption=Relative Humidity: 37 % "
                                      "tempc= 35.6 deg C dew=lblDewF"),
                   }));
}

void TestObservations::relativeHumidityOf100ShownAsDelivered() {
    Panel p;
    DisplayNode("<current_observation><relative_humidity>100</relative_humidity>"
                "</current_observation>",
                p.targets());
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
    DisplayNode("<o><temp_f>" + text.toLatin1() + "</temp_f></o>", p.targets());
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
    DisplayNode("<o><temp_f>" + text.toLatin1() + "</temp_f><dewpoint_f>" + text.toLatin1() +
                    "</dewpoint_f></o>",
                p.targets());
    QCOMPARE(p.lblTempF.text(), "Temperature: " + text + " deg F");
    QCOMPARE(p.lblDewF.text(), "Dew Point: " + text + " deg F");
    QCOMPARE(p.txtOutdoorTemp.text(), QStringLiteral("95"));
    QCOMPARE(p.txtOutdoorDew.text(), QStringLiteral("19"));
    QCOMPARE(p.inputs.gTemperature, 95.0f);
    QCOMPARE(p.inputs.gDewPoint, 19.0f);
}

void TestObservations::elementsAreFoundAnywhereButNamesMatchExactly() {
    Panel p;
    DisplayNode("<feed><station><now><deep><temp_f>70</temp_f></deep></now>"
                "</station><Temp_C>21</Temp_C><dewpoint_c_x>9</dewpoint_c_x>"
                "<x:dewpoint_f xmlns:x=\"urn:x\">50</x:dewpoint_f></feed>",
                p.targets());
    QCOMPARE(p.txtOutdoorTemp.text(), QStringLiteral("70"));
    QCOMPARE(p.lblTempC.text(), QStringLiteral("lblTempC"));
    QCOMPARE(p.lblDewC.text(), QStringLiteral("lblDewC"));
    QCOMPARE(p.lblDewF.text(), QStringLiteral("lblDewF"));
    QCOMPARE(p.txtOutdoorDew.text(), QStringLiteral("19"));
}

void TestObservations::missingElementsKeepPreviousValues() {
    Panel p;
    DisplayNode(sampleDocument(), p.targets());
    // An empty element, or one holding only blanks, has no text node.
    DisplayNode("<o><temp_f>88.0</temp_f><temp_c/><dewpoint_f>  </dewpoint_f></o>", p.targets());
    QCOMPARE(p.txtOutdoorTemp.text(), QStringLiteral("88"));
    QCOMPARE(p.lblTempC.text(), QStringLiteral(" 35.6 deg C"));
    QCOMPARE(p.lblDewF.text(), QStringLiteral("Dew Point: 66.0 deg F"));
    QCOMPARE(p.txtOutdoorDew.text(), QStringLiteral("66"));
    QCOMPARE(p.txtOutdoorRH.text(), QStringLiteral("37"));
    QCOMPARE(p.lblTime.text(), QStringLiteral("Thu, 10 Aug 2023 23:53:00 -0500"));
}

// What the walks were first written against: the nodes of a DOM, each
// with its own value.
void TestObservations::nodeValuesAreThoseOfTheDom_data() {
    QTest::addColumn<QByteArray>("content"); // of the temp_c element
    QTest::addColumn<QString>("shown");
    QTest::newRow("CDATA keeps its blanks") << QByteArray("<![CDATA[ 21 ]]>") << " 21 ";
    QTest::newRow("text split by a comment") << QByteArray("20<!--x-->21") << "21";
    QTest::newRow("comment last") << QByteArray("21<!--note-->") << "note";
    QTest::newRow("processing instruction last") << QByteArray("21<?pi data?>") << "data";
    QTest::newRow("child element last") << QByteArray("21<b>22</b>") << "";
    QTest::newRow("blank text is no node") << QByteArray("<!--c-->  ") << "c";
    QTest::newRow("references resolved") << QByteArray("2&#49;&amp;") << "21&";
}

void TestObservations::nodeValuesAreThoseOfTheDom() {
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    Panel p;
    QVERIFY(DisplayNode("<o><temp_c>" + content + "</temp_c></o>", p.targets()));
    QCOMPARE(p.lblTempC.text(), " " + shown + " deg C");
}

void TestObservations::documentsLoadedOrRefused_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("time"); // null: refused

    QTest::newRow("real sample") << sampleDocument() << "Thu, 10 Aug 2023 23:53:00 -0500";
    QTest::newRow("doctype without entities")
        << QByteArray("<!DOCTYPE o><o><observation_time_rfc822>t</observation_time_rfc822></o>")
        << "t";
    QTest::newRow("predefined entities")
        << QByteArray("<o><observation_time_rfc822>Fair &amp; warm &lt;3"
                      "</observation_time_rfc822></o>")
        << "Fair & warm <3";
    // 0xB0 is the degree sign in ISO-8859-1 and not valid UTF-8 on its own.
    QTest::newRow("declared encoding")
        << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><o>"
                      "<observation_time_rfc822>96.0 \xB0"
                      "F</observation_time_rfc822></o>")
        << "96.0 \u00B0F";
    QTest::newRow("nesting of 256") << nested(256) << "deep";

    const QString refused;
    QTest::newRow("empty") << QByteArray() << refused;
    QTest::newRow("plain text") << QByteArray("Service temporarily unavailable") << refused;
    QTest::newRow("html") << QByteArray("<html><body><p>Error<br></body></html>") << refused;
    QTest::newRow("mismatched tags") << QByteArray("<o><temp_f>70</o></temp_f>") << refused;
    QTest::newRow("two roots") << QByteArray("<a/><b/>") << refused;
    QTest::newRow("two doctypes") << QByteArray("<!DOCTYPE o><!DOCTYPE o><o/>") << refused;
    QTest::newRow("truncated sample") << sampleDocument().left(1200) << refused;
    QTest::newRow("undefined entity") << QByteArray("<o>&nbsp;</o>") << refused;
    QByteArray laughs = "<!DOCTYPE o [<!ENTITY l0 \"lol\">";
    for (int i = 1; i <= 9; ++i)
        laughs += "<!ENTITY l" + QByteArray::number(i) + " \"" +
                  ("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    QTest::newRow("billion laughs") << laughs + "]><o><temp_f>&l9;</temp_f></o>" << refused;
    QTest::newRow("one internal entity")
        << QByteArray("<!DOCTYPE o [<!ENTITY t \"70\">]><o><temp_f>&t;</temp_f></o>") << refused;
    QTest::newRow("external entity")
        << QByteArray("<!DOCTYPE o [<!ENTITY x SYSTEM \"secret.txt\">]>"
                      "<o><temp_f>&x;</temp_f></o>")
        << refused;
    QTest::newRow("parameter entity")
        << QByteArray("<!DOCTYPE o [<!ENTITY % p \"x\">]><o/>") << refused;
    QTest::newRow("nesting of 257") << nested(257) << refused;
    QTest::newRow("absurd nesting") << nested(100000) << refused;
}

// Both walks load the same documents, and say why they refuse one.
void TestObservations::documentsLoadedOrRefused() {
    QFETCH(QByteArray, data);
    QFETCH(QString, time);
    Panel p;
    ObservationHistory h;
    h.obsTime[0] = QStringLiteral("kept");
    QString why;
    QCOMPARE(DisplayNode(data, p.targets(), &why), !time.isNull());
    QCOMPARE(why.isEmpty(), !time.isNull());
    QCOMPARE(DisplayNode2(data, h), !time.isNull());
    QCOMPARE(p.lblTime.text(), time.isNull() ? QStringLiteral("lblTime") : time);
    QCOMPARE(h.obsTime[0], time.isNull() ? QStringLiteral("kept") : time);
}

void TestObservations::historyKeepsEveryObservation() {
    ObservationHistory h;
    DisplayNode2(
        history(
            {{stamp(0), "80.1", "65.0"}, {stamp(1), "81.2", "65.5"}, {stamp(2), "82.3", "66.0"}}),
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
        DisplayNode2(history({{stamp(0), "80", "60"},
                              {stamp(1), "81", "61"},
                              {stamp(2), zero, "62"},
                              {stamp(3), "83", "63"},
                              {stamp(4), "84", "64"}}),
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
    DisplayNode2(history(readings), h);
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
    DisplayNode2(history({{stamp(0), "80", "60"}, {stamp(1), "81", "61"}}), h);
    QCOMPARE(h.obsIndex, qint16(2));
    QCOMPARE(h.obsTime[1], stamp(1));
    QCOMPARE(h.obsTime[2], QStringLiteral("old"));
    QCOMPARE(h.obsTemperature[2], 1.0f);
    QCOMPARE(h.obsDewPoint[2], 61.0f);
    QCOMPARE(h.obsDewPoint[3], 2.0f);
    QCOMPARE(h.obsDewPoint[0], 2.0f);

    // The caller resets obsIndex; without that the walk appends.
    DisplayNode2(history({{stamp(5), "85", "65"}}), h);
    QCOMPARE(h.obsIndex, qint16(3));
    QCOMPARE(h.obsTime[2], stamp(5));
}

void TestObservations::historySkipsNonNumbers() {
    ObservationHistory h;
    DisplayNode2(history({{stamp(0), "80", "60"}, {stamp(1), "M", "M"}, {stamp(2), "82", "62"}}),
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
    DisplayNode2(doc, h);
    QCOMPARE(h.obsIndex, qint16(2));
    QCOMPARE(h.obsDewPoint[0], 60.0f);
    QCOMPARE(h.obsDewPoint[1], 61.0f);
    QCOMPARE(h.obsTemperature[1], 81.0f);
}

QTEST_MAIN(TestObservations)
#include "tst_observations.moc"
