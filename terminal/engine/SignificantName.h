#pragma once
// The text of a terminal name buffer that a terminal can match: at most 256
// bytes up to the first zero, trailing blanks dropped (they never count).
// Header-only: the line library sends exactly what the engine would match.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace terminal::engine {

// A name buffer longer than this is not a terminal name.
inline constexpr std::size_t kNameScanLimit = 256;

inline std::string_view SignificantName(const char *name)
{
    if (!name)
        return {};
    std::string_view text(name, strnlen(name, kNameScanLimit));
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace terminal::engine
