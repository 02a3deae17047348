// The terminal's window at 150 % (this test's environment sets the scale):
// it fits a 1920 × 1080 screen and every list in it shows five rows.
#include "terminal/program/TerminalWindow.h"
#include "terminal/panel/TerminalPanel.h"

#include "terminal/engine/SimState.h"

#include <QHeaderView>
#include <QTableView>
#include <QTest>

using namespace terminal;

namespace {
constexpr QSize kScreen(1920, 1080);
// A title bar and a task bar take this much of the screen's height.
constexpr int kTitleAndTaskBar = 80;
} // namespace

class TestWindowFit : public QObject
{
    Q_OBJECT
private slots:
    void fitsAFullHdScreenAtOneAndAHalf()
    {
        engine::EngineState().store = nullptr;
        engine::ResetLine();
        QVERIFY(engine::AddTerminal("PONTO_01"));
        program::TerminalWindow window(
            QStringLiteral("COM255"),
            QStringLiteral("/run/user/1000/velmora/COM255.socket"), program::Pace::Wire);
        window.setDatabasePath(QStringLiteral(
            "/home/a-rather-long-user-name/.local/share/velmora/terminal-COM255.sqlite"));
        window.showProblem(QStringLiteral("The file was moved aside; the terminal starts fresh."));
        QCOMPARE(window.devicePixelRatio(), 1.5);

        const QSize hint = window.sizeHint() * window.devicePixelRatio();
        QVERIFY2(hint.width() <= kScreen.width()
                     && hint.height() <= kScreen.height() - kTitleAndTaskBar,
                 qPrintable(QStringLiteral("%1 × %2").arg(hint.width()).arg(hint.height())));

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Also made as small as it goes, which is what a smaller screen gets.
        for (const QSize size : {window.sizeHint(), window.minimumSizeHint()}) {
            window.resize(size);
            QCoreApplication::processEvents();
            const auto views = window.findChildren<QTableView *>();
            QCOMPARE(views.size(), 4); // events and entries of each terminal
            for (const QTableView *view : views) {
                const int rows = view->viewport()->height() / view->verticalHeader()->defaultSectionSize();
                QVERIFY2(rows >= panel::kListRowsShown, qPrintable(QString::number(rows)));
            }
        }
    }
};

QTEST_MAIN(TestWindowFit)
#include "tst_windowfit.moc"
