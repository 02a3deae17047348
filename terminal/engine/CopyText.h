#pragma once
// A text read back into a caller's buffer: cut to size - 1 bytes and
// zero-terminated. Header-only, for the engine and the line library alike.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace terminal::engine {

// 1 when written; 0 for no buffer or no room.
inline int32_t CopyText(std::string_view text, char *buf, int32_t size)
{
    if (!buf || size <= 0)
        return 0;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return 1;
}

} // namespace terminal::engine
