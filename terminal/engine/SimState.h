#pragma once
// The terminal engine: the terminals on one line and everything they hold.
// One global object, single-threaded use, shared by the operations and the
// test interface. Plain C++: the in-process library and the terminal
// program both build on it; the program gives it a Store so state lasts.

#include "terminal/engine/CopyText.h"
#include "terminal/engine/SignificantName.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/TerminalLimits.h"
#include "terminal/engine/EntryMemory.h"
#include "terminal/engine/Store.h"

namespace terminal::engine {

inline constexpr std::string_view kDefaultTerminalName = "PONTO_00";
inline constexpr int32_t kPortNumber = 1;
inline constexpr std::size_t kDefaultEntryCapacity = 2'000'000;
using kestcom_abi::kEventSlots;
inline constexpr int kConfigurationSize = 9;
inline constexpr std::size_t kMaxNameText = 64;
inline constexpr std::size_t kMaxMessageText = 1024;
inline constexpr std::size_t kMaxJustificationText = 128;
inline constexpr std::size_t kIoLogLimit = 1000;
// Keeps every sum of PC clock and terminal offset inside 64 bits.
inline constexpr int64_t kPcClockLimit = int64_t{1} << 53;

struct EmployeeName
{
    std::string text;
    int32_t cardCode = 0;
    int32_t last = 0;
};

struct Adjustment
{
    int32_t count = 0;
    int32_t reference = 0;
    int64_t drift = 0;
};

using Configuration = std::array<int32_t, kConfigurationSize>;
using Event = std::array<int32_t, 6>;

Configuration FactoryConfiguration();

struct Terminal
{
    std::string name;
    bool answering = true;

    Entries entries;
    int32_t secondPointer = 0;
    int32_t readerPointer = 0;
    int32_t nextSerial = 1;

    int64_t clockOffset = 0; // terminal clock minus PC clock
    Adjustment adjustment;

    Configuration configuration = FactoryConfiguration();
    std::vector<std::string> justifications;
    std::map<std::pair<int32_t, int32_t>, std::string> messages; // (employee, kind)
    bool messageShown = false;
    int32_t shownNumber = 0;
    std::string shownText;
    int64_t shownAt = 0; // terminal clock when the message was shown
    std::array<std::optional<Event>, kEventSlots> events;
    // Clock-change slots already fired, each as written then: kept so a
    // restart does not move the clock a second time.
    std::map<int, Event> spentClockChanges;
    // The clock as the clock changes last saw it; none until they first look.
    std::optional<int64_t> clockSeenBySchedule;
    std::map<int32_t, EmployeeName> employees;

    explicit Terminal(std::string terminalName) : name(std::move(terminalName)) {}
    void returnToFactory();
    int32_t entryCount() const { return static_cast<int32_t>(entries.size()); }
    int32_t takeSerial()
    {
        const int32_t serial = nextSerial;
        nextSerial = nextSerial == INT32_MAX ? 1 : nextSerial + 1;
        return serial;
    }
};

struct Port
{
    bool open = false;
    int32_t baud = 0;
    bool modem = false;      // opened raw through IO_Open
    bool callConnected = false;
    bool escaped = false;    // modem in command mode after "+++"
    bool linkOpen = false;
};

struct State
{
    Port port;
    std::vector<Terminal> terminals; // in the order added; delivery follows it
    std::size_t entryCapacity = kDefaultEntryCapacity;
    // Deliver a name shorter than nine as the name and one zero byte,
    // leaving the rest of the caller's buffer as it was.
    bool zeroTerminatedNames = false;

    std::optional<int64_t> frozenPcClock;
    int64_t pcClockShift = 0;

    std::string pcName;
    int32_t confirmationsA = 0;
    int32_t confirmationsB = 0;

    // The serial port this line is on; the in-process library is on COM1.
    int32_t portNumber = kPortNumber;
    // Told about each change; null = nothing lasts.
    Store *store = nullptr;

    std::deque<std::string> ioLog;
    std::map<std::string, int32_t, std::less<>> failures; // -1 = always
    std::map<std::string, int32_t, std::less<>> callCounts;

    State();
    void reset();
};

State &EngineState();

// --- decisions, kept small so they read as rules ---

bool NameMatches(const Terminal &terminal, const char *name);
Terminal *FindTerminal(const char *name);

bool IsValidPort(int32_t port);
bool IsValidBaud(int32_t baud);
bool IsDialLine(std::string_view line);
bool IsEscapeLine(std::string_view line);
bool IsHangUpLine(std::string_view line);

bool IsKnownOperation(std::string_view operation);

// Counts the call and consumes one injected failure; false = fail now.
bool BeginOperation(std::string_view operation);
// BeginOperation plus: link open and the named terminal on the line, answering.
Terminal *BeginTerminalCommand(std::string_view operation, const char *name);

// --- clock ---
int64_t PcClockSeconds();
int64_t PcClockSeconds(const State &s);
int64_t RealPcClockSeconds();
int64_t ClampPcClock(int64_t value);
int64_t TerminalClock(const Terminal &terminal);

// --- text ---
std::string BoundedText(const char *text, std::size_t limit);

// --- what a changed state tells its store (no-ops without one) ---
void PersistLine();
void PersistTerminal(const Terminal &terminal);
void PersistAll();

// --- entry points for whatever drives the terminals besides the line
//     (test interface, front panel); each change is persisted ---
// A card at the reader: the new entry's index, or -1 (memory full, clock
// outside 32 bits).
int32_t StampCard(Terminal &terminal, int32_t cardCode);
// A card at the reader with the key pressed and justification chosen there.
int32_t StampCard(Terminal &terminal, int32_t cardCode, uint8_t aux1, uint8_t justification,
                  uint8_t presence);
// The terminal's clock reads `seconds` now and runs on from there.
void SetTerminalClock(Terminal &terminal, int32_t seconds);
// The clock-change slots now spent and, when one just fired, the clock it
// moved to, kept together in one change.
void SetSpentClockChanges(Terminal &terminal, std::map<int, Event> spent,
                          std::optional<int32_t> clockSeconds = std::nullopt);
// The summer/winter clock changes now due: the clock moves and the slot is
// spent, kept in one change. The first look at a terminal only takes note of
// its clock, so nothing past fires late.
void RunClockChanges(Terminal &terminal);
// Empty, too long or duplicate names fail (nullptr / false).
Terminal *AddTerminal(std::string_view name);
bool RemoveTerminal(std::string_view name);
// Factory state: no entries, start configuration; the terminal stays on the line.
void KillTerminal(Terminal &terminal);
// W_Kill as the line asks it (the in-process library without W_Kill leaves
// it out of its exports).
int32_t KillCommand(const char *name);
// The demo morning for the current PC day replaces the entries.
void LoadMorningNow(Terminal &terminal);
// Back to the empty, deterministic start of the test interface.
void ResetLine();
// Back to the state of a terminal that never ran: PONTO_00 alone with the
// demo morning. The port and the PC clock are left as they are.
void ReturnToDemoMorning();

// --- entries ---
bool ValidReaderPointer(int32_t value);
// The bytes W_ReceiveEntry writes into the caller's name buffer: nine
// characters and a zero, or a short name and one zero byte.
std::string ClockNameBytes(const std::string &name, bool zeroTerminated);
void LoadMorning(Terminal &terminal, int64_t pcNow);

} // namespace terminal::engine
