// How numbers are read out of fields and written into cells.
#include "field/FieldValue.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

class TestFieldValue : public QObject
{
    Q_OBJECT
private slots:
    void numericValue_data();
    void numericValue();
    void outOfRange_data();
    void outOfRange();
    void wholeNumber_data();
    void wholeNumber();
    void signedDecimalText_data();
    void signedDecimalText();
    void leadingNumberKeepsFractions();
    void decimalPointIgnoresTheProcessLocale();
};

void TestFieldValue::numericValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "60" << 60;
    QTest::newRow("with unit") << "60 segundos" << 60;
    QTest::newRow("day close") << "86100 (23:55)" << 86100;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("leading blanks") << "   42" << 42;
    QTest::newRow("tab before") << "\t7" << 7;
    QTest::newRow("blank inside digits") << "1 2 3" << 123;
    QTest::newRow("plus sign") << "+5" << 5;
    QTest::newRow("minus sign") << "-5" << -5;
    QTest::newRow("minus then blank") << "- 5" << -5;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("half to even up") << "45.5" << 46;
    QTest::newRow("half to even down") << "44.5" << 44;
    QTest::newRow("12.5") << "12.5" << 12;
    QTest::newRow("13.5") << "13.5" << 14;
    QTest::newRow("2.5") << "2.5" << 2;
    QTest::newRow("1.5") << "1.5" << 2;
    QTest::newRow("-2.5") << "-2.5" << -2;
    QTest::newRow("-3.5") << "-3.5" << -4;
    QTest::newRow("just below half") << "2.4999" << 2;
    QTest::newRow("leading point") << ".5" << 0;
    QTest::newRow("leading point 1.5") << ".51" << 1;
    QTest::newRow("trailing point") << "7." << 7;
    QTest::newRow("exponent") << "1e3" << 1000;
    QTest::newRow("exponent upper") << "2E2x" << 200;
    QTest::newRow("negative exponent") << "15e-1" << 2;
    QTest::newRow("exponent without digits") << "3e" << 3;
    QTest::newRow("exponent sign without digits") << "3e+" << 3;
    QTest::newRow("comma is not a separator") << "1,5" << 1;
    QTest::newRow("max") << "2147483647" << std::numeric_limits<int32_t>::max();
    QTest::newRow("min") << "-2147483648" << std::numeric_limits<int32_t>::min();
    QTest::newRow("just under max plus half") << "2147483646.5" << 2147483646;
    QTest::newRow("digits after text ignored") << "x12" << 0;
    QTest::newRow("exponent below any long") << "0.001e-99999999999999999999" << 0;
}

void TestFieldValue::numericValue()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const auto parsed = field::NumericValue(text);
    QVERIFY(parsed.has_value());
    QCOMPARE(*parsed, value);
}

void TestFieldValue::outOfRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("max plus one") << "2147483648";
    QTest::newRow("min minus one") << "-2147483649";
    QTest::newRow("max plus half rounds to even above") << "2147483647.5";
    QTest::newRow("eleven digits") << "99999999999";
    QTest::newRow("huge exponent") << "1e400";
    QTest::newRow("long run of digits") << QString(400, u'9');
    QTest::newRow("big negative") << "-1e10";
    // Found by the restore fuzz target: the exponent overflowed a long.
    QTest::newRow("exponent beyond any long") << "10e99999999999999999999";
}

void TestFieldValue::outOfRange()
{
    QFETCH(QString, text);
    QVERIFY(!field::NumericValue(text).has_value());
}

void TestFieldValue::wholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "3" << true << 3;
    QTest::newRow("blanks around") << "  3  " << true << 3;
    QTest::newRow("fraction rounds") << "2.5" << true << 2;
    QTest::newRow("fraction rounds up") << "3.5" << true << 4;
    QTest::newRow("negative") << "-1" << true << -1;
    QTest::newRow("exponent") << "1e2" << true << 100;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing letters") << "1x" << false << 0;
    QTest::newRow("blank inside") << "1 2" << false << 0;
    QTest::newRow("out of range") << "99999999999" << false << 0;
    QTest::newRow("sign alone") << "-" << false << 0;
}

void TestFieldValue::wholeNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const auto parsed = field::WholeNumber(text);
    QCOMPARE(parsed.has_value(), ok);
    if (ok)
        QCOMPARE(*parsed, value);
}

void TestFieldValue::signedDecimalText_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << " 0";
    QTest::newRow("positive") << qint64(5) << " 5";
    QTest::newRow("negative") << qint64(-5) << "-5";
    QTest::newRow("max") << qint64(2147483647) << " 2147483647";
    QTest::newRow("min") << qint64(-2147483648LL) << "-2147483648";
}

void TestFieldValue::signedDecimalText()
{
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(field::SignedDecimalText(value), text);
}

void TestFieldValue::leadingNumberKeepsFractions()
{
    QCOMPARE(field::LeadingNumber(u"1.5"), 1.5);
    QCOMPARE(field::LeadingNumber(u"-0.25 s"), -0.25);
    QCOMPARE(field::LeadingNumber(u"nothing"), 0.0);
    QVERIFY(std::isinf(field::LeadingNumber(QString(400, u'9'))));
    QCOMPARE(field::LeadingNumber(u"1e-400"), 0.0);
}

void TestFieldValue::decimalPointIgnoresTheProcessLocale()
{
    // A locale with a decimal comma must not turn "1.5" into 1.
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "pt_BR.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        QSKIP("no locale with a decimal comma on this machine");
    const double value = field::LeadingNumber(u"1.5");
    const auto rounded = field::NumericValue(u"45.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    QCOMPARE(value, 1.5);
    QCOMPARE(*rounded, 46);
}

QTEST_GUILESS_MAIN(TestFieldValue)
#include "tst_fieldvalue.moc"
