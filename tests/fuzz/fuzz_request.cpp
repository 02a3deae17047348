// Fuzz target: the bytes a program sends the terminal program, split into
// requests and handled by the engine as the terminal handles them, against
// a line of two terminals holding a few entries and no store. Every request
// gets exactly one well-formed answer with its own sequence number.
#include "terminal/engine/SimState.h"
#include "terminal/engine/SimTerminalTest.h"
#include "FuzzLine.h"
#include "terminal/line/FrameSplitter.h"
#include "terminal/program/LineService.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_request: %s\n", what);
        std::abort();
    }
}

void checkAnswer(const std::string &answer, uint8_t sequence)
{
    using namespace terminal::line;
    const auto length = BodyLength(answer);
    check(length && answer.size() == kLengthBytes + *length, "an answer of the wrong length");
    check(*length <= kMaxBody, "an answer longer than a frame may be");
    check(answer.size() >= kAnswerOverhead, "an answer without status and result");
    check(uint8_t(answer[kLengthBytes]) == sequence, "an answer to another sequence");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace terminal;
    SetUpFuzzLine();
    program::LineService service(4242);
    service.setPace(program::Pace::Instant);
    line::FrameSplitter splitter;
    // Two connections take turns by the first byte's bits, so that the port
    // held by one is busy for the other.
    const uint8_t turns = size > 0 ? data[0] : 0;
    splitter.append(std::string_view(reinterpret_cast<const char *>(data), size));
    for (int n = 0;; ++n) {
        const auto piece = splitter.next();
        if (!piece)
            break;
        const int connection = (turns >> (n % 8)) & 1 ? 2 : 1;
        if (!piece->failure.empty()) {
            checkAnswer(piece->failure, piece->body.empty() ? uint8_t(piece->failure[2])
                                                            : uint8_t(piece->body[0]));
            continue;
        }
        const program::Reply reply = service.handle(connection, piece->body, piece->frameBytes);
        checkAnswer(reply.bytes, uint8_t(piece->body[0]));
    }
    service.disconnected(1);
    service.disconnected(2);
    return 0;
}
