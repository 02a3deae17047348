// Fuzz target: the bytes a terminal program answers with, as the line
// library takes answers from them (a program of another version, a stale
// socket). The first byte is the sequence the library waits for.
#include "terminal/line/LineClient.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_answer: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace terminal::line;
    if (size == 0)
        return 0;
    const uint8_t sequence = data[0];
    FrameSplitter received;
    received.append(std::string_view(reinterpret_cast<const char *>(data) + 1, size - 1));
    for (;;) {
        const std::size_t before = received.pending();
        const auto answer = TakeAnswer(received, sequence);
        if (!answer)
            break;
        // What was taken was a whole frame: its length, the header, the rest.
        check(received.pending() + kAnswerOverhead + answer->body.size() <= before,
              "an answer longer than what was taken");
        Reader results = answer->results();
        while (results.good() && !results.atEnd())
            results.text();
    }
    // What is left is an unfinished frame, never a whole one.
    check(!received.next(), "a whole frame left behind");
    return 0;
}
