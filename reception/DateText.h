#pragma once
// The date column's text, as the clock subsystem writes a second count.

#include "clock/ClockSeconds.h"

namespace reception {
inline QString DateText(int32_t seconds)
{
    return clocktime::SecondsToDateText(seconds);
}
} // namespace reception
