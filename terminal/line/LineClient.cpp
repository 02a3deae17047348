#include "terminal/line/LineClient.h"

#include "terminal/line/OperationCodec.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace terminal::line {

namespace {

using Clock = std::chrono::steady_clock;

// As long as a plugged-in terminal may take to come up.
constexpr std::chrono::milliseconds kStartWait{5000};
constexpr std::chrono::milliseconds kStartPoll{20};
constexpr std::chrono::milliseconds kDefaultTimeout{1000};
// The test interface is not the line; a slow answer there (a reset of a
// full memory) is not a silent terminal.
constexpr std::chrono::milliseconds kTestTimeout{30000};

int ConnectSocket(const std::string &path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string &bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += std::size_t(n);
    }
    return true;
}

} // namespace

LineClient &LibraryLineClient()
{
    static LineClient client;
    return client;
}

LineClient::~LineClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void StartTerminal(int32_t port)
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&StartTerminal), &info) || !info.dli_fname)
        return;
    std::string folder = info.dli_fname;
    const std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    const std::string program = folder + "/velmora-terminal";
    if (access(program.c_str(), X_OK) != 0)
        return;
    const std::string portArgument = PortName(port);
    // Its output goes to a log beside its socket, not to whatever this
    // process writes to (a test runner would wait for that pipe to close).
    const SocketPlace place = SocketPlaceOf(port);
    const std::string log = place.path.empty() ? std::string("/dev/null") : place.path + ".log";
    char *const argv[] = {const_cast<char *>(program.c_str()), const_cast<char *>("--port"),
                          const_cast<char *>(portArgument.c_str()), nullptr};
    // Twice forked so the terminal belongs to no one and leaves no zombie.
    const pid_t child = fork();
    if (child < 0)
        return;
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            const int nothing = ::open("/dev/null", O_RDONLY);
            if (nothing >= 0)
                dup2(nothing, 0);
            const int output = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            if (output >= 0) {
                dup2(output, 1);
                dup2(output, 2);
            }
            close_range(3, ~0u, 0);
            execv(program.c_str(), argv);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

std::chrono::milliseconds LineClient::answerTimeout() const
{
    if (m_confirmations && m_confirmations->first > 0)
        return std::chrono::milliseconds{m_confirmations->first};
    return kDefaultTimeout;
}

bool LineClient::connect(int32_t port)
{
    const SocketPlace place = SocketPlaceOf(port);
    if (place.path.empty())
        return false;
    int fd = ConnectSocket(place.path);
    if (fd < 0 && (errno == ENOENT || errno == ECONNREFUSED)) {
        StartTerminal(port);
        const auto until = Clock::now() + kStartWait;
        m_startingUntil = until;
        while (fd < 0 && Clock::now() < until) {
            std::this_thread::sleep_for(kStartPoll);
            fd = ConnectSocket(place.path);
        }
    }
    if (fd < 0)
        return false;
    m_fd = fd;
    m_connectedPort = port;
    m_answers.clear();
    return true;
}

void LineClient::disconnect()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_connectedPort = 0;
    m_answers.clear();
}

void LineClient::lost()
{
    disconnect();
    if (m_portOpen)
        m_lineLost = true;
}

std::optional<Answer> LineClient::exchange(Writer &request, Op op)
{
    if (m_fd < 0 || !request.fits())
        return std::nullopt;
    const uint8_t sequence = ++m_sequence;
    std::string frame = request.frame();
    frame[kLengthBytes] = static_cast<char>(sequence);

    const auto timeout = IsLineOperation(uint8_t(op))
                             ? std::chrono::duration_cast<std::chrono::milliseconds>(
                                   ExchangeTime(frame.size(), LongestAnswer(op), m_baud))
                                   + answerTimeout()
                             : kTestTimeout;
    const auto deadline = std::max(Clock::now() + timeout, m_startingUntil);
    if (!SendAll(m_fd, frame)) {
        lost();
        return std::nullopt;
    }
    for (;;) {
        // Whole answers already received; a late answer to an earlier,
        // timed-out call is dropped by its sequence number.
        if (auto answer = TakeAnswer(m_answers, sequence))
            return answer;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            // Its answer may still come, unread: the number skipped tells the
            // terminal, which then delivers an entry in it again.
            ++m_sequence;
            return std::nullopt;
        }
        pollfd wait{m_fd, POLLIN, 0};
        const int ready = poll(&wait, 1, int(std::min<int64_t>(left.count() + 1, INT32_MAX)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            lost();
            return std::nullopt;
        }
        m_answers.append(std::string_view(chunk, std::size_t(n)));
    }
}

std::optional<Answer> TakeAnswer(FrameSplitter &answers, uint8_t sequence)
{
    while (const auto piece = answers.next()) {
        Reader reader(piece->body);
        const uint8_t answeredSequence = reader.u8();
        const auto status = static_cast<Status>(reader.u8());
        const int32_t result = reader.i32();
        if (!piece->failure.empty() || !reader.good() || answeredSequence != sequence)
            continue;
        Answer answer;
        answer.status = status;
        answer.result = result;
        answer.body = piece->body.substr(kAnswerOverhead - kLengthBytes);
        return answer;
    }
    return std::nullopt;
}

int32_t LineClient::setPcName(char *name)
{
    auto request = EncodeRequest(Op::SetPCName, name);
    if (!request)
        return 0;
    m_pcName = *request;
    if (!m_portOpen || m_lineLost || m_fd < 0)
        return 1;
    const auto answer = exchange(*request, Op::SetPCName);
    return answer ? answer->result : 0;
}

int32_t LineClient::setConfirmations(int32_t a, int32_t b)
{
    m_confirmations = std::pair{a, b};
    if (!m_portOpen || m_lineLost || m_fd < 0)
        return 1;
    auto request = EncodeRequest(Op::SetConfirmationsTimeout, a, b);
    const auto answer = exchange(*request, Op::SetConfirmationsTimeout);
    return answer ? answer->result : 0;
}

int32_t LineClient::open(Op op, int32_t port, int32_t baud)
{
    if (PortName(port).empty())
        return 0;
    if (m_fd >= 0 && (m_connectedPort != port || m_lineLost)) {
        disconnect();
        m_portOpen = false;
    }
    // A terminal still going down may take a connection and then drop it;
    // a second connection then reaches (or starts) the next one. A
    // connection found dead on the way (its terminal ended since the last
    // call) is no attempt: a fresh one follows at once.
    for (int fresh = 0; fresh < 2;) {
        if (m_fd < 0) {
            ++fresh;
            m_portOpen = false;
            m_lineLost = false;
            if (!connect(port))
                return 0;
        }
        const auto answer = openOn(op, port, baud);
        if (answer || m_fd >= 0)
            return answer.value_or(0);
    }
    return 0;
}

// nullopt: the connection was lost on the way.
std::optional<int32_t> LineClient::openOn(Op op, int32_t port, int32_t baud)
{
    // What the program set before there was a line reaches this terminal now.
    if (!m_portOpen) {
        if (m_pcName)
            exchange(*m_pcName, Op::SetPCName);
        if (m_confirmations) {
            auto request = EncodeRequest(Op::SetConfirmationsTimeout, m_confirmations->first,
                                         m_confirmations->second);
            exchange(*request, Op::SetConfirmationsTimeout);
        }
    }
    auto request = EncodeRequest(op, port, baud);
    const int32_t previousBaud = m_baud;
    m_baud = std::max(baud, 0);
    const auto answer = exchange(*request, op);
    m_startingUntil = {};
    if (!answer && m_fd < 0) {
        m_baud = previousBaud;
        m_portOpen = false;
        m_lineLost = false;
        return std::nullopt;
    }
    if (!answer || answer->status != Status::Ok || answer->result == 0) {
        m_baud = previousBaud;
        if (!answer || answer->status == Status::Busy || !m_portOpen) {
            disconnect();
            m_portOpen = false;
        }
        return 0;
    }
    m_portOpen = true;
    m_lineLost = false;
    m_linePort = port;
    return answer->result;
}

int32_t LineClient::close(int32_t port)
{
    if (PortName(port).empty())
        return 0;
    if (!m_portOpen || m_linePort != port || m_lineLost || m_fd < 0) {
        if (m_linePort == port) {
            m_portOpen = false;
            m_lineLost = false;
        }
        return 1;
    }
    auto request = EncodeRequest(Op::TerminateComm, port);
    const auto answer = exchange(*request, Op::TerminateComm);
    disconnect();
    m_portOpen = false;
    m_lineLost = false;
    m_baud = 0;
    return answer ? answer->result : 1;
}

std::optional<Answer> LineClient::onPort(int32_t port, Writer &request, Op op)
{
    if (!m_portOpen || port != m_linePort)
        return std::nullopt;
    return call(request, op);
}

std::optional<Answer> LineClient::call(Writer &request, Op op)
{
    if (!m_portOpen)
        return std::nullopt;
    // A terminal whose connection is gone is not there to answer: no
    // time-out to wait for, unlike a silent one.
    if (m_lineLost || m_fd < 0)
        return std::nullopt;
    auto answer = exchange(request, op);
    if (answer && answer->status != Status::Ok)
        return std::nullopt;
    return answer;
}

std::optional<Answer> LineClient::testCall(Writer &request, Op op)
{
    if (m_fd < 0 && !connect(m_portOpen ? m_linePort : m_testPort))
        return std::nullopt;
    auto answer = exchange(request, op);
    m_startingUntil = {};
    if (answer && answer->status != Status::Ok)
        return std::nullopt;
    return answer;
}

void LineClient::setTestPort(int32_t port)
{
    m_testPort = port;
    if (!m_portOpen && m_fd >= 0 && m_connectedPort != port)
        disconnect();
}

} // namespace terminal::line
