#pragma once
// The capture record: one delivered entry as an 82-byte record of a capture
// file, and back. Pure functions; the file handling lives in CaptureFile.

#include "link/ReceivedEntry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace capture {

constexpr qsizetype kRecordSize = 82;
constexpr qsizetype kLineSize = 78;
constexpr uint16_t kTextTag = 8;
constexpr uint16_t kEmptyTag = 0;

// The 78 bytes of an entry's capture line (in the code page of link/AnsiText.h:
// Windows-1252, the PC's ANSI code page on Windows): the clock name as
// received, the eight numbers each after a comma, blanks up to 76, CR LF.
QByteArray CaptureLine(const ReceivedEntry &entry);
// The 82-byte record: type tag 8 and length 78 (16-bit little-endian), then the line.
QByteArray CaptureRecord(const ReceivedEntry &entry);

// What a restore takes from one capture line.
struct CaptureFields
{
    QString terminalName;
    int32_t index = 0;
    int32_t seconds = 0;
    int32_t cardCode = 0;
    int32_t aux1 = 0;
    int32_t justification = 0;
    int32_t presence = 0;

    bool operator==(const CaptureFields &) const = default;
};

struct ParsedLine
{
    bool ok = false;
    CaptureFields fields;
    QString problem; // why it is not a capture line, when !ok
};

// Fields 1 to 7 of a capture line. A line with fewer than seven commas, a
// number outside 32 bits, or a byte-sized field outside 0 to 255 cannot come
// from a capture and is refused rather than sent as something else.
ParsedLine ParseCaptureLine(QStringView line);

enum class RecordKind { Entry, Empty, Bad };

struct ParsedRecord
{
    RecordKind kind = RecordKind::Empty;
    CaptureFields fields;
    QString problem; // when Bad
};

// One record slot as read from the file: kRecordSize bytes, or fewer for a
// last record cut short. Type tag 0, or an empty text, is the empty value
// that ends a restore.
ParsedRecord ParseCaptureRecord(QByteArrayView bytes);

} // namespace capture
