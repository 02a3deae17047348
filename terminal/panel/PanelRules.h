#pragma once
// The panel's decisions as plain functions over clock second counts: when an
// event rings, what the display reads, how typed input is taken.

#include "terminal/panel/PanelModel.h"

#include <QSet>

#include <array>
#include <optional>

namespace velmora::panel {

// --- clock second counts ---

inline constexpr int64_t kSecondsPerDay = 86400;

int64_t dayOf(int64_t clock);        // days since 1996-01-01, floored
int64_t secondOfDay(int64_t clock);  // 0..86399
int weekdayOf(int64_t clock);        // 0 Monday .. 6 Sunday; 1996-01-01 was a Monday
// "dd/mm/yyyy  hh:mm:ss": exactly one display line.
QString clockText(int64_t clock);
QString timeText(int64_t clock);     // "hh:mm:ss"

// --- events ---

namespace function {
inline constexpr int32_t kBeep1 = 1;
inline constexpr int32_t kBeep2 = 2;
inline constexpr int32_t kSummerTime = 3;
inline constexpr int32_t kWinterTime = 4;
inline constexpr int32_t kRelay1On = 5;
inline constexpr int32_t kRelay1Off = 6;
inline constexpr int32_t kRingRelay1 = 17;
inline constexpr int32_t kRingRelay2 = 18;
} // namespace function

enum class Lamp { Beep1, Beep2, Relay1, Relay2 };
inline constexpr int kLampCount = 4;
using Lamps = std::array<bool, kLampCount>;

inline constexpr int kRingPatternSeconds = 32;
inline constexpr int64_t kSummerShift = 3600;

// The lamp an event drives; none for "Nulo", the empty items and the clock changes.
std::optional<Lamp> lampOf(int32_t function);
QString functionName(int32_t function);
// "STQQSSD" initials with "-" for the days the event skips.
QString weekdayText(uint32_t weekdayMask);

// A ringing event at its time of day on each of its weekdays, following bit
// i of the ring pattern in second i; each repeat starts `period` seconds after
// the one before. One day's ringing ends a day after it began.
bool ringsAt(const ScheduledEvent &event, int64_t clock);
// Relay 1 holds what the latest "Relé 1 ON" / "Relé 1 OFF" left; OFF wins a tie.
bool relay1HeldOn(const QList<ScheduledEvent> &events, int64_t clock);
Lamps lampsAt(const QList<ScheduledEvent> &events, int64_t clock);

// Summer time puts the clock an hour forward, winter time an hour back, when
// the clock passes the event's whole second count (before < seconds <= now).
int64_t clockShiftDue(const ScheduledEvent &event, int64_t before, int64_t now);

// When the event next fires at or after `clock`; none if it never will.
std::optional<int64_t> nextFiring(const ScheduledEvent &event, int64_t clock);
struct NextEvent
{
    int slot = 0;
    int64_t at = 0;
};
// The earliest firing; `spent` slots (clock changes already made) are left out.
std::optional<NextEvent> nextEvent(const QList<ScheduledEvent> &events, int64_t clock,
                                   const QSet<int> &spent = {});

// --- the display ---

inline constexpr int kDisplayColumns = 20;
inline constexpr int kDisplayRows = 4;
using DisplayLines = std::array<QString, kDisplayRows>; // each kDisplayColumns wide

// Lines broken at line breaks and, past the width, at the last blank that
// fits (else after the 20th character); lines past `rows` are dropped.
QStringList layoutText(const QString &text, int rows);

// The terminal never receives the program's entry and exit message fields:
// it shows its own.
inline const QString kFactoryEntryMessage = QStringLiteral("ENTRA");
inline const QString kFactoryExitMessage = QStringLiteral("SALE");

// Entry or exit as the reader stamps it: presence 1 entry, 0 exit.
inline constexpr uint8_t kPresenceEntry = 1;
inline constexpr uint8_t kPresenceExit = 0;
// The justification at list position p travels as the letter code 'A' + p.
std::optional<uint8_t> justificationCode(int position);

std::optional<EmployeeName> employeeForCard(const QList<EmployeeName> &employees,
                                            int32_t cardCode);

struct DisplayInput
{
    int64_t clock = 0;
    std::optional<ShownMessage> shown;
    std::optional<StampedEntry> lastEntry;
    QString entryMessage;
    QString exitMessage;
    int32_t messageDelay = 0;
    QString employeeName;   // of the last entry's card, empty when unknown
    QString employeeMessage;
};

// A shown message lasts `number` seconds (kept until replaced when 0 or less);
// a card pass lasts the message delay (at least a second).
bool shownMessageLive(const ShownMessage &shown, int64_t clock);
bool cardPassLive(const StampedEntry &entry, int32_t messageDelay, int64_t clock);
DisplayLines displayLines(const DisplayInput &input);

// --- typed input ---

struct Parsed
{
    std::optional<int32_t> value;
    QString error;
};
// A whole number that fits 32 bits, blanks around it allowed.
Parsed parseCardCode(const QString &text);
// "dd/mm/yyyy hh:mm:ss" or a clock second count; must fit 32 bits.
Parsed parseClockInput(const QString &text);
// Empty when the name can stand on the line.
QString terminalNameProblem(const QString &name);

} // namespace velmora::panel
