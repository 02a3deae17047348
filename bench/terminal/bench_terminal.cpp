// The terminal program through its socket: calls a second at instant pace,
// card passes a second committed before their answer, and with memories of
// 0, 100,000, 1,000,000 and a full one: the file's size, the start time and
// the terminal's resident size. Prints figures; asserts nothing.
//
//   bench_terminal [full memory, default 2000000]

#include "terminal/line/LineTest.h"
#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimTerminalTest.h"
#include "link/TerminalLimits.h"
#include "terminal/program/StoredEntryMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

char kName[] = "PONTO_00";

double seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

void stopTerminal()
{
    const int pid = Sim_TerminalProcess();
    TerminateComm(1);
    ::kill(pid, SIGKILL);
    while (QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
        QThread::msleep(10);
}

// The file as it lies after a checkpoint, the terminal stopped.
double fileMiB(const QString &file)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
        db.setDatabaseName(file);
        if (db.open())
            QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("size"));
    return double(QFileInfo(file).size()) / (1024.0 * 1024.0);
}

void fillTo(int32_t count)
{
    for (int32_t n = Sim_EntryCount(kName); n < count; ++n)
        if (Sim_PassCard(kName, 1000 + n % 1000) < 0) {
            std::fprintf(stderr, "pass card failed at %d\n", n);
            std::exit(1);
        }
}

// The first terminal's entries written straight into the file of a stopped
// terminal, the way the terminal writes them; passing millions of cards
// would take minutes.
bool writeEntries(const QString &file, int32_t count)
{
    terminal::program::StoreDatabase db(file);
    if (!db.open())
        return false;
    QSqlQuery &first = db.prepared(QStringLiteral("SELECT id FROM terminals ORDER BY line_order LIMIT 1"));
    if (!db.run(first) || !first.next())
        return false;
    const qint64 id = first.value(0).toLongLong();
    first.finish();
    std::vector<terminal::engine::Entry> entries(static_cast<std::size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        entries[std::size_t(i)].seconds = 976190400 + i;
        entries[std::size_t(i)].cardCode = 1000 + i % 1000;
        entries[std::size_t(i)].presence = 1;
        entries[std::size_t(i)].serial = i + 1;
    }
    return db.transaction([&] {
        return db.exec(QStringLiteral("DELETE FROM entries WHERE terminal_id = %1").arg(id))
            && db.exec(QStringLiteral("DELETE FROM entry_blocks WHERE terminal_id = %1").arg(id))
            && db.exec(QStringLiteral("UPDATE terminals SET reader_pointer = 0, next_serial = %1 WHERE id = %2")
                           .arg(count + 1)
                           .arg(id))
            && terminal::program::StoredEntryMemory::writeAll(db, id, entries);
    });
}

double residentMiB(int pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

int32_t receiveOne()
{
    static char name[16];
    int32_t index, secs, card, orValue, code;
    uint8_t aux, just, presence;
    return W_ReceiveEntry(name, &index, &secs, &card, &aux, &just, &presence, &orValue, &code);
}

// What a technician sees at wire pace: the morning drain and Clear All Events.
void wirePaceFigures()
{
    Sim_SetPace(0);
    for (const int32_t baud : {4800, 38400}) {
        Sim_Reset();
        Sim_LoadMorning(kName);
        InitializeCommWithoutError(1, baud);
        QElapsedTimer t;
        t.start();
        int got = 0;
        while (receiveOne())
            ++got;
        std::printf("wire pace %d baud: %d-entry morning drained in %.2f s\n", baud, got, seconds(t));
        t.restart();
        for (int32_t slot = 0; slot < kestcom_abi::kEventSlots; ++slot)
            W_InsertEvent(kName, slot, 0, 0, 0, 0, 0, 0);
        std::printf("wire pace %d baud: Clear All Events (%d W_InsertEvent) in %.2f s\n", baud,
                    kestcom_abi::kEventSlots, seconds(t));
        t.restart();
        char employee[] = "Ana Maria Souza Lima"; // the roster's longest names, 20 characters
        for (int32_t e = 1; e <= 100; ++e)
            W_SendEmployerName(kName, e, employee, e + 1000, 255);
        std::printf("wire pace %d baud: 100 employee names in %.2f s\n", baud, seconds(t));
    }
    Sim_SetPace(1);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int32_t full = argc > 1 ? std::atoi(argv[1]) : 2000000;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner
                                                                  | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", dir.filePath(QStringLiteral("run")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString file = dir.filePath(QStringLiteral("data/velmora/terminal-COM1.sqlite"));
    SetConfirmationsTimeout(5000, 5000);

    QElapsedTimer t;
    t.start();
    if (!InitializeCommWithoutError(1, 38400)) {
        std::fprintf(stderr, "no terminal\n");
        return 1;
    }
    std::printf("terminal started (new, demo morning): %.0f ms\n", seconds(t) * 1000);
    wirePaceFigures();
    Sim_Reset();
    InitializeCommWithoutError(1, 38400);

    const int calls = 100000;
    t.restart();
    for (int i = 0; i < calls; ++i)
        receiveOne();
    std::printf("W_ReceiveEntry, nothing pending: %.0f calls/s\n", calls / seconds(t));

    const int cards = 20000;
    t.restart();
    fillTo(cards);
    std::printf("card passes committed before their answer: %.0f /s\n", cards / seconds(t));

    t.restart();
    int got = 0;
    while (receiveOne())
        ++got;
    std::printf("W_ReceiveEntry delivering (reader pointer committed each): %.0f calls/s (%d)\n",
                got / seconds(t), got);

    for (const int32_t mark : {0, 100000, 1000000, full}) {
        if (mark > full)
            continue;
        stopTerminal();
        QElapsedTimer fill;
        fill.start();
        if (!writeEntries(file, mark)) {
            std::fprintf(stderr, "cannot write %d entries into %s\n", mark, qPrintable(file));
            return 1;
        }
        const double took = seconds(fill);
        const double mib = fileMiB(file);
        std::printf("%d entries: written in %.0f s; file %.1f MiB, %.1f bytes an entry\n", mark, took, mib,
                    mark ? mib * 1024 * 1024 / mark : 0.0);
        t.restart();
        InitializeCommWithoutError(1, 38400);
        char name[] = "PONTO_00";
        Reset_Message(name);
        const double start = seconds(t);
        // Settled: what it holds while it waits for calls.
        QThread::msleep(300);
        std::printf("  start with %d entries: %.2f s; resident %.1f MiB\n", mark, start,
                    residentMiB(Sim_TerminalProcess()));
        if (mark == full) {
            t.restart();
            int delivered = 0;
            while (delivered < 20000 && receiveOne())
                ++delivered;
            std::printf("  W_ReceiveEntry delivering from %d entries: %.0f calls/s\n", mark,
                        delivered / seconds(t));
            break;
        }
    }
    stopTerminal();
    return 0;
}
