#include "app/LinkCommands.h"

#include "app/Controls.h"
#include "app/FieldReader.h"
#include "field/FieldValue.h"
#include "app/FormContext.h"
#include "app/Messages.h"
#include "app/WindowState.h"
#include "capture/CaptureCommands.h"
#include "link/AnsiText.h"
#include "link/KestCom.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace connection {

namespace {

// How often the close wait looks whether the window is being closed.
constexpr qint64 kEndingCheckMs = 20;
constexpr int kDialClick = -1;

// Lets the window run (timer ticks, other buttons) until ms have passed
// since `since` started, or at once when the window is being closed.
void waitProcessingEvents(const WindowState &state, const QElapsedTimer &since, qint64 ms)
{
    while (!state.Ending) {
        const qint64 left = ms - since.elapsed();
        if (left <= 0)
            return;
        QEventLoop loop;
        QTimer::singleShot(int(std::min(left, kEndingCheckMs)), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
}

void linkNotOpened(FormContext &ctx)
{
    ctx.messages.inform(message::ClockNotFound);
    ctx.buttons.setBaudButtonsEnabled(true);
}

// Clicks held back during the close wait, now that the port is closed.
void runDeferredClicks(FormContext &ctx)
{
    const QList<int> clicks = std::exchange(ctx.state.DeferredClicks, {});
    for (int click : clicks) {
        if (ctx.state.Ending)
            return;
        if (click == kDialClick)
            Dial(ctx);
        else
            OpenLink(ctx, click);
    }
}

} // namespace

std::optional<int32_t> SpeedOfCaption(const QString &caption)
{
    return field::WholeNumber(caption);
}

QString DialLine(const QString &number)
{
    return QStringLiteral("AT DT ") + number + QLatin1Char('\r');
}

int32_t LineLength(const QString &line)
{
    const qsizetype length = ansi::encode(line).size();
    return int32_t(std::min<qsizetype>(length, std::numeric_limits<int32_t>::max()));
}

void OpenLink(FormContext &ctx, int k)
{
    if (k < 0 || k >= int(ctx.controls.Command13.size()))
        return;
    // Opened now, the link would be cut by the close's hang-up and
    // TerminateComm; it opens once the close is done instead.
    if (ctx.state.Closing) {
        ctx.buttons.setBaudButtonsEnabled(false);
        ctx.state.DeferredClicks.append(k);
        return;
    }

    ctx.buttons.setBaudButtonsEnabled(false);
    const auto port = field::ReadWhole(ctx.messages, ctx.controls.Text21, kComField);
    if (!port) {
        ctx.buttons.setBaudButtonsEnabled(true);
        return;
    }
    ctx.state.ComPort = *port;
    const auto speed = SpeedOfCaption(ctx.controls.Command13[size_t(k)]->text());
    if (!speed) {
        ctx.buttons.setBaudButtonsEnabled(true);
        return;
    }

    const int32_t initialised = ctx.state.ModemDialled
                                    ? ctx.lib.InitializeCommWithoutOpen(ctx.state.ComPort)
                                    : ctx.lib.InitializeCommWithoutError(ctx.state.ComPort, *speed);
    if (initialised == 0) {
        linkNotOpened(ctx);
        return;
    }

    QCoreApplication::processEvents();
    if (ctx.state.Ending)
        return;

    if (ctx.lib.Reset_Message(ctx.state.TerminalName) == 0) {
        linkNotOpened(ctx);
        ctx.lib.TerminateComm(ctx.state.ComPort);
        return;
    }
    ctx.controls.Timer1->start();
    ctx.buttons.setLinkCommandsEnabled(true);
}

void CloseCom(FormContext &ctx)
{
    if (ctx.state.Closing)
        return;
    ctx.state.Closing = true;
    ctx.buttons.setLinkCommandsEnabled(false);
    ctx.controls.Timer1->stop();
    ctx.buttons.setBaudButtonsEnabled(true);

    ctx.lib.IO_Write(ctx.state.ComPort, LineLength(kEscapeLine), kEscapeLine);
    QElapsedTimer since;
    since.start();
    waitProcessingEvents(ctx.state, since, kGuardWaitMs);
    if (ctx.state.Ending) {
        // The unload step has closed the capture file; no library call now.
        ctx.state.Closing = false;
        ctx.state.DeferredClicks.clear();
        return;
    }
    ctx.lib.IO_Write(ctx.state.ComPort, LineLength(kHangUpLine), kHangUpLine);
    ctx.lib.TerminateComm(ctx.state.ComPort);
    capture::CloseCaptureFile(ctx);
    ctx.state.Closing = false;
    runDeferredClicks(ctx);
}

void Dial(FormContext &ctx)
{
    // Dialled now, the call would be hung up by the close in progress.
    if (ctx.state.Closing) {
        ctx.state.DeferredClicks.append(kDialClick);
        return;
    }
    const auto port = field::ReadWhole(ctx.messages, ctx.controls.Text21, kComField);
    if (!port)
        return;
    ctx.state.ComPort = *port;
    const QString line = DialLine(ctx.controls.Text19->text());
    ctx.lib.IO_Open(ctx.state.ComPort, kDialSpeed);
    ctx.lib.IO_Write(ctx.state.ComPort, LineLength(line), line);
    ctx.state.ModemDialled = true;
}

void Kill(FormContext &ctx)
{
    if (ctx.messages.confirm(message::AreYouSure))
        ctx.lib.W_Kill(ctx.state.TerminalName);
}

} // namespace connection
