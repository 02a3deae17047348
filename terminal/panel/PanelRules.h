#pragma once
// The panel's decisions as plain functions over clock second counts: what
// the display reads, how events are named, how typed input is taken. When
// events fire is the engine's (terminal/engine/EventFiring.h).

#include "terminal/panel/PanelModel.h"


#include <array>
#include <optional>

namespace terminal::panel {

// --- clock second counts ---

// "dd/mm/yyyy  hh:mm:ss": exactly one display line.
QString ClockText(int64_t clock);
QString TimeText(int64_t clock);     // "hh:mm:ss"

// --- events ---

// The function's item text; "(n)" for a code without one.
QString FunctionName(int32_t function);
// "STQQSSD" initials with "-" for the days the event skips.
QString WeekdayText(uint32_t weekdayMask);

// --- the display ---

inline constexpr int kDisplayColumns = 20;
inline constexpr int kDisplayRows = 4;
using DisplayLines = std::array<QString, kDisplayRows>; // each kDisplayColumns wide

// Lines broken at line breaks and, past the width, at the last blank that
// fits (else after the 20th character); lines past `rows` are dropped.
QStringList LayoutText(const QString &text, int rows);

// The terminal never receives the program's entry and exit message fields:
// it shows its own.
inline const QString kFactoryEntryMessage = QStringLiteral("ENTRA");
inline const QString kFactoryExitMessage = QStringLiteral("SALE");

// Entry or exit as the reader stamps it: presence 1 entry, 0 exit.
inline constexpr uint8_t kPresenceEntry = 1;
inline constexpr uint8_t kPresenceExit = 0;
// The justification at list position p travels as the letter code 'A' + p.
std::optional<uint8_t> JustificationCode(int position);

std::optional<EmployeeName> EmployeeForCard(const QList<EmployeeName> &employees,
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
bool ShownMessageLive(const ShownMessage &shown, int64_t clock);
bool CardPassLive(const StampedEntry &entry, int32_t messageDelay, int64_t clock);
DisplayLines DisplayLinesOf(const DisplayInput &input);

// --- typed input ---

struct Parsed
{
    std::optional<int32_t> value;
    QString error;
};
// A whole number that fits 32 bits, blanks around it allowed.
Parsed ParseCardCode(const QString &text);
// "dd/mm/yyyy hh:mm:ss" or a clock second count; must fit 32 bits.
Parsed ParseClockInput(const QString &text);
// Empty when the name can stand on the line.
QString TerminalNameProblem(const QString &name);

} // namespace terminal::panel
