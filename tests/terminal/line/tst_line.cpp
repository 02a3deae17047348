// The simulated terminal in two processes: the line library in this test,
// velmora-terminal started by it, every operation as a request and answer
// on the socket, and the faults a real line has.
#include "terminal/line/LineTest.h"
#include "terminal/line/Protocol.h"
#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace terminal;

namespace {

// As the program sets it; a loaded machine may keep a terminal off the CPU
// for a good part of a second.
constexpr int kTimeoutMs = 1000;
char kName[] = "PONTO_00";

// A zombie whose other threads are gone too: only then are its files closed.
bool processGone(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    if (close >= 0 && text.mid(close + 2, 1) != "Z")
        return false;
    return QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() <= 1;
}

bool waitGone(pid_t pid)
{
    for (int i = 0; i < 500; ++i) {
        if (processGone(pid))
            return true;
        QThread::msleep(10);
    }
    return false;
}

// A raw connection to the terminal, speaking the frames by hand.
struct RawLine
{
    int fd = -1;
    explicit RawLine(const std::string &path)
    {
        fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strcpy(a.sun_path, path.c_str());
        if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~RawLine()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool send(const std::string &bytes) { return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size()); }
    // One answer: its body (sequence, status, result, ...), or empty.
    std::string answer()
    {
        std::string got;
        timeval tv{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        while (true) {
            if (const auto length = line::BodyLength(got); length && got.size() >= 2 + *length)
                return got.substr(2, *length);
            char c[512];
            const ssize_t n = ::recv(fd, c, sizeof c, 0);
            if (n <= 0)
                return {};
            got.append(c, std::size_t(n));
        }
    }
};

} // namespace

class TestLine : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    pid_t m_pid = 0;

    void open()
    {
        if (InitializeCommWithoutError(1, 38400) != 1) {
            QFile log(QString::fromStdString(socketPath() + ".log"));
            log.open(QIODevice::ReadOnly);
            QFAIL(qPrintable(QStringLiteral("the port did not open; the terminal's log:\n")
                             + QString::fromLocal8Bit(log.readAll())));
        }
        m_pid = Sim_TerminalProcess();
        QVERIFY(m_pid > 0);
    }
    void killTerminal(int signal = SIGKILL)
    {
        QVERIFY(m_pid > 0);
        ::kill(m_pid, signal);
        if (signal == SIGKILL)
            QVERIFY(waitGone(m_pid));
    }
    std::string socketPath() { return line::SocketPlaceOf(1).path; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", m_dir.filePath(QStringLiteral("run")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
        SetConfirmationsTimeout(kTimeoutMs, kTimeoutMs);
    }

    void cleanupTestCase()
    {
        TerminateComm(1);
        // Whichever terminal holds the port's lock now, even one a failed
        // test left behind.
        QFile lock(QString::fromStdString(socketPath() + ".lock"));
        const pid_t holder = lock.open(QIODevice::ReadOnly) ? pid_t(lock.readAll().trimmed().toInt()) : 0;
        for (const pid_t pid : {m_pid, holder}) {
            if (pid > 0 && !processGone(pid)) {
                ::kill(pid, SIGKILL);
                QVERIFY(waitGone(pid));
            }
        }
    }

    void init()
    {
        if (QTest::currentTestFunction() == QByteArray("firstOpenStartsTheTerminal"))
            return;
        Sim_Reset();
        Sim_SetPace(1);
        open();
    }

    void cleanup() { TerminateComm(1); }

    void firstOpenStartsTheTerminal()
    {
        QVERIFY(!QFile::exists(QString::fromStdString(socketPath())));
        QVERIFY(SetPCName(const_cast<char *>("PONTO_PC")));
        open();
        // What was set before the port opened reached the terminal.
        char pc[16] = {};
        QVERIFY(Sim_GetPcName(pc, sizeof pc));
        QCOMPARE(QByteArray(pc), QByteArray("PONTO_PC"));
        int32_t a = 0, b = 0;
        QVERIFY(Sim_GetConfirmationsTimeout(&a, &b));
        QCOMPARE(a, kTimeoutMs);
        // A terminal that never ran starts with the demo morning.
        QCOMPARE(Sim_EntryCount(kName), 36);
        QCOMPARE(Reset_Message(kName), 1);
    }

    void portAndModemOperations()
    {
        int32_t open = 0, baud = 0, call = 0, link = 0;
        QVERIFY(Sim_PortState(&open, &baud, &call, &link));
        QCOMPARE(QList<int32_t>({open, baud, call, link}), QList<int32_t>({1, 38400, 0, 1}));
        QCOMPARE(InitializeCommWithoutError(1, 1200), 0); // no such speed; the port stays
        QCOMPARE(Reset_Message(kName), 1);
        char other[] = "PONTO_01";
        QCOMPARE(Reset_Message(other), 0);
        QCOMPARE(TerminateComm(1), 1);
        QCOMPARE(Reset_Message(kName), 0); // no port, nothing sent

        QCOMPARE(IO_Open(1, 19200), 1);
        QCOMPARE(InitializeCommWithoutOpen(1), 0); // no call yet
        char dial[] = "AT DT 5551234\r";
        QCOMPARE(IO_Write(1, int32_t(std::strlen(dial)), dial), 1);
        QCOMPARE(InitializeCommWithoutOpen(1), 1);
        QVERIFY(Sim_PortState(&open, &baud, &call, &link));
        QCOMPARE(QList<int32_t>({open, baud, call, link}), QList<int32_t>({1, 19200, 1, 1}));
        char written[32] = {};
        QCOMPARE(Sim_IoWriteCount(), 1);
        QVERIFY(Sim_IoWriteText(0, written, sizeof written));
        QCOMPARE(QByteArray(written), QByteArray(dial));
        QCOMPARE(IO_Write(1, -1, dial), 0);
        QCOMPARE(SetPCName(nullptr), 0);
        QCOMPARE(SetPCName(const_cast<char *>("BENCH")), 1);
        char pc[16] = {};
        QVERIFY(Sim_GetPcName(pc, sizeof pc));
        QCOMPARE(QByteArray(pc), QByteArray("BENCH"));
    }

    void clockOperations()
    {
        Sim_SetPcClock(976000000);
        QCOMPARE(W_SendSeconds(kName, 976100000), 1);
        Sim_AdvancePcClock(10);
        QCOMPARE(W_ReadSeconds(kName), 976100010);
        QCOMPARE(W_AdjustSeconds(kName, 976000500), 1);
        int32_t reference = 0;
        int64_t drift = 0;
        QCOMPARE(Sim_GetAdjustment(kName, &reference, &drift), 1);
        QCOMPARE(reference, 976000500);
        QCOMPARE(drift, int64_t(976100010 - 976000500));
        QCOMPARE(Sim_PcClock(), int64_t(976000010));
        Sim_UseRealPcClock();
    }

    void configurationOperations()
    {
        QCOMPARE(W_SendConfigurations(kName, 2, 4, 86100, 1, 3, 600, 0, 5, 6), 1);
        int32_t config[9] = {};
        QVERIFY(Sim_GetConfiguration(kName, config));
        QCOMPARE(QList<int32_t>(config, config + 9), QList<int32_t>({2, 4, 86100, 1, 3, 600, 0, 5, 6}));
        QCOMPARE(W_InsertEvent(kName, 109, 28800, 60, 2, 1, 3, 62), 1);
        QCOMPARE(W_InsertEvent(kName, 110, 0, 0, 0, 0, 0, 0), 0);
        int32_t event[6] = {};
        QVERIFY(Sim_GetEvent(kName, 109, event));
        QCOMPARE(QList<int32_t>(event, event + 6), QList<int32_t>({28800, 60, 2, 1, 3, 62}));
        char message[] = "Bom dia\r\nJo\xe3o";
        QCOMPARE(W_SendMessage(kName, 53, message, 2), 1);
        char back[64] = {};
        QVERIFY(Sim_GetMessage(kName, 53, 2, back, sizeof back));
        QCOMPARE(QByteArray(back), QByteArray(message));
        char shown[] = "Welcome";
        QCOMPARE(W_ShowMessage(kName, 7, shown), 1);
        int32_t number = 0;
        QVERIFY(Sim_GetShownMessage(kName, &number, back, sizeof back));
        QCOMPARE(number, 7);
        QCOMPARE(QByteArray(back), QByteArray("Welcome"));
        char justifications[] = "Doctor~~Traffic~";
        QCOMPARE(W_SendJustifications(kName, justifications), 1);
        QCOMPARE(Sim_JustificationCount(kName), 3);
        QVERIFY(Sim_GetJustification(kName, 2, back, sizeof back));
        QCOMPARE(QByteArray(back), QByteArray("Traffic"));
        char employee[] = "Employee 0053";
        QCOMPARE(W_SendEmployerName(kName, 53, employee, 1053, 0), 1);
        int32_t card = 0, last = 0;
        QVERIFY(Sim_GetEmployeeName(kName, 53, back, 5, &card, &last));
        QCOMPARE(QByteArray(back), QByteArray("Empl")); // bounded by the caller's size
        QCOMPARE(card, 1053);
        QCOMPARE(W_ClearEmployerName(kName, 53), 1);
        QCOMPARE(Sim_GetEmployeeName(kName, 53, back, sizeof back, &card, &last), 0);
        QCOMPARE(W_Kill(kName), 1);
        QCOMPARE(Sim_JustificationCount(kName), 0);
        QVERIFY(Sim_GetConfiguration(kName, config));
        QCOMPARE(config[0], 1);
        QCOMPARE(Sim_CallCount("W_Kill"), 1);
    }

    void entryOperations()
    {
        QCOMPARE(W_InsertEntry(kName, 0, 976190400, 1053, 1, 2, 1), 1);
        QCOMPARE(W_InsertEntry(kName, 0, 976190300, 1054, 0, 0, 256), 0);
        QCOMPARE(W_InsertEntry(kName, 0, 976190300, 1054, 0, 0, 0), 1);
        int32_t first = -7, second = -7, third = -7;
        QCOMPARE(W_ReadPointers(kName, &first, &second, &third), 1);
        QCOMPARE(QList<int32_t>({first, second, third}), QList<int32_t>({2, 0, 0}));
        QCOMPARE(W_ReadPointers(kName, &first, nullptr, &third), 0);

        char clockName[16];
        std::memset(clockName, 'x', sizeof clockName);
        int32_t index = -1, seconds = 0, cardCode = 0, orValue = 0, code = 0;
        uint8_t aux1 = 0, justification = 0, presence = 0;
        QCOMPARE(W_ReceiveEntry(clockName, &index, &seconds, &cardCode, &aux1, &justification,
                                &presence, &orValue, &code), 1);
        QCOMPARE(QByteArray(clockName, 11), QByteArray("PONTO_00 \0x", 11));
        QCOMPARE(QList<int32_t>({index, seconds, cardCode, aux1, justification, presence, orValue, code}),
                 QList<int32_t>({0, 976190300, 1054, 0, 0, 0, 1, 2}));
        QCOMPARE(W_ReceiveEntry(clockName, &index, &seconds, &cardCode, &aux1, &justification,
                                &presence, &orValue, &code), 1);
        QCOMPARE(QList<int32_t>({index, cardCode, aux1, justification, presence, code}),
                 QList<int32_t>({1, 1053, 1, 2, 1, 1}));
        QCOMPARE(W_ReceiveEntry(clockName, &index, &seconds, &cardCode, &aux1, &justification,
                                &presence, &orValue, &code), 0);
        QCOMPARE(index, 1); // untouched when nothing came

        // A short name, zero-terminated, leaves the rest of the buffer as it was.
        QVERIFY(Sim_AddTerminal("AB"));
        QVERIFY(Sim_PassCard("AB", 1001) >= 0);
        Sim_SetZeroTerminatedNames(1);
        std::memset(clockName, 'x', sizeof clockName);
        QCOMPARE(W_ReceiveEntry(clockName, &index, &seconds, &cardCode, &aux1, &justification,
                                &presence, &orValue, &code), 1);
        QCOMPARE(QByteArray(clockName, 5), QByteArray("AB\0xx", 5));
        QCOMPARE(cardCode, 1001);

        QCOMPARE(W_SendReaderPointer(kName, -1), 1);
        QCOMPARE(W_SendReaderPointer(kName, -2), 0);
        QCOMPARE(W_DeleteEntry(kName, 0), 1);
        QCOMPARE(W_DeleteEntry(kName, 1), 0);
        QCOMPARE(W_SendAllPointers(kName, 0, 9, 0), 1);
        QVERIFY(Sim_GetPointers(kName, &first, &second, &third));
        QCOMPARE(QList<int32_t>({first, second, third}), QList<int32_t>({0, 9, 0}));
        SimEntry e{};
        QCOMPARE(Sim_GetEntry("AB", 0, &e), 1);
        QCOMPARE(e.cardCode, 1001);
        Sim_FailOperation("W_DeleteEntry", 1);
        QCOMPARE(W_InsertEntry(kName, 0, 1, 2, 0, 0, 0), 1);
        QCOMPARE(W_DeleteEntry(kName, 0), 0);
        QCOMPARE(W_DeleteEntry(kName, 0), 1);
        QVERIFY(Sim_SetTerminalAnswering(kName, 0));
        QCOMPARE(Reset_Message(kName), 0);
        QVERIFY(Sim_RemoveTerminal("AB"));
        QCOMPARE(Sim_EntryCount("AB"), -1);
        QVERIFY(Sim_SetEntryCapacity(0));
        QCOMPARE(Sim_PassCard(kName, 1), -1);
        QCOMPARE(Sim_ReadClock(kName) != 0, true);
    }

    void badRequests_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("status");
        const auto frame = [](std::string body) {
            std::string f;
            f += char(body.size() & 0xff);
            f += char(body.size() >> 8);
            return QByteArray::fromStdString(f + body);
        };
        QTest::newRow("unknown operation") << frame(std::string("\x07\xc8", 2)) << int(line::Status::UnknownOperation);
        QTest::newRow("operation zero") << frame(std::string("\x07\x00", 2)) << int(line::Status::UnknownOperation);
        QTest::newRow("name without its zero") << frame(std::string("\x07\x0aPONTO_00", 10)) << int(line::Status::Malformed);
        QTest::newRow("argument cut short") << frame(std::string("\x07\x09PONTO_00\0\x01\x02", 12)) << int(line::Status::Malformed);
        QTest::newRow("bytes left over") << frame(std::string("\x07\x0aPONTO_00\0zz", 12)) << int(line::Status::Malformed);
        QTest::newRow("body of one byte") << frame(std::string("\x07", 1)) << int(line::Status::Malformed);
        std::string huge(line::kMaxBody + 1, 'A');
        huge[0] = 7;
        huge[1] = char(line::Op::W_SendJustifications);
        QTest::newRow("too long") << frame(huge) << int(line::Status::TooLong);
    }

    void badRequests()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, status);
        TerminateComm(1); // a raw connection may then hold the port
        RawLine raw(socketPath());
        QVERIFY(raw.fd >= 0);
        QVERIFY(raw.send(frame.toStdString()));
        const std::string answer = raw.answer();
        QCOMPARE(answer.size(), std::size_t(6));
        QCOMPARE(int(uint8_t(answer[1])), status);
        // The terminal goes on answering on the same connection.
        line::Writer ask(9, uint8_t(line::Op::Sim_EntryCount));
        ask.text("PONTO_00");
        QVERIFY(raw.send(ask.frame()));
        const std::string next = raw.answer();
        QVERIFY(next.size() >= 6);
        QCOMPARE(uint8_t(next[0]), uint8_t(9));
        QCOMPARE(uint8_t(next[1]), uint8_t(line::Status::Ok));
        QCOMPARE(Sim_TerminalProcess(), int32_t(m_pid));
    }

    void secondProgramOnThePortIsRefused()
    {
        QProcess helper;
        helper.start(QStringLiteral(LINE_OPEN_HELPER), {QStringLiteral("1")});
        QVERIFY(helper.waitForFinished(10000));
        QCOMPARE(helper.readAllStandardOutput().trimmed(), QByteArray("0"));
        QCOMPARE(Reset_Message(kName), 1); // ours still works
        TerminateComm(1);
        helper.start(QStringLiteral(LINE_OPEN_HELPER), {QStringLiteral("1")});
        QVERIFY(helper.waitForFinished(10000));
        QCOMPARE(helper.readAllStandardOutput().trimmed(), QByteArray("1"));
    }

    void goneTerminalFailsAtOnceAndNextOpenStartsIt()
    {
        killTerminal();
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(Reset_Message(kName), 0); // finds the line dead
        // A poll after that costs nothing: no time-out is waited out.
        for (int poll = 0; poll < 3; ++poll)
            QCOMPARE(W_ReadSeconds(kName), 0);
        QVERIFY(waited.elapsed() < kTimeoutMs / 2);
        const pid_t before = m_pid;
        open();
        QVERIFY(m_pid != before);
        QCOMPARE(Reset_Message(kName), 1);
    }

    void silentTerminalFailsAfterTheTimeOut()
    {
        killTerminal(SIGSTOP);
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(Reset_Message(kName), 0);
        QVERIFY(waited.elapsed() >= kTimeoutMs - 10);
        ::kill(m_pid, SIGCONT);
        // The late answer to the failed call is not taken for this one's.
        int32_t first = -1, second = -1, third = -1;
        QCOMPARE(W_ReadPointers(kName, &first, &second, &third), 1);
        QCOMPARE(first, 0);
    }

    void answerLostWithoutAKillComesAgain_data()
    {
        QTest::addColumn<bool>("programGoes");
        QTest::newRow("the call timed out") << false;
        QTest::newRow("the program went without reading it") << true;
    }

    void answerLostWithoutAKillComesAgain()
    {
        QFETCH(bool, programGoes);
        for (int32_t card = 1; card <= 2; ++card)
            QCOMPARE(Sim_PassCard(kName, card), card - 1);
        char clockName[16];
        int32_t index = -1, seconds = 0, cardCode = 0, orValue = 0, code = 0;
        uint8_t aux1 = 0, justification = 0, presence = 0;
        if (programGoes) {
            TerminateComm(1);
            RawLine raw(socketPath());
            line::Writer openPort(1, uint8_t(line::Op::InitializeCommWithoutError));
            openPort.i32(1).i32(38400);
            QVERIFY(raw.send(openPort.frame()));
            QCOMPARE(raw.answer().size(), std::size_t(6));
            line::Writer receive(2, uint8_t(line::Op::W_ReceiveEntry));
            QVERIFY(raw.send(receive.frame()));
            pollfd answered{raw.fd, POLLIN, 0};
            QCOMPARE(poll(&answered, 1, 5000), 1);
            // ... and goes without reading it.
            ::close(raw.fd);
            raw.fd = -1;
            open();
        } else {
            killTerminal(SIGSTOP);
            QCOMPARE(W_ReceiveEntry(clockName, &index, &seconds, &cardCode, &aux1, &justification,
                                    &presence, &orValue, &code), 0);
            ::kill(m_pid, SIGCONT);
        }
        for (int32_t card = 1; card <= 2; ++card) {
            QCOMPARE(W_ReceiveEntry(clockName, &index, &seconds, &cardCode, &aux1, &justification,
                                    &presence, &orValue, &code), 1);
            QCOMPARE(cardCode, card);
        }
        QCOMPARE(Sim_TerminalProcess(), int32_t(m_pid)); // the same terminal all along
    }

    void terminalKilledMidCall()
    {
        Sim_SetPace(0);
        // About eight seconds on the wire at 4800 baud.
        QCOMPARE(InitializeCommWithoutError(1, 4800), 1);
        std::string text(3900, 'j');
        std::thread killer([pid = m_pid] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::kill(pid, SIGKILL);
        });
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(W_SendJustifications(kName, text.data()), 0);
        killer.join();
        QVERIFY(waited.elapsed() < 6000); // failed when the terminal died, not at its wire time
        QVERIFY(waitGone(m_pid));
        open();
        QCOMPARE(Reset_Message(kName), 1);
        // It was committed before the answer was due, so it lasted.
        QCOMPARE(Sim_JustificationCount(kName), 1);
    }

    void terminalWhoseSocketFileIsRemovedEnds()
    {
        QCOMPARE(W_SendSeconds(kName, 976190400), 1);
        QVERIFY(::unlink(socketPath().c_str()) == 0);
        QVERIFY(waitGone(m_pid)); // within a few seconds, on its own
        open();
        QCOMPARE(Sim_ReadClock(kName) >= 976190400, true); // what it had, it committed
    }

    void stateLastsAcrossARestart()
    {
        Sim_SetPace(0);
        QCOMPARE(W_SendConfigurations(kName, 2, 4, 86100, 1, 3, 600, 0, 5, 6), 1);
        QCOMPARE(W_InsertEvent(kName, 3, 28800, 60, 2, 1, 3, 62), 1);
        char message[] = "Hello";
        QCOMPARE(W_SendMessage(kName, 1, message, 0), 1);
        char employee[] = "Ana";
        QCOMPARE(W_SendEmployerName(kName, 1, employee, 1001, 1), 1);
        QCOMPARE(W_InsertEntry(kName, 0, 1000, 1001, 0, 0, 1), 1);
        QCOMPARE(W_InsertEntry(kName, 0, 999, 1002, 0, 0, 1), 1);
        QVERIFY(Sim_AddTerminal("PONTO_01"));
        QCOMPARE(W_SendSeconds(kName, 900000000), 1);
        QCOMPARE(W_SendReaderPointer(kName, 1), 1);
        killTerminal();
        TerminateComm(1);

        open(); // a new terminal process on the same file
        QCOMPARE(Reset_Message(kName), 1);
        int32_t config[9] = {};
        QVERIFY(Sim_GetConfiguration(kName, config));
        QCOMPARE(config[2], 86100);
        int32_t event[6] = {};
        QVERIFY(Sim_GetEvent(kName, 3, event));
        QCOMPARE(event[5], 62);
        char back[16] = {};
        QVERIFY(Sim_GetMessage(kName, 1, 0, back, sizeof back));
        QCOMPARE(QByteArray(back), QByteArray("Hello"));
        int32_t card = 0, last = 0;
        QVERIFY(Sim_GetEmployeeName(kName, 1, back, sizeof back, &card, &last));
        QCOMPARE(card, 1001);
        SimEntry e{};
        QVERIFY(Sim_GetEntry(kName, 0, &e));
        QCOMPARE(e.cardCode, 1002);
        QCOMPARE(Sim_EntryCount("PONTO_01"), 0);
        int32_t first = 0, second = 0, third = 0;
        QVERIFY(Sim_GetPointers(kName, &first, &second, &third));
        QCOMPARE(third, 1);
        // The clock ran on while the terminal was away.
        const int32_t now = W_ReadSeconds(kName);
        QVERIFY(now >= 900000000 && now < 900000000 + 60);
        QCOMPARE(Sim_TerminalProcess() != 0, true);

        QCOMPARE(W_Kill(kName), 1);
        killTerminal();
        TerminateComm(1);
        open();
        QCOMPARE(Sim_EntryCount(kName), 0); // factory state lasts too
        QVERIFY(Sim_GetConfiguration(kName, config));
        QCOMPARE(config[2], 0);
    }

    void killedDuringCardPassesLosesNothingAcknowledged()
    {
        std::atomic<bool> stop{false};
        std::thread killer([pid = m_pid] {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            ::kill(pid, SIGKILL);
        });
        QList<int32_t> acknowledged;
        for (int32_t card = 1; !stop; ++card) {
            const int32_t index = Sim_PassCard(kName, card);
            if (index < 0)
                break;
            QCOMPARE(index, int32_t(acknowledged.size()));
            acknowledged << card;
        }
        killer.join();
        QVERIFY(waitGone(m_pid));
        QVERIFY(acknowledged.size() > 10);
        TerminateComm(1);
        open();
        QVERIFY(Sim_EntryCount(kName) >= acknowledged.size());
        for (int32_t i = 0; i < acknowledged.size(); ++i) {
            SimEntry e{};
            QVERIFY(Sim_GetEntry(kName, i, &e));
            QCOMPARE(e.cardCode, acknowledged[i]);
        }
    }
};

QTEST_GUILESS_MAIN(TestLine)
#include "tst_line.moc"
