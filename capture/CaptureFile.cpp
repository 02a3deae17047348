#include "capture/CaptureFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

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

#ifndef Q_OS_WIN

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    return QStringLiteral("not a file");
}

QString notRegular(mode_t mode)
{
    return QStringLiteral("Not a regular file (%1)").arg(kindOf(mode));
}

// A capture may also go to a character device: a full one then takes the
// write-error path, and a slow one cannot hold the window, as it stays
// non-blocking.
bool capturable(mode_t mode)
{
    return S_ISREG(mode) || S_ISCHR(mode);
}

bool restorable(mode_t mode)
{
    return S_ISREG(mode);
}

// Opens path without ever waiting: O_NONBLOCK keeps a FIFO from holding
// open() until its other end appears, and the kind of file is checked on
// the descriptor itself. -1 with error set when it is refused.
int openChecked(const QString &path, int flags, bool (*allowed)(mode_t), QString &error,
                mode_t &mode)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    // Refused before opening where possible, so that nothing is created or
    // disturbed; checked again below in case the name changed meanwhile.
    if (::stat(name.constData(), &st) == 0 && !allowed(st.st_mode)) {
        error = notRegular(st.st_mode);
        return -1;
    }
    const int fd = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = systemError(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0) {
        error = systemError(errno);
        ::close(fd);
        return -1;
    }
    if (!allowed(st.st_mode)) {
        error = notRegular(st.st_mode);
        ::close(fd);
        return -1;
    }
    if (S_ISREG(st.st_mode)) {
        // A regular file never blocks; the flag only matters for devices.
        const int status = ::fcntl(fd, F_GETFL);
        if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
            error = systemError(errno);
            ::close(fd);
            return -1;
        }
    }
    mode = st.st_mode;
    return fd;
}

// While alive, a write to a pipe or socket whose reader is gone fails with
// EPIPE instead of raising SIGPIPE, which would end the program.
class BrokenPipeGuard
{
public:
    BrokenPipeGuard()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~BrokenPipeGuard()
    {
        if (!m_wasPending) {
            // Takes away the signal this write raised, if any.
            const timespec none{0, 0};
            while (sigtimedwait(&m_pipe, nullptr, &none) == -1 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    BrokenPipeGuard(const BrokenPipeGuard &) = delete;
    BrokenPipeGuard &operator=(const BrokenPipeGuard &) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_old;
    bool m_wasPending = false;
};

#else

QString windowsError(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0,
                                   nullptr);
    QString message = n ? QString::fromWCharArray(text, n).trimmed() : QString::number(error);
    LocalFree(text);
    if (message.endsWith(u'.'))
        message.chop(1);
    return message;
}

QString notRegular(const QString &kind)
{
    return QStringLiteral("Not a regular file (%1)").arg(kind);
}

// Opens a regular file only: device names are refused by their name before
// anything is opened (opening COM1 could wait on a modem line), and the
// handle is checked again, so that nothing else is ever written to or
// waited on. -1 with error set when it is refused.
int openChecked(const QString &path, bool forWriting, QString &error)
{
    if (const QString kind = WindowsDeviceKind(path); !kind.isEmpty()) {
        error = notRegular(kind);
        return -1;
    }
    const std::wstring name = WindowsLongPath(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = notRegular(QStringLiteral("a folder"));
        return -1;
    }
    HANDLE handle = CreateFileW(name.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                                FILE_SHARE_READ | (forWriting ? 0 : FILE_SHARE_WRITE), nullptr,
                                forWriting ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = windowsError(GetLastError());
        return -1;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        error = notRegular(QStringLiteral("a character device"));
        return -1;
    }
    // Emptied only now that it is known to be a regular file.
    if (forWriting && !SetEndOfFile(handle)) {
        error = windowsError(GetLastError());
        CloseHandle(handle);
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                   (forWriting ? _O_WRONLY : _O_RDONLY) | _O_BINARY);
    if (fd < 0) {
        error = systemError(errno);
        CloseHandle(handle);
    }
    return fd;
}

#endif

} // namespace

QString WindowsDeviceKind(QStringView path)
{
    const QString slashes = path.toString().replace(u'/', u'\\');
    if (slashes.startsWith(QLatin1String("\\\\.\\"))
        || slashes.startsWith(QLatin1String("\\\\?\\GLOBALROOT"), Qt::CaseInsensitive)) {
        return slashes.startsWith(QLatin1String("\\\\.\\pipe\\"), Qt::CaseInsensitive)
                   ? QStringLiteral("a FIFO")
                   : QStringLiteral("a character device");
    }
    // The last part of the name, without a drive, an extension or the
    // blanks and dots Windows drops: "C:\x\com1.raw " is the port COM1.
    QString base = slashes.mid(slashes.lastIndexOf(u'\\') + 1);
    if (base.size() >= 2 && base[1] == u':')
        base = base.mid(2);
    while (base.endsWith(u' ') || base.endsWith(u'.'))
        base.chop(1);
    base = base.left(base.indexOf(u'.')).trimmed().toUpper();
    static const QStringList fixed{QStringLiteral("CON"), QStringLiteral("PRN"),
                                   QStringLiteral("AUX"), QStringLiteral("NUL"),
                                   QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    if (fixed.contains(base))
        return QStringLiteral("a character device");
    // COM0 to COM9 and LPT0 to LPT9, also with superscript digits.
    if (base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT")))
        && (base[3].isDigit() || base[3] == QChar(0xB9) || base[3] == QChar(0xB2)
            || base[3] == QChar(0xB3)))
        return QStringLiteral("a character device");
    return {};
}

QString WindowsLongPath(const QString &fullPath)
{
    constexpr qsizetype kMaxPath = 260; // with the terminating zero
    QString path = QString(fullPath).replace(u'/', u'\\');
    const bool drive = path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
    const bool share = path.startsWith(QLatin1String("\\\\")) && !path.startsWith(QLatin1String("\\\\?\\"))
                       && !path.startsWith(QLatin1String("\\\\.\\"));
    if (path.size() < kMaxPath || !(drive || share))
        return path;
    if (!path.endsWith(u'\\')) {
        while (path.endsWith(u' ') || path.endsWith(u'.'))
            path.chop(1);
    }
    return share ? QLatin1String("\\\\?\\UNC") + path.mid(1) : QLatin1String("\\\\?\\") + path;
}

bool HoldsNul(QStringView name)
{
    return name.contains(QChar(u'\0'));
}

QString FullPath(const QString &name)
{
    if (name.isEmpty() || HoldsNul(name))
        return name;
#ifdef Q_OS_WIN
    // A device has no folder; the name is what the system opens.
    if (!WindowsDeviceKind(name).isEmpty())
        return name;
#endif
    return QDir::toNativeSeparators(QFileInfo(name).absoluteFilePath());
}

bool CaptureFile::startOpening(const QString &path)
{
    if (m_file.isOpen())
        return false;
    m_error.clear();
    m_regular = false;
    m_name = path;
    m_file.setFileName(path);
    if (HoldsNul(path)) {
        // The system would take the name only up to the NUL: another file.
        m_error = QStringLiteral("The name holds a NUL character");
        return false;
    }
    return true;
}

bool CaptureFile::adopt(int fd, QIODevice::OpenMode mode)
{
    if (m_file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
#ifdef Q_OS_WIN
    ::_close(fd);
#else
    ::close(fd);
#endif
    return false;
}

bool CaptureFile::openForCapture(const QString &path)
{
    if (!startOpening(path))
        return false;
#ifdef Q_OS_WIN
    const int fd = openChecked(path, true, m_error);
    if (fd < 0)
        return false;
    m_regular = true;
#else
    mode_t mode = 0;
    const int fd = openChecked(path, O_WRONLY | O_CREAT, capturable, m_error, mode);
    if (fd < 0)
        return false;
    m_regular = S_ISREG(mode);
    // Emptied only now that it is known to be a regular file.
    if (m_regular && ::ftruncate(fd, 0) != 0) {
        m_error = systemError(errno);
        ::close(fd);
        return false;
    }
#endif
    return adopt(fd, QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool CaptureFile::openForRestore(const QString &path)
{
    if (!startOpening(path))
        return false;
#ifdef Q_OS_WIN
    const int fd = openChecked(path, false, m_error);
#else
    mode_t mode = 0;
    const int fd = openChecked(path, O_RDONLY, restorable, m_error, mode);
#endif
    if (fd < 0)
        return false;
    m_regular = true;
    return adopt(fd, QIODevice::ReadOnly);
}

bool CaptureFile::write(QByteArrayView bytes)
{
    if (!isWritable())
        return false;
#ifndef Q_OS_WIN
    if (!m_regular) {
        const BrokenPipeGuard guard;
        return m_file.write(bytes.data(), bytes.size()) == bytes.size();
    }
#endif
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
            m_error = systemError(error);
        }
    }
    m_file.close();
    m_regular = false;
    return saved;
}
