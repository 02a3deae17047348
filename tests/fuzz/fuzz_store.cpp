// Fuzz target: a terminal's memory file as the terminal program opens it.
// The input is the file's bytes; or, after a first line "SQL", statements
// (one per line) run on a good file before it is opened: hostile contents
// in a file SQLite reads without complaint; or, after "PATCH", bytes put
// into a good file, three input bytes each (a little-endian offset, taken
// modulo the file's size, and the byte): corrupt pages. Either the file is used, or it
// is set aside with a message; opened again, it is then used.
#include "terminal/engine/SimState.h"
#include "terminal/engine/SimTerminalTest.h"
#include "FuzzLine.h"
#include "terminal/program/SqliteStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_store: %s\n", what);
        std::abort();
    }
}

QTemporaryDir *folder = nullptr;
QByteArray goodFile; // a terminal's memory with two terminals and a few entries

QString path(const char *name)
{
    return folder->filePath(QLatin1String(name));
}

void clearFolder()
{
    QDir dir(folder->path());
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
}

QByteArray MakeGoodFile()
{
    SetUpFuzzLine();
    const QString file = path("good.db");
    {
        terminal::program::SqliteStore store(file);
        terminal::engine::EngineState().store = &store;
        store.open();
        terminal::engine::EngineState().store = nullptr;
    }
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    clearFolder();
    return bytes;
}

bool RunStatements(const QString &file, const QByteArray &script)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz"));
        db.setDatabaseName(file);
        if (db.open()) {
            for (const QByteArray &line : script.split('\n')) {
                if (!line.trimmed().isEmpty())
                    QSqlQuery(db).exec(QString::fromUtf8(line));
            }
        } else {
            ok = false;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz"));
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    new QCoreApplication(*argc, *argv);
    // In memory where there is such a folder: SQLite's syncs to a disk
    // would take most of the time.
    const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    folder = shm ? new QTemporaryDir(QStringLiteral("/dev/shm/fuzz_store-XXXXXX")) : new QTemporaryDir();
    std::atexit([] { delete folder; }); // libFuzzer ends by exit(), past any destructor of ours
    goodFile = MakeGoodFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using terminal::program::SqliteStore;
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString file = path("memory.db");
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        if (input.startsWith("PATCH\n")) {
            QByteArray bytes = goodFile;
            for (qsizetype at = 6; at + 3 <= input.size(); at += 3) {
                const unsigned offset = uint8_t(input[at]) | unsigned(uint8_t(input[at + 1])) << 8;
                bytes[offset % unsigned(bytes.size())] = input[at + 2];
            }
            f.write(bytes);
        } else {
            f.write(input.startsWith("SQL\n") ? goodFile : input);
        }
    }
    if (input.startsWith("SQL\n") && !RunStatements(file, input.mid(4))) {
        clearFolder();
        return 0;
    }
    SetUpFuzzLine();
    for (int round = 0; round < 2; ++round) {
        SqliteStore store(file);
        terminal::engine::EngineState().store = &store;
        const terminal::program::OpenResult result = store.open();
        terminal::engine::EngineState().store = nullptr;
        check(result.ok || !result.message.isEmpty(), "a failed open without a message");
        check(result.movedAside.isEmpty() || QFile::exists(result.movedAside),
              "a file set aside that is not there");
        if (round == 1)
            check(result.ok && result.movedAside.isEmpty(), "what the terminal wrote is not usable");
        // The engine goes on with what was loaded.
        Sim_PassCard("PONTO_00", 1004);
        int32_t a = 0, b = 0, c = 0;
        Sim_GetPointers("PONTO_00", &a, &b, &c);
    }
    clearFolder();
    return 0;
}
