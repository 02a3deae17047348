#include "config/EventSchedule.h"

namespace config {

namespace {

template <std::size_t N>
int32_t Mask(const std::array<Qt::CheckState, N> &boxes)
{
    static_assert(N <= 32);
    uint32_t mask = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (boxes[i] == Qt::Checked)
            mask |= uint32_t{1} << i;
    }
    return static_cast<int32_t>(mask); // two's complement: bit 31 reads negative
}

} // namespace

int32_t RingMask(const std::array<Qt::CheckState, kRingBoxes> &boxes) { return Mask(boxes); }
int32_t WeekdayMask(const std::array<Qt::CheckState, kWeekdayBoxes> &boxes) { return Mask(boxes); }

int32_t FunctionCode(int comboIndex) { return comboIndex < 0 ? 0 : comboIndex; }

} // namespace config
