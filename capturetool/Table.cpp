#include "capturetool/Table.h"

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace capturetool {

namespace {
constexpr qsizetype kFlushAt = 1 << 20;
} // namespace

QString TableLine(const QList<TableColumn> &columns, const QStringList &cells, bool aligned)
{
    if (!aligned)
        return cells.join(u'\t');
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const qsizetype width = i < columns.size() ? std::max(columns[i].width, columns[i].header.size()) : 0;
        if (i > 0)
            line += QLatin1String("  ");
        if (i < columns.size() && columns[i].right)
            line += cells[i].rightJustified(width);
        else
            line += cells[i].leftJustified(width);
    }
    while (line.endsWith(u' '))
        line.chop(1);
    return line;
}

TextOut::TextOut(std::FILE *stream, Mode mode)
    : m_stream(stream)
{
#ifdef Q_OS_WIN
    // Text mode would write every CR of the text as CR CR.
    if (mode == Mode::Bytes)
        _setmode(_fileno(stream), _O_BINARY);
#else
    Q_UNUSED(mode);
#endif
    m_buffer.reserve(kFlushAt + 4096);
}

TextOut::TextOut(QIODevice *device)
    : m_device(device)
{
    m_buffer.reserve(kFlushAt + 4096);
}

TextOut::~TextOut()
{
    finish();
}

void TextOut::line(const QString &text)
{
    m_buffer += text.toUtf8();
    m_buffer += '\n';
    if (m_buffer.size() >= kFlushAt)
        finish();
}

void TextOut::text(const QString &text)
{
    m_buffer += text.toUtf8();
    if (m_buffer.size() >= kFlushAt)
        finish();
}

bool TextOut::finish()
{
    if (m_device) {
        if (!m_buffer.isEmpty() && m_device->write(m_buffer) != m_buffer.size())
            m_failed = true;
        m_buffer.clear();
        return !m_failed;
    }
    if (!m_buffer.isEmpty()
        && std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), m_stream)
               != size_t(m_buffer.size()))
        m_failed = true;
    m_buffer.clear();
    if (std::fflush(m_stream) != 0)
        m_failed = true;
    return !m_failed;
}

} // namespace capturetool
