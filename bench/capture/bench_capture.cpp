// Capture and restore speed, and the restore's peak memory.
//
//   bench_capture                 every figure (runs itself once per restore size)
//   bench_capture restore N CAP   one restore of N records, entry capacity CAP
#include "TestForm.h"

#include "capture/CaptureCommands.h"
#include "capture/CaptureFile.h"
#include "capture/CaptureRecord.h"
#include "reception/EntryPolling.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {

ReceivedEntry Entry(int32_t index)
{
    ReceivedEntry e;
    e.clockName = QStringLiteral("PONTO_00 ");
    e.index = index;
    e.seconds = 976190400 + index;
    e.cardCode = 1001 + index % 1000;
    e.presence = 1;
    e.code = index + 1;
    return e;
}

long PeakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

double PerSecond(qint64 count, qint64 ns)
{
    return ns > 0 ? double(count) * 1e9 / double(ns) : 0;
}

void BenchCapture(const QString &dir)
{
    constexpr int kCount = 200000;
    {
        FakeForm f;
        f.c().Text23->setText(dir + QStringLiteral("/append.raw"));
        capture::Capture(f.ctx());
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kCount; ++i)
            capture::AppendCaptureRecord(f.ctx(), Entry(i));
        const qint64 ns = t.nsecsElapsed();
        capture::CloseCaptureFile(f.ctx());
        std::printf("capture, AppendCaptureRecord alone:            %9.0f records/s (%d records)\n",
                    PerSecond(kCount, ns), kCount);
    }
    for (bool fileOpen : {false, true}) {
        for (bool growing : {false, true}) {
            FakeForm f;
            if (fileOpen) {
                f.c().Text23->setText(dir + QStringLiteral("/process.raw"));
                capture::Capture(f.ctx());
            }
            const int count = growing ? 100000 : kCount;
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < count; ++i) {
                ReceivedEntry e = Entry(growing ? i : 0);
                reception::ProcessReceivedEntry(f.ctx(), e);
            }
            const qint64 ns = t.nsecsElapsed();
            capture::CloseCaptureFile(f.ctx());
            std::printf("ProcessReceivedEntry, file %s, %s: %9.0f entries/s (%d entries)\n",
                        fileOpen ? "open  " : "closed",
                        growing ? "index 0..N-1 (grid grows)" : "index 0 (one grid row)  ",
                        PerSecond(count, ns), count);
        }
    }
}

int RunRestore(int records, int capacity)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("restore.raw"));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return 1;
        for (int i = 0; i < records; ++i)
            out.write(capture::CaptureRecord(Entry(i)));
    }
    const long before = PeakResidentKb();
    SimForm s;
    Sim_SetEntryCapacity(capacity);
    s.ctx().lib.InitializeCommWithoutError(1, 19200);
    s.ctx().buttons.setLinkCommandsEnabled(true);
    s.c().Text24->setText(file);
    QElapsedTimer t;
    t.start();
    capture::Restore(s.ctx());
    const qint64 ns = t.nsecsElapsed();
    const long after = PeakResidentKb();
    std::printf("restore %8d records, entry capacity %8d: %9.0f records/s, VmHWM %7ld kB "
                "(%ld kB before the restore), terminal holds %d, caption \"%s\"\n",
                records, capacity, PerSecond(records, ns), after, before,
                Sim_EntryCount("PONTO_00"), qPrintable(s.c().Command25->text()));
    return s.messages().texts.isEmpty() ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("restore"))
        return RunRestore(args[2].toInt(), args[3].toInt());

    QTemporaryDir dir;
    BenchCapture(dir.path());
    std::fflush(stdout);
    // Each restore in a process of its own, so that each peak is its own.
    for (const auto &[records, capacity] :
         {std::pair{10000, 2000000}, std::pair{1000000, 2000000}, std::pair{10000, 1000},
          std::pair{1000000, 1000}}) {
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(app.applicationFilePath(), {QStringLiteral("restore"), QString::number(records),
                                              QString::number(capacity)});
        run.waitForFinished(-1);
    }
    return 0;
}
