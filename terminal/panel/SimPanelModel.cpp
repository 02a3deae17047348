#include "terminal/panel/SimPanelModel.h"

#include "terminal/panel/PanelRules.h"

#include "clock/ClockCalendar.h"
#include "link/AnsiText.h"
#include "link/TerminalLimits.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QByteArray>

#include <cstring>

namespace terminal::panel {

namespace {

// The terminal holds its texts as the library's Windows-1252 bytes.
QByteArray Bytes(const QString &text)
{
    return ansi::encode(text);
}

QString Text(const char *buf)
{
    return ansi::decode(buf, static_cast<qsizetype>(std::strlen(buf)));
}

constexpr int kTextBuffer = 4096;

std::vector<engine::SlotEvent> HeldEvents(const QByteArray &name)
{
    std::array<std::optional<engine::Event>, kestcom_abi::kEventSlots> table;
    for (int slot = 0; slot < kestcom_abi::kEventSlots; ++slot) {
        engine::Event event;
        if (Sim_GetEvent(name.constData(), slot, event.data()))
            table[static_cast<std::size_t>(slot)] = event;
    }
    return engine::HeldEvents(table);
}

} // namespace

QStringList SimPanelModel::terminals() const
{
    QStringList names;
    QByteArray buf(kTextBuffer, '\0');
    const int n = Sim_TerminalCount();
    for (int i = 0; i < n; ++i)
        if (Sim_GetTerminalName(i, buf.data(), buf.size()))
            names << Text(buf.constData());
    return names;
}

std::optional<TerminalView> SimPanelModel::terminal(const QString &name) const
{
    const QByteArray n = Bytes(name);
    if (Sim_EntryCount(n.constData()) < 0)
        return std::nullopt;
    QByteArray buf(kTextBuffer, '\0');

    TerminalView v;
    v.name = name;
    v.clock = Sim_ReadClock(n.constData());

    const int employees = Sim_EmployeeCount(n.constData());
    for (int i = 0; i < employees; ++i) {
        EmployeeName e;
        if (Sim_GetEmployeeAt(n.constData(), i, &e.employee, buf.data(), buf.size(), &e.cardCode)) {
            e.name = Text(buf.constData());
            v.employees << e;
        }
    }
    const int justifications = Sim_JustificationCount(n.constData());
    for (int i = 0; i < justifications; ++i)
        v.justifications << (Sim_GetJustification(n.constData(), i, buf.data(), buf.size())
                                 ? Text(buf.constData())
                                 : QString());
    const std::vector<engine::SlotEvent> held = HeldEvents(n);
    v.events = QList<ScheduledEvent>(held.begin(), held.end());
    v.lamps = engine::LampsAt(held, v.clock);
    v.next = engine::NextEventOf(held, v.clock, engine::SpentSlots(m_clockChanges.value(name).spent));

    ShownMessage shown;
    if (Sim_GetShownMessage(n.constData(), &shown.number, buf.data(), buf.size())
        && Sim_GetShownMessageTime(n.constData(), &shown.shownAt)) {
        shown.text = Text(buf.constData());
        v.shown = shown;
    }
    v.entryMessage = kFactoryEntryMessage;
    v.exitMessage = kFactoryExitMessage;
    engine::Configuration configuration{};
    if (Sim_GetConfiguration(n.constData(), configuration.data()))
        v.messageDelay = configuration[1];
    Sim_GetPointers(n.constData(), &v.firstPointer, &v.secondPointer, &v.readerPointer);
    v.entryCount = Sim_EntryCount(n.constData());
    return v;
}

std::optional<StampedEntry> SimPanelModel::entryAt(const QString &name, int32_t index) const
{
    SimEntry e{};
    if (!Sim_GetEntry(Bytes(name).constData(), index, &e))
        return std::nullopt;
    return StampedEntry{e.seconds, e.cardCode, e.aux1, e.justification, e.presence, e.orValue,
                        e.code};
}

QString SimPanelModel::employeeMessage(const QString &name, int32_t employee) const
{
    // Kind 1 is the only kind the program sends.
    QByteArray buf(kTextBuffer, '\0');
    return Sim_GetMessage(Bytes(name).constData(), employee, 1, buf.data(), buf.size())
               ? Text(buf.constData())
               : QString();
}

LineView SimPanelModel::line() const
{
    LineView v;
    v.port = QStringLiteral("COM1");
    int32_t open = 0, baud = 0, call = 0, link = 0;
    if (Sim_PortState(&open, &baud, &call, &link)) {
        v.open = open != 0;
        v.baud = baud;
        v.callConnected = call != 0;
        v.linkOpen = link != 0;
        // A raw port without a link, or a call, is the modem's.
        v.modem = v.callConnected || (v.open && !v.linkOpen);
    }
    return v;
}

QString SimPanelModel::passCard(const QString &name, const CardPass &pass)
{
    int32_t justification = 0;
    if (pass.justification >= 0) {
        const auto code = JustificationCode(pass.justification);
        if (!code)
            return QStringLiteral("That justification has no code the reader can stamp.");
        justification = *code;
    }
    const int32_t presence = pass.exit ? kPresenceExit : kPresenceEntry;
    const int32_t index =
        Sim_PassCardWith(Bytes(name).constData(), pass.cardCode, 0, justification, presence);
    if (index < 0)
        return Sim_EntryCount(Bytes(name).constData()) < 0
                   ? QStringLiteral("Terminal %1 is no longer on the line.").arg(name)
                   : QStringLiteral("The terminal did not stamp the card: its memory is full "
                                    "or its clock is out of range.");
    refresh();
    return {};
}

QString SimPanelModel::setClock(const QString &name, int32_t clockSeconds)
{
    if (!Sim_SetTerminalClock(Bytes(name).constData(), clockSeconds))
        return QStringLiteral("Terminal %1 is no longer on the line.").arg(name);
    refresh();
    return {};
}

QString SimPanelModel::addTerminal(const QString &name)
{
    if (const QString problem = TerminalNameProblem(name); !problem.isEmpty())
        return problem;
    if (!Sim_AddTerminal(Bytes(name).constData()))
        return QStringLiteral("Terminal %1 is already on the line.").arg(name);
    refresh();
    return {};
}

QString SimPanelModel::removeTerminal(const QString &name)
{
    if (!Sim_RemoveTerminal(Bytes(name).constData()))
        return QStringLiteral("Terminal %1 is not on the line.").arg(name);
    m_clockChanges.remove(name);
    refresh();
    return {};
}

void SimPanelModel::refresh()
{
    for (const QString &name : terminals()) {
        const QByteArray n = Bytes(name);
        const int64_t clock = Sim_ReadClock(n.constData());
        const int64_t shift = engine::AdvanceClockChanges(m_clockChanges[name], HeldEvents(n), clock);
        if (shift == 0)
            continue;
        if (const auto moved = clocktime::ToClockSeconds(clock + shift))
            Sim_SetTerminalClock(n.constData(), *moved);
    }
    emit changed();
}

} // namespace terminal::panel
