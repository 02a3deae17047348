#include "terminal/program/TerminalServer.h"

#include "terminal/line/FrameSplitter.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace terminal::program {

struct TerminalServer::Connection
{
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    line::FrameSplitter frames;
    bool answering = false; // an answer is on its way; the next request waits
    bool closed = false;
};

void QtAnswerTimer::after(Moment arrival, std::chrono::microseconds delay, std::function<void()> send)
{
    // Through the event loop even when already due, so answering never
    // nests inside the reading of the next request.
    const auto left = std::max(arrival + delay - std::chrono::steady_clock::now(),
                               std::chrono::steady_clock::duration::zero());
    QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(left), Qt::PreciseTimer,
                       std::move(send));
}

TerminalServer::TerminalServer(LineService &service, AnswerTimer &timer, QObject *parent)
    : QObject(parent), m_service(service), m_timer(timer)
{
}

TerminalServer::~TerminalServer()
{
    for (auto &[id, connection] : m_connections) {
        connection->notifier.reset();
        ::close(connection->fd);
    }
    if (m_listener >= 0) {
        delete m_acceptNotifier;
        ::close(m_listener);
        // A terminal started since may listen at the path now.
        if (socketFileIsOurs())
            ::unlink(m_path.toLocal8Bit().constData());
    }
}

bool TerminalServer::listen(const QString &path, QString *problem)
{
    const QByteArray file = path.toLocal8Bit();
    sockaddr_un address{};
    if (std::size_t(file.size()) >= sizeof address.sun_path) {
        *problem = QStringLiteral("socket path too long: %1").arg(path);
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, file.constData(), std::size_t(file.size()) + 1);
    // Only one terminal program serves a port (the caller holds its lock),
    // so a socket file left here is a dead one's.
    ::unlink(file.constData());
    m_listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, 8) != 0) {
        *problem = QStringLiteral("cannot listen on %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return false;
    }
    m_path = path;
    struct stat made{};
    if (::stat(file.constData(), &made) == 0) {
        m_socketDevice = made.st_dev;
        m_socketInode = made.st_ino;
    }
    m_acceptNotifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this, &TerminalServer::accept);
    // A runtime folder cleaned at log-out takes the socket file with it.
    m_socketWatch = new QTimer(this);
    connect(m_socketWatch, &QTimer::timeout, this, [this] {
        if (socketFileIsOurs())
            return;
        m_socketWatch->stop();
        emit unreachable();
    });
    m_socketWatch->start(kSocketCheck);
    return true;
}

bool TerminalServer::socketFileIsOurs() const
{
    struct stat now{};
    return m_listener >= 0 && ::lstat(m_path.toLocal8Bit().constData(), &now) == 0
           && now.st_dev == m_socketDevice && now.st_ino == m_socketInode;
}

void TerminalServer::accept()
{
    for (;;) {
        const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        const int id = m_nextId++;
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(connection->notifier.get(), &QSocketNotifier::activated, this,
                [this, id] { readable(id); });
        m_connections.emplace(id, std::move(connection));
    }
}

void TerminalServer::readable(int id)
{
    const auto found = m_connections.find(id);
    if (found == m_connections.end())
        return;
    Connection &c = *found->second;
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::recv(c.fd, chunk, sizeof chunk, 0);
        if (n > 0) {
            c.frames.append(std::string_view(chunk, std::size_t(n)));
            if (std::size_t(n) < sizeof chunk)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        c.closed = true; // end of stream or error
        break;
    }
    work(id);
}

void TerminalServer::work(int id)
{
    bool servedAny = false;
    for (;;) {
        const auto found = m_connections.find(id);
        if (found == m_connections.end())
            break;
        Connection &c = *found->second;
        if (c.answering)
            break;
        const auto piece = c.frames.next();
        if (!piece) {
            if (c.closed)
                drop(id);
            break;
        }
        if (!piece->failure.empty()) {
            send(id, piece->failure);
            continue;
        }
        const auto arrival = std::chrono::steady_clock::now();
        Reply reply = m_service.handle(id, piece->body, piece->frameBytes);
        emit transferred(qint64(piece->frameBytes));
        servedAny = true;
        if (reply.delay.count() <= 0) {
            send(id, reply.bytes);
            continue;
        }
        c.answering = true;
        c.notifier->setEnabled(false);
        m_timer.after(arrival, reply.delay, [this, id, bytes = std::move(reply.bytes)] {
            const auto again = m_connections.find(id);
            if (again == m_connections.end())
                return;
            again->second->answering = false;
            again->second->notifier->setEnabled(true);
            send(id, bytes);
            readable(id);
        });
        break;
    }
    if (servedAny)
        emit served();
}

void TerminalServer::send(int id, const std::string &bytes)
{
    const auto found = m_connections.find(id);
    if (found == m_connections.end())
        return;
    Connection &c = *found->second;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(c.fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A program that does not read its answers is given a second.
            pollfd wait{c.fd, POLLOUT, 0};
            if (poll(&wait, 1, 1000) > 0)
                continue;
        }
        c.closed = true;
        return;
    }
    emit transferred(qint64(bytes.size()));
}

void TerminalServer::drop(int id)
{
    const auto found = m_connections.find(id);
    if (found == m_connections.end())
        return;
    // Usually called from the notifier's own signal: it goes once that is over.
    QSocketNotifier *notifier = found->second->notifier.release();
    notifier->setEnabled(false);
    notifier->disconnect(this);
    notifier->deleteLater();
    ::close(found->second->fd);
    m_connections.erase(found);
    m_service.disconnected(id);
    emit served();
}

} // namespace terminal::program
