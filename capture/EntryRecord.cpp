#include "capture/EntryRecord.h"

#include "field/FieldValue.h"
#include "link/AnsiText.h"

namespace capture {

namespace {

constexpr qsizetype kTextSize = 76; // the line without CR LF

std::optional<int32_t> numberOf(QStringView text)
{
    return field::ToInt32(field::LeadingNumber(text));
}

} // namespace

EntryRecord ParseEntryRecord(QByteArrayView bytes)
{
    EntryRecord result;
    result.record = ParseCaptureRecord(bytes);
    if (result.record.kind != RecordKind::Entry)
        return result;
    const QString line = ansi::decode(bytes.data() + 4, kTextSize);
    // Past the seventh comma, where the restore stops reading.
    qsizetype cursor = 0;
    for (int i = 0; i < 7; ++i)
        cursor = line.indexOf(u',', cursor) + 1;
    const qsizetype comma = line.indexOf(u',', cursor);
    if (comma < 0)
        return result;
    result.orValue = numberOf(QStringView(line).mid(cursor, comma - cursor));
    const qsizetype end = line.indexOf(u',', comma + 1);
    result.code = numberOf(QStringView(line).mid(comma + 1, end < 0 ? -1 : end - comma - 1));
    return result;
}

ReceivedEntry EntryOf(const EntryRecord &record)
{
    const CaptureFields &f = record.record.fields;
    ReceivedEntry e;
    e.clockName = f.terminalName;
    e.index = f.index;
    e.seconds = f.seconds;
    e.cardCode = f.cardCode;
    e.aux1 = uint8_t(f.aux1);
    e.justification = uint8_t(f.justification);
    e.presence = uint8_t(f.presence);
    e.orValue = record.orValue.value_or(0);
    e.code = record.code.value_or(0);
    return e;
}

bool RebuildsExactly(const EntryRecord &record, QByteArrayView bytes)
{
    if (record.record.kind != RecordKind::Entry || !record.orValue || !record.code)
        return false;
    return QByteArrayView(CaptureRecord(EntryOf(record))) == bytes;
}

} // namespace capture
