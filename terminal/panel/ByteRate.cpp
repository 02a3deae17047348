#include "terminal/panel/ByteRate.h"

namespace terminal::panel {

void ByteRate::add(int64_t bytes, int64_t nowMs)
{
    if (bytes <= 0)
        return;
    forget(nowMs);
    // Bursts within one millisecond share a slot, so the queue stays short.
    if (!m_recent.empty() && m_recent.back().first == nowMs)
        m_recent.back().second += bytes;
    else
        m_recent.emplace_back(nowMs, bytes);
    m_total += bytes;
}

int64_t ByteRate::perSecond(int64_t nowMs)
{
    forget(nowMs);
    return m_total;
}

void ByteRate::forget(int64_t nowMs)
{
    while (!m_recent.empty() && m_recent.front().first <= nowMs - kWindowMs) {
        m_total -= m_recent.front().second;
        m_recent.pop_front();
    }
}

} // namespace terminal::panel
