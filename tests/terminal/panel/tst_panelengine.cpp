// The panel over the engine linked in the same program, as the terminal
// program has it: every change the panel makes reaches the engine's store.
#include "terminal/panel/EnginePanelModel.h"
#include "terminal/panel/PanelRules.h"

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QTest>

using namespace terminal;
using namespace terminal::panel;

namespace {

constexpr int32_t kNoon = 976190400;

// Names the store calls the engine made, in order.
class RecordingStore final : public engine::Store
{
public:
    QStringList calls;
    void lineChanged(const engine::State &) final { calls << "line"; }
    void terminalChanged(const engine::Terminal &) final { calls << "terminal"; }
    void pointersChanged(const engine::Terminal &) final { calls << "pointers"; }
    void entryInserted(const engine::Terminal &, std::size_t i) final
    {
        calls << QStringLiteral("entry %1").arg(i);
    }
    void entryErased(const engine::Terminal &, std::size_t) final { calls << "erased"; }
    void entriesCut(const engine::Terminal &) final { calls << "cut"; }
    void eventChanged(const engine::Terminal &, int) final { calls << "event"; }
    void messageChanged(const engine::Terminal &, int32_t, int32_t) final { calls << "message"; }
    void employeeChanged(const engine::Terminal &, int32_t) final { calls << "employee"; }
    void terminalReplaced(const engine::Terminal &) final { calls << "replaced"; }
    void allReplaced(const engine::State &) final { calls << "all"; }
};

} // namespace

class TestPanelEngine : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void changesReachTheStore();
    void winterTimeIsKept();
    void lineHooks();

private:
    RecordingStore m_store;
};

void TestPanelEngine::init()
{
    engine::ResetLine();
    Sim_SetPcClock(kNoon);
    m_store.calls.clear();
    engine::EngineState().store = &m_store;
}

void TestPanelEngine::cleanup()
{
    engine::EngineState().store = nullptr;
}

void TestPanelEngine::changesReachTheStore()
{
    EnginePanelModel model;
    const QString name = QStringLiteral("PONTO_00");
    QVERIFY(model.passCard(name, CardPass{1053, true, 0}).isEmpty());
    QCOMPARE(m_store.calls, QStringList{"entry 0"});
    const engine::Entry &e = engine::EngineState().terminals.front().entries.front();
    QCOMPARE(e.presence, kPresenceExit);
    QCOMPARE(e.justification, uint8_t('A'));
    QCOMPARE(e.seconds, kNoon);

    m_store.calls.clear();
    QVERIFY(model.setClock(name, kNoon - 3600).isEmpty());
    QCOMPARE(m_store.calls, QStringList{"terminal"});
    QCOMPARE(model.terminal(name)->clock, kNoon - 3600);

    m_store.calls.clear();
    QVERIFY(model.addTerminal(QStringLiteral("PONTO_01")).isEmpty());
    QVERIFY(!model.addTerminal(QStringLiteral("PONTO_01")).isEmpty());
    QVERIFY(model.removeTerminal(name).isEmpty());
    QCOMPARE(m_store.calls, (QStringList{"all", "all"}));
    QCOMPARE(model.terminals(), QStringList{"PONTO_01"});
    QVERIFY(!model.passCard(name, CardPass{1053}).isEmpty());
}

void TestPanelEngine::winterTimeIsKept()
{
    QCOMPARE(InitializeCommWithoutError(1, 19200), 1);
    char name[] = "PONTO_00";
    QCOMPARE(W_InsertEvent(name, 7, kNoon + 1, 0, 0, 4, 0, 0), 1);
    EnginePanelModel model;
    model.refresh();
    Sim_AdvancePcClock(1);
    m_store.calls.clear();
    model.refresh();
    QCOMPARE(m_store.calls, QStringList{"terminal"});
    QCOMPARE(engine::TerminalClock(engine::EngineState().terminals.front()), kNoon + 1 - 3600);
}

void TestPanelEngine::lineHooks()
{
    LineHooks hooks;
    hooks.port = QStringLiteral("COM3");
    hooks.bytesPerSecond = [] { return 480.0; };
    EnginePanelModel model(hooks);
    const LineView line = model.line();
    QCOMPARE(line.port, QStringLiteral("COM3"));
    QCOMPARE(line.bytesPerSecond, 480.0);
    QCOMPARE(EnginePanelModel().line().bytesPerSecond, 0.0);
}

QTEST_GUILESS_MAIN(TestPanelEngine)
#include "tst_panelengine.moc"
