// The entry grid's reset and the clicks that copy a grid row into fields.
#include "TestForm.h"

#include "app/WindowLook.h"
#include "entries/EntryGrid.h"
#include "entries/FlexGrid.h"

#include "reception/EntryPolling.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

namespace {

const QStringList kHeaders = {"Hora/Data", "Segundos", "#",     "Empregado", "Aux1",
                              "Justif.",   "Presente", "Index", "Or",        "Codigo"};
const QList<int> kWidths = {2500, 1000, 700, 2000, 500, 500, 500, 660, 660, 660};

void clickCell(FlexGrid *grid, int row, int column)
{
    const QModelIndex index = grid->model()->index(row - 1, column);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

} // namespace

class TestEntryGrid : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ApplyWindowLook(); }
    void startsReset();
    void resetEmptiesWhateverTheGridHeld();
    void resetOfTwoRowsRemovesNothing();
    void resetLeavesTheRosterAlone();
    void clickOnTheEmptyRowCopiesNothing();
    void clickCopiesTheRowsIndex_data();
    void clickCopiesTheRowsIndex();
    void clickOnAnEmployee();
    void growsToMillionsOfRowsWithoutStorage();
    void shrinkingDropsTheTextOfRemovedRows();
    void lastRowComesIntoView();
    void newestEntryIsWhollyInView();
};

void TestEntryGrid::startsReset()
{
    FakeForm f;
    FlexGrid *grid = f.c().MSFlexGrid1;
    QCOMPARE(grid->rows(), 2);
    QCOMPARE(grid->cols(), 10);
    for (int c = 0; c < 10; ++c) {
        QCOMPARE(grid->textMatrix(0, c), kHeaders[c]);
        // Wider only where the font needs it (the fit test covers that).
        QVERIFY(grid->colWidth(c) >= kWidths[c] / 15 * 15);
        QVERIFY(grid->textMatrix(1, c).isEmpty());
    }
    QVERIFY(grid->verticalHeader()->isHidden());
}

void TestEntryGrid::resetEmptiesWhateverTheGridHeld()
{
    FakeForm f;
    FlexGrid *grid = f.c().MSFlexGrid1;
    grid->setRows(60);
    for (int r = 1; r < 60; ++r)
        for (int c = 0; c < 10; ++c)
            grid->setTextMatrix(r, c, QStringLiteral("x%1").arg(r));
    grid->setTextMatrix(0, 7, QStringLiteral("Total  59"));
    grid->setColWidth(3, 90);
    entries::ResetEntryGrid(f.c());
    QCOMPARE(grid->rows(), 2);
    QCOMPARE(grid->textMatrix(0, 7), QStringLiteral("Index"));
    QCOMPARE(grid->colWidth(3), 2000 / 15 * 15);
    for (int c = 0; c < 10; ++c)
        QVERIFY(grid->textMatrix(1, c).isEmpty());
    // Rows grown again come back empty, not with what they held before.
    grid->setRows(60);
    QVERIFY(grid->textMatrix(30, 0).isEmpty());
    QCOMPARE(grid->gridModel()->allocatedPages(), size_t(0));
}

void TestEntryGrid::resetOfTwoRowsRemovesNothing()
{
    FakeForm f;
    FlexGrid *grid = f.c().MSFlexGrid1;
    QSignalSpy removed(grid->model(), &QAbstractItemModel::rowsRemoved);
    entries::ResetEntryGrid(f.c());
    QCOMPARE(removed.count(), 0);
    QCOMPARE(grid->rows(), 2);
}

void TestEntryGrid::resetLeavesTheRosterAlone()
{
    FakeForm f;
    FlexGrid *employees = f.c().MSFlexGrid2;
    const QString name = employees->textMatrix(53, 1);
    employees->setColWidth(1, 300);
    entries::ResetEntryGrid(f.c());
    QCOMPARE(employees->rows(), 1001);
    QCOMPARE(employees->textMatrix(53, 1), name);
    QCOMPARE(employees->colWidth(0), 495);
    QCOMPARE(employees->colWidth(1), 1800);
    QCOMPARE(employees->textMatrix(0, 0), QStringLiteral("#"));
    QCOMPARE(employees->textMatrix(0, 1), QStringLiteral("Empregado"));
}

void TestEntryGrid::clickOnTheEmptyRowCopiesNothing()
{
    FakeForm f;
    f.form().show();
    f.c().Text2->setText(QStringLiteral("7"));
    f.c().Text3->setText(QStringLiteral("7"));
    clickCell(f.c().MSFlexGrid1, 1, 2);
    QCOMPARE(f.c().Text2->text(), QString());
    QCOMPARE(f.c().Text3->text(), QString());
    QCOMPARE(f.c().MSFlexGrid1->col(), 7);
}

void TestEntryGrid::clickCopiesTheRowsIndex_data()
{
    QTest::addColumn<int>("column");
    QTest::newRow("date column") << 0;
    QTest::newRow("name column") << 3;
    QTest::newRow("index column") << 7;
    QTest::newRow("last column") << 9;
}

void TestEntryGrid::clickCopiesTheRowsIndex()
{
    QFETCH(int, column);
    FakeForm f;
    f.form().show();
    FlexGrid *grid = f.c().MSFlexGrid1;
    grid->setRows(14);
    grid->setTextMatrix(13, 7, QStringLiteral(" 12"));
    grid->setTextMatrix(13, 1, QStringLiteral(" 654321"));
    clickCell(grid, 13, column);
    QCOMPARE(f.c().Text2->text(), QStringLiteral(" 12"));
    QCOMPARE(f.c().Text3->text(), QStringLiteral(" 12"));
    QCOMPARE(grid->row(), 13);
    QCOMPARE(grid->col(), 7);
}

void TestEntryGrid::clickOnAnEmployee()
{
    FakeForm f;
    f.form().show();
    FlexGrid *employees = f.c().MSFlexGrid2;
    clickCell(employees, 53, 1);
    QCOMPARE(f.c().Text4->text(), QStringLiteral(" 53"));
    QCOMPARE(f.c().RichTextBox2->toPlainText(), employees->textMatrix(53, 1));
    QCOMPARE(f.c().RichTextBox2->toPlainText().size(), 20);
    QCOMPARE(employees->col(), 0);
}

void TestEntryGrid::growsToMillionsOfRowsWithoutStorage()
{
    FakeForm f;
    FlexGrid *grid = f.c().MSFlexGrid1;
    grid->setRows(12000002);
    QCOMPARE(grid->rows(), 12000002);
    QCOMPARE(grid->model()->rowCount(), 12000001);
    QCOMPARE(grid->gridModel()->allocatedPages(), size_t(0));
    grid->setTextMatrix(12000001, 7, QStringLiteral(" 12000000"));
    QCOMPARE(grid->gridModel()->allocatedPages(), size_t(1));
    QCOMPARE(grid->textMatrix(12000001, 7), QStringLiteral(" 12000000"));
    QVERIFY(grid->textMatrix(6000000, 7).isEmpty());
    // Out-of-range cells read as empty and take no writes.
    QVERIFY(grid->textMatrix(12000002, 0).isEmpty());
    grid->setTextMatrix(-1, 0, QStringLiteral("x"));
    grid->setTextMatrix(1, 10, QStringLiteral("x"));
    QCOMPARE(grid->gridModel()->allocatedPages(), size_t(1));
}

void TestEntryGrid::shrinkingDropsTheTextOfRemovedRows()
{
    FakeForm f;
    FlexGrid *grid = f.c().MSFlexGrid1;
    grid->setRows(600);
    grid->setTextMatrix(3, 0, QStringLiteral("keep"));
    grid->setTextMatrix(5, 0, QStringLiteral("drop"));
    grid->setTextMatrix(599, 0, QStringLiteral("drop"));
    grid->setRows(5);
    grid->setRows(600);
    QCOMPARE(grid->textMatrix(3, 0), QStringLiteral("keep"));
    QVERIFY(grid->textMatrix(5, 0).isEmpty());
    QVERIFY(grid->textMatrix(599, 0).isEmpty());
}

void TestEntryGrid::lastRowComesIntoView()
{
    FakeForm f;
    f.form().show();
    FlexGrid *grid = f.c().MSFlexGrid1;
    grid->setRows(500);
    QVERIFY(!grid->rowIsVisible(499));
    grid->showLastRow();
    QVERIFY(grid->rowIsVisible(499));
    QVERIFY(!grid->rowIsVisible(grid->topRow() - 1));
    // Already in view: the top row stays where it is.
    const int top = grid->topRow();
    grid->showLastRow();
    QCOMPARE(grid->topRow(), top);
}

void TestEntryGrid::newestEntryIsWhollyInView()
{
    FakeForm f;
    f.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form()));
    FlexGrid *grid = f.c().MSFlexGrid1;
    // Wider than the grid, as a wide weekday or a large font makes it.
    grid->setColWidth(3, 4000);
    // A backlog in one tick: the vertical bar, and with it the horizontal
    // one, comes up only after the grid has scrolled.
    for (int index = 0; index < 40; ++index) {
        ReceivedEntry entry;
        entry.index = index;
        entry.cardCode = 1053;
        f.fake.pending << entry;
    }
    reception::Timer1Tick(f.ctx());
    QTRY_VERIFY(grid->horizontalScrollBar()->isVisible());
    const QModelIndex last = grid->model()->index(grid->rows() - 2, 0);
    QTRY_VERIFY(grid->viewport()->rect().contains(grid->visualRect(last)));
}

QTEST_MAIN(TestEntryGrid)
#include "tst_entrygrid.moc"
