#pragma once
// Bytes per second on the line now: what crossed it in the last second.

#include <cstdint>
#include <deque>
#include <utility>

namespace terminal::panel {

class ByteRate
{
public:
    static constexpr int64_t kWindowMs = 1000;
    void add(int64_t bytes, int64_t nowMs);
    int64_t perSecond(int64_t nowMs);

private:
    void forget(int64_t nowMs);
    std::deque<std::pair<int64_t, int64_t>> m_recent; // (ms, bytes), oldest first
    int64_t m_total = 0;
};

} // namespace terminal::panel
