#include "terminal/line/FrameSplitter.h"

#include "terminal/line/Protocol.h"

#include <algorithm>

namespace terminal::line {

std::optional<FrameSplitter::Piece> FrameSplitter::next()
{
    while (m_skip > 0 && !m_buffer.empty()) {
        const std::size_t n = std::min(m_skip, m_buffer.size());
        m_buffer.erase(0, n);
        m_skip -= n;
    }
    const auto length = BodyLength(m_buffer);
    if (!length)
        return std::nullopt;
    Piece piece;
    if (*length > kMaxBody) {
        // Refused unread; its bytes are passed over as they come.
        const auto sequence = m_buffer.size() > 2 ? static_cast<uint8_t>(m_buffer[2]) : uint8_t(0);
        piece.failure = FailureAnswer(sequence, Status::TooLong);
        piece.frameBytes = kLengthBytes + *length;
        m_skip = kLengthBytes + *length;
        return piece;
    }
    if (m_buffer.size() < kLengthBytes + *length)
        return std::nullopt;
    piece.body = m_buffer.substr(kLengthBytes, *length);
    piece.frameBytes = kLengthBytes + *length;
    m_buffer.erase(0, piece.frameBytes);
    if (piece.body.size() < 2)
        piece.failure = FailureAnswer(piece.body.empty() ? 0 : uint8_t(piece.body[0]),
                                      Status::Malformed);
    return piece;
}

void FrameSplitter::clear()
{
    m_buffer.clear();
    m_skip = 0;
}

} // namespace terminal::line
