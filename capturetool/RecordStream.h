#pragma once
// A capture file read slot by slot in large blocks: constant memory, and
// few system calls for millions of records.

#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <memory>

namespace capturetool {

class RecordStream
{
public:
    enum class Step { Slot, End, Failed };

    // False, with error(), when the file cannot be opened for reading.
    bool open(const QString &path);
    // The next slot of 82 bytes, fewer for a last slot cut short.
    Step next(QByteArrayView &slot);
    // The number of the slot next() gave last, from 1.
    qint64 number() const { return m_number; }
    qint64 size() const { return m_size; }
    QString error() const { return m_error; }
    QString path() const { return m_file.fileName(); }

private:
    QFile m_file;
    std::unique_ptr<char[]> m_block;
    qint64 m_filled = 0;
    qint64 m_at = 0;
    qint64 m_number = 0;
    qint64 m_size = 0;
    QString m_error;
};

} // namespace capturetool
