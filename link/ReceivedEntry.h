#pragma once
// One entry as the terminal delivers it, field by field.

#include "link/TerminalLimits.h"

#include <QString>

#include <cstdint>

struct ReceivedEntry
{
    QString clockName = QString(kestcom_abi::kClockNameLength, u' '); // as the library left it
    int32_t index = 0;
    int32_t seconds = 0;
    int32_t cardCode = 0;
    uint8_t aux1 = 0;
    uint8_t justification = 0;
    uint8_t presence = 0;
    int32_t orValue = 0;
    int32_t code = 0;
};
