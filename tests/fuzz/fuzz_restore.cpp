// Fuzz target: a restore file's bytes through everything a restore decides
// from them, the record parser and the plan of fillers and inserts. What the
// restore would send must be what a capture could have written.
#include "capture/CaptureRecord.h"
#include "capture/EntryRecord.h"
#include "capture/RestorePlan.h"
#include "link/AnsiText.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_restore: %s\n", what);
        std::abort();
    }
}

bool fitsInt32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// A parsed line written back by the capture code reads as the same fields,
// whenever it fits in a line without being cut.
void checkRoundTrip(const capture::CaptureFields &f)
{
    capture::EntryRecord record;
    record.record.fields = f;
    const ReceivedEntry e = capture::EntryOf(record);
    const QByteArray line = capture::CaptureLine(e);
    check(line.size() == capture::kLineSize, "capture line is not 78 bytes");
    // The seven fields a restore reads must end before the line is cut.
    qsizetype upToSeventhComma = ansi::encode(f.terminalName).size() + 1;
    for (int32_t v : {f.index, f.seconds, f.cardCode, f.aux1, f.justification, f.presence})
        upToSeventhComma += QByteArray::number(v).size() + (v >= 0 ? 1 : 0) + 1;
    if (upToSeventhComma > 76)
        return;
    const capture::ParsedRecord back = capture::ParseCaptureRecord(capture::CaptureRecord(e));
    check(back.kind == capture::RecordKind::Entry, "a written record does not read back");
    capture::CaptureFields expected = f;
    expected.terminalName = ansi::decode(ansi::encode(f.terminalName));
    check(back.fields == expected, "a written record reads back as other fields");
}

// One walk through the file as the restore loop makes it.
void walk(const uint8_t *data, size_t size, int64_t sent, bool keepBlanks)
{
    for (size_t at = 0;; at += capture::kRecordSize) {
        const size_t n = at >= size ? 0 : std::min<size_t>(capture::kRecordSize, size - at);
        const capture::RestoreStep step = capture::NextRestoreStep(
            sent, QByteArrayView(reinterpret_cast<const char *>(data) + at, qsizetype(n)),
            keepBlanks);
        if (n == 0)
            check(step.action == capture::RestoreStep::Action::End, "the end of the file goes on");
        if (step.action == capture::RestoreStep::Action::Stop)
            check(!step.problem.isEmpty(), "a stop without a reason");
        if (step.action != capture::RestoreStep::Action::Insert)
            return;
        const capture::CaptureFields &f = step.fields;
        check(f.aux1 >= 0 && f.aux1 <= 255 && f.justification >= 0 && f.justification <= 255
                  && f.presence >= 0 && f.presence <= 255,
              "a byte-sized field outside 0 to 255");
        check(step.fillers >= 0, "a negative filler count");
        check(keepBlanks || step.fillers == 0, "fillers without Keep Blanks");
        if (step.fillers > 0) {
            check(f.seconds != std::numeric_limits<int32_t>::min(), "a filler stamp below 32 bits");
            check(sent + step.fillers == f.index, "fillers do not end at the record's index");
            check(f.index <= capture::kHighestFilledIndex, "fillers beyond the limit");
        }
        // Every index sent, fillers and the record's own, is a 32-bit number.
        check(sent >= 0 && fitsInt32(sent + step.fillers), "an index outside 32 bits");
        checkRoundTrip(f);
        sent += step.fillers + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (bool keepBlanks : {false, true}) {
        walk(data, size, 0, keepBlanks);
        // Near the end of the index range, where the sent count runs out.
        walk(data, size, std::numeric_limits<int32_t>::max() - 1, keepBlanks);
    }
    return 0;
}
