#pragma once
// What a terminal holds, as the library's contract fixes it: every side (the
// program, the library and the simulated terminal) takes these from here.

#include <cstddef>

namespace kestcom_abi {

// The terminal's event table: slots 0 to 109.
inline constexpr int kEventSlots = 110;
// A terminal's name on the line, in bytes.
inline constexpr std::size_t kTerminalNameLength = 32;
// The terminal's name as W_ReceiveEntry hands it back: nine characters (and
// a zero byte after them).
inline constexpr std::size_t kClockNameLength = 9;

} // namespace kestcom_abi
