// Insert and delete entries, employee names and the reader pointers.
#include "TestForm.h"

#include "app/LinkCommands.h"
#include "entries/EntryCommands.h"
#include "entries/FlexGrid.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

using entries::DeletionCount;

namespace {

const QString kError = QStringLiteral("Comunication error");
const QString kName = QStringLiteral("PONTO_00");

// The grid as a reset leaves it, checked from inside a library call.
bool gridIsReset(FakeForm &f)
{
    const FlexGrid &grid = *f.c().MSFlexGrid1;
    return grid.rows() == 2 && grid.textMatrix(0, 7) == QStringLiteral("Index")
           && grid.textMatrix(1, 0).isEmpty();
}

// Leaves rows and a total in the grid, as received entries would.
void dirtyGrid(FakeForm &f)
{
    FlexGrid &grid = *f.c().MSFlexGrid1;
    grid.setRows(9);
    grid.setTextMatrix(8, 0, QStringLiteral("old"));
    grid.setTextMatrix(0, 7, QStringLiteral("Total  8"));
}

// "op(args)" per call, with the grid state seen by each call.
QStringList trace(FakeForm &f, const std::function<void()> &command)
{
    QStringList seen;
    f.fake.clearCalls();
    f.fake.onCall = [&](const FakeKestCom::Call &call) {
        QStringList args;
        for (const QVariant &a : call.args)
            args << a.toString();
        seen << call.op + "(" + args.join(",") + ")" + (gridIsReset(f) ? " reset" : "");
    };
    command();
    f.fake.onCall = nullptr;
    return seen;
}

} // namespace

class TestEntryCommands : public QObject
{
    Q_OBJECT
private slots:
    void insertEntryWithTheDefaults();
    void insertEntryGoesOnAfterFailures();
    void insertEntryFieldValues_data();
    void insertEntryFieldValues();
    void deletionCount_data();
    void deletionCount();
    void deleteEntryTimes_data();
    void deleteEntryTimes();
    void deleteEntryGoesOnAfterAFailedDeletion();
    void absurdDeletionCounts();
    void outOfRangeFieldsSendNothing_data();
    void outOfRangeFieldsSendNothing();
    void sendEmployeesWithTheStartRange();
    void sendEmployeesRanges_data();
    void sendEmployeesRanges();
    void sendEmployeeZeroSendsTheHeader();
    void badEmployeeRangesSendNothing_data();
    void badEmployeeRangesSendNothing();
    void sendEmployeesReportsEachFailure();
    void deleteCardSendsTheEmployeeNumber();
    void readPointers();
    void readPointersAfterAFailure();
    void readThenWritePointers();
    void writePointer3WithAnEmptyField();
    void ptr1ZeroResetsEvenWithoutAnswer();
    void pointerFieldMinusOne();
    void againstTheSimulatedTerminal();
};

void TestEntryCommands::insertEntryWithTheDefaults()
{
    FakeForm f;
    dirtyGrid(f);
    const QStringList calls = trace(f, [&] { entries::InsertEntry(f.ctx()); });
    QCOMPARE(calls, (QStringList{"W_SendReaderPointer(PONTO_00,-1)",
                                 "W_InsertEntry(PONTO_00,0,654321,53,1,0,1)",
                                 "W_SendReaderPointer(PONTO_00,0) reset"}));
    QVERIFY(f.messages().texts.isEmpty());
}

void TestEntryCommands::insertEntryGoesOnAfterFailures()
{
    FakeForm f;
    dirtyGrid(f);
    f.fake.results["W_SendReaderPointer"] = 0;
    f.fake.results["W_InsertEntry"] = 0;
    f.fake.clearCalls();
    entries::InsertEntry(f.ctx());
    QCOMPARE(f.fake.ops(), (QStringList{"W_SendReaderPointer", "W_InsertEntry",
                                        "W_SendReaderPointer"}));
    QCOMPARE(f.messages().texts, QStringList(3, kError));
    QVERIFY(gridIsReset(f));
}

void TestEntryCommands::insertEntryFieldValues_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("employee");
    QTest::addColumn<QString>("presence");
    QTest::addColumn<QVariantList>("sent");
    QTest::newRow("empty and non-numeric count as 0")
        << "" << "abc" << " " << "x1" << QVariantList{kName, 0, 0, 0, 1, 0, 0};
    QTest::newRow("halves to even") << "12.5" << "13.5" << "0.5" << "1.5"
                                    << QVariantList{kName, 12, 14, 0, 1, 0, 2};
    QTest::newRow("leading numbers") << "7 (row)" << "-1" << "1053abc" << "2e1"
                                     << QVariantList{kName, 7, -1, 1053, 1, 0, 20};
    QTest::newRow("32-bit limits") << "2147483647" << "-2147483648" << "0" << "0"
                                   << QVariantList{kName, 2147483647, -2147483647 - 1, 0, 1, 0, 0};
}

void TestEntryCommands::insertEntryFieldValues()
{
    QFETCH(QString, index);
    QFETCH(QString, seconds);
    QFETCH(QString, employee);
    QFETCH(QString, presence);
    QFETCH(QVariantList, sent);
    FakeForm f;
    f.c().Text2->setText(index);
    f.c().Text5->setText(seconds);
    f.c().Text4->setText(employee);
    f.c().Text6->setText(presence);
    f.fake.clearCalls();
    entries::InsertEntry(f.ctx());
    const auto inserts = f.fake.callsOf("W_InsertEntry");
    QCOMPARE(inserts.size(), 1);
    QCOMPARE(inserts[0].args, sent);
}

void TestEntryCommands::deletionCount_data()
{
    QTest::addColumn<double>("times");
    QTest::addColumn<qint64>("count");
    QTest::newRow("3") << 3.0 << qint64(3);
    QTest::newRow("2.5 not rounded") << 2.5 << qint64(2);
    QTest::newRow("0.9") << 0.9 << qint64(0);
    QTest::newRow("0") << 0.0 << qint64(0);
    QTest::newRow("-1") << -1.0 << qint64(0);
    QTest::newRow("NaN") << qQNaN() << qint64(0);
    QTest::newRow("infinity") << qInf() << std::numeric_limits<qint64>::max();
    QTest::newRow("1e9") << 1e9 << qint64(1000000000);
}

void TestEntryCommands::deletionCount()
{
    QFETCH(double, times);
    QFETCH(qint64, count);
    QCOMPARE(DeletionCount(times), count);
}

void TestEntryCommands::deleteEntryTimes_data()
{
    QTest::addColumn<QString>("times");
    QTest::addColumn<int>("deletions");
    QTest::newRow("3") << "3" << 3;
    QTest::newRow("2.5") << "2.5" << 2;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("-1") << "-1" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("no leading number") << "abc" << 0;
    QTest::newRow("1000, no question asked") << "1000" << 1000;
}

void TestEntryCommands::deleteEntryTimes()
{
    QFETCH(QString, times);
    QFETCH(int, deletions);
    FakeForm f;
    dirtyGrid(f);
    f.c().Text22->setText(times);
    f.c().Text2->setText(QStringLiteral("12.5"));
    const QStringList calls = trace(f, [&] { entries::DeleteEntry(f.ctx()); });
    QStringList expected{"W_SendReaderPointer(PONTO_00,-1)"};
    for (int k = 0; k < deletions; ++k)
        expected << "W_DeleteEntry(PONTO_00,12)";
    expected << "W_SendReaderPointer(PONTO_00,0) reset";
    QCOMPARE(calls, expected);
    QVERIFY(f.messages().texts.isEmpty());
}

void TestEntryCommands::deleteEntryGoesOnAfterAFailedDeletion()
{
    FakeForm f;
    f.c().Text22->setText(QStringLiteral("3"));
    int deletions = 0;
    f.fake.onCall = [&](const FakeKestCom::Call &call) {
        if (call.op == "W_DeleteEntry")
            f.fake.results["W_DeleteEntry"] = ++deletions == 2 ? 0 : 1;
    };
    f.fake.clearCalls();
    entries::DeleteEntry(f.ctx());
    QCOMPARE(f.fake.count("W_DeleteEntry"), 3);
    QCOMPARE(f.messages().texts, QStringList{kError});
    QCOMPARE(f.fake.ops().last(), QStringLiteral("W_SendReaderPointer"));
}

void TestEntryCommands::absurdDeletionCounts()
{
    {
        FakeForm f;
        f.c().Text22->setText(QStringLiteral("1e9"));
        f.fake.clearCalls();
        entries::DeleteEntry(f.ctx());
        QVERIFY(f.fake.calls.isEmpty());
        QCOMPARE(f.messages().texts.size(), 1);
        QVERIFY(f.messages().texts[0].contains(QStringLiteral("Times")));
    }
    {
        FakeForm f;
        f.c().Text22->setText(QStringLiteral("5000"));
        f.messages().confirmAnswer = false;
        f.fake.clearCalls();
        entries::DeleteEntry(f.ctx());
        QVERIFY(f.fake.calls.isEmpty());
        QCOMPARE(f.messages().texts.size(), 1);
    }
    {
        FakeForm f;
        f.c().Text22->setText(QStringLiteral("5000"));
        f.fake.clearCalls();
        entries::DeleteEntry(f.ctx());
        QCOMPARE(f.fake.count("W_DeleteEntry"), 5000);
    }
}

void TestEntryCommands::outOfRangeFieldsSendNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("label");
    const QString big = QStringLiteral("2147483648");
    QTest::newRow("insert: Index") << "insert" << "Text2" << "Index";
    QTest::newRow("insert: Seconds") << "insert" << "Text5" << "Seconds";
    QTest::newRow("insert: Employee") << "insert" << "Text4" << "Employee";
    QTest::newRow("insert: Pres") << "insert" << "Text6" << "Pres";
    QTest::newRow("delete: Index") << "delete" << "Text2" << "Index";
    QTest::newRow("write pointers: first") << "writePointers" << "Text14" << "Pointer 1";
    QTest::newRow("write pointers: second") << "writePointers" << "Text15" << "Pointer 2";
    QTest::newRow("write pointers: third") << "writePointers" << "Text16" << "Pointer 3";
    QTest::newRow("write pointer3") << "writePointer3" << "Text16" << "Pointer 3";
    QTest::newRow("delete card") << "deleteCard" << "Text4" << "Employee";
    QTest::newRow("send employees: last") << "sendEmployees" << "Text18" << "last employee";
    QTest::newRow("send employees: first") << "sendEmployees" << "Text17" << "first employee";
}

void TestEntryCommands::outOfRangeFieldsSendNothing()
{
    QFETCH(QString, command);
    QFETCH(QString, fieldName);
    QFETCH(QString, label);
    FakeForm f;
    dirtyGrid(f);
    f.c().Text22->setText(QStringLiteral("2"));
    QLineEdit *edit = f.form().findChild<QLineEdit *>(fieldName);
    QVERIFY(edit);
    edit->setText(QStringLiteral("-2147483649"));
    f.fake.clearCalls();
    if (command == "insert")
        entries::InsertEntry(f.ctx());
    else if (command == "delete")
        entries::DeleteEntry(f.ctx());
    else if (command == "writePointers")
        entries::WritePointers(f.ctx());
    else if (command == "writePointer3")
        entries::WritePointer3(f.ctx());
    else if (command == "deleteCard")
        entries::DeleteCard(f.ctx());
    else
        entries::SendEmployees(f.ctx());
    QVERIFY2(f.fake.calls.isEmpty(), qPrintable(f.fake.ops().join(",")));
    QCOMPARE(f.messages().texts.size(), 1);
    QVERIFY(f.messages().texts[0].contains("\"" + label + "\""));
    // Nothing lost either: the grid keeps what it showed.
    QCOMPARE(f.c().MSFlexGrid1->rows(), 9);
}

void TestEntryCommands::sendEmployeesWithTheStartRange()
{
    FakeForm f;
    f.fake.clearCalls();
    entries::SendEmployees(f.ctx());
    QCOMPARE(f.fake.ops().first(), QStringLiteral("W_SendReaderPointer"));
    QCOMPARE(f.fake.calls.first().args, (QVariantList{kName, -1}));
    const auto names = f.fake.callsOf("W_SendEmployerName");
    QCOMPARE(names.size(), 99);
    for (int i = 0; i < 99; ++i) {
        const QVariantList &args = names[i].args;
        QCOMPARE(args[1].toInt(), i + 1);
        QCOMPARE(args[2].toString(), f.c().MSFlexGrid2->textMatrix(i + 1, 1));
        QCOMPARE(args[2].toString().size(), 20);
        QCOMPARE(args[3].toInt(), i + 1001);
        QCOMPARE(args[4].toInt(), 255);
    }
    QCOMPARE(names.last().args[3].toInt(), 1099);
    QCOMPARE(f.fake.count("W_SendReaderPointer"), 1);
    QCOMPARE(f.c().MSFlexGrid1->textMatrix(0, 7), QStringLiteral("Index"));
}

void TestEntryCommands::sendEmployeesRanges_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QList<int>>("sent");
    QTest::newRow("first equal to last") << "7" << "7" << QList<int>{7};
    QTest::newRow("first above last") << "8" << "7" << QList<int>{};
    QTest::newRow("first above last, outside the grid") << "5000" << "-3" << QList<int>{};
    QTest::newRow("blanks around, a half to even") << " 2.5 " << "4" << QList<int>{2, 3, 4};
    QTest::newRow("the whole roster ends at 1000") << "998" << "1000" << QList<int>{998, 999, 1000};
}

void TestEntryCommands::sendEmployeesRanges()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QList<int>, sent);
    FakeForm f;
    f.c().Text17->setText(first);
    f.c().Text18->setText(last);
    f.fake.clearCalls();
    entries::SendEmployees(f.ctx());
    QCOMPARE(f.fake.count("W_SendReaderPointer"), 1);
    QList<int> numbers;
    for (const auto &call : f.fake.callsOf("W_SendEmployerName"))
        numbers << call.args[1].toInt();
    QCOMPARE(numbers, sent);
    QVERIFY(f.messages().texts.isEmpty());
}

void TestEntryCommands::sendEmployeeZeroSendsTheHeader()
{
    FakeForm f;
    f.c().Text17->setText(QStringLiteral("0"));
    f.c().Text18->setText(QStringLiteral("0"));
    f.fake.clearCalls();
    entries::SendEmployees(f.ctx());
    const auto names = f.fake.callsOf("W_SendEmployerName");
    QCOMPARE(names.size(), 1);
    QCOMPARE(names[0].args, (QVariantList{kName, 0, QStringLiteral("Empregado"), 1000, 255}));
}

void TestEntryCommands::badEmployeeRangesSendNothing_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("first empty") << "" << "99";
    QTest::newRow("last not a number") << "1" << "abc";
    QTest::newRow("trailing text") << "1" << "99 employees";
    QTest::newRow("past the roster") << "1" << "1001";
    QTest::newRow("below the header row") << "-1" << "5";
    QTest::newRow("far past the roster") << "1" << "2147483647";
}

void TestEntryCommands::badEmployeeRangesSendNothing()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    FakeForm f;
    f.c().Text17->setText(first);
    f.c().Text18->setText(last);
    f.fake.clearCalls();
    entries::SendEmployees(f.ctx());
    QVERIFY(f.fake.calls.isEmpty());
    QCOMPARE(f.messages().texts.size(), 1);
    QVERIFY(!f.messages().texts[0].contains(kError));
}

void TestEntryCommands::sendEmployeesReportsEachFailure()
{
    FakeForm f;
    f.c().Text17->setText(QStringLiteral("1"));
    f.c().Text18->setText(QStringLiteral("3"));
    f.fake.results["W_SendReaderPointer"] = 0;
    f.fake.results["W_SendEmployerName"] = 0;
    entries::SendEmployees(f.ctx());
    QCOMPARE(f.messages().texts, QStringList(4, kError));
    QCOMPARE(f.fake.count("W_SendEmployerName"), 3);
}

void TestEntryCommands::deleteCardSendsTheEmployeeNumber()
{
    FakeForm f;
    f.c().Text4->setText(QStringLiteral("53"));
    f.fake.results["W_ClearEmployerName"] = 0;
    f.fake.clearCalls();
    entries::DeleteCard(f.ctx());
    QCOMPARE(f.fake.ops(), QStringList{"W_ClearEmployerName"});
    QCOMPARE(f.fake.calls[0].args, (QVariantList{kName, 53}));
    QVERIFY(f.messages().texts.isEmpty());
}

void TestEntryCommands::readPointers()
{
    FakeForm f;
    f.fake.pointers[0] = 120;
    f.fake.pointers[1] = 0;
    f.fake.pointers[2] = -1;
    entries::ReadPointers(f.ctx());
    QCOMPARE(f.c().Text14->text(), QStringLiteral("120"));
    QCOMPARE(f.c().Text15->text(), QStringLiteral("0"));
    QCOMPARE(f.c().Text16->text(), QStringLiteral("-1"));
    QVERIFY(f.messages().texts.isEmpty());
}

void TestEntryCommands::readPointersAfterAFailure()
{
    FakeForm f;
    f.c().Text14->setText(QStringLiteral("9"));
    f.fake.results["W_ReadPointers"] = 0;
    f.fake.pointers[0] = 5; // whatever the fake does, the fields are written
    entries::ReadPointers(f.ctx());
    QCOMPARE(f.messages().texts, QStringList{kError});
    QVERIFY(f.c().Text14->text() != QStringLiteral("9"));
}

void TestEntryCommands::readThenWritePointers()
{
    FakeForm f;
    dirtyGrid(f);
    f.fake.pointers[0] = 300;
    f.fake.pointers[1] = 12;
    f.fake.pointers[2] = 250;
    entries::ReadPointers(f.ctx());
    f.fake.results["W_SendAllPointers"] = 0;
    const QStringList calls = trace(f, [&] { entries::WritePointers(f.ctx()); });
    QCOMPARE(calls, QStringList{"W_SendAllPointers(PONTO_00,300,12,250)"});
    QCOMPARE(f.messages().texts, QStringList{kError});
    QVERIFY(gridIsReset(f)); // after the call, whatever its result
}

void TestEntryCommands::writePointer3WithAnEmptyField()
{
    FakeForm f;
    dirtyGrid(f);
    f.c().Text16->clear();
    const QStringList calls = trace(f, [&] { entries::WritePointer3(f.ctx()); });
    // Sent before the reset, unlike Ptr1=0.
    QCOMPARE(calls, QStringList{"W_SendReaderPointer(PONTO_00,0)"});
    QVERIFY(gridIsReset(f));
}

void TestEntryCommands::ptr1ZeroResetsEvenWithoutAnswer()
{
    FakeForm f;
    dirtyGrid(f);
    f.fake.results["W_SendReaderPointer"] = 0;
    const QStringList calls = trace(f, [&] { entries::Ptr1Zero(f.ctx()); });
    QCOMPARE(calls, QStringList{"W_SendReaderPointer(PONTO_00,0) reset"});
    QCOMPARE(f.messages().texts, QStringList{kError});
}

void TestEntryCommands::pointerFieldMinusOne()
{
    FakeForm f;
    f.c().Text14->setText(QStringLiteral("-1"));
    f.c().Text15->setText(QStringLiteral("-1"));
    f.c().Text16->setText(QStringLiteral("-1"));
    f.fake.clearCalls();
    entries::WritePointers(f.ctx());
    entries::WritePointer3(f.ctx());
    QCOMPARE(f.fake.calls[0].args, (QVariantList{kName, -1, -1, -1}));
    QCOMPARE(f.fake.calls[1].args, (QVariantList{kName, -1}));
}

void TestEntryCommands::againstTheSimulatedTerminal()
{
    SimForm s;
    connection::OpenLink(s.ctx(), 1);
    s.c().Timer1->stop();
    QVERIFY(s.messages().texts.isEmpty());
    Controls &c = s.c();
    for (int i = 0; i < 3; ++i) {
        c.Text2->setText(QString::number(i));
        c.Text5->setText(QString::number(1000 + i));
        entries::InsertEntry(s.ctx());
    }
    QCOMPARE(Sim_EntryCount("PONTO_00"), 3);
    SimEntry entry{};
    QVERIFY(Sim_GetEntry("PONTO_00", 1, &entry));
    QCOMPARE(entry.seconds, 1001);
    QCOMPARE(entry.cardCode, 53);

    c.Text2->setText(QStringLiteral("0"));
    c.Text22->setText(QStringLiteral("2"));
    entries::DeleteEntry(s.ctx());
    QCOMPARE(Sim_EntryCount("PONTO_00"), 1);

    entries::ReadPointers(s.ctx());
    QCOMPARE(c.Text14->text(), QStringLiteral("1"));
    QCOMPARE(c.Text16->text(), QStringLiteral("0"));

    c.Text17->setText(QStringLiteral("52"));
    c.Text18->setText(QStringLiteral("53"));
    entries::SendEmployees(s.ctx());
    char name[64] = {};
    int32_t card = 0;
    int32_t last = 0;
    QVERIFY(Sim_GetEmployeeName("PONTO_00", 53, name, sizeof name, &card, &last));
    QCOMPARE(QString::fromLatin1(name), c.MSFlexGrid2->textMatrix(53, 1));
    QCOMPARE(card, 1053);
    QCOMPARE(last, 255);
    c.Text4->setText(QStringLiteral("53"));
    entries::DeleteCard(s.ctx());
    QVERIFY(!Sim_GetEmployeeName("PONTO_00", 53, name, sizeof name, &card, &last));
    QVERIFY(s.messages().texts.isEmpty());
}

QTEST_MAIN(TestEntryCommands)
#include "tst_entrycommands.moc"
