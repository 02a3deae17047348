#pragma once
// Capture records as CSV rows and back. A record whose bytes its fields
// rebuild exactly is a row of fields; any other record slot (a number not
// written the way a capture writes it, a name longer than nine characters,
// an empty slot, a malformed record) also carries its bytes in hexadecimal
// in the "raw" column, so that a file converts back byte for byte.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace capturetool {

// A zero byte in a terminal name stands for this character in CSV text
// (zero characters upset spreadsheets and CSV readers); Windows-1252 has
// no character that could be confused with it.
inline constexpr char16_t kZeroStandIn = u'\u2400';

// The column names, in the order csv writes them.
QStringList CsvHeader(bool withDate);

// "yyyy-mm-ddThh:mm:ss" of a clock second count (local time, no zone).
QString IsoDateText(int32_t seconds);

// One record slot as csv writes it; recordNumber counts from 1.
QStringList CsvRow(qint64 recordNumber, QByteArrayView bytes, bool withDate);

// The columns of a CSV file, from its header row.
class CsvColumns
{
public:
    // Nothing, or why the header cannot be used.
    QString read(const QStringList &header);
    qsizetype count() const { return m_count; }
    bool has(const QString &name) const { return m_at.contains(name); }
    QString value(const QStringList &row, const QString &name) const;

private:
    QHash<QString, qsizetype> m_at;
    qsizetype m_count = 0;
};

struct RowRecord
{
    QByteArray bytes; // the record slot, when problem is empty
    QString problem;  // why the row cannot become a record
};

// The record slot of one data row (field count already checked).
RowRecord RecordOfRow(const CsvColumns &columns, const QStringList &row);

// A name for a list on screen: control characters as visible symbols.
QString DisplayName(const QString &name);

} // namespace capturetool
