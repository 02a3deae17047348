#include "capture/CaptureCommands.h"

#include "app/Controls.h"
#include "field/FieldValue.h"
#include "app/FormContext.h"
#include "app/Messages.h"
#include "app/WindowState.h"
#include "capture/CaptureFile.h"
#include "capture/CaptureRecord.h"
#include "capture/RestorePlan.h"
#include "entries/EntryGrid.h"
#include "link/KestCom.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

namespace capture {

namespace {

// After a restore, also one that stopped early: "Capture" stays disabled
// until the link is opened again.
void FinishRestore(FormContext &ctx)
{
    ctx.controls.Command25->setText(QStringLiteral("Send Data"));
    ctx.controls.Command25->setEnabled(true);
}

void StopCapture(FormContext &ctx)
{
    ctx.file1.close();
    ctx.state.CaptureFileOpen = 0;
    ctx.controls.Command25->setEnabled(true);
}

} // namespace

void Capture(FormContext &ctx)
{
    // A second click while a capture runs, or a click while a restore holds
    // file number 1 (a reopened link enables the button), changes nothing.
    if (ctx.state.CaptureFileOpen == 1 || ctx.file1.isOpen())
        return;
    QPushButton *restore = ctx.controls.Command25;
    const bool restoreWasEnabled = restore->isEnabled();
    restore->setEnabled(false);
    const QString path = FullPath(ctx.controls.Text23->text());
    // Opened before the grid is reset, so that a file that cannot be opened
    // leaves everything as it was.
    if (!ctx.file1.openForCapture(path)) {
        ctx.messages.inform(HoldsNul(path)
                                ? CaptureNameHasNulMessage(path)
                                : CannotOpenCaptureMessage(path, ctx.file1.errorString()));
        restore->setEnabled(restoreWasEnabled);
        return;
    }
    entries::ResetEntryGrid(ctx.controls);
    ctx.state.CaptureFileOpen = 1;
    message::ReportFailure(ctx.messages, ctx.lib.W_SendReaderPointer(ctx.state.TerminalName, 0));
}

void AppendCaptureRecord(FormContext &ctx, const ReceivedEntry &entry)
{
    if (ctx.state.CaptureFileOpen != 1 || !ctx.file1.isWritable())
        return;
    if (ctx.file1.write(CaptureRecord(entry)))
        return;
    // A disk that is full or gone: say so once and stop, rather than go on
    // showing entries that are no longer kept.
    const QString reason = ctx.file1.errorString();
    const QString path = ctx.file1.fileName();
    StopCapture(ctx);
    ctx.messages.inform(CaptureWriteFailedMessage(path, reason));
}

void Restore(FormContext &ctx)
{
    int32_t first = 0;
    int32_t second = 0;
    int32_t third = 0;
    if (message::ReportFailure(ctx.messages,
                               ctx.lib.W_ReadPointers(ctx.state.TerminalName, first, second, third)))
        return;
    if (first != 0) {
        ctx.messages.inform(message::TerminalNotEmpty);
        return;
    }
    // A running capture, or a restore re-entered from its own event processing.
    if (ctx.state.CaptureFileOpen != 0 || ctx.file1.isOpen())
        return;
    ctx.controls.Command26->setEnabled(false);
    message::ReportFailure(ctx.messages, ctx.lib.W_SendReaderPointer(ctx.state.TerminalName, -1));
    QPushButton *button = ctx.controls.Command25;
    button->setEnabled(false);

    const QString path = FullPath(ctx.controls.Text24->text());
    if (!ctx.file1.openForRestore(path)) {
        ctx.messages.inform(HoldsNul(path)
                                ? RestoreNameHasNulMessage(path)
                                : CannotOpenRestoreMessage(path, ctx.file1.errorString()));
        FinishRestore(ctx);
        return;
    }

    int64_t sent = 0;
    int64_t recordNumber = 0;
    char bytes[kRecordSize];
    for (;;) {
        const qint64 n = ctx.file1.read(bytes, kRecordSize);
        if (n == 0)
            break;
        ++recordNumber;
        if (n < 0) {
            ctx.messages.inform(
                RestoreReadFailedMessage(recordNumber, path, ctx.file1.errorString()));
            break;
        }
        const RestoreStep step
            = NextRestoreStep(sent, QByteArrayView(bytes, n), ctx.controls.Check8->isChecked());
        if (step.action == RestoreStep::Action::End)
            break;
        if (step.action == RestoreStep::Action::Stop) {
            ctx.messages.inform(StoppedAtRecordMessage(recordNumber, path, step.problem));
            break;
        }
        const CaptureFields &f = step.fields;

        ctx.state.TerminalName = f.terminalName;
        for (int64_t i = 0; i < step.fillers; ++i) {
            button->setText(QStringLiteral("Sending (") + field::SignedDecimalText(sent)
                            + QStringLiteral(")"));
            ctx.lib.W_InsertEntry(ctx.state.TerminalName, int32_t(sent), f.seconds - 1, 99999, 0,
                                  0, 0);
            ++sent;
        }
        button->setText(QStringLiteral("Sending ") + field::SignedDecimalText(sent));
        ctx.lib.W_InsertEntry(ctx.state.TerminalName, int32_t(sent), f.seconds, f.cardCode, f.aux1,
                              f.justification, f.presence);
        ++sent;

        QCoreApplication::processEvents();
        if (ctx.state.Ending) {
            // The window is gone: close the file and touch nothing else.
            ctx.file1.close();
            return;
        }
    }
    ctx.file1.close();
    FinishRestore(ctx);
}

void CloseCaptureFile(FormContext &ctx)
{
    if (ctx.state.CaptureFileOpen != 1)
        return;
    const QString path = ctx.file1.fileName();
    const bool saved = ctx.file1.close();
    ctx.state.CaptureFileOpen = 0;
    if (!saved)
        ctx.messages.inform(CaptureNotSavedMessage(path, ctx.file1.errorString()));
}

} // namespace capture
