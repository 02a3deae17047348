#include "capturetool/CsvRecords.h"

#include "capture/CaptureRecord.h"
#include "capture/EntryRecord.h"
#include "clock/ClockSeconds.h"
#include "link/AnsiText.h"
#include "link/TerminalLimits.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

namespace capturetool {

using capture::EntryRecord;
using capture::RecordKind;

namespace {

constexpr qsizetype kNameSize = kestcom_abi::kClockNameLength;

const QString kRecord = QStringLiteral("record");
const QString kTerminal = QStringLiteral("terminal");
const QString kIndex = QStringLiteral("index");
const QString kDate = QStringLiteral("date");
const QString kSeconds = QStringLiteral("seconds");
const QString kCardCode = QStringLiteral("cardCode");
const QString kAux1 = QStringLiteral("aux1");
const QString kJustification = QStringLiteral("justification");
const QString kPresence = QStringLiteral("presence");
const QString kOrValue = QStringLiteral("orValue");
const QString kCode = QStringLiteral("code");
const QString kRaw = QStringLiteral("raw");

QString csvName(QString name)
{
    return name.replace(QChar(u'\0'), QChar(kZeroStandIn));
}

QString number(int64_t value)
{
    return QString::number(value);
}

QString optionalNumber(const std::optional<int32_t> &value)
{
    return value ? number(*value) : QString();
}

void put2(QString &out, int value)
{
    out += QChar(u'0' + value / 10);
    out += QChar(u'0' + value % 10);
}

struct Limits
{
    int64_t low;
    int64_t high;
};
constexpr Limits kWord{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
constexpr Limits kByte{0, 255};

// A whole decimal number, blanks around it allowed; the problem otherwise.
std::optional<int32_t> wholeNumber(const QString &column, const QString &text, Limits limits,
                                   QString &problem)
{
    const QString t = text.trimmed();
    bool digits = !t.isEmpty();
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (!(t[i].isDigit() && t[i].unicode() < 0x80) && !(i == 0 && (t[i] == u'-' || t[i] == u'+')))
            digits = false;
    }
    bool ok = false;
    const qlonglong value = digits ? t.toLongLong(&ok, 10) : 0;
    if (!ok) {
        problem = t.isEmpty() ? QStringLiteral("its %1 is empty").arg(column)
                              : QStringLiteral("its %1 \"%2\" is not a whole number").arg(column, t);
        return std::nullopt;
    }
    if (value < limits.low || value > limits.high) {
        problem = QStringLiteral("its %1 %2 is outside the range %3 to %4")
                      .arg(column, t)
                      .arg(limits.low)
                      .arg(limits.high);
        return std::nullopt;
    }
    return int32_t(value);
}

// The nine (or fewer) bytes of a name in CSV text; the problem otherwise.
std::optional<QByteArray> nameBytes(const QString &text, QString &problem)
{
    QString name = text;
    name.replace(QChar(kZeroStandIn), QChar(u'\0'));
    // One byte per character, in the code page the capture line is written in.
    QByteArray bytes;
    const bool ascii = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        bytes = name.toLatin1(); // the same in every code page
    for (qsizetype i = ascii ? name.size() : 0; i < name.size(); ++i) {
        const qsizetype width = name[i].isHighSurrogate() && i + 1 < name.size()
                                        && name[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView character = QStringView(name).mid(i, width);
        const std::optional<char> byte = ansi::byteOf(character);
        if (!byte) {
            const ansi::CodePage page = ansi::codePage();
            problem = QStringLiteral("its terminal name \"%1\" holds the character %2 (U+%3), "
                                     "which %4 cannot hold%5")
                          .arg(text, character.toString(),
                               QString::number(uint(character.toUcs4().value(0)), 16)
                                   .toUpper()
                                   .rightJustified(4, u'0'),
                               page.name,
                               page.singleByte ? QString() : QStringLiteral(" in one byte"));
            return std::nullopt;
        }
        bytes += *byte;
        i += width - 1;
    }
    if (bytes.size() > kNameSize) {
        problem = QStringLiteral("its terminal name \"%1\" does not fit: %2 characters, at most %3")
                      .arg(text)
                      .arg(bytes.size())
                      .arg(kNameSize);
        return std::nullopt;
    }
    if (bytes.contains(',')) {
        problem = QStringLiteral("its terminal name \"%1\" holds a comma, which would end the "
                                 "name in the capture line")
                      .arg(text);
        return std::nullopt;
    }
    return bytes;
}

std::optional<QByteArray> rawBytes(const QString &text, QString &problem)
{
    const QString t = text.trimmed();
    bool hex = t.size() % 2 == 0 && t.size() <= 2 * capture::kRecordSize;
    for (QChar c : t)
        hex = hex && c.unicode() < 0x80 && std::isxdigit(c.unicode());
    if (!hex) {
        problem = QStringLiteral("its raw column is not the hexadecimal bytes of a record slot "
                                 "(up to %1 bytes)")
                      .arg(capture::kRecordSize);
        return std::nullopt;
    }
    return QByteArray::fromHex(t.toLatin1());
}

} // namespace

QStringList CsvHeader(bool withDate)
{
    QStringList header{kRecord, kTerminal, kIndex};
    if (withDate)
        header << kDate;
    header << kSeconds << kCardCode << kAux1 << kJustification << kPresence << kOrValue << kCode
           << kRaw;
    return header;
}

QString IsoDateText(int32_t seconds)
{
    const int secondOfDay = int(clocktime::SecondOfDay(seconds));
    const clocktime::CivilDate date = clocktime::CivilDateOfDay(clocktime::DayOf(seconds));
    QString text;
    text.reserve(19);
    put2(text, int(date.year / 100));
    put2(text, int(date.year % 100));
    text += u'-';
    put2(text, date.month);
    text += u'-';
    put2(text, date.day);
    text += u'T';
    put2(text, secondOfDay / 3600);
    text += u':';
    put2(text, secondOfDay / 60 % 60);
    text += u':';
    put2(text, secondOfDay % 60);
    return text;
}

QStringList CsvRow(qint64 recordNumber, QByteArrayView bytes, bool withDate)
{
    const EntryRecord r = capture::ParseEntryRecord(bytes);
    const capture::CaptureFields &f = r.record.fields;
    const bool entry = r.record.kind == RecordKind::Entry;
    const bool exact = capture::RebuildsExactly(r, bytes) && f.terminalName.size() <= kNameSize;
    QStringList row{number(recordNumber)};
    if (entry) {
        row << csvName(f.terminalName) << number(f.index);
        if (withDate)
            row << IsoDateText(f.seconds);
        row << number(f.seconds) << number(f.cardCode) << number(f.aux1)
            << number(f.justification) << number(f.presence) << optionalNumber(r.orValue)
            << optionalNumber(r.code);
    } else {
        for (qsizetype i = withDate ? 10 : 9; i > 0; --i)
            row << QString();
    }
    row << (exact ? QString() : QString::fromLatin1(bytes.toByteArray().toHex()));
    return row;
}

QString CsvColumns::read(const QStringList &header)
{
    static const QStringList known = CsvHeader(true);
    m_at.clear();
    m_count = header.size();
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString name = header[i].trimmed();
        if (!known.contains(name))
            return QStringLiteral("the header names an unknown column \"%1\" (known: %2)")
                .arg(name, known.join(QStringLiteral(", ")));
        if (m_at.contains(name))
            return QStringLiteral("the header names the column \"%1\" twice").arg(name);
        m_at.insert(name, i);
    }
    for (const QString &name : known) {
        if (name != kRecord && name != kDate && name != kRaw && !m_at.contains(name))
            return QStringLiteral("the header has no column \"%1\"").arg(name);
    }
    return QString();
}

QString CsvColumns::value(const QStringList &row, const QString &name) const
{
    const qsizetype at = m_at.value(name, -1);
    return at >= 0 && at < row.size() ? row[at] : QString();
}

RowRecord RecordOfRow(const CsvColumns &columns, const QStringList &row)
{
    RowRecord result;
    const QString raw = columns.value(row, kRaw);
    if (!raw.trimmed().isEmpty()) {
        const auto bytes = rawBytes(raw, result.problem);
        if (!bytes)
            return result;
        // The fields beside the bytes are what csv wrote for them; a field
        // changed there would otherwise be lost without a word.
        const QStringList written = CsvRow(0, *bytes, true);
        const QStringList header = CsvHeader(true);
        for (qsizetype i = 1; i < header.size() - 1; ++i) {
            const QString &name = header[i];
            if (columns.has(name) && columns.value(row, name) != written[i]) {
                result.problem = QStringLiteral("its %1 \"%2\" is not what its raw bytes hold "
                                                "(\"%3\"); empty the raw column to build the "
                                                "record from the fields")
                                     .arg(name, columns.value(row, name), written[i]);
                return result;
            }
        }
        result.bytes = *bytes;
        return result;
    }

    const auto name = nameBytes(columns.value(row, kTerminal), result.problem);
    if (!name)
        return result;
    struct NumberColumn
    {
        const QString &name;
        Limits limits;
    };
    const std::array<NumberColumn, 8> numberColumns{{{kIndex, kWord},
                                                     {kSeconds, kWord},
                                                     {kCardCode, kWord},
                                                     {kAux1, kByte},
                                                     {kJustification, kByte},
                                                     {kPresence, kByte},
                                                     {kOrValue, kWord},
                                                     {kCode, kWord}}};
    std::array<int32_t, 8> values{};
    for (size_t i = 0; i < numberColumns.size(); ++i) {
        const auto v = wholeNumber(numberColumns[i].name, columns.value(row, numberColumns[i].name),
                                   numberColumns[i].limits, result.problem);
        if (!v)
            return result;
        values[i] = *v;
    }
    const QString date = columns.value(row, kDate).trimmed();
    if (!date.isEmpty() && date != IsoDateText(values[1])) {
        result.problem = QStringLiteral("its date %1 is not that of its seconds %2 (%3); change "
                                        "the seconds, or empty the date")
                             .arg(date)
                             .arg(values[1])
                             .arg(IsoDateText(values[1]));
        return result;
    }

    ReceivedEntry e;
    e.clockName = ansi::decode(*name);
    e.index = values[0];
    e.seconds = values[1];
    e.cardCode = values[2];
    e.aux1 = uint8_t(values[3]);
    e.justification = uint8_t(values[4]);
    e.presence = uint8_t(values[5]);
    e.orValue = values[6];
    e.code = values[7];
    const QByteArray bytes = capture::CaptureRecord(e);
    // The line is cut at 76 characters; large orValue and code numbers can
    // run past that.
    const EntryRecord back = capture::ParseEntryRecord(bytes);
    if (back.orValue != e.orValue || back.code != e.code) {
        result.problem = QStringLiteral("its orValue %1 and code %2 do not both fit in the "
                                        "76 characters of a capture line")
                             .arg(e.orValue)
                             .arg(e.code);
        return result;
    }
    result.bytes = bytes;
    return result;
}

QString DisplayName(const QString &name)
{
    QString out = name;
    for (QChar &c : out) {
        if (c.unicode() < 0x20)
            c = QChar(char16_t(0x2400 + c.unicode()));
        else if (c.unicode() == 0x7f)
            c = QChar(char16_t(0x2421));
        else if (c.category() == QChar::Other_Control)
            c = QChar(char16_t(0xfffd));
    }
    return out;
}

} // namespace capturetool
