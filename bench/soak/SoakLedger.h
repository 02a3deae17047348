#pragma once
// The soak's reckoning at the end of a run: the card passes made, the
// records the capture file holds, and the terminal's memory as it stands.
// Pure functions, so that a test can hand them every kind of fault.

#include "link/ReceivedEntry.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

namespace soak {

// One card pass: the index the terminal answered, or nothing when no answer
// came (a kill took it; the entry may or may not have been stamped).
struct Pass
{
    int32_t card = 0;
    std::optional<int32_t> index;
};

// One record of the capture file and the terminal process that delivered it.
struct Delivery
{
    QByteArray record;
    int64_t server = 0;
};

struct Reckoning
{
    int64_t passes = 0;
    int64_t answered = 0;
    int64_t unanswered = 0;
    int64_t unansweredStamped = 0; // no answer came, yet the entry is there
    int64_t records = 0;
    int64_t entries = 0; // distinct entries of the memory captured
    int64_t repeats = 0; // records of an entry captured before
    // Repeats that no restart of the terminal explains: the same process
    // delivered the entry twice.
    int64_t repeatsWithoutRestart = 0;
    int64_t lost = 0;    // answered passes whose entry is not in the file
    int64_t skipped = 0; // entries of the memory that are not in the file
    int64_t wrong = 0;   // records that are not the memory's entry at their index
    int64_t strays = 0;  // entries of the memory that match no pass, or a pass twice

    bool whole() const
    {
        return lost == 0 && skipped == 0 && wrong == 0 && strays == 0 && repeatsWithoutRestart == 0;
    }
};

// memory: the terminal's entries by index, as W_ReceiveEntry delivers them.
Reckoning Reckon(const std::vector<Pass> &passes, const std::vector<Delivery> &deliveries,
                 const std::vector<ReceivedEntry> &memory);

} // namespace soak
