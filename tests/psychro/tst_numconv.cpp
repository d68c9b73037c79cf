// The number conversions every sheet text goes through: reading the
// leading number, the strict whole-text reading, plain text and the
// display patterns with their rounding.
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
    void strictNumber_data();
    void strictNumber();
    void formatNumber_data();
    void formatNumber();
    void plainTextAndRounding();
};

void TestNumConv::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    // clang-format off
    const std::pair<const char*, double> rows[] = {
        {"95", 95}, {".01230", 0.0123}, {"12abc", 12}, {"", 0}, {"6,000", 6}, {"1 5", 15},
        {" \t-\n7", -7}, {"1.2.3", 1.2}, {"+.5", 0.5}, {".", 0}, {"-", 0}, {"-3.5e2x", -350},
        {"1D3", 1000}, {"1E", 1}, {"\r5", 0}, {"nan", 0}, {"1e-400", 0}, {"1e400", HUGE_VAL},
        {"-1e400", -HUGE_VAL}};
    // clang-format on
    for (const auto& [text, value] : rows)
        QTest::newRow(text) << QString::fromLatin1(text) << value;
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("\xd9\xa3") << 0.0;
}

void TestNumConv::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(LeadingNumber(text), expected);
}

void TestNumConv::strictNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    QTest::newRow("integer") << "6000" << true << 6000.0;
    QTest::newRow("blanks around") << "  30.26 " << true << 30.26;
    QTest::newRow("grouped") << "-12,345.5" << true << -12345.5;
    QTest::newRow("exponent") << "1.5E3" << true << 1500.0;
    for (const char* bad : {"1,23", "1234,567", "", "   ", "12abc", "1 5", "1e400", "nan", "1D3"})
        QTest::newRow(bad) << QString::fromLatin1(bad) << false << 0.0;
}

void TestNumConv::strictNumber() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    bool converted = !ok;
    QCOMPARE(StrictNumber(text, &converted), expected);
    QCOMPARE(converted, ok);
}

void TestNumConv::formatNumber_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    // clang-format off
    const std::tuple<double, const char*, const char*> rows[] = {
        {0.0123, ".00000", ".01230"}, {0, ".00000", ".00000"}, {1.5, ".00000", "1.50000"},
        {-0.00009, ".00000", "-.00009"}, {54.6, "##0", "55"}, {62.4, "#0", "62"},
        {13.7, "#0.00", "13.70"}, {30.2584, "##0.00", "30.26"}, {253125, "#,##0", "253,125"},
        {-2345.5, "#,##0", "-2,346"}, {999.4, "#,##0", "999"}, {5, "00", "05"},
        {1234567.891, "#,##0.00", "1,234,567.89"}, {100, "00", "100"}, {25, "#0.0", "25.0"},
        {0.002, "0.000", "0.002"}, {120, "###,##0", "120"}, {2.5, "#0", "3"}, {-0.5, "#0", "-1"},
        {0.125, "#0.00", "0.13"}, {999999.5, "#,##0", "1,000,000"},
        // The value as held decides: 1.005 is just below the half, 0.0005
        // just above it, 30.255 in single precision below it.
        {1.005, "#0.00", "1.00"}, {0.0005, "0.000", "0.001"}, {double(30.255f), "##0.00", "30.25"},
        // The largest double below a half; a half at the top of the doubles
        // with a fraction; a value so small its bits run past 128.
        {0.49999999999999994, "#0", "0"}, {4503599627370495.5, "#0", "4503599627370496"},
        {0x1p-80 * 3, "0.00", "0.00"}, {1e17 + 16, "#0.0", "100000000000000016.0"},
        {HUGE_VAL, "##0", ""}, {-HUGE_VAL, "#,##0", ""}, {std::nan(""), "#0.00", ""}};
    // clang-format on
    for (const auto& [x, pattern, expected] : rows)
        QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(x).arg(QLatin1String(pattern))))
            << x << QString::fromLatin1(pattern) << QString::fromLatin1(expected);
}

void TestNumConv::formatNumber() {
    QFETCH(double, x);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(FormatNumber(x, pattern), expected);
}

void TestNumConv::plainTextAndRounding() {
    // clang-format off
    for (const auto& [x, text] : {std::pair{4500.0, "4500"}, {4500.5, "4500.5"}, {-3.0, "-3"},
                                  {0.1 + 0.2, "0.3"}, {-0.0, "0"}, {1e20, "1E+20"}, {HUGE_VAL, ""}})
        QCOMPARE(NumText(x), text); // 15 significant digits, no noise beyond
    // clang-format on
    QVERIFY(NumTextSingle(72.3f) == "72.3" && NumTextSingle(-10.f) == "-10");
    QVERIFY(RoundHalfEven(72.5) == 72 && RoundHalfEven(73.5) == 74 && RoundHalfEven(-2.5) == -2);
    QVERIFY(ToSingle(1e300) == HUGE_VALF && ToSingle(-1e300) == -HUGE_VALF);
    QCOMPARE(ToSingle(0.1), 0.1f);
    // Every digit of a huge value is written out, grouped in threes.
    QCOMPARE(FormatNumber(1e300, "#,##0").count(u','), 100);
    QCOMPARE(FormatNumber(DBL_MAX, "#0.00").size(), 309 + 3);
}

QTEST_APPLESS_MAIN(TestNumConv)
#include "tst_numconv.moc"
