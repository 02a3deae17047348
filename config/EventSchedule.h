#pragma once
// The event record's masks and function code, from the window's boxes.

#include "link/TerminalLimits.h"

#include <Qt>

#include <array>
#include <cstdint>

namespace config {

using kestcom_abi::kEventSlots;
inline constexpr int kRingBoxes = 32;
inline constexpr int kWeekdayBoxes = 7; // Monday first

// Bit i for box i exactly ticked; a greyed box leaves its bit clear. Bit 31
// is the top bit, so box 31 makes the value negative.
int32_t RingMask(const std::array<Qt::CheckState, kRingBoxes> &boxes);
int32_t WeekdayMask(const std::array<Qt::CheckState, kWeekdayBoxes> &boxes);

// The function list's index; no selection (-1) is "Nulo".
int32_t FunctionCode(int comboIndex);

} // namespace config
