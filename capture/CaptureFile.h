#pragma once
// File number 1: the one file slot that capture and restore share.

#include <QFile>
#include <QString>

class CaptureFile
{
public:
    bool isOpen() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }
    QFile &file() { return m_file; }
    // Flushes what was written to disk and closes the file.
    void close();

private:
    QFile m_file;
};
