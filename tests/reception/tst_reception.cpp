// The poll and the placing of delivered entries in the entry grid.
#include "TestForm.h"

#include "app/LinkCommands.h"
#include "capture/CaptureRecord.h"
#include "entries/EntryGrid.h"
#include "entries/FlexGrid.h"
#include "reception/EntryPolling.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QFileInfo>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>

namespace {

ReceivedEntry makeEntry(int32_t index, int32_t cardCode = 53, int32_t seconds = 976190400)
{
    ReceivedEntry e;
    e.clockName = QStringLiteral("PONTO_00 ");
    e.index = index;
    e.seconds = seconds;
    e.cardCode = cardCode;
    e.aux1 = 1;
    e.presence = 1;
    e.orValue = 0;
    e.code = 7;
    return e;
}

// The nine values handed to one W_ReceiveEntry call, as the fake records them.
QVariantList handedIn(const ReceivedEntry &e)
{
    return {e.clockName, e.index,    e.seconds,  e.cardCode, e.aux1,
            e.justification, e.presence, e.orValue,  e.code};
}

void process(FakeForm &f, ReceivedEntry e)
{
    reception::ProcessReceivedEntry(f.ctx(), e);
}

} // namespace

class TestReception : public QObject
{
    Q_OBJECT
private slots:
    void tickWithNothingPendingMakesOneCall();
    void tickDrainsInDeliveryOrderCarryingTheValues();
    void shortNameWithAZeroKeepsNineCharacters();
    void everyTickStartsFromBlanksAndZeros();
    void firstEntryAfterAResetFillsRowOne();
    void farEntryAppendsEmptyRows();
    void cardCodeColumns_data();
    void cardCodeColumns();
    void rawValueColumns();
    void aRowIsOverwrittenWhole();
    void furthestShownIndex();
    void indexPastTheLimitLeavesTheGrid();
    void negativeIndexLeavesTheGrid_data();
    void negativeIndexLeavesTheGrid();
    void lastRowInViewAfterEachEntry();
    void viewScrollsToTheLastRowWhenEventsRun();
    void captureKeepsTheEntryAsReceived();
    void noCaptureWithoutAnOpenFile();
    void cardPassedAtTheSimulatedTerminal();
    void backlogFromTheSimulatedTerminal();
};

void TestReception::tickWithNothingPendingMakesOneCall()
{
    FakeForm f;
    f.fake.clearCalls();
    reception::Timer1Tick(f.ctx());
    QCOMPARE(f.fake.ops(), QStringList{"W_ReceiveEntry"});
    QCOMPARE(f.fake.calls[0].args, handedIn(ReceivedEntry{}));
    QCOMPARE(f.c().MSFlexGrid1->rows(), 2);
    QCOMPARE(f.c().MSFlexGrid1->textMatrix(0, 7), QStringLiteral("Index"));
    QVERIFY(f.messages().texts.isEmpty());
}

void TestReception::tickDrainsInDeliveryOrderCarryingTheValues()
{
    FakeForm f;
    const ReceivedEntry a = makeEntry(0, 1053);
    ReceivedEntry b = makeEntry(1, -7);
    b.aux1 = 65;
    const ReceivedEntry c = makeEntry(2, 2001);
    f.fake.pending = {a, b, c};
    f.fake.clearCalls();
    reception::Timer1Tick(f.ctx());

    QCOMPARE(f.fake.ops(), QStringList(4, "W_ReceiveEntry"));
    QCOMPARE(f.fake.calls[0].args, handedIn(ReceivedEntry{}));
    // Each call finds the previous entry, its card code as the working value.
    ReceivedEntry left = a;
    left.cardCode = 53;
    QCOMPARE(f.fake.calls[1].args, handedIn(left));
    left = b;
    left.cardCode = 0; // -7 became 9999, which names no employee
    QCOMPARE(f.fake.calls[2].args, handedIn(left));
    left = c;
    left.cardCode = 0;
    QCOMPARE(f.fake.calls[3].args, handedIn(left));

    FlexGrid &grid = *f.c().MSFlexGrid1;
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(grid.textMatrix(1, 2), QStringLiteral(" 1053"));
    QCOMPARE(grid.textMatrix(2, 2), QStringLiteral("xxxx"));
    QCOMPARE(grid.textMatrix(2, 4), QStringLiteral("A"));
    QCOMPARE(grid.textMatrix(3, 3), QString::fromUtf8("Cartão Inválido"));
    QCOMPARE(grid.textMatrix(0, 7), QStringLiteral("Total  3"));
}

void TestReception::shortNameWithAZeroKeepsNineCharacters()
{
    FakeForm f;
    ReceivedEntry e = makeEntry(0);
    e.clockName = QStringLiteral("PONTO") + QChar(0) + QStringLiteral("   ");
    f.fake.pending = {e};
    f.fake.clearCalls();
    reception::Timer1Tick(f.ctx());
    QCOMPARE(f.fake.count("W_ReceiveEntry"), 2);
    const QString carried = f.fake.calls[1].args[0].toString();
    QCOMPARE(carried.size(), 9);
    QCOMPARE(carried, e.clockName);
}

void TestReception::everyTickStartsFromBlanksAndZeros()
{
    FakeForm f;
    f.fake.pending = {makeEntry(4, 1053)};
    reception::Timer1Tick(f.ctx());
    f.fake.clearCalls();
    reception::Timer1Tick(f.ctx());
    QCOMPARE(f.fake.count("W_ReceiveEntry"), 1);
    QCOMPARE(f.fake.calls[0].args, handedIn(ReceivedEntry{}));
}

void TestReception::firstEntryAfterAResetFillsRowOne()
{
    FakeForm f;
    FlexGrid &grid = *f.c().MSFlexGrid1;
    QSignalSpy inserted(grid.model(), &QAbstractItemModel::rowsInserted);
    process(f, makeEntry(0, 1053));
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(grid.rows(), 2);
    QCOMPARE(grid.textMatrix(1, 7), QStringLiteral(" 0"));
    QCOMPARE(grid.textMatrix(0, 7), QStringLiteral("Total  1"));
    QVERIFY(!grid.isHidden());
}

void TestReception::farEntryAppendsEmptyRows()
{
    FakeForm f;
    FlexGrid &grid = *f.c().MSFlexGrid1;
    QSignalSpy inserted(grid.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
    process(f, makeEntry(5));
    QCOMPARE(grid.rows(), 7);
    QCOMPARE(inserted.count(), 1); // one jump, not a notice per appended row
    QCOMPARE(changed.count(), 1);  // the ten cells at once
    for (int r = 1; r <= 5; ++r)
        for (int c = 0; c < 10; ++c)
            QVERIFY(grid.textMatrix(r, c).isEmpty());
    QCOMPARE(grid.textMatrix(6, 7), QStringLiteral(" 5"));
    QCOMPARE(grid.textMatrix(0, 7), QStringLiteral("Total  6"));
    QVERIFY(!grid.isHidden());
    QVERIFY(grid.updatesEnabled());
}

void TestReception::cardCodeColumns_data()
{
    QTest::addColumn<int>("cardCode");
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("employeeRow"); // 0: invalid card
    QTest::newRow("employee number 53") << 53 << " 1053" << 53;
    QTest::newRow("registered card 1053") << 1053 << " 1053" << 53;
    QTest::newRow("card 2000") << 2000 << " 2000" << 1000;
    QTest::newRow("zero") << 0 << "xxxx" << 0;
    QTest::newRow("negative -7") << -7 << "xxxx" << 0;
    QTest::newRow("card 2001") << 2001 << "xxxx" << 0;
    QTest::newRow("card 9999") << 9999 << "xxxx" << 0;
}

void TestReception::cardCodeColumns()
{
    QFETCH(int, cardCode);
    QFETCH(QString, number);
    QFETCH(int, employeeRow);
    FakeForm f;
    ReceivedEntry e = makeEntry(0, cardCode);
    reception::ProcessReceivedEntry(f.ctx(), e);
    FlexGrid &grid = *f.c().MSFlexGrid1;
    QCOMPARE(grid.textMatrix(1, 2), number);
    QCOMPARE(grid.textMatrix(1, 3), employeeRow ? f.c().MSFlexGrid2->textMatrix(employeeRow, 1)
                                                : QString::fromUtf8("Cartão Inválido"));
    QCOMPARE(e.cardCode, employeeRow);
}

void TestReception::rawValueColumns()
{
    FakeForm f;
    ReceivedEntry e = makeEntry(12, 1053, -1);
    e.aux1 = 65;
    e.justification = 0;
    e.presence = 1;
    e.orValue = -2147483647 - 1;
    e.code = 2147483647;
    process(f, e);
    FlexGrid &grid = *f.c().MSFlexGrid1;
    QCOMPARE(grid.rows(), 14);
    QVERIFY(grid.textMatrix(13, 0).startsWith(QStringLiteral("23:59:59 - 31/12/1995 - ")));
    QCOMPARE(grid.textMatrix(13, 1), QStringLiteral("-1"));
    QCOMPARE(grid.textMatrix(13, 4), QStringLiteral("A"));
    QCOMPARE(grid.textMatrix(13, 5), QString());
    QCOMPARE(grid.textMatrix(13, 6), QStringLiteral(" 1"));
    QCOMPARE(grid.textMatrix(13, 7), QStringLiteral(" 12"));
    QCOMPARE(grid.textMatrix(13, 8), QStringLiteral("-2147483648"));
    QCOMPARE(grid.textMatrix(13, 9), QStringLiteral(" 2147483647"));
}

void TestReception::aRowIsOverwrittenWhole()
{
    FakeForm f;
    process(f, makeEntry(3, 1053));
    process(f, makeEntry(3, 0, 0));
    FlexGrid &grid = *f.c().MSFlexGrid1;
    QCOMPARE(grid.rows(), 5);
    QCOMPARE(grid.textMatrix(4, 1), QStringLiteral(" 0"));
    QCOMPARE(grid.textMatrix(4, 2), QStringLiteral("xxxx"));
    QVERIFY(grid.textMatrix(4, 0).startsWith(QStringLiteral("00:00:00 - 01/01/1996 - ")));
}

void TestReception::furthestShownIndex()
{
    FakeForm f;
    f.form().show();
    process(f, makeEntry(12000000));
    FlexGrid &grid = *f.c().MSFlexGrid1;
    QCOMPARE(grid.rows(), 12000002);
    QCOMPARE(grid.textMatrix(12000001, 7), QStringLiteral(" 12000000"));
    QCOMPARE(grid.textMatrix(0, 7), QStringLiteral("Total  12000001"));
    QVERIFY(grid.rowIsVisible(12000001));
    // Only the written row holds storage.
    QCOMPARE(grid.gridModel()->allocatedPages(), size_t(1));
}

void TestReception::indexPastTheLimitLeavesTheGrid()
{
    FakeForm f;
    process(f, makeEntry(3));
    FlexGrid &grid = *f.c().MSFlexGrid1;
    QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy header(grid.model(), &QAbstractItemModel::headerDataChanged);
    ReceivedEntry e = makeEntry(12000001, -7);
    reception::ProcessReceivedEntry(f.ctx(), e);
    QCOMPARE(grid.rows(), 5);
    QCOMPARE(grid.textMatrix(0, 7), QStringLiteral("Total  4"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(header.count(), 0);
    QCOMPARE(e.cardCode, 9999); // the working value as far as it got
}

void TestReception::negativeIndexLeavesTheGrid_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("minus one") << -1;
    QTest::newRow("minus two") << -2;
    QTest::newRow("lowest 32-bit") << int(std::numeric_limits<int32_t>::min());
}

void TestReception::negativeIndexLeavesTheGrid()
{
    QFETCH(int, index);
    FakeForm f;
    FlexGrid &grid = *f.c().MSFlexGrid1;
    f.fake.pending = {makeEntry(index), makeEntry(1)};
    reception::Timer1Tick(f.ctx());
    // The header row keeps its texts, and the entry after it is shown.
    QCOMPARE(grid.textMatrix(0, 0), QStringLiteral("Hora/Data"));
    QCOMPARE(grid.textMatrix(0, 7), QStringLiteral("Total  2"));
    QCOMPARE(grid.rows(), 3);
    QVERIFY(grid.textMatrix(1, 7).isEmpty());
    QCOMPARE(grid.textMatrix(2, 7), QStringLiteral(" 1"));
    QVERIFY(f.messages().texts.isEmpty());
}

void TestReception::lastRowInViewAfterEachEntry()
{
    FakeForm f;
    f.form().show();
    FlexGrid &grid = *f.c().MSFlexGrid1;
    for (int32_t index : {0, 40, 41, 300, 5, 299, 1000, 2}) {
        process(f, makeEntry(index));
        QVERIFY2(grid.rowIsVisible(grid.rows() - 1), qPrintable(QString::number(index)));
    }
    // Brought into view with the least scrolling: the last row at the bottom.
    QVERIFY(!grid.rowIsVisible(grid.topRow() - 1));
    QVERIFY(!grid.rowIsVisible(grid.rows()));
}

void TestReception::viewScrollsToTheLastRowWhenEventsRun()
{
    FakeForm f;
    f.form().show();
    FlexGrid &grid = *f.c().MSFlexGrid1;
    QVERIFY(QTest::qWaitForWindowExposed(&f.form()));
    for (int index = 0; index < 500; ++index)
        process(f, makeEntry(index));
    const int top = grid.topRow();
    QCoreApplication::processEvents();
    QCOMPARE(grid.verticalScrollBar()->value() + 1, top);
    const QRect last = grid.visualRect(grid.model()->index(grid.rows() - 2, 0));
    QVERIFY(grid.viewport()->rect().contains(last));
    // A row above the last one: the view stays at the end.
    process(f, makeEntry(10));
    QCoreApplication::processEvents();
    QCOMPARE(grid.verticalScrollBar()->value() + 1, top);
}

void TestReception::captureKeepsTheEntryAsReceived()
{
    FakeForm f;
    QTemporaryDir dir;
    QVERIFY(f.ctx().file1.openForCapture(dir.filePath(QStringLiteral("c.raw"))));
    f.state().CaptureFileOpen = 1;
    const ReceivedEntry far = makeEntry(12000001, -7);
    const ReceivedEntry near = makeEntry(0, -7);
    process(f, far);
    process(f, near);
    QVERIFY(f.ctx().file1.close());
    QFile file(dir.filePath(QStringLiteral("c.raw")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.size(), 2 * 82);
    // The records keep the index past the limit and the card code -7.
    QCOMPARE(bytes, capture::CaptureRecord(far) + capture::CaptureRecord(near));
    QVERIFY(bytes.contains("-7"));
    QCOMPARE(f.c().MSFlexGrid1->textMatrix(1, 2), QStringLiteral("xxxx"));
}

void TestReception::noCaptureWithoutAnOpenFile()
{
    FakeForm f;
    QTemporaryDir dir;
    QVERIFY(f.ctx().file1.openForCapture(dir.filePath(QStringLiteral("c.raw"))));
    f.state().CaptureFileOpen = 0;
    process(f, makeEntry(0));
    QVERIFY(f.ctx().file1.close());
    QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("c.raw"))).size(), 0);
}

void TestReception::cardPassedAtTheSimulatedTerminal()
{
    SimForm s;
    connection::OpenLink(s.ctx(), 1);
    QVERIFY(s.messages().texts.isEmpty());
    s.c().Timer1->stop();
    Sim_SetPcClock(976190400);
    QCOMPARE(Sim_PassCard("PONTO_00", 1053), 0);
    reception::Timer1Tick(s.ctx());
    FlexGrid &grid = *s.c().MSFlexGrid1;
    QCOMPARE(grid.rows(), 2);
    QVERIFY(grid.textMatrix(1, 0).startsWith(QStringLiteral("12:00:00 - 07/12/2026 - ")));
    QCOMPARE(grid.textMatrix(1, 1), QStringLiteral(" 976190400"));
    QCOMPARE(grid.textMatrix(1, 2), QStringLiteral(" 1053"));
    QCOMPARE(grid.textMatrix(1, 3), s.c().MSFlexGrid2->textMatrix(53, 1));
    QCOMPARE(grid.textMatrix(1, 7), QStringLiteral(" 0"));
    QCOMPARE(grid.textMatrix(0, 7), QStringLiteral("Total  1"));
    // Delivered once: the next tick finds nothing.
    reception::Timer1Tick(s.ctx());
    QCOMPARE(grid.rows(), 2);
}

void TestReception::backlogFromTheSimulatedTerminal()
{
    SimForm s;
    connection::OpenLink(s.ctx(), 1);
    s.c().Timer1->stop();
    QString name = s.state().TerminalName;
    for (int i = 0; i < 300; ++i)
        QCOMPARE(s.lib->W_InsertEntry(name, i, 1000 + i, 1001 + i, 65, 0, 1), 1);
    QCOMPARE(s.lib->W_SendReaderPointer(name, 0), 1);
    const int before = Sim_CallCount("W_ReceiveEntry");
    reception::Timer1Tick(s.ctx());
    QCOMPARE(Sim_CallCount("W_ReceiveEntry") - before, 301);
    FlexGrid &grid = *s.c().MSFlexGrid1;
    QCOMPARE(grid.rows(), 301);
    QCOMPARE(grid.textMatrix(300, 2), QStringLiteral(" 1300"));
    QCOMPARE(grid.textMatrix(300, 1), QStringLiteral(" 1299"));
    QCOMPARE(grid.textMatrix(0, 7), QStringLiteral("Total  300"));
}

QTEST_MAIN(TestReception)
#include "tst_reception.moc"
