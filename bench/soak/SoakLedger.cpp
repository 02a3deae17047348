#include "bench/soak/SoakLedger.h"

#include "capture/CaptureRecord.h"

#include <unordered_map>
#include <unordered_set>

namespace soak {

Reckoning Reckon(const std::vector<Pass> &passes, const std::vector<Delivery> &deliveries,
                 const std::vector<ReceivedEntry> &memory)
{
    Reckoning r;
    const std::size_t size = memory.size();
    // What the program's capture writes for each entry: a record is right
    // when it is these bytes exactly.
    std::vector<QByteArray> expected;
    expected.reserve(size);
    for (const ReceivedEntry &entry : memory)
        expected.push_back(capture::CaptureRecord(entry));

    std::vector<std::optional<int64_t>> lastServer(size);
    for (const Delivery &d : deliveries) {
        ++r.records;
        const capture::ParsedRecord parsed = capture::ParseCaptureRecord(d.record);
        const int32_t index = parsed.fields.index;
        if (parsed.kind != capture::RecordKind::Entry || index < 0 || std::size_t(index) >= size
            || d.record != expected[std::size_t(index)]) {
            ++r.wrong;
            continue;
        }
        std::optional<int64_t> &last = lastServer[std::size_t(index)];
        if (last) {
            ++r.repeats;
            if (*last == d.server)
                ++r.repeatsWithoutRestart;
        } else {
            ++r.entries;
        }
        last = d.server;
    }
    for (const auto &server : lastServer)
        if (!server)
            ++r.skipped;

    std::unordered_map<int32_t, int> stamped; // card -> entries holding it
    for (const ReceivedEntry &entry : memory)
        ++stamped[entry.cardCode];
    std::unordered_set<int32_t> passed;
    for (const Pass &pass : passes) {
        ++r.passes;
        passed.insert(pass.card);
        const auto count = stamped.find(pass.card);
        if (!pass.index) {
            ++r.unanswered;
            if (count != stamped.end())
                ++r.unansweredStamped;
            continue;
        }
        ++r.answered;
        const int32_t index = *pass.index;
        if (index < 0 || std::size_t(index) >= size || memory[std::size_t(index)].cardCode != pass.card
            || !lastServer[std::size_t(index)])
            ++r.lost;
    }
    // Each pass stamps one entry at most.
    for (const auto &[card, count] : stamped)
        r.strays += count - (passed.count(card) ? 1 : 0);
    return r;
}

} // namespace soak
