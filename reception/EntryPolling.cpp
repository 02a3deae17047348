#include "reception/EntryPolling.h"

#include "app/BusyCursor.h"
#include "app/Controls.h"
#include "app/FormContext.h"
#include "app/WindowState.h"
#include "capture/CaptureCommands.h"
#include "entries/FlexGrid.h"
#include "link/KestCom.h"
#include "clock/ClockSeconds.h"
#include "reception/EntryRow.h"

#include <optional>

namespace reception {

void Timer1Tick(FormContext &ctx)
{
    // A message box opened further down (a capture write failing) runs its
    // own event loop, where the timer would fire again; the tick never nests.
    static bool ticking = false;
    if (ticking)
        return;
    ticking = true;

    // The values live for the whole tick: each call starts from what the
    // previous call and the entry's processing left in them.
    ReceivedEntry entry;
    // Only once something came: an idle tick, every second, must not flicker.
    std::optional<BusyCursor> busy;
    while (ctx.lib.W_ReceiveEntry(entry.clockName, entry.index, entry.seconds, entry.cardCode,
                                  entry.aux1, entry.justification, entry.presence,
                                  entry.orValue, entry.code)
           != 0) {
        if (!busy)
            busy.emplace();
        ProcessReceivedEntry(ctx, entry);
    }

    ticking = false;
}

void ProcessReceivedEntry(FormContext &ctx, ReceivedEntry &entry)
{
    if (ctx.state.CaptureFileOpen == 1)
        capture::AppendCaptureRecord(ctx, entry);

    entry.cardCode = WorkingCardCode(entry.cardCode);
    const std::optional<int> row = GridRow(entry.index);
    if (!row)
        return;

    FlexGrid &grid = *ctx.controls.MSFlexGrid1;
    const int appended = *row + 1 - grid.rows();
    if (appended == 1) {
        grid.addItem();
    } else if (appended > 1) {
        // One jump to the new row count, painting held off meanwhile. A
        // single row cannot repaint row by row, and suspending painting
        // for it would cost a repaint of the whole grid per entry.
        const bool painting = grid.updatesEnabled();
        grid.setUpdatesEnabled(false);
        grid.setRows(*row + 1);
        grid.setUpdatesEnabled(painting);
    }
    if (grid.isHidden())
        grid.show();

    const FlexGrid &employees = *ctx.controls.MSFlexGrid2;
    entry.cardCode = EmployeeNumber(entry.cardCode, employees.rows());
    const int32_t employee = entry.cardCode;
    const EntryRowTexts texts = EntryRow(entry, employee,
                                         employee != 0 ? employees.textMatrix(employee, 1)
                                                       : QString(),
                                         clocktime::SecondsToDateText(entry.seconds));
    grid.gridModel()->setRowTexts(*row, texts.data(), kEntryColumns);

    grid.showLastRow();
    const QString total = TotalText(grid.rows());
    // Only a count with one more digit can need a wider column.
    if (total.size() != grid.textMatrix(0, kTotalColumn).size())
        grid.widenForHeader(kTotalColumn, total);
    grid.setTextMatrix(0, kTotalColumn, total);
}

} // namespace reception
