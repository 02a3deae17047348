#include "terminal/program/OrderKeyPlacement.h"

#include <algorithm>

namespace terminal::program {

namespace {

bool RoomBefore(const std::vector<int64_t> &order, std::size_t index)
{
    return index == 0 || index == order.size() || order[index] - order[index - 1] >= 2;
}

// Spreads the keys of a window around `index`, doubling it until its span
// leaves a gap for every entry in it and one more; one step stays free
// before `index`.
void Spread(const std::vector<int64_t> &order, std::size_t index, int64_t gap, OrderKeyPlacement &placement)
{
    for (std::size_t half = 8;; half *= 2) {
        const std::size_t lo = index > half ? index - half : 0;
        const std::size_t hi = std::min(order.size(), index + half);
        const int64_t from = lo == 0 ? order[0] - gap * int64_t(hi + 1) : order[lo - 1];
        const int64_t to = hi == order.size() ? order.back() + gap * int64_t(hi - lo + 1)
                                              : order[hi];
        const int64_t count = int64_t(hi - lo) + 1;
        const int64_t step = (to - from) / (count + 2);
        if (step < 2)
            continue;
        placement.firstMoved = lo;
        int64_t key = from;
        for (std::size_t i = lo; i < hi; ++i) {
            key += step;
            if (i == index)
                key += step;
            placement.movedKeys.push_back(key);
        }
        return;
    }
}

} // namespace

OrderKeyPlacement PlaceOrderKey(const std::vector<int64_t> &order, std::size_t index, int64_t gap)
{
    OrderKeyPlacement placement;
    if (!RoomBefore(order, index))
        Spread(order, index, gap, placement);
    const auto keyAt = [&](std::size_t i) {
        const std::size_t moved = i - placement.firstMoved;
        return i >= placement.firstMoved && moved < placement.movedKeys.size()
            ? placement.movedKeys[moved]
            : order[i];
    };
    if (order.empty())
        placement.key = 0;
    else if (index == order.size())
        placement.key = keyAt(index - 1) + gap;
    else if (index == 0)
        placement.key = keyAt(0) - gap;
    else
        placement.key = keyAt(index - 1) + (keyAt(index) - keyAt(index - 1)) / 2;
    return placement;
}

void ApplyOrderKey(std::vector<int64_t> &order, std::size_t index, const OrderKeyPlacement &placement)
{
    std::copy(placement.movedKeys.begin(), placement.movedKeys.end(),
              order.begin() + std::ptrdiff_t(placement.firstMoved));
    order.insert(order.begin() + std::ptrdiff_t(index), placement.key);
}

std::vector<int64_t> FreshOrderKeys(std::size_t count, int64_t gap)
{
    std::vector<int64_t> keys(count);
    for (std::size_t i = 0; i < count; ++i)
        keys[i] = int64_t(i) * gap;
    return keys;
}

} // namespace terminal::program
