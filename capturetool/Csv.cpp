#include "capturetool/Csv.h"

namespace capturetool {

QString CsvField(QStringView text)
{
    bool quote = !text.isEmpty() && (text.front() == u' ' || text.back() == u' ');
    for (QChar c : text) {
        if (c == u',' || c == u'"' || c.category() == QChar::Other_Control) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return text.toString();
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (QChar c : text) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
    return out;
}

QString CsvLine(const QStringList &fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        line += CsvField(fields[i]);
    }
    line += QLatin1String("\r\n");
    return line;
}

bool CsvRowReader::fail(qint64 line, const QString &why)
{
    m_errorLine = line;
    m_error = why;
    return false;
}

void CsvRowReader::endField()
{
    m_fields.append(m_field);
    m_field.clear();
    m_wasQuoted = false;
}

bool CsvRowReader::endRow()
{
    endField();
    m_row = m_fields;
    m_fields.clear();
    m_inRow = false;
    return true;
}

bool CsvRowReader::feed(QStringView line)
{
    if (!m_error.isEmpty())
        return false;
    ++m_line;
    if (!m_inRow) {
        m_inRow = true;
        m_rowLine = m_line;
    }
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        if (m_quoted) {
            if (c == u'"') {
                if (i + 1 < n && line[i + 1] == u'"') {
                    m_field += u'"';
                    ++i;
                } else {
                    m_quoted = false;
                    m_wasQuoted = true;
                }
            } else {
                m_field += c;
            }
        } else if (c == u',') {
            endField();
            if (m_fields.size() >= kMaxFields) {
                return fail(m_rowLine, QStringLiteral("more than %1 fields in a row").arg(kMaxFields));
            }
        } else if (c == u'\n' || (c == u'\r' && i + 1 < n && line[i + 1] == u'\n')) {
            return endRow();
        } else if (m_wasQuoted) {
            return fail(m_line, QStringLiteral("text after the closing quote of a field"));
        } else if (c == u'"') {
            if (!m_field.isEmpty()) {
                return fail(m_line, QStringLiteral("a quote inside a field that does not begin "
                                                   "with one"));
            }
            m_quoted = true;
        } else {
            m_field += c;
        }
        if (m_field.size() > kMaxFieldSize) {
            return fail(m_rowLine, QStringLiteral("a field of more than %1 characters (a quote "
                                                  "that is never closed?)")
                                       .arg(kMaxFieldSize));
        }
    }
    return false;
}

bool CsvRowReader::finish()
{
    if (!m_error.isEmpty() || !m_inRow)
        return false;
    if (m_quoted) {
        return fail(m_rowLine, QStringLiteral("a quoted field is not closed before the end of "
                                              "the file"));
    }
    return endRow();
}

} // namespace capturetool
