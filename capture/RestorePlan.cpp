#include "capture/RestorePlan.h"

#include "field/QuotedText.h"

#include <limits>

namespace capture {

RecordPlan PlanRecord(int64_t sent, const CaptureFields &fields, bool keepBlanks)
{
    RecordPlan plan;
    if (sent > std::numeric_limits<int32_t>::max()) {
        plan.refusal = Refusal::SentCountFull;
        return plan;
    }
    if (!keepBlanks || sent >= fields.index)
        return plan;
    if (fields.seconds == std::numeric_limits<int32_t>::min())
        plan.refusal = Refusal::NoSecondBeforeStamp;
    else if (fields.index > kHighestFilledIndex)
        plan.refusal = Refusal::GapBeyondLimit;
    else
        plan.fillers = int64_t(fields.index) - sent;
    return plan;
}

QString RefusalProblem(Refusal refusal, int64_t sent, const CaptureFields &fields)
{
    switch (refusal) {
    case Refusal::None:
        break;
    case Refusal::NoSecondBeforeStamp:
        return QStringLiteral("its stamp %1 leaves no second before it for the filler entries")
            .arg(fields.seconds);
    case Refusal::GapBeyondLimit:
        return QStringLiteral("its index %1 would need %2 filler entries, and Keep Blanks fills "
                              "gaps only up to index %3")
            .arg(fields.index)
            .arg(int64_t(fields.index) - sent)
            .arg(kHighestFilledIndex);
    case Refusal::SentCountFull:
        return QStringLiteral("%1 entries have been sent, the most that entry indices can count")
            .arg(sent);
    }
    return QString();
}

RestoreStep NextRestoreStep(int64_t sent, QByteArrayView bytes, bool keepBlanks)
{
    RestoreStep step;
    if (bytes.isEmpty())
        return step;
    const ParsedRecord record = ParseCaptureRecord(bytes);
    if (record.kind == RecordKind::Empty)
        return step;
    if (record.kind == RecordKind::Bad) {
        step.action = RestoreStep::Action::Stop;
        step.problem = record.problem;
        return step;
    }
    const RecordPlan plan = PlanRecord(sent, record.fields, keepBlanks);
    if (plan.refusal != Refusal::None) {
        step.action = RestoreStep::Action::Stop;
        step.problem = RefusalProblem(plan.refusal, sent, record.fields);
        return step;
    }
    step.action = RestoreStep::Action::Insert;
    step.fields = record.fields;
    step.fillers = plan.fillers;
    return step;
}

QString StoppedAtRecordMessage(int64_t recordNumber, const QString &fileName,
                               const QString &problem)
{
    return QStringLiteral("Record %1 of the restore file %2 cannot be restored: %3. The restore "
                          "stopped there; the records before it were sent.")
        .arg(recordNumber)
        .arg(field::QuotedPath(fileName), problem);
}

QString CannotOpenCaptureMessage(const QString &fileName, const QString &reason)
{
    return QStringLiteral("The capture file %1 cannot be opened: %2. No capture was started.")
        .arg(field::QuotedPath(fileName), reason);
}

QString CaptureWriteFailedMessage(const QString &fileName, const QString &reason)
{
    return QStringLiteral("The capture file %1 cannot be written: %2. The capture has stopped; "
                          "the records written before are in the file.")
        .arg(field::QuotedPath(fileName), reason);
}

QString CaptureNotSavedMessage(const QString &fileName, const QString &reason)
{
    return QStringLiteral("The capture file %1 may not be completely saved to disk: %2.")
        .arg(field::QuotedPath(fileName), reason);
}

QString CannotOpenRestoreMessage(const QString &fileName, const QString &reason)
{
    return QStringLiteral("The restore file %1 cannot be opened: %2. Nothing was restored.")
        .arg(field::QuotedPath(fileName), reason);
}

namespace {
QString nameHasNul(const QString &fieldName, const QString &fileName, const QString &outcome)
{
    return QStringLiteral("The field \"%1\" holds a file name with a NUL character (%2), which no "
                          "file can have. %3")
        .arg(fieldName, field::QuotedPath(fileName), outcome);
}
} // namespace

QString CaptureNameHasNulMessage(const QString &fileName)
{
    return nameHasNul(QStringLiteral("Capture file"), fileName,
                      QStringLiteral("No capture was started."));
}

QString RestoreNameHasNulMessage(const QString &fileName)
{
    return nameHasNul(QStringLiteral("Restore file"), fileName,
                      QStringLiteral("Nothing was restored."));
}

QString RestoreReadFailedMessage(int64_t recordNumber, const QString &fileName,
                                 const QString &reason)
{
    return QStringLiteral("Record %1 of the restore file %2 cannot be read: %3. The restore "
                          "stopped there; the records before it were sent.")
        .arg(recordNumber)
        .arg(field::QuotedPath(fileName), reason);
}

} // namespace capture
