#include "terminal/panel/EnginePanelModel.h"

#include "terminal/panel/PanelRules.h"

#include "link/AnsiText.h"
#include "terminal/engine/SimState.h"

namespace terminal::panel {

namespace {

QString Text(const std::string &bytes)
{
    return ansi::decode(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

engine::Terminal *Find(const QString &name)
{
    const QByteArray n = ansi::encode(name);
    return engine::FindTerminal(n.constData());
}

QString Gone(const QString &name)
{
    return QStringLiteral("Terminal %1 is no longer on the line.").arg(name);
}

} // namespace

EnginePanelModel::EnginePanelModel(LineHooks hooks, QObject *parent)
    : PanelModel(parent), m_hooks(std::move(hooks))
{
}

QStringList EnginePanelModel::terminals() const
{
    QStringList names;
    for (const engine::Terminal &t : engine::EngineState().terminals)
        names << Text(t.name);
    return names;
}

std::optional<TerminalView> EnginePanelModel::terminal(const QString &name) const
{
    const engine::Terminal *t = Find(name);
    if (!t)
        return std::nullopt;
    TerminalView v;
    v.name = name;
    v.clock = engine::TerminalClock(*t);
    for (const auto &[employee, e] : t->employees)
        v.employees << EmployeeName{employee, Text(e.text), e.cardCode};
    for (const std::string &j : t->justifications)
        v.justifications << Text(j);
    const std::vector<engine::SlotEvent> held = engine::HeldEvents(t->events);
    v.events = QList<ScheduledEvent>(held.begin(), held.end());
    v.lamps = engine::LampsAt(held, v.clock);
    v.next = engine::NextEventOf(held, v.clock, engine::SpentSlots(t->spentClockChanges));
    if (t->messageShown)
        v.shown = ShownMessage{t->shownNumber, Text(t->shownText), t->shownAt};
    // The program never sends its entry and exit message fields.
    v.entryMessage = kFactoryEntryMessage;
    v.exitMessage = kFactoryExitMessage;
    v.messageDelay = t->configuration[1];
    v.entryCount = t->entryCount();
    v.firstPointer = t->entryCount();
    v.secondPointer = t->secondPointer;
    v.readerPointer = t->readerPointer;
    return v;
}

std::optional<StampedEntry> EnginePanelModel::entryAt(const QString &name, int32_t index) const
{
    const engine::Terminal *t = Find(name);
    if (!t || index < 0 || index >= t->entryCount())
        return std::nullopt;
    const engine::Entry &e = t->entries[static_cast<std::size_t>(index)];
    return StampedEntry{e.seconds,  e.cardCode, e.aux1, e.justification, e.presence,
                        static_cast<int32_t>(e.origin), e.serial};
}

QString EnginePanelModel::employeeMessage(const QString &name, int32_t employee) const
{
    const engine::Terminal *t = Find(name);
    if (!t)
        return {};
    // Kind 1 is the only kind the program sends.
    const auto found = t->messages.find({employee, 1});
    return found == t->messages.end() ? QString() : Text(found->second);
}

LineView EnginePanelModel::line() const
{
    const engine::Port &port = engine::EngineState().port;
    LineView v;
    v.port = m_hooks.port;
    v.open = port.open;
    v.baud = port.baud;
    v.modem = port.modem;
    v.callConnected = port.callConnected;
    v.linkOpen = port.linkOpen;
    v.bytesPerSecond = m_hooks.bytesPerSecond ? m_hooks.bytesPerSecond() : 0;
    return v;
}

QString EnginePanelModel::passCard(const QString &name, const CardPass &pass)
{
    engine::Terminal *t = Find(name);
    if (!t)
        return Gone(name);
    uint8_t justification = 0;
    if (pass.justification >= 0) {
        const auto code = JustificationCode(pass.justification);
        if (!code)
            return QStringLiteral("That justification has no code the reader can stamp.");
        justification = *code;
    }
    if (engine::StampCard(*t, pass.cardCode, 0, justification,
                       pass.exit ? kPresenceExit : kPresenceEntry)
        < 0)
        return QStringLiteral("The terminal did not stamp the card: its memory is full or its "
                              "clock is out of range.");
    refresh();
    return {};
}

QString EnginePanelModel::setClock(const QString &name, int32_t clockSeconds)
{
    engine::Terminal *t = Find(name);
    if (!t)
        return Gone(name);
    engine::SetTerminalClock(*t, clockSeconds);
    refresh();
    return {};
}

QString EnginePanelModel::addTerminal(const QString &name)
{
    if (const QString problem = TerminalNameProblem(name); !problem.isEmpty())
        return problem;
    const QByteArray n = ansi::encode(name);
    if (!engine::AddTerminal(std::string_view(n.constData(), static_cast<std::size_t>(n.size()))))
        return QStringLiteral("Terminal %1 is already on the line.").arg(name);
    refresh();
    return {};
}

QString EnginePanelModel::removeTerminal(const QString &name)
{
    const QByteArray n = ansi::encode(name);
    if (name.isEmpty()
        || !engine::RemoveTerminal(std::string_view(n.constData(), static_cast<std::size_t>(n.size()))))
        return QStringLiteral("Terminal %1 is not on the line.").arg(name);
    refresh();
    return {};
}

void EnginePanelModel::refresh()
{
    for (engine::Terminal &t : engine::EngineState().terminals)
        engine::RunClockChanges(t);
    emit changed();
}

} // namespace terminal::panel
