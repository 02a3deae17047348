#pragma once
// The library's end of the line: one connection to the terminal program of
// the open port, kept while the port is open. Plain C++ and POSIX sockets.

#include "terminal/line/FrameSplitter.h"
#include "terminal/line/Protocol.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace terminal::line {

struct Answer
{
    Status status = Status::Ok;
    int32_t result = 0;
    std::string body;   // everything after the result
    Reader results() const { return Reader(body); }
};

// The answer to `sequence` among the whole frames at the front of what
// arrived, which are taken off; a late answer to an earlier call, or a frame
// too short to be an answer, is dropped. Nullopt: not there yet.
std::optional<Answer> TakeAnswer(FrameSplitter &answers, uint8_t sequence);

class LineClient
{
public:
    ~LineClient();

    // The two settings the program makes before any port is open; they are
    // handed to each terminal the library connects to.
    // 0 for a name that cannot be sent (none, or too long for a frame).
    int32_t setPcName(char *name);
    int32_t setConfirmations(int32_t a, int32_t b);

    // InitializeCommWithoutError and IO_Open: connects (starting the
    // terminal program if none serves the port) and opens the port.
    int32_t open(Op op, int32_t port, int32_t baud);
    int32_t close(int32_t port);
    // InitializeCommWithoutOpen: only on the port the library holds.
    std::optional<Answer> onPort(int32_t port, Writer &request, Op op);

    // A call on the open line. Without an open port or with a terminal that
    // is gone it fails at once; with a silent one, after the time-out.
    std::optional<Answer> call(Writer &request, Op op);
    // A test-interface call: on the connection there is, else on a new one
    // to the test port (starting its terminal).
    std::optional<Answer> testCall(Writer &request, Op op);
    void setTestPort(int32_t port);

private:
    bool connect(int32_t port);
    std::optional<int32_t> openOn(Op op, int32_t port, int32_t baud);
    void disconnect();
    void lost();
    std::optional<Answer> exchange(Writer &request, Op op);
    std::chrono::milliseconds answerTimeout() const;

    int m_fd = -1;
    int32_t m_connectedPort = 0;
    int32_t m_linePort = 0;  // the port the program opened
    bool m_portOpen = false; // as the program sees it
    bool m_lineLost = false; // the terminal went away while the port was open
    int32_t m_baud = 0;
    uint8_t m_sequence = 0;
    FrameSplitter m_answers;

    std::optional<Writer> m_pcName; // its request, for each terminal connected
    std::optional<std::pair<int32_t, int32_t>> m_confirmations;
    int32_t m_testPort = 1;
    // A terminal just started may still be coming up: its first answers get
    // until then.
    std::chrono::steady_clock::time_point m_startingUntil{};
};

LineClient &LibraryLineClient();

// Starts velmora-terminal for the port from the folder this library was
// loaded from, detached, so it outlives the program as a terminal would.
void StartTerminal(int32_t port);

} // namespace terminal::line
