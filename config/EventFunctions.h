#pragma once
// The event functions: the code each one travels as and the text of its item
// in the window's function list. The terminal reads the same codes.

#include <array>
#include <cstdint>
#include <string_view>

namespace config {

namespace function {
inline constexpr int32_t kNull = 0;
inline constexpr int32_t kBeep1 = 1;
inline constexpr int32_t kBeep2 = 2;
inline constexpr int32_t kSummerTime = 3;
inline constexpr int32_t kWinterTime = 4;
inline constexpr int32_t kRelay1On = 5;
inline constexpr int32_t kRelay1Off = 6;
inline constexpr int32_t kRingRelay1 = 17;
inline constexpr int32_t kRingRelay2 = 18;
} // namespace function

// The list's items by code, UTF-8; codes 7 to 16 are empty items.
inline constexpr std::array<std::string_view, 19> kFunctionNames = {
    "Nulo",         "beep1", "beep2", "Hora de Verão", "Hora de Inverno", "Relé 1 ON",
    "Relé 1 OFF",   "",      "",      "",              "",                "",
    "",             "",      "",      "",              "",                "Toque Relé 1",
    "Toque Relé 2",
};

} // namespace config
