#pragma once
// The terminal's end of the line: turns each request into a call of the
// engine and its answer, and says how long the answer takes on the wire.
// Plain C++; the socket and the timers are TerminalServer's.

#include "terminal/line/Protocol.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace terminal::program {

enum class Pace { Wire, Instant };

struct Reply
{
    std::string bytes;
    // How long after the request arrived the answer is due.
    std::chrono::microseconds delay{0};
};

class LineService
{
public:
    explicit LineService(int64_t processId) : m_processId(processId) {}

    // The line's one pace: the window shows it and the store keeps it, both
    // told of each change, whether from the window or from a request.
    void setPace(Pace pace)
    {
        if (pace == m_pace)
            return;
        m_pace = pace;
        if (m_paceChanged)
            m_paceChanged(pace);
    }
    void setPaceHandler(std::function<void(Pace)> handler) { m_paceChanged = std::move(handler); }
    Pace pace() const { return m_pace; }

    // Told whether the answers the port's holder was given have arrived:
    // true at its next request in turn, false when that request skipped a
    // number or the holder went. Other connections say nothing of them.
    void setAnswersHandler(std::function<void(bool arrived)> handler) { m_answersSettled = std::move(handler); }

    // One request body from a connection. Every request gets an answer.
    Reply handle(int connection, std::string_view body, std::size_t frameBytes);
    // The program on that connection is gone: its port closes.
    void disconnected(int connection);
    // The connection that holds the port, or -1.
    int holder() const { return m_holder; }

private:
    std::string dispatch(int connection, uint8_t sequence, uint8_t op, line::Reader &args);
    // One of the 25 operations.
    std::string serveOperation(int connection, uint8_t sequence, line::Op op, line::Reader &args);

    int64_t m_processId;
    Pace m_pace = Pace::Wire;
    int m_holder = -1;
    std::optional<uint8_t> m_holderAnswered; // the number of the holder's last answer
    std::function<void(Pace)> m_paceChanged;
    std::function<void(bool)> m_answersSettled;
};

// The answer delay for an exchange at the port's speed under the pace.
std::chrono::microseconds AnswerDelay(Pace pace, bool lineOperation, std::size_t requestBytes,
                                      std::size_t answerBytes, int32_t baud);

} // namespace terminal::program
