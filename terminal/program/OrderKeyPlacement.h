#pragma once
// Entries are stored under a sort key, not their position, so an insertion in
// the middle writes one row: it takes a key between its neighbours, and when
// they leave no room the keys of a small window around the place are spread
// out again.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace terminal::program {

// Room for sixteen insertions at one place before keys are spread again.
inline constexpr int64_t kOrderKeyGap = int64_t{1} << 16;

struct OrderKeyPlacement
{
    int64_t key = 0;                // the new entry's
    std::size_t firstMoved = 0;     // position of the first existing entry given a new key
    std::vector<int64_t> movedKeys; // the new keys of the entries from firstMoved on
};

// Where an entry inserted before position `index` of `order` (ascending
// keys) goes, and which keys move to make room; `gap` apart at the ends.
OrderKeyPlacement PlaceOrderKey(const std::vector<int64_t> &order, std::size_t index,
                                int64_t gap = kOrderKeyGap);
// `order` as it is after the insertion.
void ApplyOrderKey(std::vector<int64_t> &order, std::size_t index, const OrderKeyPlacement &placement);
// Keys for `count` entries written in one go.
std::vector<int64_t> FreshOrderKeys(std::size_t count, int64_t gap = kOrderKeyGap);

} // namespace terminal::program
