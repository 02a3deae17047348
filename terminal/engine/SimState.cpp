#include "terminal/engine/SimState.h"

#include "clock/ClockCalendar.h"
#include "link/KestComOperations.h"
#include "terminal/engine/EventFiring.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <iterator>
#include <limits>

namespace terminal::engine {

namespace {

constexpr std::string_view kOperations[] = {
#define SIM_OPERATION_NAME(op, shape) #op,
    KESTCOM_OPERATIONS(SIM_OPERATION_NAME)
#undef SIM_OPERATION_NAME
};
static_assert(std::size(kOperations) == KESTCOM_OPERATION_COUNT);

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                  return std::toupper(static_cast<unsigned char>(x))
                         == std::toupper(static_cast<unsigned char>(y));
              });
}

std::string_view SkipBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return text;
}

// Strips the final carriage return; nullopt when the line has none.
std::optional<std::string_view> CommandLine(std::string_view line)
{
    if (line.empty() || line.back() != '\r')
        return std::nullopt;
    line.remove_suffix(1);
    return line;
}

} // namespace

Configuration FactoryConfiguration()
{
    // entrySeparation, messageDelay, dayCloseTime, twelveHourFlag, cardSeries,
    // maximumWorkTime, clockTickFlag, gate1, gate2
    return {1, 3, 0, 0, 0, 0, 1, 0, 0};
}

void Terminal::returnToFactory()
{
    Terminal fresh(std::move(name));
    fresh.answering = answering;
    fresh.clockSeenBySchedule = clockSeenBySchedule;
    // The same memory, emptied: the program's stays in its file.
    fresh.entries = std::move(entries);
    fresh.entries.clear();
    *this = std::move(fresh);
}

State::State()
{
    reset();
    LoadMorning(terminals.front(), PcClockSeconds(*this));
}

void State::reset()
{
    port = Port{};
    terminals.clear();
    terminals.emplace_back(std::string(kDefaultTerminalName));
    entryCapacity = kDefaultEntryCapacity;
    zeroTerminatedNames = false;
    frozenPcClock.reset();
    pcClockShift = 0;
    pcName.clear();
    confirmationsA = 0;
    confirmationsB = 0;
    ioLog.clear();
    failures.clear();
    callCounts.clear();
}

State &EngineState()
{
    static State instance;
    return instance;
}

bool NameMatches(const Terminal &terminal, const char *name)
{
    const std::string_view wanted = SignificantName(name);
    return !wanted.empty() && wanted == terminal.name;
}

Terminal *FindTerminal(const char *name)
{
    for (Terminal &terminal : EngineState().terminals)
        if (NameMatches(terminal, name))
            return &terminal;
    return nullptr;
}

bool IsValidPort(int32_t port)
{
    return port == EngineState().portNumber;
}

bool IsValidBaud(int32_t baud)
{
    return baud == 4800 || baud == 9600 || baud == 19200 || baud == 38400;
}

bool IsDialLine(std::string_view line)
{
    const auto command = CommandLine(line);
    if (!command || command->size() < 5 || !EqualsIgnoringCase(command->substr(0, 5), "AT DT"))
        return false;
    return !SkipBlanks(command->substr(5)).empty();
}

bool IsEscapeLine(std::string_view line)
{
    return line == "+++" || line == "+++\r";
}

bool IsHangUpLine(std::string_view line)
{
    const auto command = CommandLine(line);
    if (!command || command->size() < 2 || !EqualsIgnoringCase(command->substr(0, 2), "AT"))
        return false;
    const std::string_view rest = SkipBlanks(command->substr(2));
    return EqualsIgnoringCase(rest, "H0") || EqualsIgnoringCase(rest, "H");
}

bool IsKnownOperation(std::string_view operation)
{
    return std::find(std::begin(kOperations), std::end(kOperations), operation) != std::end(kOperations);
}

bool BeginOperation(std::string_view operation)
{
    State &s = EngineState();
    auto count = s.callCounts.find(operation);
    if (count == s.callCounts.end())
        count = s.callCounts.emplace(std::string(operation), 0).first;
    if (count->second < std::numeric_limits<int32_t>::max())
        ++count->second;

    const auto failure = s.failures.find(operation);
    if (failure == s.failures.end())
        return true;
    if (failure->second > 0 && --failure->second == 0)
        s.failures.erase(failure);
    return false;
}

Terminal *BeginTerminalCommand(std::string_view operation, const char *name)
{
    if (!BeginOperation(operation) || !EngineState().port.linkOpen)
        return nullptr;
    Terminal *terminal = FindTerminal(name);
    return terminal && terminal->answering ? terminal : nullptr;
}

int64_t RealPcClockSeconds()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &now) != 0)
        return 0;
#else
    if (!localtime_r(&now, &local))
        return 0;
#endif
    const int64_t day = clocktime::DayOfDate(int64_t{local.tm_year} + 1900, local.tm_mon + 1,
                                             local.tm_mday);
    const int64_t secondOfDay = local.tm_hour * 3600 + local.tm_min * 60 + std::min(local.tm_sec, 59);
    return day * clocktime::kSecondsPerDay + secondOfDay;
}

int64_t ClampPcClock(int64_t value)
{
    return std::clamp(value, -kPcClockLimit, kPcClockLimit);
}

int64_t PcClockSeconds(const State &s)
{
    if (s.frozenPcClock)
        return *s.frozenPcClock;
    return ClampPcClock(RealPcClockSeconds() + s.pcClockShift);
}

int64_t PcClockSeconds()
{
    return PcClockSeconds(EngineState());
}

int64_t TerminalClock(const Terminal &terminal)
{
    return PcClockSeconds() + terminal.clockOffset;
}

std::string BoundedText(const char *text, std::size_t limit)
{
    return text ? std::string(text, strnlen(text, limit)) : std::string();
}

void PersistLine()
{
    if (Store *store = EngineState().store)
        store->lineChanged(EngineState());
}

void PersistTerminal(const Terminal &terminal)
{
    if (Store *store = EngineState().store)
        store->terminalChanged(terminal);
}

void PersistAll()
{
    if (Store *store = EngineState().store)
        store->allReplaced(EngineState());
}

int32_t StampCard(Terminal &terminal, int32_t cardCode)
{
    return StampCard(terminal, cardCode, 0, 0, 1);
}

int32_t StampCard(Terminal &terminal, int32_t cardCode, uint8_t aux1, uint8_t justification,
                  uint8_t presence)
{
    const auto now = clocktime::ToClockSeconds(TerminalClock(terminal));
    if (!now || terminal.entries.size() >= EngineState().entryCapacity)
        return -1;
    Entry entry;
    entry.seconds = *now;
    entry.cardCode = cardCode;
    entry.aux1 = aux1;
    entry.justification = justification;
    entry.presence = presence;
    entry.origin = Origin::Card;
    entry.serial = terminal.takeSerial();
    terminal.entries.append(entry);
    if (Store *store = EngineState().store)
        store->entryInserted(terminal, terminal.entries.size() - 1);
    return terminal.entryCount() - 1;
}

void SetTerminalClock(Terminal &terminal, int32_t seconds)
{
    terminal.clockOffset = seconds - PcClockSeconds();
    PersistTerminal(terminal);
}

void SetSpentClockChanges(Terminal &terminal, std::map<int, Event> spent,
                          std::optional<int32_t> clockSeconds)
{
    terminal.spentClockChanges = std::move(spent);
    if (clockSeconds)
        terminal.clockOffset = *clockSeconds - PcClockSeconds();
    PersistTerminal(terminal);
}

void RunClockChanges(Terminal &terminal)
{
    ClockChangeWatch watch{terminal.clockSeenBySchedule, terminal.spentClockChanges};
    const int64_t clock = TerminalClock(terminal);
    const int64_t shift = AdvanceClockChanges(watch, HeldEvents(terminal.events), clock);
    terminal.clockSeenBySchedule = watch.seenClock;
    // The moved clock and its spent slot are kept in one change, so a stop
    // between the two can neither lose the shift nor repeat it.
    std::optional<int32_t> moved;
    if (shift != 0)
        moved = clocktime::ToClockSeconds(clock + shift);
    if (moved || watch.spent != terminal.spentClockChanges)
        SetSpentClockChanges(terminal, std::move(watch.spent), moved);
}

Terminal *AddTerminal(std::string_view name)
{
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    if (name.empty() || name.size() > kestcom_abi::kTerminalNameLength
        || name.find('\0') != std::string_view::npos)
        return nullptr;
    const std::string wanted(name);
    if (FindTerminal(wanted.c_str()))
        return nullptr;
    Terminal &added = EngineState().terminals.emplace_back(wanted);
    PersistAll();
    return &added;
}

bool RemoveTerminal(std::string_view name)
{
    const std::string wanted(name);
    auto &terminals = EngineState().terminals;
    const auto found = std::find_if(terminals.begin(), terminals.end(), [&](const Terminal &t) {
        return NameMatches(t, wanted.c_str());
    });
    if (found == terminals.end())
        return false;
    terminals.erase(found);
    PersistAll();
    return true;
}

void KillTerminal(Terminal &terminal)
{
    terminal.returnToFactory();
    if (Store *store = EngineState().store)
        store->terminalReplaced(terminal);
}

void LoadMorningNow(Terminal &terminal)
{
    LoadMorning(terminal, PcClockSeconds());
    if (Store *store = EngineState().store)
        store->terminalReplaced(terminal);
}

void ResetLine()
{
    State &s = EngineState();
    const int32_t portNumber = s.portNumber;
    s.reset();
    s.portNumber = portNumber;
    PersistAll();
}

void ReturnToDemoMorning()
{
    State &s = EngineState();
    // A program holding the port keeps its link; the PC clock is not the terminal's.
    const Port port = s.port;
    const int32_t portNumber = s.portNumber;
    const std::optional<int64_t> frozenPcClock = s.frozenPcClock;
    const int64_t pcClockShift = s.pcClockShift;
    s.reset();
    s.port = port;
    s.portNumber = portNumber;
    s.frozenPcClock = frozenPcClock;
    s.pcClockShift = pcClockShift;
    LoadMorning(s.terminals.front(), PcClockSeconds(s));
    PersistAll();
}

bool ValidReaderPointer(int32_t value)
{
    return value >= -1;
}

std::string ClockNameBytes(const std::string &name, bool zeroTerminated)
{
    constexpr std::size_t kLength = kestcom_abi::kClockNameLength;
    if (zeroTerminated && name.size() < kLength)
        return name + '\0';
    std::string bytes(kLength, ' ');
    std::copy_n(name.begin(), std::min(name.size(), kLength), bytes.begin());
    return bytes + '\0';
}

} // namespace terminal::engine
