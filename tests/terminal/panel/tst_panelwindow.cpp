// The panels in the terminal program's window, over its engine: a tab per
// terminal, a card at the reader lands in the engine, the panel's pace
// switch is the window's.
#include "terminal/program/TerminalWindow.h"
#include "terminal/panel/PanelWindow.h"
#include "terminal/panel/TerminalPanel.h"

#include "terminal/engine/SimState.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace terminal;

class TestPanelWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        engine::EngineState().store = nullptr;
        engine::ResetLine();
        engine::EngineState().frozenPcClock = 976190400;
    }

    void panelsFollowTheEngine()
    {
        program::TerminalWindow window(QStringLiteral("COM2"), QStringLiteral("/run/x"),
                                        program::Pace::Wire);
        QCOMPARE(window.pages()->count(), 1);
        auto *panel = qobject_cast<panel::TerminalPanel *>(window.pages()->widget(0));
        QVERIFY(panel);
        panel->controls().cardCode->setText(QStringLiteral("1053"));
        QTest::mouseClick(panel->controls().passCard, Qt::LeftButton);
        QCOMPARE(engine::EngineState().terminals.front().entryCount(), 1);
        QCOMPARE(engine::EngineState().terminals.front().entries.front().cardCode, 1053);

        // A terminal added on the line elsewhere gets its tab at the next refresh.
        QVERIFY(engine::AddTerminal("PONTO_07"));
        window.refresh();
        QCOMPARE(window.pages()->count(), 2);
        QCOMPARE(window.pages()->tabText(1), QStringLiteral("PONTO_07"));

        QSignalSpy chosen(&window, &program::TerminalWindow::paceChosen);
        QVERIFY(chosen.isValid());
        window.instantButton()->click();
        QCOMPARE(chosen.count(), 1);
        QVERIFY(window.instantButton()->isChecked());

        QVERIFY(panel->controls().line->text().startsWith(QStringLiteral("Line COM2:")));
    }
};

QTEST_MAIN(TestPanelWindow)
#include "tst_panelwindow.moc"
