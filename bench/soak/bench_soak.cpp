// The soak: the terminal program under card passes at a steady rate, drained
// the way the program's reception poll drains it into a capture file, while
// the terminal is killed with SIGKILL at random moments and started again by
// the next open. At the end every entry the terminal stamped must be in the
// capture file. Prints figures; exits 1 on any loss or a damaged database.
//
//   bench_soak [--seconds N] [--kills N] [--rate N] [--poll-ms N] [--seed N]
//              [--data FOLDER] [--wire] [--keep]

#include "bench/soak/SoakLedger.h"
#include "capture/CaptureFile.h"
#include "capture/CaptureRecord.h"
#include "link/KestComLibrary.h"
#include "link/TerminalLimits.h"
#include "terminal/engine/SimTerminalTest.h"
#include "terminal/line/LineTest.h"
#include "terminal/line/Protocol.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <poll.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int32_t kPort = 1;
constexpr int32_t kBaud = 38400;
// What the program sets at start.
constexpr int32_t kConfirmationsMs = 1000;
// Longer than a terminal takes to come back (the line waits 5 s for one).
constexpr auto kComeBack = 30s;
char kTerminal[] = "PONTO_00";

std::atomic<bool> g_stopPassing{false};

void stopPassing(int)
{
    g_stopPassing = true;
}

// The passer: a process of its own, so that its passes reach the terminal
// on a connection of their own, as a card reader is not the line. One line
// a pass: the card and the index answered, -1 when no answer came.
int runPasser(const QString &ledger, double rate)
{
    struct sigaction action{};
    action.sa_handler = stopPassing;
    sigaction(SIGTERM, &action, nullptr);
    FILE *out = std::fopen(QFile::encodeName(ledger).constData(), "w");
    if (!out)
        return 2;
    Sim_SetTestPort(kPort);
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
    auto due = Clock::now();
    for (int32_t card = 1; !g_stopPassing; ++card) {
        due += period;
        const auto now = Clock::now();
        if (due > now)
            std::this_thread::sleep_until(due);
        else if (now - due > 1s)
            due = now; // after a restart no burst to catch up
        const int32_t index = Sim_PassCard(kTerminal, card);
        std::fprintf(out, "%d %d\n", card, index);
        std::fflush(out);
    }
    return std::fclose(out) == 0 ? 0 : 2;
}

std::vector<soak::Pass> readPasses(const QString &ledger)
{
    std::vector<soak::Pass> passes;
    QFile file(ledger);
    if (!file.open(QIODevice::ReadOnly))
        return passes;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        if (fields.size() != 2)
            continue; // a line the passer was killed in the middle of
        soak::Pass pass;
        pass.card = fields[0].toInt();
        if (const int32_t index = fields[1].toInt(); index >= 0)
            pass.index = index;
        passes.push_back(pass);
    }
    return passes;
}

// The library this program linked, where the program would bind it.
QString linkedLibrary()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&Sim_TerminalProcess), &info) || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
}

// SIGKILL to the terminal program, and back once it is gone. Through a pid
// descriptor checked against the program's file, so that a number a
// finished terminal left behind never reaches another process.
bool killTerminal(pid_t pid, const QString &program)
{
    if (pid <= 0)
        return false;
    const int fd = int(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0)
        return false;
    const QString running = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath();
    bool killed = running == program && syscall(SYS_pidfd_send_signal, fd, SIGKILL, nullptr, 0) == 0;
    if (killed) {
        pollfd gone{fd, POLLIN, 0};
        killed = poll(&gone, 1, 10000) == 1;
    }
    ::close(fd);
    return killed;
}

QString integrityOf(const QString &database)
{
    QString verdict = QStringLiteral("not run");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(database);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next())
                verdict = q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return verdict;
}

// A sanitized terminal reports into its log, which nobody else reads.
int sanitizerReports()
{
    QFile log(QString::fromStdString(terminal::line::SocketPlaceOf(kPort).path + ".log"));
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = log.readAll();
    return int(text.count("==ERROR: ") + text.count("runtime error:"));
}

struct Options
{
    int seconds = 60;
    int kills = 6;
    double rate = 200;
    int pollMs = 100;
    quint32 seed = 0;
    QString data;
    bool wire = false;
};

class Soak
{
public:
    Soak(const Options &options, QString work) : m_options(options), m_work(std::move(work)) {}
    int run();

private:
    bool openLine();
    // One tick of the poll: every pending entry into the capture file; a
    // line found dead is opened again. False when the soak cannot go on.
    bool tick(int *delivered);
    void killAtRandom(Clock::time_point start);
    std::vector<ReceivedEntry> memoryAtEnd() const;
    // The file's records, each with the terminal process that delivered it.
    std::vector<soak::Delivery> deliveriesIn(const QString &capturePath) const;

    Options m_options;
    QString m_work;
    QString m_terminalProgram;
    std::unique_ptr<KestComLibrary> m_lib;
    CaptureFile m_capture;
    std::vector<int64_t> m_servers; // for each record, the process that delivered it
    int m_opens = 0;

    // Shared with the killer.
    std::atomic<int64_t> m_server{0};
    std::atomic<bool> m_draining{false};
    std::atomic<bool> m_stopKilling{false};
    std::atomic<int> m_kills{0};
    std::atomic<int> m_killsInDrain{0};
};

bool Soak::openLine()
{
    const auto until = Clock::now() + kComeBack;
    while (m_lib->InitializeCommWithoutError(kPort, kBaud) != 1) {
        if (Clock::now() > until)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    ++m_opens;
    m_server = Sim_TerminalProcess();
    return m_server > 0;
}

bool Soak::tick(int *delivered)
{
    ReceivedEntry entry;
    *delivered = 0;
    while (m_lib->W_ReceiveEntry(entry.clockName, entry.index, entry.seconds, entry.cardCode,
                                 entry.aux1, entry.justification, entry.presence, entry.orValue,
                                 entry.code)
           != 0) {
        if (!m_capture.write(capture::CaptureRecord(entry))) {
            std::fprintf(stderr, "soak: cannot write the capture file: %s\n", qPrintable(m_capture.errorString()));
            return false;
        }
        m_servers.push_back(m_server);
        ++*delivered;
        m_draining = true; // more are likely: the killer may aim here
    }
    m_draining = false;
    QString name = QString::fromLatin1(kTerminal);
    if (m_lib->Reset_Message(name) != 0 || openLine())
        return true;
    std::fprintf(stderr, "soak: the terminal did not come back within %d s\n",
                 int(std::chrono::seconds(kComeBack).count()));
    return false;
}

void Soak::killAtRandom(Clock::time_point start)
{
    QRandomGenerator random(m_options.seed ^ 0x6b696c6cu);
    const auto span = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(m_options.seconds))
                      / std::max(m_options.kills, 1);
    int64_t lastKilled = 0;
    const auto sleepUntil = [this](Clock::time_point moment) {
        while (!m_stopKilling && Clock::now() < moment)
            std::this_thread::sleep_for(std::min<Clock::duration>(moment - Clock::now(), 20ms));
        return !m_stopKilling;
    };
    for (int k = 0; k < m_options.kills; ++k) {
        const auto moment = start + span * k
                            + std::chrono::duration_cast<Clock::duration>(span * (0.05 + 0.9 * random.generateDouble()));
        if (!sleepUntil(moment))
            return;
        // Every second kill waits for a drain, where an answer is most often on its way.
        if (k % 2 == 1) {
            const auto until = Clock::now() + span / 3;
            while (!m_draining && Clock::now() < until && !m_stopKilling)
                std::this_thread::sleep_for(100us);
        }
        // A terminal that has not come back yet is not killed twice.
        const auto until = Clock::now() + kComeBack;
        while ((m_server == lastKilled || m_server <= 0) && Clock::now() < until && !m_stopKilling)
            std::this_thread::sleep_for(1ms);
        const int64_t pid = m_server;
        const bool inDrain = m_draining;
        if (pid == lastKilled || !killTerminal(pid_t(pid), m_terminalProgram))
            continue;
        lastKilled = pid;
        ++m_kills;
        if (inDrain)
            ++m_killsInDrain;
    }
}

int Soak::run()
{
    const QString library = linkedLibrary();
    m_terminalProgram = QFileInfo(QFileInfo(library).dir().filePath(QStringLiteral("velmora-terminal"))).canonicalFilePath();
    m_lib = KestComLibrary::bind(library);
    if (!m_lib->complete() || m_terminalProgram.isEmpty()) {
        std::fprintf(stderr, "soak: %s\n", qPrintable(m_lib->bindingProblem()));
        return 2;
    }
    const QString data = m_options.data.isEmpty() ? QDir(m_work).filePath(QStringLiteral("data")) : m_options.data;
    const QString database = QDir(data).filePath(QStringLiteral("velmora/terminal-COM%1.sqlite").arg(kPort));
    const QString capturePath = QDir(m_work).filePath(QStringLiteral("soak.raw"));
    const QString ledger = QDir(m_work).filePath(QStringLiteral("passes.txt"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    const QString runtime = QDir(m_work).filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // As the program starts, then an empty memory delivered from its start.
    m_lib->SetPCName(QStringLiteral("PONTO_PC"));
    m_lib->SetConfirmationsTimeout(kConfirmationsMs, kConfirmationsMs);
    Sim_SetTestPort(kPort);
    Sim_Reset();
    Sim_SetPace(m_options.wire ? 0 : 1);
    if (!openLine()) {
        std::fprintf(stderr, "soak: no terminal answers on COM%d\n", kPort);
        return 2;
    }
    QString name = QString::fromLatin1(kTerminal);
    if (!m_capture.openForCapture(capturePath) || !m_lib->W_SendReaderPointer(name, 0)) {
        std::fprintf(stderr, "soak: cannot start the capture into %s\n", qPrintable(capturePath));
        return 2;
    }

    QProcess passer;
    passer.setProcessChannelMode(QProcess::ForwardedChannels);
    passer.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--passer"), ledger, QStringLiteral("--rate"), QString::number(m_options.rate)});
    if (!passer.waitForStarted()) {
        std::fprintf(stderr, "soak: the passer did not start\n");
        return 2;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(m_options.seconds);
    std::thread killer([this, start] { killAtRandom(start); });
    bool cameBack = true;
    int delivered = 0;
    while (cameBack && Clock::now() < end) {
        cameBack = tick(&delivered);
        std::this_thread::sleep_for(std::chrono::milliseconds(m_options.pollMs));
    }
    const double passingSeconds = double(elapsed.nsecsElapsed()) / 1e9;
    m_stopKilling = true;
    killer.join();
    passer.terminate();
    passer.waitForFinished(30000);
    // Drained to empty: a tick that delivers nothing on a line that answers.
    for (int quiet = 0; cameBack && quiet < 2;) {
        cameBack = tick(&delivered);
        quiet = delivered == 0 ? quiet + 1 : 0;
    }
    if (!cameBack)
        return 2;
    const bool captureClosed = m_capture.close();
    const std::vector<ReceivedEntry> memory = memoryAtEnd();
    m_lib->TerminateComm(kPort);
    killTerminal(pid_t(m_server.load()), m_terminalProgram);

    const soak::Reckoning r = soak::Reckon(readPasses(ledger), deliveriesIn(capturePath), memory);
    const QString integrity = integrityOf(database);
    const int reports = sanitizerReports();
    QTextStream out(stdout);
    out << "soak: " << qRound(passingSeconds) << " s of passes, seed " << m_options.seed << ", "
        << (m_options.wire ? "wire" : "instant") << " pace, a drain every " << m_options.pollMs << " ms\n"
        << "passes: " << r.passes << " (" << QString::number(double(r.passes) / passingSeconds, 'f', 1)
        << " a second), answered " << r.answered << ", unanswered " << r.unanswered << " (stamped "
        << r.unansweredStamped << ")\n"
        << "kills survived: " << m_kills << " of " << m_options.kills << " (" << m_killsInDrain
        << " during a drain); opens of the line: " << m_opens << "\n"
        << "captured: " << r.records << " records, " << r.entries << " entries of " << memory.size()
        << ", " << r.repeats << " repeats (" << r.repeatsWithoutRestart << " without a restart)\n"
        << "lost: " << r.lost << ", skipped: " << r.skipped << ", wrong: " << r.wrong << ", strays: "
        << r.strays << "\n"
        << "integrity_check: " << integrity << "; sanitizer reports in the terminal's log: " << reports
        << "\n";
    const bool whole = r.whole() && captureClosed && integrity == QStringLiteral("ok") && reports == 0
                       && m_kills == m_options.kills;
    out << (whole ? "nothing lost" : "FAILED") << Qt::endl;
    return whole ? 0 : 1;
}

std::vector<ReceivedEntry> Soak::memoryAtEnd() const
{
    std::vector<ReceivedEntry> memory;
    const int32_t count = Sim_EntryCount(kTerminal);
    for (int32_t i = 0; i < count; ++i) {
        SimEntry stamp{};
        if (!Sim_GetEntry(kTerminal, i, &stamp))
            break; // the entries missing then count as lost
        ReceivedEntry e;
        e.clockName = QString::fromLatin1(kTerminal).leftJustified(kestcom_abi::kClockNameLength, u' ');
        e.index = i;
        e.seconds = stamp.seconds;
        e.cardCode = stamp.cardCode;
        e.aux1 = stamp.aux1;
        e.justification = stamp.justification;
        e.presence = stamp.presence;
        e.orValue = stamp.orValue;
        e.code = stamp.code;
        memory.push_back(e);
    }
    return memory;
}

std::vector<soak::Delivery> Soak::deliveriesIn(const QString &capturePath) const
{
    std::vector<soak::Delivery> deliveries;
    CaptureFile file;
    if (!file.openForRestore(capturePath))
        return deliveries;
    QByteArray record(capture::kRecordSize, '\0');
    while (file.read(record.data(), record.size()) == record.size()) {
        const std::size_t n = deliveries.size();
        deliveries.push_back({record, n < m_servers.size() ? m_servers[n] : 0});
    }
    return deliveries;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Soak of the terminal program under kills."));
    parser.addHelpOption();
    const auto option = [](const char *name, const char *help, const char *value = "", const char *start = "") {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help),
                                  QString::fromLatin1(value), QString::fromLatin1(start));
    };
    const auto seconds = option("seconds", "How long cards are passed (60).", "N", "60");
    const auto kills = option("kills", "Kills in that time (one per 10 s).", "N");
    const auto rate = option("rate", "Card passes a second (200).", "N", "200");
    const auto poll = option("poll-ms", "Pause between two drains (100).", "N", "100");
    const auto seed = option("seed", "Seed of the kill moments (a random one).", "N");
    const auto data = option("data", "The terminal's data folder (a temporary one).", "FOLDER");
    const auto wire = option("wire", "Answers at wire pace, not instant.");
    const auto keep = option("keep", "Keep the capture file, the passes and the terminal's log.");
    const auto passer = option("passer", "Internal: pass cards, each written to FILE.", "FILE");
    parser.addOptions({seconds, kills, rate, poll, seed, data, wire, keep, passer});
    parser.process(app);

    Options options;
    options.seconds = std::max(1, parser.value(seconds).toInt());
    options.kills = parser.isSet(kills) ? std::max(0, parser.value(kills).toInt())
                                        : std::max(1, options.seconds / 10);
    options.rate = std::max(1.0, parser.value(rate).toDouble());
    options.pollMs = std::max(1, parser.value(poll).toInt());
    options.seed = parser.isSet(seed) ? parser.value(seed).toUInt()
                                      : QRandomGenerator::system()->generate();
    options.data = parser.value(data);
    options.wire = parser.isSet(wire);
    if (parser.isSet(passer))
        return runPasser(parser.value(passer), options.rate);

    QTemporaryDir work;
    if (!work.isValid())
        return 2;
    const int status = Soak(options, work.path()).run();
    if (status != 0 || parser.isSet(keep)) {
        work.setAutoRemove(false);
        std::printf("files kept in %s\n", qPrintable(work.path()));
    }
    return status;
}
