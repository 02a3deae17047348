#pragma once
// Splits a connection's byte stream into frame bodies: the terminal's
// requests and the library's answers alike. Plain C++.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace terminal::line {

class FrameSplitter
{
public:
    void append(std::string_view bytes) { m_buffer.append(bytes); }
    // The next whole body, or a failure answer to send instead (a body too
    // long to take is skipped); nullopt = need more bytes.
    struct Piece
    {
        std::string body;        // empty with a failure
        std::string failure;     // an answer, when the frame was refused unread
        std::size_t frameBytes = 0;
    };
    std::optional<Piece> next();
    std::size_t pending() const { return m_buffer.size(); }
    void clear();

private:
    std::string m_buffer;
    std::size_t m_skip = 0;
};

} // namespace terminal::line
