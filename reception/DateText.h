#pragma once
// The date column's text. The clock subsystem owns the conversion; until its
// header is in the tree the poll uses a stand-in with the same result for
// the usual regional settings.

#include <QString>

#include <cstdint>

#if __has_include("clock/ClockSeconds.h")
#include "clock/ClockSeconds.h"
namespace reception {
inline QString DateText(int32_t seconds)
{
    return clocktime::SecondsToDateText(seconds);
}
} // namespace reception
#else
namespace reception {
QString DateText(int32_t seconds);
} // namespace reception
#define VELMORA_RECEPTION_OWN_DATE_TEXT 1
#endif
