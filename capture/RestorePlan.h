#pragma once
// The decisions of a restore and the texts of capture and restore messages.

#include "capture/CaptureRecord.h"

#include <QString>

#include <cstdint>

namespace capture {

// Keep Blanks fills gaps only up to the highest index the entry grid shows;
// a larger index would mean millions of filler inserts from one record.
constexpr int32_t kHighestFilledIndex = 12000000;

enum class Refusal {
    None,
    NoSecondBeforeStamp, // fillers due, but the stamp is the smallest second count
    GapBeyondLimit,      // fillers due up to an index above kHighestFilledIndex
    SentCountFull,       // every 32-bit index has been used
};

struct RecordPlan
{
    int64_t fillers = 0; // filler entries to insert before the record's own
    Refusal refusal = Refusal::None;
};

// What one record of a restore inserts, given the entries sent so far.
RecordPlan PlanRecord(int64_t sent, const CaptureFields &fields, bool keepBlanks);

QString RefusalProblem(Refusal refusal, int64_t sent, const CaptureFields &fields);

// What a restore does with one record slot of its file, decided from its
// bytes alone.
struct RestoreStep
{
    enum class Action {
        Insert, // the record's fillers, then its own entry
        End,    // the empty value: the restore ends without a message
        Stop,   // the record cannot be restored: the restore stops with problem
    };
    Action action = Action::End;
    CaptureFields fields; // Insert
    int64_t fillers = 0;  // Insert
    QString problem;      // Stop
};

// bytes: the slot as read, fewer than kRecordSize for a last record cut
// short, none at the end of the file.
RestoreStep NextRestoreStep(int64_t sent, QByteArrayView bytes, bool keepBlanks);

QString StoppedAtRecordMessage(int64_t recordNumber, const QString &fileName,
                               const QString &problem);
QString CannotOpenCaptureMessage(const QString &fileName, const QString &reason);
QString CaptureWriteFailedMessage(const QString &fileName, const QString &reason);
QString CaptureNotSavedMessage(const QString &fileName, const QString &reason);
QString CannotOpenRestoreMessage(const QString &fileName, const QString &reason);
// A file name field holding a NUL character, for the capture and the restore.
QString CaptureNameHasNulMessage(const QString &fileName);
QString RestoreNameHasNulMessage(const QString &fileName);
QString RestoreReadFailedMessage(int64_t recordNumber, const QString &fileName,
                                 const QString &reason);

} // namespace capture
