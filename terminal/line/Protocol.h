#pragma once
// The line between the clock link library and the terminal program: frames
// on a local stream socket, shared by both sides. Plain C++.
//
// Request: u16 length, u8 sequence, u8 operation, arguments.
// Answer:  u16 length, u8 sequence, u8 status, i32 result, results.
// The length counts the bytes after it. Integers are little-endian; texts
// are their bytes and one zero byte. The library numbers its requests one
// after another, and skips a number after a call whose answer it gave up
// on: the terminal learns from the next request whether its last answer
// arrived.

#include "link/KestComOperations.h"

#include <chrono>
#include <cstddef>
#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace terminal::line {

inline constexpr std::size_t kLengthBytes = 2;
// Sequence and operation (request) or sequence and status (answer).
inline constexpr std::size_t kFrameOverhead = kLengthBytes + 2;
// Longest body either side accepts; a longer text fails in the library
// before anything is sent.
inline constexpr std::size_t kMaxBody = 8192;
inline constexpr std::size_t kAnswerOverhead = kFrameOverhead + 4;
// The most bytes of a text the test interface reads back in one answer.
inline constexpr int32_t kTextReadLimit = 4096;

// The request numbered `next` shows that the answer to `answered` arrived.
constexpr bool AnswerArrived(uint8_t answered, uint8_t next)
{
    return next == uint8_t(answered + 1);
}

enum class Status : uint8_t {
    Ok = 0,
    Malformed = 1,
    UnknownOperation = 2,
    TooLong = 3,
    Busy = 4, // another program holds the port
};

// The test interface on the line, as X(name, shape): the engine's calls,
// then the two the terminal program answers itself. The shape letters are
// those of link/KestComOperations.h and, for the test interface only:
//   L  a clock count (int64_t), given
//   P  a clock count written back (int64_t *)
//   x  a text written back (char *) into the room the next parameter gives
//   s  that room (int32_t); the terminal reads back at most kTextReadLimit
//   e  an entry written back (SimEntry *)
//   6, 9  that many whole numbers written back through one int32_t *
// A call that returns nothing answers 1; a clock count returned comes after
// the result, before the places written back.
#define LINE_ENGINE_TEST_CALLS(X)                                                                  \
    X(Sim_Reset, "")                                                                               \
    X(Sim_SetZeroTerminatedNames, "i")                                                             \
    X(Sim_LoadMorning, "n")                                                                        \
    X(Sim_SetPcClock, "L")                                                                         \
    X(Sim_AdvancePcClock, "L")                                                                     \
    X(Sim_UseRealPcClock, "")                                                                      \
    X(Sim_PcClock, "")                                                                             \
    X(Sim_AddTerminal, "n")                                                                        \
    X(Sim_RemoveTerminal, "n")                                                                     \
    X(Sim_SetTerminalAnswering, "ni")                                                              \
    X(Sim_SetEntryCapacity, "i")                                                                   \
    X(Sim_PassCard, "ni")                                                                          \
    X(Sim_EntryCount, "n")                                                                         \
    X(Sim_GetEntry, "nie")                                                                         \
    X(Sim_GetPointers, "nppp")                                                                     \
    X(Sim_ReadClock, "n")                                                                          \
    X(Sim_GetAdjustment, "npP")                                                                    \
    X(Sim_PortState, "pppp")                                                                       \
    X(Sim_IoWriteCount, "")                                                                        \
    X(Sim_IoWriteText, "ixs")                                                                      \
    X(Sim_FailOperation, "ti")                                                                     \
    X(Sim_CallCount, "t")                                                                          \
    X(Sim_GetConfiguration, "n9")                                                                  \
    X(Sim_JustificationCount, "n")                                                                 \
    X(Sim_GetJustification, "nixs")                                                                \
    X(Sim_GetMessage, "niixs")                                                                     \
    X(Sim_GetShownMessage, "npxs")                                                                 \
    X(Sim_GetEvent, "ni6")                                                                         \
    X(Sim_GetEmployeeName, "nixspp")                                                               \
    X(Sim_GetPcName, "xs")                                                                         \
    X(Sim_GetConfirmationsTimeout, "pp")
#define LINE_TERMINAL_TEST_CALLS(X)                                                                \
    X(Sim_TerminalProcess, "") /* the terminal program's process id */                            \
    X(Sim_SetPace, "i")        /* 1 = instant, 0 = wire pace */

// The 25 operations first, in the order of the library's contract, then the
// test interface, which is not part of the line and costs no wire time.
enum class Op : uint8_t {
    None = 0,
#define LINE_OPERATION(op, shape) op,
    KESTCOM_OPERATIONS(LINE_OPERATION)
    BeforeTestInterface = 63,
    LINE_ENGINE_TEST_CALLS(LINE_OPERATION)
    LINE_TERMINAL_TEST_CALLS(LINE_OPERATION)
#undef LINE_OPERATION
};

inline constexpr uint8_t kLastLineOp = static_cast<uint8_t>(Op::W_ReceiveEntry);
inline constexpr uint8_t kLastSimOp = static_cast<uint8_t>(Op::Sim_SetPace);
static_assert(kLastLineOp == KESTCOM_OPERATION_COUNT, "operations 1 ... 25 are the library's");
static_assert(static_cast<uint8_t>(Op::Sim_Reset) == 64, "the test interface starts at 64");

constexpr bool IsLineOperation(uint8_t op)
{
    return op >= 1 && op <= kLastLineOp;
}
constexpr bool IsKnownOperation(uint8_t op)
{
    return IsLineOperation(op) || (op >= static_cast<uint8_t>(Op::Sim_Reset) && op <= kLastSimOp);
}

// Each operation's parameters, as the lists spell them; the index is the
// operation's number, gaps empty.
inline constexpr auto kShapes = [] {
    std::array<std::string_view, kLastSimOp + 1> shapes{};
    std::size_t op = 1;
#define LINE_SHAPE(name, shape) shapes[op++] = shape;
    KESTCOM_OPERATIONS(LINE_SHAPE)
    op = static_cast<uint8_t>(Op::Sim_Reset);
    LINE_ENGINE_TEST_CALLS(LINE_SHAPE)
    LINE_TERMINAL_TEST_CALLS(LINE_SHAPE)
#undef LINE_SHAPE
    return shapes;
}();

constexpr std::string_view ShapeOf(Op op)
{
    return IsKnownOperation(uint8_t(op)) ? kShapes[uint8_t(op)] : std::string_view();
}

// A name written back: nine bytes and its zero at most.
inline constexpr std::size_t kNameBackBytes = 10;

// The bytes an answer to one of the 25 carries after its result when the
// result is not 0.
constexpr std::size_t ResultBytes(std::string_view shape)
{
    std::size_t bytes = 0;
    for (const char letter : shape)
        bytes += letter == 'o' ? kNameBackBytes : letter == 'p' ? 4 : letter == 'b' ? 1 : 0;
    return bytes;
}

// The most bytes a terminal answers to the operation (for the library's
// deadline); the test interface's answers are not paced.
constexpr std::size_t LongestAnswer(Op op)
{
    return kAnswerOverhead + ResultBytes(ShapeOf(op));
}

// --- pace ---
// 8N1: a start bit, eight data bits and a stop bit.
inline constexpr int kBitsPerByte = 10;
// The terminal's pause between the end of a request and its answer.
inline constexpr std::chrono::microseconds kTurnaround{2000};

// The time the bytes take on the line at that speed.
std::chrono::microseconds WireTime(std::size_t bytes, int32_t baud);
// Request and answer on the line plus the turnaround.
std::chrono::microseconds ExchangeTime(std::size_t requestBytes, std::size_t answerBytes,
                                       int32_t baud);

// --- framing ---
class Writer
{
public:
    // Starts a frame: sequence, then the operation or the status.
    Writer(uint8_t sequence, uint8_t second);
    Writer &u8(uint8_t value);
    Writer &i32(int32_t value);
    Writer &i64(int64_t value);
    // The bytes up to the first zero (at most `limit`) and a zero.
    Writer &text(std::string_view value);
    Writer &raw(std::string_view bytes);
    std::size_t size() const { return m_bytes.size(); }
    bool fits() const { return m_bytes.size() - kLengthBytes <= kMaxBody; }
    // The whole frame with its length in front.
    std::string frame();

private:
    std::string m_bytes;
};

class Reader
{
public:
    // A body: the bytes after the length.
    explicit Reader(std::string_view body) : m_rest(body) {}
    uint8_t u8();
    int32_t i32();
    int64_t i64();
    // A zero-terminated text; without its zero the reader fails.
    std::string_view text();
    bool good() const { return m_good; }
    bool atEnd() const { return m_rest.empty(); }
    // All was read and nothing is left over.
    bool complete() const { return m_good && m_rest.empty(); }

private:
    std::string_view take(std::size_t n);
    std::string_view m_rest;
    bool m_good = true;
};

// The body length a buffer starts with, once both length bytes are there.
std::optional<std::size_t> BodyLength(std::string_view buffer);

// The answer to a request that could not be carried out as asked.
std::string FailureAnswer(uint8_t sequence, Status status);

// --- where the line is ---
// "COM1" for 1; empty outside 1..255.
std::string PortName(int32_t port);
// 1 for "COM1" (letters in any case); nullopt for anything else.
std::optional<int32_t> PortNumber(std::string_view name);

struct SocketPlace
{
    std::string path;    // empty when no safe folder could be had
    std::string problem; // why not
};
// The socket of a port's terminal: in the user's runtime folder
// ($XDG_RUNTIME_DIR/velmora), else in a private folder of the user's own
// under /tmp. The folder is made if missing and must belong to the user and
// be closed to others.
SocketPlace SocketPlaceOf(int32_t port);

} // namespace terminal::line
