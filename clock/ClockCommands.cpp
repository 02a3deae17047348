#include "clock/ClockCommands.h"

#include "app/Controls.h"
#include "app/FieldReader.h"
#include "field/FieldValue.h"
#include "app/FormContext.h"
#include "app/Messages.h"
#include "app/PcClock.h"
#include "app/WindowState.h"
#include "clock/ClockSeconds.h"
#include "link/KestCom.h"

#include <QLineEdit>

namespace clocktime {

namespace {

const QString kSecondsField = QStringLiteral("Seconds");

// The PC's count into the seconds field; false (with the message, the field
// untouched) when the terminal's clock cannot hold it.
bool writePcSeconds(FormContext &ctx)
{
    const QDateTime now = ctx.pcClock.now();
    const auto seconds = PcClockSeconds(now);
    if (!seconds) {
        ctx.messages.inform(PcClockOutOfRangeMessage(now));
        return false;
    }
    ctx.controls.Text12->setText(field::PlainDecimalText(*seconds));
    return true;
}

using SendSeconds = int32_t (KestCom::*)(QString &, int32_t);

void sendPcSeconds(FormContext &ctx, SendSeconds send)
{
    if (!writePcSeconds(ctx))
        return;
    const auto seconds = field::ReadNumeric(ctx.messages, ctx.controls.Text12, kSecondsField);
    if (!seconds)
        return;
    message::ReportFailure(ctx.messages, (ctx.lib.*send)(ctx.state.TerminalName, *seconds));
}

void nudge(FormContext &ctx, double delta)
{
    QLineEdit *edit = ctx.controls.Text12;
    edit->setText(NudgedText(edit->text(), delta));
}

} // namespace

void PcSeconds(FormContext &ctx)
{
    writePcSeconds(ctx);
}

void SetClock(FormContext &ctx)
{
    sendPcSeconds(ctx, &KestCom::W_SendSeconds);
}

void CalibrateQuartzCrystal(FormContext &ctx)
{
    sendPcSeconds(ctx, &KestCom::W_AdjustSeconds);
}

void ReadClock(FormContext &ctx)
{
    const int32_t seconds = ctx.lib.W_ReadSeconds(ctx.state.TerminalName);
    ctx.controls.Text12->setText(field::PlainDecimalText(seconds));
}

void PlusSec(FormContext &ctx)
{
    nudge(ctx, 1);
}

void PlusTenSec(FormContext &ctx)
{
    nudge(ctx, 10);
}

void MinusMin(FormContext &ctx)
{
    nudge(ctx, -60);
}

void SecondsChanged(FormContext &ctx)
{
    ctx.controls.Text13->setText(DateLineText(ctx.controls.Text12->text()));
}

} // namespace clocktime
