#include "terminal/panel/EnginePanelModel.h"

#include "terminal/panel/PanelRules.h"

#include "link/AnsiText.h"
#include "terminal/engine/SimState.h"

namespace terminal::panel {

namespace {

QString text(const std::string &bytes)
{
    return ansi::decode(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

engine::Terminal *find(const QString &name)
{
    const QByteArray n = ansi::encode(name);
    return engine::findTerminal(n.constData());
}

QString gone(const QString &name)
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
    for (const engine::Terminal &t : engine::state().terminals)
        names << text(t.name);
    return names;
}

std::optional<TerminalView> EnginePanelModel::terminal(const QString &name) const
{
    const engine::Terminal *t = find(name);
    if (!t)
        return std::nullopt;
    TerminalView v;
    v.name = name;
    v.clock = engine::terminalClock(*t);
    for (const auto &[employee, e] : t->employees)
        v.employees << EmployeeName{employee, text(e.text), e.cardCode};
    for (const std::string &j : t->justifications)
        v.justifications << text(j);
    const std::vector<engine::SlotEvent> held = engine::heldEvents(t->events);
    v.events = QList<ScheduledEvent>(held.begin(), held.end());
    v.lamps = engine::lampsAt(held, v.clock);
    v.next = engine::nextEvent(held, v.clock, engine::spentSlots(t->spentClockChanges));
    if (t->messageShown)
        v.shown = ShownMessage{t->shownNumber, text(t->shownText), t->shownAt};
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
    const engine::Terminal *t = find(name);
    if (!t || index < 0 || index >= t->entryCount())
        return std::nullopt;
    const engine::Entry &e = t->entries[static_cast<std::size_t>(index)];
    return StampedEntry{e.seconds,  e.cardCode, e.aux1, e.justification, e.presence,
                        static_cast<int32_t>(e.origin), e.serial};
}

QString EnginePanelModel::employeeMessage(const QString &name, int32_t employee) const
{
    const engine::Terminal *t = find(name);
    if (!t)
        return {};
    // Kind 1 is the only kind the program sends.
    const auto found = t->messages.find({employee, 1});
    return found == t->messages.end() ? QString() : text(found->second);
}

LineView EnginePanelModel::line() const
{
    const engine::Port &port = engine::state().port;
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
    engine::Terminal *t = find(name);
    if (!t)
        return gone(name);
    uint8_t justification = 0;
    if (pass.justification >= 0) {
        const auto code = justificationCode(pass.justification);
        if (!code)
            return QStringLiteral("That justification has no code the reader can stamp.");
        justification = *code;
    }
    if (engine::stampCard(*t, pass.cardCode, 0, justification,
                       pass.exit ? kPresenceExit : kPresenceEntry)
        < 0)
        return QStringLiteral("The terminal did not stamp the card: its memory is full or its "
                              "clock is out of range.");
    refresh();
    return {};
}

QString EnginePanelModel::setClock(const QString &name, int32_t clockSeconds)
{
    engine::Terminal *t = find(name);
    if (!t)
        return gone(name);
    engine::setTerminalClock(*t, clockSeconds);
    refresh();
    return {};
}

QString EnginePanelModel::addTerminal(const QString &name)
{
    if (const QString problem = terminalNameProblem(name); !problem.isEmpty())
        return problem;
    const QByteArray n = ansi::encode(name);
    if (!engine::addTerminal(std::string_view(n.constData(), static_cast<std::size_t>(n.size()))))
        return QStringLiteral("Terminal %1 is already on the line.").arg(name);
    refresh();
    return {};
}

QString EnginePanelModel::removeTerminal(const QString &name)
{
    const QByteArray n = ansi::encode(name);
    if (name.isEmpty()
        || !engine::removeTerminal(std::string_view(n.constData(), static_cast<std::size_t>(n.size()))))
        return QStringLiteral("Terminal %1 is not on the line.").arg(name);
    refresh();
    return {};
}

void EnginePanelModel::refresh()
{
    for (engine::Terminal &t : engine::state().terminals)
        engine::runClockChanges(t);
    emit changed();
}

} // namespace terminal::panel
