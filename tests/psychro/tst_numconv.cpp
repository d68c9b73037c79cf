#include "psychro/numconv.h"

#include <QTest>

#include <cfloat>
#include <cmath>

using namespace psychro;

class TestNumConv : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data();
    void leadingNumber();
    void leadingNumberBeyondDoubleRange();
    void strictNumber_data();
    void strictNumber();
    void numText_data();
    void numText();
    void formatNumber_data();
    void formatNumber();
    void formatNumberNeverShowsNonFinite();
    void formatNumberHugeValueKeepsEveryDigit();
    void roundHalfEven();
    void toSingleSaturates();
};

void TestNumConv::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << "95" << 95.0;
    QTest::newRow("no leading zero") << ".01230" << 0.0123;
    QTest::newRow("letters after") << "12abc" << 12.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters only") << "abc" << 0.0;
    QTest::newRow("comma stops") << "6,000" << 6.0;
    QTest::newRow("blank inside") << "1 5" << 15.0;
    QTest::newRow("tabs and line feeds") << " \t-\n7" << -7.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("plus sign") << "+.5" << 0.5;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("exponent") << "-3.5e2x" << -350.0;
    QTest::newRow("D exponent") << "1D3" << 1000.0;
    QTest::newRow("signed exponent") << "1E+2" << 100.0;
    QTest::newRow("exponent without digits") << "1E" << 1.0;
    QTest::newRow("decimal comma is not a point") << "2,5" << 2.0;
    QTest::newRow("carriage return is not a blank") << "\r5" << 0.0;
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("\xd9\xa3") << 0.0;
    QTest::newRow("tiny exponent underflows to zero") << "1e-400" << 0.0;
    QTest::newRow("nan is letters") << "nan" << 0.0;
    QTest::newRow("inf is letters") << "inf" << 0.0;
}

void TestNumConv::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(LeadingNumber(text), expected);
}

void TestNumConv::leadingNumberBeyondDoubleRange() {
    QVERIFY(std::isinf(LeadingNumber("1e400")));
    QVERIFY(LeadingNumber("1e400") > 0);
    QVERIFY(LeadingNumber("-1e400") < 0);
}

void TestNumConv::strictNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    QTest::newRow("integer") << "6000" << true << 6000.0;
    QTest::newRow("surrounding blanks") << "  30.26 " << true << 30.26;
    QTest::newRow("negative") << "-12.5" << true << -12.5;
    QTest::newRow("grouped") << "12,345.5" << true << 12345.5;
    QTest::newRow("grouped thousands") << "6,000" << true << 6000.0;
    QTest::newRow("bad grouping") << "1,23" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank") << "   " << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("trailing letters") << "12abc" << false << 0.0;
    QTest::newRow("blank inside") << "1 5" << false << 0.0;
    QTest::newRow("beyond range") << "1e400" << false << 0.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("exponent") << "1.5E3" << true << 1500.0;
}

void TestNumConv::strictNumber() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    bool converted = !ok;
    const double v = StrictNumber(text, &converted);
    QCOMPARE(converted, ok);
    QCOMPARE(v, expected);
}

void TestNumConv::numText_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 4500.0 << "4500";
    QTest::newRow("half") << 4500.5 << "4500.5";
    QTest::newRow("negative") << -3.0 << "-3";
    QTest::newRow("noise cut at 15 digits") << (0.1 + 0.2) << "0.3";
    QTest::newRow("third") << (1.0 / 3.0) << "0.333333333333333";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("large") << 1e20 << "1E+20";
    QTest::newRow("small") << 1e-5 << "1E-05";
    QTest::newRow("infinity") << HUGE_VAL << "";
}

void TestNumConv::numText() {
    QFETCH(double, x);
    QFETCH(QString, expected);
    QCOMPARE(NumText(x), expected);
    if (!expected.isEmpty())
        QCOMPARE(LeadingNumber(NumText(x)), std::stod(NumText(x).toStdString()));
}

void TestNumConv::formatNumber_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ratio") << 0.0123 << ".00000"
                           << ".01230";
    QTest::newRow("ratio zero") << 0.0 << ".00000"
                                << ".00000";
    QTest::newRow("ratio above one") << 1.5 << ".00000"
                                     << "1.50000";
    QTest::newRow("negative ratio") << -0.00009 << ".00000"
                                    << "-.00009";
    QTest::newRow("dew point") << 54.6 << "##0"
                               << "55";
    QTest::newRow("wet bulb") << 62.4 << "#0"
                              << "62";
    QTest::newRow("volume") << 13.7 << "#0.00"
                            << "13.70";
    QTest::newRow("enthalpy") << 30.2584 << "##0.00"
                              << "30.26";
    QTest::newRow("load") << 253125.0 << "#,##0"
                          << "253,125";
    QTest::newRow("negative load") << -12345.0 << "#,##0"
                                   << "-12,345";
    QTest::newRow("small load") << 999.4 << "#,##0"
                                << "999";
    QTest::newRow("millions") << 1234567.891 << "#,##0.00"
                              << "1,234,567.89";
    QTest::newRow("padded") << 5.0 << "00"
                            << "05";
    QTest::newRow("padded wide") << 100.0 << "00"
                                 << "100";
    QTest::newRow("one decimal") << 25.0 << "#0.0"
                                 << "25.0";
    QTest::newRow("axis label") << 0.002 << "0.000"
                                << "0.002";
    QTest::newRow("grid label") << 120.0 << "###,##0"
                                << "120";
    QTest::newRow("half away from zero") << 2.5 << "#0"
                                         << "3";
    QTest::newRow("negative half away") << -0.5 << "#0"
                                        << "-1";
    QTest::newRow("exact binary half") << 0.125 << "#0.00"
                                       << "0.13";
    QTest::newRow("carry into new digit") << 99.5 << "#0"
                                          << "100";
    QTest::newRow("carry with grouping") << 999999.5 << "#,##0"
                                         << "1,000,000";
    // 1.005 is held as 1.00499999999999989...: the value as held decides.
    QTest::newRow("held below half") << 1.005 << "#0.00"
                                     << "1.00";
    QTest::newRow("held below half 2") << 9.995 << "#0.00"
                                       << "9.99";
    // 0.0005 is held as 0.000500000000000000010...: just above the half.
    QTest::newRow("held above half") << 0.0005 << "0.000"
                                     << "0.001";
    // 30.255 held in single precision is 30.2549999...: it rounds down.
    QTest::newRow("single precision value") << double(30.255f) << "##0.00"
                                            << "30.25";
}

void TestNumConv::formatNumber() {
    QFETCH(double, x);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(FormatNumber(x, pattern), expected);
}

void TestNumConv::formatNumberNeverShowsNonFinite() {
    for (const char* pattern : {"##0", "#0.00", ".00000", "#,##0", "00"}) {
        QCOMPARE(FormatNumber(HUGE_VAL, pattern), QString());
        QCOMPARE(FormatNumber(-HUGE_VAL, pattern), QString());
        QCOMPARE(FormatNumber(std::nan(""), pattern), QString());
    }
}

void TestNumConv::formatNumberHugeValueKeepsEveryDigit() {
    const QString s = FormatNumber(1e300, "#0");
    QCOMPARE(s.size(), 301);
    QVERIFY(s.startsWith("1000000000000000"));
    for (QChar c : s)
        QVERIFY(c.isDigit());
    QCOMPARE(FormatNumber(1e300, "#,##0").count(u','), 100);
    QCOMPARE(FormatNumber(DBL_MAX, "#0.00").size(), 309 + 3);
}

void TestNumConv::roundHalfEven() {
    QCOMPARE(RoundHalfEven(72.5), 72.0);
    QCOMPARE(RoundHalfEven(73.5), 74.0);
    QCOMPARE(RoundHalfEven(-2.5), -2.0);
    QCOMPARE(RoundHalfEven(2.4), 2.0);
    QCOMPARE(RoundHalfEven(2.6), 3.0);
}

void TestNumConv::toSingleSaturates() {
    QVERIFY(std::isinf(ToSingle(1e300)));
    QVERIFY(ToSingle(-1e300) < 0 && std::isinf(ToSingle(-1e300)));
    QCOMPARE(ToSingle(0.1), 0.1f);
}

QTEST_APPLESS_MAIN(TestNumConv)
#include "tst_numconv.moc"
