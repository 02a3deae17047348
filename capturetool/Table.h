#pragma once
// Rows of a listing: columns padded to fixed widths for a person at a
// terminal, plain tab-separated fields for a program reading a pipe. The
// widths are known before the first row, so nothing is held back.

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace capturetool {

struct TableColumn
{
    QString header;
    qsizetype width = 0; // at least the header's width
    bool right = false;  // numbers
};

// One line of the table, without its line break.
QString TableLine(const QList<TableColumn> &columns, const QStringList &cells, bool aligned);

// Writes UTF-8 text to a stream or a device through a large buffer.
class TextOut
{
public:
    // Lines: each line feed ends a line the system's way (CR LF on a
    // Windows console). Bytes: the text goes out exactly as given, as CSV
    // must, with its own CR LF and the line breaks inside quoted names.
    enum class Mode { Lines, Bytes };
    explicit TextOut(std::FILE *stream, Mode mode = Mode::Lines);
    explicit TextOut(QIODevice *device);
    ~TextOut();
    void line(const QString &text); // and a line feed
    void text(const QString &text);
    // False when something could not be written.
    bool finish();

private:
    std::FILE *m_stream = nullptr;
    QIODevice *m_device = nullptr;
    QByteArray m_buffer;
    bool m_failed = false;
};

} // namespace capturetool
