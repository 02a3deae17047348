// The decisions that turn a delivered entry into a row of the entry grid.
#include "reception/EntryRow.h"

#include "field/FieldValue.h"

#include <QTest>

#include <limits>

using namespace reception;

class TestEntryRow : public QObject
{
    Q_OBJECT
private slots:
    void employeeOfACardCode_data();
    void employeeOfACardCode();
    void gridRowOfAnIndex_data();
    void gridRowOfAnIndex();
    void codeCharacter_data();
    void codeCharacter();
    void rowTexts();
    void invalidCardTexts();
    void numbersAsSignedDecimalText_data();
    void numbersAsSignedDecimalText();
    void totalText_data();
    void totalText();
};

void TestEntryRow::employeeOfACardCode_data()
{
    QTest::addColumn<int>("cardCode");
    QTest::addColumn<int>("employee");
    QTest::newRow("employee number 53") << 53 << 53;
    QTest::newRow("registered card 1053") << 1053 << 53;
    QTest::newRow("employee 1") << 1 << 1;
    QTest::newRow("card 1001") << 1001 << 1;
    QTest::newRow("employee 1000") << 1000 << 1000;
    QTest::newRow("card 2000") << 2000 << 1000;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("negative -7") << -7 << 0;
    QTest::newRow("lowest 32-bit") << int(std::numeric_limits<int32_t>::min()) << 0;
    QTest::newRow("card 2001") << 2001 << 0;
    QTest::newRow("card 9999") << 9999 << 0;
    QTest::newRow("highest 32-bit") << int(std::numeric_limits<int32_t>::max()) << 0;
}

void TestEntryRow::employeeOfACardCode()
{
    QFETCH(int, cardCode);
    QFETCH(int, employee);
    QCOMPARE(EmployeeNumber(WorkingCardCode(cardCode), 1001), employee);
}

void TestEntryRow::gridRowOfAnIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("row"); // 0: not shown
    QTest::newRow("first position") << 0 << 1;
    QTest::newRow("position 12") << 12 << 13;
    QTest::newRow("last shown") << 12000000 << 12000001;
    QTest::newRow("one past the last shown") << 12000001 << 0;
    QTest::newRow("highest 32-bit") << int(std::numeric_limits<int32_t>::max()) << 0;
    QTest::newRow("minus one, the header row") << -1 << 0;
    QTest::newRow("lowest 32-bit") << int(std::numeric_limits<int32_t>::min()) << 0;
}

void TestEntryRow::gridRowOfAnIndex()
{
    QFETCH(int, index);
    QFETCH(int, row);
    QCOMPARE(GridRow(index).value_or(0), row);
}

void TestEntryRow::codeCharacter_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("shown");
    QTest::newRow("65 is A") << 65 << QStringLiteral("A");
    QTest::newRow("blank") << 32 << QStringLiteral(" ");
    QTest::newRow("euro sign of the code page") << 0x80 << QString(QChar(0x20AC));
    QTest::newRow("e acute") << 0xE9 << QString(QChar(0xE9));
    QTest::newRow("y diaeresis") << 0xFF << QString(QChar(0xFF));
    QTest::newRow("zero shows nothing") << 0 << QString();
    QTest::newRow("1 as its picture") << 1 << QString(QChar(0x2401));
    QTest::newRow("escape as its picture") << 27 << QString(QChar(0x241B));
    QTest::newRow("delete as its picture") << 127 << QString(QChar(0x2421));
}

void TestEntryRow::codeCharacter()
{
    QFETCH(int, code);
    QFETCH(QString, shown);
    QCOMPARE(CodeText(uint8_t(code)), shown);
}

void TestEntryRow::rowTexts()
{
    ReceivedEntry entry;
    entry.index = 12;
    entry.seconds = -1;
    entry.cardCode = 53;
    entry.aux1 = 65;
    entry.justification = 66;
    entry.presence = 1;
    entry.orValue = -3;
    entry.code = 0;
    const QString name = QStringLiteral("Ana Lopes Silva     ");
    const EntryRowTexts texts = EntryRow(entry, 53, name, QStringLiteral("the date"));
    const EntryRowTexts expected = {QStringLiteral("the date"), "-1", " 1053", name, "A", "B",
                                    " 1", " 12", "-3", " 0"};
    QCOMPARE(texts, expected);
}

void TestEntryRow::invalidCardTexts()
{
    ReceivedEntry entry;
    entry.cardCode = 0;
    const EntryRowTexts texts = EntryRow(entry, 0, QStringLiteral("ignored"), QString());
    QCOMPARE(texts[2], QStringLiteral("xxxx"));
    QCOMPARE(texts[3], QString::fromUtf8("Cartão Inválido"));
}

void TestEntryRow::numbersAsSignedDecimalText_data()
{
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << 0;
    QTest::newRow("five") << 5;
    QTest::newRow("minus five") << -5;
    QTest::newRow("ten") << 10;
    QTest::newRow("lowest 32-bit") << int(std::numeric_limits<int32_t>::min());
    QTest::newRow("highest 32-bit") << int(std::numeric_limits<int32_t>::max());
}

void TestEntryRow::numbersAsSignedDecimalText()
{
    QFETCH(int, value);
    ReceivedEntry entry;
    entry.seconds = value;
    entry.index = value;
    entry.orValue = value;
    entry.code = value;
    const EntryRowTexts texts = EntryRow(entry, 0, QString(), QString());
    const QString expected = field::SignedDecimalText(value);
    QCOMPARE(texts[1], expected);
    QCOMPARE(texts[7], expected);
    QCOMPARE(texts[8], expected);
    QCOMPARE(texts[9], expected);
}

void TestEntryRow::totalText_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("text");
    QTest::newRow("after a reset") << 2 << QStringLiteral("Total  1");
    QTest::newRow("seven rows") << 7 << QStringLiteral("Total  6");
    QTest::newRow("furthest entry") << 12000002 << QStringLiteral("Total  12000001");
}

void TestEntryRow::totalText()
{
    QFETCH(int, rows);
    QFETCH(QString, text);
    QCOMPARE(TotalText(rows), text);
}

QTEST_GUILESS_MAIN(TestEntryRow)
#include "tst_entryrow.moc"
