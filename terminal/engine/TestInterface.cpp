#include "terminal/engine/SimTerminalTest.h"
#include "terminal/engine/SimState.h"

#include "clock/ClockCalendar.h"

#include <algorithm>
#include <iterator>
#include <limits>

using namespace terminal::engine;

namespace {

int64_t SaturatingAdd(int64_t a, int64_t b)
{
    // Both sides stay far inside 64 bits once clamped.
    return ClampPcClock(ClampPcClock(a) + ClampPcClock(b));
}

} // namespace

extern "C" {

KESTCOM_EXPORT void KESTCOM_CALL Sim_Reset(void)
{
    ResetLine();
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_SetZeroTerminatedNames(int32_t on)
{
    EngineState().zeroTerminatedNames = on != 0;
    PersistLine();
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_LoadMorning(const char *name)
{
    if (Terminal *terminal = FindTerminal(name))
        LoadMorningNow(*terminal);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_SetPcClock(int64_t clockSeconds)
{
    EngineState().frozenPcClock = ClampPcClock(clockSeconds);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_AdvancePcClock(int64_t seconds)
{
    State &s = EngineState();
    if (s.frozenPcClock)
        s.frozenPcClock = SaturatingAdd(*s.frozenPcClock, seconds);
    else
        s.pcClockShift = SaturatingAdd(s.pcClockShift, seconds);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_UseRealPcClock(void)
{
    EngineState().frozenPcClock.reset();
    EngineState().pcClockShift = 0;
}

KESTCOM_EXPORT int64_t KESTCOM_CALL Sim_PcClock(void)
{
    return PcClockSeconds();
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_AddTerminal(const char *name)
{
    return AddTerminal(SignificantName(name)) ? 1 : 0;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_RemoveTerminal(const char *name)
{
    return RemoveTerminal(SignificantName(name)) ? 1 : 0;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetTerminalAnswering(const char *name, int32_t on)
{
    Terminal *terminal = FindTerminal(name);
    if (!terminal)
        return 0;
    terminal->answering = on != 0;
    PersistTerminal(*terminal);
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetEntryCapacity(int32_t capacity)
{
    if (capacity < 0 || capacity == std::numeric_limits<int32_t>::max())
        return 0;
    EngineState().entryCapacity = static_cast<std::size_t>(capacity);
    PersistLine();
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PassCard(const char *name, int32_t cardCode)
{
    Terminal *terminal = FindTerminal(name);
    return terminal ? StampCard(*terminal, cardCode) : -1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PassCardWith(const char *name, int32_t cardCode,
                                                     int32_t aux1, int32_t justification,
                                                     int32_t presence)
{
    const auto fitsByte = [](int32_t v) { return v >= 0 && v <= 255; };
    Terminal *terminal = FindTerminal(name);
    if (!terminal || !fitsByte(aux1) || !fitsByte(justification) || !fitsByte(presence))
        return -1;
    return StampCard(*terminal, cardCode, static_cast<uint8_t>(aux1),
                     static_cast<uint8_t>(justification), static_cast<uint8_t>(presence));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_TerminalCount(void)
{
    return static_cast<int32_t>(EngineState().terminals.size());
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetTerminalName(int32_t i, char *buf, int32_t size)
{
    const auto &terminals = EngineState().terminals;
    if (i < 0 || static_cast<std::size_t>(i) >= terminals.size())
        return 0;
    return CopyText(terminals[static_cast<std::size_t>(i)].name, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetTerminalClock(const char *name, int32_t clockSeconds)
{
    Terminal *terminal = FindTerminal(name);
    if (!terminal)
        return 0;
    SetTerminalClock(*terminal, clockSeconds);
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_EntryCount(const char *name)
{
    const Terminal *terminal = FindTerminal(name);
    return terminal ? terminal->entryCount() : -1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEntry(const char *name, int32_t index, SimEntry *out)
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || !out || index < 0 || index >= terminal->entryCount())
        return 0;
    const Entry entry = terminal->entries[static_cast<std::size_t>(index)];
    *out = SimEntry{entry.seconds,  entry.cardCode,
                    entry.aux1,     entry.justification,
                    entry.presence, static_cast<int32_t>(entry.origin),
                    entry.serial};
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetPointers(const char *name, int32_t *first,
                                                    int32_t *second, int32_t *reader)
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || !first || !second || !reader)
        return 0;
    *first = terminal->entryCount();
    *second = terminal->secondPointer;
    *reader = terminal->readerPointer;
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_ReadClock(const char *name)
{
    const Terminal *terminal = FindTerminal(name);
    return terminal ? clocktime::ToClockSeconds(TerminalClock(*terminal)).value_or(0) : 0;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetAdjustment(const char *name, int32_t *reference,
                                                      int64_t *drift)
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || !reference || !drift || terminal->adjustment.count == 0)
        return 0;
    *reference = terminal->adjustment.reference;
    *drift = terminal->adjustment.drift;
    return terminal->adjustment.count;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PortState(int32_t *open, int32_t *baud,
                                                  int32_t *callConnected, int32_t *linkOpen)
{
    if (!open || !baud || !callConnected || !linkOpen)
        return 0;
    const Port &port = EngineState().port;
    *open = port.open;
    *baud = port.baud;
    *callConnected = port.callConnected;
    *linkOpen = port.linkOpen;
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_IoWriteCount(void)
{
    return static_cast<int32_t>(EngineState().ioLog.size());
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_IoWriteText(int32_t i, char *buf, int32_t size)
{
    const auto &log = EngineState().ioLog;
    if (i < 0 || static_cast<std::size_t>(i) >= log.size())
        return 0;
    return CopyText(log[static_cast<std::size_t>(i)], buf, size);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_FailOperation(const char *operation, int32_t times)
{
    if (!operation || !IsKnownOperation(operation) || times < -1)
        return;
    auto &failures = EngineState().failures;
    if (times == 0)
        failures.erase(std::string(operation));
    else
        failures[operation] = times;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_CallCount(const char *operation)
{
    if (!operation)
        return 0;
    const auto &counts = EngineState().callCounts;
    const auto found = counts.find(std::string_view(operation));
    return found == counts.end() ? 0 : found->second;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetConfiguration(const char *name, int32_t out[9])
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || !out)
        return 0;
    std::copy(terminal->configuration.begin(), terminal->configuration.end(), out);
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_JustificationCount(const char *name)
{
    const Terminal *terminal = FindTerminal(name);
    return terminal ? static_cast<int32_t>(terminal->justifications.size()) : -1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetJustification(const char *name, int32_t i, char *buf,
                                                         int32_t size)
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || i < 0 || static_cast<std::size_t>(i) >= terminal->justifications.size())
        return 0;
    return CopyText(terminal->justifications[static_cast<std::size_t>(i)], buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetMessage(const char *name, int32_t employee,
                                                   int32_t kind, char *buf, int32_t size)
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal)
        return 0;
    const auto found = terminal->messages.find({employee, kind});
    return found == terminal->messages.end() ? 0 : CopyText(found->second, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetShownMessage(const char *name, int32_t *number,
                                                        char *buf, int32_t size)
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || !number || !terminal->messageShown || !CopyText(terminal->shownText, buf, size))
        return 0;
    *number = terminal->shownNumber;
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetShownMessageTime(const char *name, int64_t *at)
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || !at || !terminal->messageShown)
        return 0;
    *at = terminal->shownAt;
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEvent(const char *name, int32_t slot, int32_t out[6])
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || !out || slot < 0 || slot >= kEventSlots)
        return 0;
    const auto &event = terminal->events[static_cast<std::size_t>(slot)];
    if (!event)
        return 0;
    std::copy(event->begin(), event->end(), out);
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEmployeeName(const char *name, int32_t employee,
                                                        char *buf, int32_t size,
                                                        int32_t *cardCode, int32_t *last)
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || !cardCode || !last)
        return 0;
    const auto found = terminal->employees.find(employee);
    if (found == terminal->employees.end() || !CopyText(found->second.text, buf, size))
        return 0;
    *cardCode = found->second.cardCode;
    *last = found->second.last;
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_EmployeeCount(const char *name)
{
    const Terminal *terminal = FindTerminal(name);
    return terminal ? static_cast<int32_t>(terminal->employees.size()) : -1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEmployeeAt(const char *name, int32_t i,
                                                      int32_t *employee, char *buf, int32_t size,
                                                      int32_t *cardCode)
{
    const Terminal *terminal = FindTerminal(name);
    if (!terminal || !employee || !cardCode || i < 0
        || static_cast<std::size_t>(i) >= terminal->employees.size())
        return 0;
    // Names are few (a roster of up to a thousand); a walk is fine here.
    const auto found = std::next(terminal->employees.begin(), i);
    if (!CopyText(found->second.text, buf, size))
        return 0;
    *employee = found->first;
    *cardCode = found->second.cardCode;
    return 1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetPcName(char *buf, int32_t size)
{
    return CopyText(EngineState().pcName, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetConfirmationsTimeout(int32_t *a, int32_t *b)
{
    if (!a || !b)
        return 0;
    *a = EngineState().confirmationsA;
    *b = EngineState().confirmationsB;
    return 1;
}

} // extern "C"
