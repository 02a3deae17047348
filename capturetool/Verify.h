#pragma once
// What "verify" finds in a capture file, gathered record by record with the
// rules of a restore, in memory that does not grow with the file.

#include "capture/CaptureRecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace capturetool {

class VerifyTally
{
public:
    // Terminals followed one by one; a file naming more is still checked
    // record by record, but their indices are not.
    static constexpr qsizetype kMaxTerminals = 1000;
    // Gaps and duplicates described by name; the rest only counted.
    static constexpr qsizetype kMaxListed = 10;

    void add(qint64 number, const capture::ParsedRecord &record);
    // A read that failed: the file ends there for a restore too.
    void readFailed(qint64 number, const QString &reason);

    // 0: a restore sends every entry of the file; 1: it stops before one.
    int status() const;
    QStringList report(const QString &path, qint64 size,
                       const std::function<QString(int32_t)> &dateText) const;

private:
    struct Terminal
    {
        QString name;
        qint64 entries = 0;
        int32_t lowest = 0;
        int32_t highest = 0;
        qint64 gaps = 0;
        int64_t missing = 0;
        qint64 duplicates = 0;
    };

    void tallyEntry(qint64 number, const capture::CaptureFields &fields);
    void stop(qint64 number, const QString &why, bool malformed);

    QList<Terminal> m_terminals;
    QHash<QString, qsizetype> m_terminalAt;
    bool m_tooManyTerminals = false;
    QStringList m_listed; // gaps and duplicates, in file order
    qint64 m_unlisted = 0;

    qint64 m_records = 0;
    qint64 m_entries = 0; // those a restore sends
    int64_t m_sent = 0;
    std::optional<int32_t> m_earliest;
    std::optional<int32_t> m_latest;

    // Keep Blanks: the sent count with fillers, and where it would refuse.
    int64_t m_keepSent = 0;
    int64_t m_fillers = 0;
    QString m_keepRefusal;

    // Where a restore stops before the end of the file.
    qint64 m_stopNumber = 0;
    QString m_stopWhy;
    bool m_stopMalformed = false;
    qint64 m_entriesAfter = 0;
    qint64 m_badAfter = 0;
};

} // namespace capturetool
