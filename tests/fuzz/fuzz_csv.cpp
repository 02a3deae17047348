// Fuzz target: a CSV file as velmora-capture from-csv reads it. What it
// accepts converts to CSV and back to the same bytes.
#include "capturetool/Commands.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_csv: %s\n", what);
        std::abort();
    }
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace capturetool;
    static QTemporaryDir folder;
    const QString in = folder.filePath(QStringLiteral("in.csv"));
    const QString records = folder.filePath(QStringLiteral("records.raw"));
    const QString again = folder.filePath(QStringLiteral("again.csv"));
    const QString back = folder.filePath(QStringLiteral("back.raw"));
    for (const QString &p : {in, records, again, back})
        QFile::remove(p);
    {
        QFile f(in);
        f.open(QIODevice::WriteOnly);
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const int status = FromCsvCommand(in, records);
    check(status == kExitOk || status == kExitNo, "from-csv in trouble with a readable file");
    if (status != kExitOk) {
        check(!QFile::exists(records), "a refused file was written");
        return 0;
    }
    check(CsvCommand(records, again, false) == kExitOk, "csv refuses what from-csv wrote");
    check(FromCsvCommand(again, back) == kExitOk, "from-csv refuses what csv wrote");
    check(ReadAll(back) == ReadAll(records), "csv then from-csv changed the records");
    return 0;
}
