#pragma once
// A capture record read as a whole entry: what a restore reads, plus the
// orValue and code fields that a restore ignores. For tools that show,
// compare and convert capture files.

#include "capture/CaptureRecord.h"

#include <QByteArrayView>

#include <cstdint>
#include <optional>

namespace capture {

struct EntryRecord
{
    ParsedRecord record; // exactly what ParseCaptureRecord gives
    // Fields 8 and 9 read as the numbers 2 to 7 are; nothing when the line
    // has no such field or its number lies outside 32 bits.
    std::optional<int32_t> orValue;
    std::optional<int32_t> code;
};

EntryRecord ParseEntryRecord(QByteArrayView bytes);

// The entry of a record built from its fields; orValue and code 0 when absent.
ReceivedEntry EntryOf(const EntryRecord &record);

// True when the record holds an entry and CaptureRecord of that entry gives
// back exactly these bytes: the fields then say everything the bytes do.
bool RebuildsExactly(const EntryRecord &record, QByteArrayView bytes);

} // namespace capture
