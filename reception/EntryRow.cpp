#include "reception/EntryRow.h"

#include "link/AnsiText.h"

#include <iterator>

namespace reception {

namespace {

// Decoding a byte at a time would build a converter per call; the code page
// does not change while the program runs.
std::array<QChar, 256> makeCodeTable()
{
    std::array<QChar, 256> table{};
    for (int code = 0; code < 256; ++code) {
        const char byte = char(code);
        const QString decoded = ansi::decode(&byte, 1);
        table[size_t(code)] = decoded.size() == 1 ? decoded.at(0) : QChar(u'?');
    }
    for (int code = 0; code < 32; ++code)
        table[size_t(code)] = QChar(char16_t(0x2400 + code));
    table[127] = QChar(char16_t(0x2421));
    return table;
}

// The grid's signed decimal text, built in place: one allocation per cell,
// which matters when a backlog fills hundreds of thousands of rows.
QString signedText(int64_t value)
{
    char16_t digits[24];
    char16_t *end = digits + std::size(digits);
    char16_t *p = end;
    uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    do {
        *--p = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    *--p = value < 0 ? u'-' : u' ';
    return QString(reinterpret_cast<const QChar *>(p), end - p);
}

} // namespace

QString CodeText(uint8_t code)
{
    static const std::array<QChar, 256> table = makeCodeTable();
    return code == 0 ? QString() : QString(table[code]);
}

EntryRowTexts EntryRow(const ReceivedEntry &entry, int32_t employee,
                       const QString &employeeName, const QString &dateText)
{
    EntryRowTexts texts;
    texts[0] = dateText;
    texts[1] = signedText(entry.seconds);
    if (employee != 0) {
        texts[2] = signedText(int64_t(employee) + 1000);
        texts[3] = employeeName;
    } else {
        texts[2] = QStringLiteral("xxxx");
        texts[3] = QString::fromUtf8("Cartão Inválido");
    }
    texts[4] = CodeText(entry.aux1);
    texts[5] = CodeText(entry.justification);
    texts[6] = signedText(entry.presence);
    texts[7] = signedText(entry.index);
    texts[8] = signedText(entry.orValue);
    texts[9] = signedText(entry.code);
    return texts;
}

QString TotalText(int gridRows)
{
    return QStringLiteral("Total ") + signedText(int64_t(gridRows) - 1);
}

} // namespace reception
