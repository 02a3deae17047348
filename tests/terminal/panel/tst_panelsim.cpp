// The panel over the in-process simulated terminal, beside the program's
// window: a card passed at the reader reaches the terminal's memory and the
// program's grid; what the program sends shows on the display and lamps.
#include "TestForm.h"

#include "terminal/panel/PanelItemModels.h"
#include "terminal/panel/PanelWidgets.h"
#include "terminal/panel/PanelWindow.h"
#include "terminal/panel/SimPanelModel.h"
#include "terminal/panel/TerminalPanel.h"

#include "config/ConfigCommands.h"
#include "entries/EntryCommands.h"
#include "entries/FlexGrid.h"
#include "reception/EntryPolling.h"
#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTextEdit>

using namespace terminal::panel;

namespace {

constexpr int32_t kNoon = 976190400; // 07/12/2026 12:00:00
const char *const kTerminal = "PONTO_00";

// SimForm resets the terminal, so the PC clock is frozen again after it.
void OpenLink(SimForm &s)
{
    Sim_SetPcClock(kNoon);
    QCOMPARE(s.ctx().lib.InitializeCommWithoutError(1, 19200), 1);
    s.ctx().buttons.setLinkCommandsEnabled(true);
}

QString line(const TerminalPanel &panel, int row)
{
    return panel.controls().display->lines()[static_cast<std::size_t>(row)].trimmed();
}

void pick(QComboBox *box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index);
}

} // namespace

class TestPanelSim : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cardAtTheReaderReachesMemoryAndGrid();
    void badCardCodeStampsNothing();
    void unknownCardIsStamped();
    void shownMessageLastsItsNumberOfSeconds();
    void employeeMessageShowsWhenTheirCardPasses();
    void eventRingsTheLampAtItsTime();
    void winterTimeMovesTheClockOnce();
    void clearedTableShowsNoEvents();
    void clockSetByHand();
    void terminalsAddedAndRemovedFromTheWindow();
};

void TestPanelSim::init()
{
    Sim_Reset();
    Sim_SetPcClock(kNoon);
}

void TestPanelSim::cardAtTheReaderReachesMemoryAndGrid()
{
    SimForm s;
    OpenLink(s);
    entries::SendEmployees(s.ctx()); // employees 1..99, cards 1001..1099
    config::SendJustifications(s.ctx());
    char name[] = "PONTO_00";
    QCOMPARE(W_SendReaderPointer(name, 0), 1);

    SimPanelModel model;
    TerminalPanel panel(model, QString::fromLatin1(kTerminal));
    const auto &c = panel.controls();
    QCOMPARE(c.employee->count(), 100);
    QVERIFY(c.justification->isEnabled());
    pick(c.employee, 53);
    QCOMPARE(c.cardCode->text(), QStringLiteral("1053"));
    c.exit->setChecked(true);
    c.justification->setCurrentIndex(2); // "Almoco"
    QTest::mouseClick(c.passCard, Qt::LeftButton);

    SimEntry e{};
    QCOMPARE(Sim_EntryCount(kTerminal), 1);
    QVERIFY(Sim_GetEntry(kTerminal, 0, &e));
    QCOMPARE(e.seconds, kNoon);
    QCOMPARE(e.cardCode, 1053);
    QCOMPARE(e.presence, uint8_t(0));
    QCOMPARE(e.justification, uint8_t('B'));
    QCOMPARE(e.orValue, 0);
    QCOMPARE(line(panel, 0), QStringLiteral("SALE"));
    QCOMPARE(line(panel, 1), s.c().MSFlexGrid2->textMatrix(53, 1).trimmed());
    QCOMPARE(c.entries->model()->rowCount(), 1);

    reception::Timer1Tick(s.ctx());
    FlexGrid &grid = *s.c().MSFlexGrid1;
    QCOMPARE(grid.textMatrix(1, 1), QStringLiteral(" 976190400"));
    QCOMPARE(grid.textMatrix(1, 2), QStringLiteral(" 1053"));
    QCOMPARE(grid.textMatrix(1, 3), s.c().MSFlexGrid2->textMatrix(53, 1));
    QCOMPARE(grid.textMatrix(1, 5), QStringLiteral("B"));
    QCOMPARE(grid.textMatrix(1, 6), QStringLiteral(" 0"));
}

void TestPanelSim::badCardCodeStampsNothing()
{
    SimPanelModel model;
    TerminalPanel panel(model, QString::fromLatin1(kTerminal));
    const auto &c = panel.controls();
    QVERIFY(!c.justification->isEnabled()); // no list held
    c.cardCode->setText(QStringLiteral("2147483648"));
    QTest::mouseClick(c.passCard, Qt::LeftButton);
    QCOMPARE(Sim_EntryCount(kTerminal), 0);
    QVERIFY(c.readerStatus->text().contains(QStringLiteral("2147483647")));
}

void TestPanelSim::unknownCardIsStamped()
{
    SimPanelModel model;
    TerminalPanel panel(model, QString::fromLatin1(kTerminal));
    panel.controls().cardCode->setText(QStringLiteral("-7"));
    QTest::mouseClick(panel.controls().passCard, Qt::LeftButton);
    SimEntry e{};
    QVERIFY(Sim_GetEntry(kTerminal, 0, &e));
    QCOMPARE(e.cardCode, -7);
    QCOMPARE(e.presence, uint8_t(1));
    QCOMPARE(line(panel, 0), QStringLiteral("ENTRA"));
    QCOMPARE(line(panel, 1), QStringLiteral("-7"));
    // A byte field the reader cannot hold is refused, not cut to 8 bits.
    QCOMPARE(Sim_PassCardWith(kTerminal, 1053, 0, 256, 1), -1);
    QCOMPARE(Sim_EntryCount(kTerminal), 1);
}

void TestPanelSim::shownMessageLastsItsNumberOfSeconds()
{
    SimForm s;
    OpenLink(s);
    SimPanelModel model;
    TerminalPanel panel(model, QString::fromLatin1(kTerminal));
    s.c().RichTextBox1->setPlainText(QStringLiteral("Fim do turno"));
    config::ShowMessage(s.ctx());
    model.refresh();
    QCOMPARE(line(panel, 0), QStringLiteral("Fim do turno"));
    Sim_AdvancePcClock(79);
    model.refresh();
    QCOMPARE(line(panel, 0), QStringLiteral("Fim do turno"));
    Sim_AdvancePcClock(1);
    model.refresh();
    QCOMPARE(line(panel, 0), QStringLiteral("07/12/2026  12:01:20"));
}

void TestPanelSim::employeeMessageShowsWhenTheirCardPasses()
{
    SimForm s;
    OpenLink(s);
    s.c().Text17->setText(QStringLiteral("53"));
    s.c().Text18->setText(QStringLiteral("53"));
    entries::SendEmployees(s.ctx());
    s.c().RichTextBox1->setPlainText(QString::fromUtf8("Passe no RH €"));
    config::Message(s.ctx()); // employee 53, the field's start value

    SimPanelModel model;
    TerminalPanel panel(model, QString::fromLatin1(kTerminal));
    panel.controls().cardCode->setText(QStringLiteral("1053"));
    QTest::mouseClick(panel.controls().passCard, Qt::LeftButton);
    QCOMPARE(line(panel, 2), QString::fromUtf8("Passe no RH €"));
    // The configuration's message delay (factory 3) ends the pass.
    Sim_AdvancePcClock(3);
    model.refresh();
    QCOMPARE(line(panel, 0), QStringLiteral("07/12/2026  12:00:03"));
}

void TestPanelSim::eventRingsTheLampAtItsTime()
{
    SimForm s;
    OpenLink(s);
    // The event row as it starts: "Toque Relé 1", boxes 0 to 4, every day.
    s.c().Text12->setText(QString::number(kNoon + 60));
    config::Event(s.ctx());

    SimPanelModel model;
    TerminalPanel panel(model, QString::fromLatin1(kTerminal));
    LampWidget *relay1 = panel.controls().lamps[static_cast<int>(Lamp::Relay1)];
    QVERIFY(!relay1->isLit());
    QVERIFY(panel.controls().nextEvent->text().contains(QStringLiteral("07/12/2026  12:01:00")));
    Sim_AdvancePcClock(60);
    model.refresh();
    QVERIFY(relay1->isLit());
    Sim_AdvancePcClock(5);
    model.refresh();
    QVERIFY(!relay1->isLit());
    QVERIFY(!panel.controls().lamps[static_cast<int>(Lamp::Beep1)]->isLit());
}

void TestPanelSim::winterTimeMovesTheClockOnce()
{
    QCOMPARE(InitializeCommWithoutError(1, 19200), 1);
    char name[] = "PONTO_00";
    QCOMPARE(W_InsertEvent(name, 3, kNoon + 10, 0, 0, 4, 0, 0), 1);
    SimPanelModel model;
    model.refresh();
    Sim_AdvancePcClock(10);
    model.refresh();
    QCOMPARE(Sim_ReadClock(kTerminal), kNoon + 10 - 3600);
    Sim_AdvancePcClock(3600);
    model.refresh();
    QCOMPARE(Sim_ReadClock(kTerminal), kNoon + 10);
    // Spent: not due again.
    QVERIFY(!model.terminal(QString::fromLatin1(kTerminal))->next);
}

void TestPanelSim::clearedTableShowsNoEvents()
{
    SimForm s;
    OpenLink(s);
    s.c().Text12->setText(QString::number(kNoon + 60));
    config::Event(s.ctx());
    config::ClearAllEvents(s.ctx());
    int32_t slot109[6] = {-1, -1, -1, -1, -1, -1};
    QVERIFY(Sim_GetEvent(kTerminal, 109, slot109));

    SimPanelModel model;
    TerminalPanel panel(model, QString::fromLatin1(kTerminal));
    QCOMPARE(panel.controls().events->model()->rowCount(), 0);
    QCOMPARE(panel.controls().nextEvent->text(), QStringLiteral("No events held."));
}

void TestPanelSim::clockSetByHand()
{
    SimPanelModel model;
    TerminalPanel panel(model, QString::fromLatin1(kTerminal));
    const auto &c = panel.controls();
    c.clockInput->setText(QStringLiteral("01/01/2070 00:00:00"));
    QTest::mouseClick(c.setClock, Qt::LeftButton);
    QCOMPARE(Sim_ReadClock(kTerminal), kNoon);
    QVERIFY(!c.readerStatus->text().isEmpty());
    c.clockInput->setText(QStringLiteral("07/12/2026 08:00:00"));
    QTest::mouseClick(c.setClock, Qt::LeftButton);
    QCOMPARE(Sim_ReadClock(kTerminal), kNoon - 4 * 3600);
    QCOMPARE(line(panel, 0), QStringLiteral("07/12/2026  08:00:00"));
}

void TestPanelSim::terminalsAddedAndRemovedFromTheWindow()
{
    SimPanelModel model;
    PanelWindow window(model);
    window.refreshTimer()->stop();
    QCOMPARE(window.tabs()->count(), 1);
    window.terminalNameEdit()->setText(QStringLiteral("PONTO_01"));
    QTest::mouseClick(window.addButton(), Qt::LeftButton);
    QCOMPARE(window.tabs()->count(), 2);
    QCOMPARE(window.tabs()->tabText(1), QStringLiteral("PONTO_01"));
    QCOMPARE(Sim_EntryCount("PONTO_01"), 0);

    QTest::mouseClick(window.addButton(), Qt::LeftButton);
    QCOMPARE(window.tabs()->count(), 2);
    QVERIFY(window.status()->text().contains(QStringLiteral("already")));
    window.terminalNameEdit()->setText(QStringLiteral("TWO WORDS"));
    QTest::mouseClick(window.addButton(), Qt::LeftButton);
    QCOMPARE(window.tabs()->count(), 2);

    window.terminalNameEdit()->clear();
    window.tabs()->setCurrentIndex(0);
    QTest::mouseClick(window.removeButton(), Qt::LeftButton);
    QCOMPARE(window.tabs()->count(), 1);
    QCOMPARE(window.tabs()->tabText(0), QStringLiteral("PONTO_01"));
    QCOMPARE(Sim_EntryCount(kTerminal), -1);
}

QTEST_MAIN(TestPanelSim)
#include "tst_panelsim.moc"
