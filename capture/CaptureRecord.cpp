#include "capture/CaptureRecord.h"

#include "field/FieldValue.h"
#include "field/QuotedText.h"
#include "link/AnsiText.h"

#include <array>
#include <optional>

namespace capture {

namespace {

constexpr qsizetype kTextSize = 76; // the line without CR LF

void appendNumber(QByteArray &text, int64_t value)
{
    text += ',';
    if (value >= 0)
        text += ' ';
    text += QByteArray::number(value);
}

uint16_t little16(QByteArrayView bytes, qsizetype at)
{
    return uint16_t(uint8_t(bytes[at]) | (uint16_t(uint8_t(bytes[at + 1])) << 8));
}

struct NumberField
{
    const char *label;
    int32_t CaptureFields::*member;
    bool byteSized;
};

constexpr std::array<NumberField, 6> kNumberFields{{
    {"Index", &CaptureFields::index, false},
    {"Seconds", &CaptureFields::seconds, false},
    {"Card code", &CaptureFields::cardCode, false},
    {"Aux1", &CaptureFields::aux1, true},
    {"Justification", &CaptureFields::justification, true},
    {"Presence", &CaptureFields::presence, true},
}};

} // namespace

QByteArray CaptureLine(const ReceivedEntry &entry)
{
    QByteArray text = ansi::encode(entry.clockName);
    text.reserve(text.size() + 8 * 12);
    for (int64_t value : {int64_t(entry.index), int64_t(entry.seconds), int64_t(entry.cardCode),
                          int64_t(entry.aux1), int64_t(entry.justification),
                          int64_t(entry.presence), int64_t(entry.orValue), int64_t(entry.code)})
        appendNumber(text, value);
    if (text.size() > kTextSize)
        text.truncate(kTextSize);
    else
        text.append(kTextSize - text.size(), ' ');
    text += "\r\n";
    return text;
}

QByteArray CaptureRecord(const ReceivedEntry &entry)
{
    QByteArray record;
    record.reserve(kRecordSize);
    record += char(kTextTag & 0xff);
    record += char(kTextTag >> 8);
    record += char(kLineSize & 0xff);
    record += char(kLineSize >> 8);
    record += CaptureLine(entry);
    return record;
}

ParsedLine ParseCaptureLine(QStringView line)
{
    ParsedLine result;
    std::array<QStringView, 7> fields;
    qsizetype cursor = 0;
    for (QStringView &f : fields) {
        const qsizetype comma = line.indexOf(u',', cursor);
        if (comma < 0) {
            result.problem = QStringLiteral("its line has fewer than seven commas");
            return result;
        }
        f = line.mid(cursor, comma - cursor);
        cursor = comma + 1;
    }
    result.fields.terminalName = fields[0].toString();
    for (size_t i = 0; i < kNumberFields.size(); ++i) {
        const NumberField &nf = kNumberFields[i];
        const QStringView text = fields[i + 1];
        const std::optional<int32_t> value = field::ToInt32(field::LeadingNumber(text));
        const bool inRange = value && (!nf.byteSized || (*value >= 0 && *value <= 255));
        if (!inRange) {
            result.problem = QStringLiteral("its %1 field \"%2\" is outside the range %3")
                                 .arg(QLatin1String(nf.label), field::QuotedText(text.trimmed()),
                                      nf.byteSized ? QStringLiteral("0 to 255")
                                                   : QStringLiteral("-2147483648 to 2147483647"));
            return result;
        }
        result.fields.*nf.member = *value;
    }
    result.ok = true;
    return result;
}

ParsedRecord ParseCaptureRecord(QByteArrayView bytes)
{
    ParsedRecord result;
    if (bytes.size() < kRecordSize) {
        result.kind = RecordKind::Bad;
        result.problem = QStringLiteral("it is cut short (%1 of %2 bytes)")
                             .arg(bytes.size())
                             .arg(kRecordSize);
        return result;
    }
    const uint16_t tag = little16(bytes, 0);
    const uint16_t length = little16(bytes, 2);
    if (tag == kEmptyTag || (tag == kTextTag && length == 0)) {
        result.kind = RecordKind::Empty;
        return result;
    }
    if (tag != kTextTag) {
        result.kind = RecordKind::Bad;
        result.problem = QStringLiteral("its type tag is %1, not 8").arg(tag);
        return result;
    }
    if (length != kLineSize) {
        result.kind = RecordKind::Bad;
        result.problem = QStringLiteral("its text length is %1, not 78").arg(length);
        return result;
    }
    const ParsedLine line = ParseCaptureLine(ansi::decode(bytes.data() + 4, kLineSize));
    if (!line.ok) {
        result.kind = RecordKind::Bad;
        result.problem = line.problem;
        return result;
    }
    result.kind = RecordKind::Entry;
    result.fields = line.fields;
    return result;
}

} // namespace capture
