#pragma once
// Opening and closing the link, modem dial and the kill command.

#include <QString>

#include <cstdint>
#include <optional>

struct FormContext;

namespace connection {

// Baud button k (0 to 3: 38400, 19200, 9600, 4800).
void OpenLink(FormContext &ctx, int k);
// "Close COM"
void CloseCom(FormContext &ctx);
// "Dial"
void Dial(FormContext &ctx);
// "Kill"
void Kill(FormContext &ctx);

// --- the decisions behind them ---

// The COM field as the user sees it named in messages.
inline const QString kComField = QStringLiteral("COM");
inline constexpr int32_t kDialSpeed = 19200;
// Sent on every close, a modem line or not: escape to command mode, wait,
// hang up.
inline const QString kEscapeLine = QStringLiteral("+++\r");
inline const QString kHangUpLine = QStringLiteral("AT H0\r");
inline constexpr int kGuardWaitMs = 1000;

// The speed a baud button's caption names.
std::optional<int32_t> SpeedOfCaption(const QString &caption);
// "AT DT ", the number exactly as typed, a carriage return.
QString DialLine(const QString &number);
// Characters of a line as the library receives it: one byte per character,
// whatever cannot be encoded already replaced by a single '?'.
int32_t LineLength(const QString &line);

} // namespace connection
