#pragma once
// File number 1: the one file slot that capture and restore share.

#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringView>

// A file name with a NUL character in it: the system would open the file
// named by the part before the NUL.
bool HoldsNul(QStringView name);

// What a Windows name stands for when it is not a file but a device ("a
// character device" for NUL, CON, COM1, AUX and their kin, whatever folder
// or extension they carry, and for \\.\ paths; "a FIFO" for a named
// pipe); empty for a name that may be a file. Windows opens these by name
// in any folder, so they are told apart before anything is opened.
QString WindowsDeviceKind(QStringView path);

// The name the system is handed for a full Windows path. A path of
// MAX_PATH (260) characters or more opens only with the \\?\ prefix
// (\\?\UNC\ for a share), which also takes the name exactly as written, so
// the blanks and dots that Windows drops from the end of a shorter path are
// dropped here. Shorter and relative paths keep their form, with backslashes.
QString WindowsLongPath(const QString &fullPath);

// The file a typed name stands for, as the system opens it: a relative
// name is taken from the current folder. Messages name this, so that the
// technician can find the file.
QString FullPath(const QString &name);

class CaptureFile
{
public:
    bool isOpen() const { return m_file.isOpen(); }
    bool isWritable() const { return m_file.isOpen() && m_file.isWritable(); }
    QString fileName() const { return m_name.isEmpty() ? m_file.fileName() : m_name; }
    QFile &file() { return m_file; }
    // The reason of the last failure, for a message.
    QString errorString() const { return m_error.isEmpty() ? m_file.errorString() : m_error; }

    // Emptied, so that a shorter capture leaves nothing of an earlier one
    // behind it. Unbuffered: each record goes to the system as it is written.
    // A regular file or a character device; never waits in the opening.
    bool openForCapture(const QString &path);
    // Read only: a restore never creates or changes its file. A regular
    // file only; never waits in the opening.
    bool openForRestore(const QString &path);

    // All of bytes or false; nothing is held back in this process. A reader
    // gone from a pipe is a failure like any other, never a signal.
    bool write(QByteArrayView bytes);
    // Up to size bytes at the current position: the count read, 0 at the
    // end of the file, -1 when the read fails.
    qint64 read(char *into, qint64 size);

    // Flushes what was written to disk and closes the file. False when the
    // system could not confirm that the data reached the disk.
    bool close();

private:
    // Forgets the last file and its failure; false when `path` cannot name a file.
    bool startOpening(const QString &path);
    // The file object takes the descriptor over; closed when it cannot.
    bool adopt(int fd, QIODevice::OpenMode mode);

    QFile m_file;
    QString m_error; // a failure the file object does not report itself
    bool m_regular = false; // a regular file cannot raise SIGPIPE
    QString m_name;         // the file object forgets it when opened on a descriptor
};
