#pragma once
// The local socket a port's terminal listens on. Requests are taken one at a
// time per connection; an answer leaves when its pace allows.

#include "terminal/program/LineService.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace terminal::program {

// When an answer leaves: the real timer in the program, a recording one in tests.
// The delay counts from the request's arrival, so the time the engine and
// the commit took is part of it, as on a wire.
class AnswerTimer
{
public:
    using Moment = std::chrono::steady_clock::time_point;
    virtual ~AnswerTimer() = default;
    virtual void after(Moment arrival, std::chrono::microseconds delay, std::function<void()> send) = 0;
};

class QtAnswerTimer final : public AnswerTimer
{
public:
    void after(Moment arrival, std::chrono::microseconds delay, std::function<void()> send) override;
};

class TerminalServer final : public QObject
{
    Q_OBJECT
public:
    TerminalServer(LineService &service, AnswerTimer &timer, QObject *parent = nullptr);
    ~TerminalServer() override;

    // Listens at the path, taking over a socket file nobody answers on.
    bool listen(const QString &path, QString *problem);
    // The socket file at the path is still the one this server made: not
    // removed, not replaced by another terminal's.
    bool socketFileIsOurs() const;

    // How often the socket file is looked at once listening.
    static constexpr std::chrono::milliseconds kSocketCheck{2000};

signals:
    // The socket file is gone or another's: no program can reach this
    // terminal any more.
    void unreachable();
    // A request was answered (the engine may have changed).
    void served();
    // Bytes of a request taken or an answer sent, for the line's traffic figure.
    void transferred(qint64 bytes);

private:
    struct Connection;
    void accept();
    void readable(int id);
    void work(int id);
    void send(int id, const std::string &bytes);
    void drop(int id);

    LineService &m_service;
    AnswerTimer &m_timer;
    int m_listener = -1;
    QString m_path;
    QSocketNotifier *m_acceptNotifier = nullptr;
    QTimer *m_socketWatch = nullptr;
    // The socket file's identity when it was made.
    unsigned long long m_socketDevice = 0;
    unsigned long long m_socketInode = 0;
    std::map<int, std::unique_ptr<Connection>> m_connections;
    int m_nextId = 1;
};

} // namespace terminal::program
