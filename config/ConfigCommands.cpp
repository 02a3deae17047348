#include "config/ConfigCommands.h"

#include "app/ButtonFace.h"
#include "app/Controls.h"
#include "app/FieldReader.h"
#include "field/FieldValue.h"
#include "app/FormContext.h"
#include "app/Messages.h"
#include "app/WindowState.h"
#include "config/ConfigurationRecord.h"
#include "config/DisplayMessages.h"
#include "config/EventSchedule.h"
#include "config/JustificationList.h"
#include "entries/FlexGrid.h"
#include "link/KestCom.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace config {

namespace {

// Our own cut fires textChanged again; that nested run must not cut too.
constexpr const char *kTrimming = "velmoraTrimming";

MessageLayout::Style StyleOf(QTextEdit *box)
{
    box->ensurePolished();
    const QTextDocument *doc = box->document();
    MessageLayout::Style style;
    style.font = doc->defaultFont();
    style.option = doc->defaultTextOption();
    style.documentMargin = doc->documentMargin();
    style.cursorWidth = doc->documentLayout()->property("cursorWidth");
    // The box lays its text out at its viewport's width; that width is only
    // kept current while the box is shown, the frame's inside always is.
    style.pageWidth = box->contentsRect().width();
    return style;
}

} // namespace

// Configuration record

void SendConfigurations(FormContext &ctx)
{
    Controls &c = ctx.controls;
    ConfigurationTexts texts;
    texts.entrySeparation = c.Text1[0]->text();
    texts.messageDelay = c.Text1[1]->text();
    texts.dayCloseTime = c.Text1[2]->text();
    texts.twelveHours = c.Check1->checkState();
    texts.cardSeries = c.Text1[5]->text();
    texts.maximumWorkTime = c.Text1[6]->text();
    texts.clockTick = c.Check2->checkState();
    texts.gate1 = c.Text3->text();
    texts.gate2 = c.Text8->text();

    const auto made = MakeConfigurationRecord(texts);
    if (const auto *fault = std::get_if<FieldFault>(&made)) {
        // Nothing was sent, so the panel still differs from the terminal.
        ctx.messages.inform(field::OutOfRangeMessage(fault->label, fault->text));
        return;
    }
    const ConfigurationRecord &r = std::get<ConfigurationRecord>(made);
    message::ReportFailure(ctx.messages,
                           ctx.lib.W_SendConfigurations(
                               ctx.state.TerminalName, r.entrySeparation, r.messageDelay,
                               r.dayCloseTime, r.twelveHours, r.cardSeries, r.maximumWorkTime,
                               r.clockTick, r.gate1, r.gate2));
    face::SetColour(c.Command10, face::SystemButtonFace());
}

void ConfigFieldChanged(FormContext &ctx, int index)
{
    Controls &c = ctx.controls;
    if (index < 0 || index >= int(c.Text1.size()))
        return;
    face::SetColour(c.Command10, face::ConfigurationChanged);
    // Setting the text it already holds emits no change, so this ends here.
    if (const auto forced = OffRuleText(index, c.Check5->checkState(), c.Check6->checkState()))
        c.Text1[size_t(index)]->setText(*forced);
}

void Check5Click(FormContext &ctx)
{
    Controls &c = ctx.controls;
    if (c.Check5->checkState() == Qt::Unchecked)
        c.Text1[kDayCloseField]->setText(kDayCloseOff);
}

void Check6Click(FormContext &ctx)
{
    Controls &c = ctx.controls;
    if (c.Check6->checkState() == Qt::Unchecked)
        c.Text1[kMaximumWorkTimeField]->setText(kMaximumWorkTimeOff);
}

void MarkConfigurationChanged(FormContext &ctx)
{
    face::SetColour(ctx.controls.Command10, face::ConfigurationChanged);
}

// Justification list

void SendJustifications(FormContext &ctx)
{
    const QString text = JustificationText(JustificationNames(*ctx.controls.MSFlexGrid3));
    ctx.lib.W_SendJustifications(ctx.state.TerminalName, text); // result not used
}

// Display messages

void LimitMessageLines(FormContext &ctx)
{
    QTextEdit *box = ctx.controls.RichTextBox1;
    if (box->property(kTrimming).toBool())
        return;
    QTextDocument *doc = box->document();
    const QString raw = doc->toRawText(); // one character per cursor position
    const qsizetype length = raw.size();

    MessageLayout layout(StyleOf(box));
    // Never cut between the two halves of a surrogate pair.
    auto boundary = [&raw, length](qsizetype n) {
        return n > 0 && n < length && raw[n - 1].isHighSurrogate() && raw[n].isLowSurrogate()
                   ? n - 1
                   : n;
    };
    auto lines = [&](qsizetype n) { return layout.lineCount(raw.left(boundary(n))); };
    const qsizetype keep = boundary(FittingLength(length, lines));
    if (keep >= length)
        return;

    const qsizetype caret = box->textCursor().selectionStart();
    box->setProperty(kTrimming, true);
    QTextCursor cut(doc);
    cut.setPosition(int(keep));
    cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    QTextCursor back = box->textCursor();
    back.setPosition(int(CaretAfterTrim(caret, keep)));
    box->setTextCursor(back);
    box->setProperty(kTrimming, false);
}

void Message(FormContext &ctx)
{
    Controls &c = ctx.controls;
    const int32_t kind = MessageKind(c.Combo2->currentIndex());
    const auto employee = field::ReadNumeric(ctx.messages, c.Text4, QStringLiteral("Employee"));
    if (!employee)
        return;
    const QString text = c.RichTextBox1->toPlainText();
    message::ReportFailure(ctx.messages,
                           ctx.lib.W_SendMessage(ctx.state.TerminalName, *employee, text, kind));
}

void ShowMessage(FormContext &ctx)
{
    const QString text = ctx.controls.RichTextBox1->toPlainText();
    ctx.lib.W_ShowMessage(ctx.state.TerminalName, kShowMessageNumber, text); // result not used
}

// Event schedule

void Event(FormContext &ctx)
{
    Controls &c = ctx.controls;
    std::array<Qt::CheckState, kRingBoxes> ring{};
    for (int i = 0; i < kRingBoxes; ++i)
        ring[size_t(i)] = c.Check3[size_t(i)]->checkState();
    std::array<Qt::CheckState, kWeekdayBoxes> days{};
    for (int i = 0; i < kWeekdayBoxes; ++i)
        days[size_t(i)] = c.Check4[size_t(i)]->checkState();
    const int32_t ringMask = RingMask(ring);
    const int32_t weekdayMask = WeekdayMask(days);
    const int32_t function = FunctionCode(c.Combo1->currentIndex());

    const auto index = field::ReadNumeric(ctx.messages, c.Text7, QStringLiteral("Index"));
    if (!index)
        return;
    const auto seconds = field::ReadNumeric(ctx.messages, c.Text12, QStringLiteral("Seconds"));
    if (!seconds)
        return;
    const auto period = field::ReadNumeric(ctx.messages, c.Text9, QStringLiteral("Period"));
    if (!period)
        return;
    const auto repeats = field::ReadNumeric(ctx.messages, c.Text10, QStringLiteral("Repeats"));
    if (!repeats)
        return;

    message::ReportFailure(ctx.messages,
                           ctx.lib.W_InsertEvent(ctx.state.TerminalName, *index, *seconds,
                                                 *period, *repeats, function, ringMask,
                                                 weekdayMask));
}

void ClearAllEvents(FormContext &ctx)
{
    for (int32_t slot = 0; slot < kEventSlots; ++slot) {
        message::ReportFailure(ctx.messages,
                               ctx.lib.W_InsertEvent(ctx.state.TerminalName, slot, 0, 0, 0, 0, 0, 0));
    }
}

} // namespace config
