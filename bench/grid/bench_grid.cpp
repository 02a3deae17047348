// Figures for the entry grid's hot path: draining a backlog from the
// simulated terminal into the window's grid, and one entry far into the
// memory, each beside a plain QTableWidget doing the same work.
//
//   bench_grid [backlog entries] [far index] [far index for QTableWidget] [noplain]

#include "app/ClockTestForm.h"
#include "app/Controls.h"
#include "app/Messages.h"
#include "app/PcClock.h"
#include "entries/EntryGrid.h"
#include "entries/FlexGrid.h"
#include "link/KestComLibrary.h"
#include "clock/ClockSeconds.h"
#include "reception/EntryPolling.h"
#include "reception/EntryRow.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

#include <cstdio>
#include <vector>

namespace {

class CountingMessages final : public Messages
{
public:
    void inform(const QString &) override { ++count; }
    bool confirm(const QString &) override
    {
        ++count;
        return true;
    }
    int count = 0;
};

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

constexpr const char *kTerminal = "PONTO_00";
constexpr int32_t kFirstSecond = 976190400;

void fillTerminal(KestCom &lib, int entries)
{
    Sim_SetEntryCapacity(entries + 10);
    QString name = QString::fromLatin1(kTerminal);
    for (int i = 0; i < entries; ++i)
        lib.W_InsertEntry(name, i, kFirstSecond + i * 7, 1001 + i % 1000, 65, 0, 1);
    lib.W_SendReaderPointer(name, 0);
}

std::vector<ReceivedEntry> makeBacklog(int entries)
{
    std::vector<ReceivedEntry> pending(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        ReceivedEntry &entry = pending[size_t(i)];
        entry.index = i;
        entry.seconds = kFirstSecond + i * 7;
        entry.cardCode = 1001 + i % 1000;
        entry.aux1 = 65;
        entry.presence = 1;
    }
    return pending;
}

// What a window built on QTableWidget does for one entry, step by step.
struct PlainTable
{
    QTableWidget table{2 - 1, reception::kEntryColumns};
    const FlexGrid *employees = nullptr;

    PlainTable()
    {
        table.verticalHeader()->hide();
        table.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table.verticalHeader()->setDefaultSectionSize(16);
        table.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        table.resize(657, 213);
    }

    void process(ReceivedEntry &entry)
    {
        entry.cardCode = reception::WorkingCardCode(entry.cardCode);
        const auto row = reception::GridRow(entry.index);
        if (!row)
            return;
        if (table.rowCount() < *row) {
            table.setUpdatesEnabled(false);
            table.setRowCount(*row);
            table.setUpdatesEnabled(true);
        }
        entry.cardCode = reception::EmployeeNumber(entry.cardCode, employees->rows());
        const auto texts = reception::EntryRow(entry, entry.cardCode,
                                               entry.cardCode ? employees->textMatrix(entry.cardCode, 1)
                                                              : QString(),
                                               clocktime::SecondsToDateText(entry.seconds));
        for (int c = 0; c < reception::kEntryColumns; ++c)
            table.setItem(*row - 1, c, new QTableWidgetItem(texts[size_t(c)]));
        table.scrollToBottom();
        table.setHorizontalHeaderItem(7, new QTableWidgetItem(reception::TotalText(table.rowCount() + 1)));
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int backlog = argc > 1 ? atoi(argv[1]) : 200000;
    const int farIndex = argc > 2 ? atoi(argv[2]) : reception::kHighestShownIndex;
    const int farIndexPlain = argc > 3 ? atoi(argv[3]) : farIndex;

    Sim_Reset();
    auto lib = KestComLibrary::bind(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("KestComSim")));
    if (!lib || !lib->complete()) {
        std::fprintf(stderr, "simulated terminal not bound\n");
        return 1;
    }
    CountingMessages messages;
    SystemPcClock pcClock;
    ClockTestForm form(*lib, messages, pcClock);
    form.show();
    app.processEvents();
    FormContext &ctx = form.context();
    FlexGrid &grid = *ctx.controls.MSFlexGrid1;
    lib->InitializeCommWithoutError(1, 19200);

    std::printf("backlog of %d entries from the simulated terminal\n", backlog);
    QElapsedTimer clock;
    clock.start();
    fillTerminal(*lib, backlog);
    std::printf("  filling the terminal: %.0f ms\n", double(clock.nsecsElapsed()) / 1e6);

    const long rssBefore = residentKiB();
    clock.restart();
    reception::Timer1Tick(ctx);
    const double tickNs = double(clock.nsecsElapsed());
    clock.restart();
    app.processEvents();
    const double paintNs = double(clock.nsecsElapsed());
    std::printf("  Timer1Tick: %.0f ms, %.0f entries/s (then %.1f ms to lay out and paint); "
                "grid rows %d, +%ld KiB resident\n",
                tickNs / 1e6, backlog / (tickNs / 1e9), paintNs / 1e6, grid.rows(),
                residentKiB() - rssBefore);

    // Without the library: what the grid side alone costs per entry.
    entries::ResetEntryGrid(ctx.controls);
    app.processEvents();
    {
        std::vector<ReceivedEntry> pending = makeBacklog(backlog);
        clock.restart();
        for (ReceivedEntry &entry : pending)
            reception::ProcessReceivedEntry(ctx, entry);
        const double ns = double(clock.nsecsElapsed());
        std::printf("  ProcessReceivedEntry alone: %.0f entries/s\n", backlog / (ns / 1e9));
    }

    std::printf("one entry at index %d into a freshly reset grid\n", farIndex);
    entries::ResetEntryGrid(ctx.controls);
    app.processEvents();
    long rss = residentKiB();
    clock.restart();
    ReceivedEntry far;
    far.index = farIndex;
    far.seconds = kFirstSecond;
    far.cardCode = 1053;
    reception::ProcessReceivedEntry(ctx, far);
    double ns = double(clock.nsecsElapsed());
    app.processEvents();
    double allNs = double(clock.nsecsElapsed());
    std::printf("  FlexGrid: %.1f ms (%.1f ms with layout and paint), +%.1f MB resident\n",
                ns / 1e6, allNs / 1e6, double(residentKiB() - rss) / 1024.0);
    entries::ResetEntryGrid(ctx.controls);
    app.processEvents();

    if (argc > 4 && QByteArray(argv[4]) == "noplain")
        return 0;
    // The same work on a plain QTableWidget.
    {
        PlainTable plain;
        plain.employees = ctx.controls.MSFlexGrid2;
        plain.table.show();
        app.processEvents();
        std::vector<ReceivedEntry> pending = makeBacklog(backlog);
        clock.restart();
        for (ReceivedEntry &entry : pending)
            plain.process(entry);
        ns = double(clock.nsecsElapsed());
        std::printf("QTableWidget, same backlog without the library: %.0f entries/s\n",
                    backlog / (ns / 1e9));
    }
    {
        PlainTable plain;
        plain.employees = ctx.controls.MSFlexGrid2;
        plain.table.show();
        app.processEvents();
        rss = residentKiB();
        clock.restart();
        ReceivedEntry entry;
        entry.index = farIndexPlain;
        entry.seconds = kFirstSecond;
        entry.cardCode = 1053;
        plain.process(entry);
        app.processEvents();
        allNs = double(clock.nsecsElapsed());
        std::printf("QTableWidget, one entry at index %d: %.1f ms with layout and paint, "
                    "+%.1f MB resident\n",
                    farIndexPlain, allNs / 1e6, double(residentKiB() - rss) / 1024.0);
    }
    return 0;
}
