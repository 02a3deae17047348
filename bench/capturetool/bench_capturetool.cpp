// velmora-capture on large capture files: records per second of each
// command and its peak resident memory, at 10,000 and 1,000,000 records.
//
//   bench_capturetool [RECORDS...]    default: 10000 1000000
#include "capture/CaptureRecord.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

struct Figures
{
    int status = -1;
    double seconds = 0;    // wall clock, which other work on the machine stretches
    double cpuSeconds = 0; // user and system time of the run itself
    long peakKb = 0;
};

// One run of the tool, its output thrown away; peak memory from the
// kernel's account of the child.
Figures RunTool(const QList<QByteArray> &args)
{
    QList<QByteArray> all{QByteArray(VELMORA_CAPTURE_TOOL)};
    all += args;
    QList<char *> argv;
    for (QByteArray &a : all)
        argv << a.data();
    argv << nullptr;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Figures f;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return f;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    f.seconds = double(timer.nsecsElapsed()) / 1e9;
    f.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    f.peakKb = usage.ru_maxrss;
    f.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                   + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    posix_spawn_file_actions_destroy(&actions);
    return f;
}

bool WriteCapture(const QString &path, qint64 count)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray block;
    for (qint64 i = 0; i < count; ++i) {
        ReceivedEntry e;
        e.clockName = QStringLiteral("PONTO_00 ");
        e.index = int32_t(i);
        e.seconds = 976190400 + int32_t(i);
        e.cardCode = 1001 + int32_t(i % 1000);
        e.aux1 = uint8_t(i % 7);
        e.presence = 1;
        e.code = int32_t(i + 1);
        block += capture::CaptureRecord(e);
        if (block.size() > (1 << 20) || i + 1 == count) {
            if (file.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    return true;
}

QByteArray Digest(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

} // namespace

int main(int argc, char **argv)
{
    QList<qint64> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toLongLong();
    if (sizes.isEmpty())
        sizes = {10000, 1000000};
    QTemporaryDir dir;
    for (qint64 n : sizes) {
        const QByteArray raw = dir.filePath(QStringLiteral("bench.raw")).toUtf8();
        const QByteArray csv = dir.filePath(QStringLiteral("bench.csv")).toUtf8();
        const QByteArray back = dir.filePath(QStringLiteral("back.raw")).toUtf8();
        if (!WriteCapture(QString::fromUtf8(raw), n)) {
            std::fprintf(stderr, "cannot write %s\n", raw.constData());
            return 1;
        }
        const struct
        {
            const char *name;
            QList<QByteArray> args;
        } runs[] = {
            {"verify", {"verify", raw}},
            {"list", {"list", raw}},
            {"csv", {"csv", raw, "-o", csv}},
            {"from-csv", {"from-csv", csv, "-o", back}},
            {"diff", {"diff", raw, back}},
        };
        for (const auto &run : runs) {
            const Figures f = RunTool(run.args);
            std::printf("%-9s %8lld records: %9.0f records/s (%9.0f per CPU second)  %6.3f s  "
                        "peak RSS %6ld KB  exit %d\n",
                        run.name, static_cast<long long>(n),
                        f.seconds > 0 ? double(n) / f.seconds : 0,
                        f.cpuSeconds > 0 ? double(n) / f.cpuSeconds : 0, f.seconds, f.peakKb,
                        f.status);
        }
        std::printf("csv then from-csv: %s\n",
                    Digest(QString::fromUtf8(raw)) == Digest(QString::fromUtf8(back))
                        ? "the same bytes" : "DIFFERENT BYTES");
    }
    return 0;
}
