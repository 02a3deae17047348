#include "terminal/line/Protocol.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace terminal::line {

namespace {

// Makes the folder if it is missing; then it must be ours, a real folder
// and closed to group and others.
std::string PrivateFolderProblem(const std::string &folder)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return "cannot make " + folder + ": " + std::strerror(errno);
    struct stat info{};
    if (lstat(folder.c_str(), &info) != 0)
        return "cannot look at " + folder + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode))
        return folder + " is not a folder";
    if (info.st_uid != geteuid())
        return folder + " belongs to another user";
    if ((info.st_mode & 077) != 0)
        return folder + " is open to other users";
    return {};
}

} // namespace

std::chrono::microseconds WireTime(std::size_t bytes, int32_t baud)
{
    if (baud <= 0)
        return std::chrono::microseconds{0};
    const uint64_t bits = uint64_t{bytes} * kBitsPerByte;
    // Rounded up: a byte is not over before its stop bit is.
    return std::chrono::microseconds{
        static_cast<int64_t>((bits * 1'000'000 + uint64_t(baud) - 1) / uint64_t(baud))};
}

std::chrono::microseconds ExchangeTime(std::size_t requestBytes, std::size_t answerBytes,
                                       int32_t baud)
{
    return WireTime(requestBytes + answerBytes, baud) + kTurnaround;
}

Writer::Writer(uint8_t sequence, uint8_t second)
{
    m_bytes.assign(kLengthBytes, '\0');
    m_bytes.push_back(static_cast<char>(sequence));
    m_bytes.push_back(static_cast<char>(second));
}

Writer &Writer::u8(uint8_t value)
{
    m_bytes.push_back(static_cast<char>(value));
    return *this;
}

Writer &Writer::i32(int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        m_bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
    return *this;
}

Writer &Writer::i64(int64_t value)
{
    const auto v = static_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        m_bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
    return *this;
}

Writer &Writer::text(std::string_view value)
{
    const std::size_t zero = value.find('\0');
    if (zero != std::string_view::npos)
        value = value.substr(0, zero);
    m_bytes.append(value);
    m_bytes.push_back('\0');
    return *this;
}

Writer &Writer::raw(std::string_view bytes)
{
    m_bytes.append(bytes);
    return *this;
}

std::string Writer::frame()
{
    const std::size_t body = m_bytes.size() - kLengthBytes;
    m_bytes[0] = static_cast<char>(body & 0xff);
    m_bytes[1] = static_cast<char>((body >> 8) & 0xff);
    return m_bytes;
}

std::string_view Reader::take(std::size_t n)
{
    if (!m_good || m_rest.size() < n) {
        m_good = false;
        return {};
    }
    const std::string_view bytes = m_rest.substr(0, n);
    m_rest.remove_prefix(n);
    return bytes;
}

uint8_t Reader::u8()
{
    const std::string_view b = take(1);
    return b.empty() ? 0 : static_cast<uint8_t>(b[0]);
}

int32_t Reader::i32()
{
    const std::string_view b = take(4);
    if (b.size() != 4)
        return 0;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[std::size_t(i)]);
    return static_cast<int32_t>(v);
}

int64_t Reader::i64()
{
    const std::string_view b = take(8);
    if (b.size() != 8)
        return 0;
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[std::size_t(i)]);
    return static_cast<int64_t>(v);
}

std::string_view Reader::text()
{
    if (!m_good)
        return {};
    const std::size_t zero = m_rest.find('\0');
    if (zero == std::string_view::npos) {
        m_good = false;
        return {};
    }
    const std::string_view value = m_rest.substr(0, zero);
    m_rest.remove_prefix(zero + 1);
    return value;
}

std::optional<std::size_t> BodyLength(std::string_view buffer)
{
    if (buffer.size() < kLengthBytes)
        return std::nullopt;
    return std::size_t(static_cast<uint8_t>(buffer[0]))
           | (std::size_t(static_cast<uint8_t>(buffer[1])) << 8);
}

std::string FailureAnswer(uint8_t sequence, Status status)
{
    return Writer(sequence, static_cast<uint8_t>(status)).i32(0).frame();
}

std::string PortName(int32_t port)
{
    if (port < 1 || port > 255)
        return {};
    return "COM" + std::to_string(port);
}

std::optional<int32_t> PortNumber(std::string_view name)
{
    if (name.size() < 4 || name.size() > 6)
        return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i)
        if ((name[i] | 0x20) != "com"[i])
            return std::nullopt;
    const std::string_view digits = name.substr(3);
    if (digits.front() == '0')
        return std::nullopt;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || PortName(value).empty())
        return std::nullopt;
    return value;
}

SocketPlace SocketPlaceOf(int32_t port)
{
    SocketPlace place;
    const std::string name = PortName(port);
    if (name.empty()) {
        place.problem = "no such serial port";
        return place;
    }
    std::string folder;
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        folder = std::string(runtime) + "/velmora";
    } else {
        folder = "/tmp/velmora-" + std::to_string(geteuid());
    }
    place.problem = PrivateFolderProblem(folder);
    if (!place.problem.empty())
        return place;
    const std::string path = folder + "/" + name + ".socket";
    if (path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        place.problem = "socket path too long: " + path;
        return place;
    }
    place.path = path;
    return place;
}

} // namespace terminal::line
