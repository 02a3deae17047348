#pragma once
// RFC 4180 comma-separated values: fields quoted when they must be, rows
// read back one at a time, also when a quoted field spans several lines.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace capturetool {

// The field as it stands, or in double quotes with its quotes doubled when
// it holds a comma, a quote, a control character or blanks at either end
// (spreadsheets tend to trim those).
QString CsvField(QStringView text);
// The fields joined by commas, ended by CR LF.
QString CsvLine(const QStringList &fields);

// Builds rows from the physical lines of a CSV text, fed one at a time.
class CsvRowReader
{
public:
    // A field longer than this is taken for a quote that was never closed;
    // it keeps the memory of a bad file bounded.
    static constexpr qsizetype kMaxFieldSize = 4096;
    static constexpr qsizetype kMaxFields = 64;

    // One physical line including its line break (none on the last line of
    // a file). True when a row is complete: take it with row().
    bool feed(QStringView line);
    // The end of the input: true when that completes a row.
    bool finish();

    QStringList row() const { return m_row; }
    // The physical line, counted from 1, on which the current row began.
    qint64 rowLine() const { return m_rowLine; }
    // Set when the text is not valid CSV; feed then returns false.
    QString error() const { return m_error; }
    qint64 errorLine() const { return m_errorLine; }

private:
    void endField();
    bool fail(qint64 line, const QString &why);
    bool endRow();

    QStringList m_fields;
    QStringList m_row;
    QString m_field;
    QString m_error;
    qint64 m_line = 0;
    qint64 m_errorLine = 0;
    qint64 m_rowLine = 0;
    bool m_inRow = false;
    bool m_quoted = false;    // inside a quoted field
    bool m_wasQuoted = false; // the current field was quoted and its quote closed
};

} // namespace capturetool
