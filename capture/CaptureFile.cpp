#include "capture/CaptureFile.h"

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// 0, or the system's error number.
int syncToDisk(int fd)
{
#ifdef Q_OS_WIN
    return _commit(fd) == 0 ? 0 : errno;
#else
    if (::fsync(fd) == 0)
        return 0;
    // Devices and pipes have nothing to sync; that loses no data.
    return errno == EINVAL || errno == EROFS ? 0 : errno;
#endif
}

} // namespace

bool CaptureFile::openForCapture(const QString &path)
{
    if (m_file.isOpen())
        return false;
    m_error.clear();
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
}

bool CaptureFile::openForRestore(const QString &path)
{
    if (m_file.isOpen())
        return false;
    m_error.clear();
    m_file.setFileName(path);
    return m_file.open(QIODevice::ReadOnly);
}

bool CaptureFile::write(QByteArrayView bytes)
{
    if (!isWritable())
        return false;
    return m_file.write(bytes.data(), bytes.size()) == bytes.size();
}

qint64 CaptureFile::read(char *into, qint64 size)
{
    qint64 total = 0;
    while (total < size) {
        const qint64 n = m_file.read(into + total, size - total);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

bool CaptureFile::close()
{
    if (!m_file.isOpen())
        return true;
    bool saved = true;
    if (m_file.isWritable()) {
        saved = m_file.flush();
        if (const int error = syncToDisk(m_file.handle()); error != 0) {
            saved = false;
            m_error = QString::fromLocal8Bit(std::strerror(error));
        }
    }
    m_file.close();
    return saved;
}
