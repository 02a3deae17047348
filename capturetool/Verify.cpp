#include "capturetool/Verify.h"

#include "capture/RestorePlan.h"
#include "capturetool/CsvRecords.h"

namespace capturetool {

using capture::RecordKind;

namespace {

QString quoted(const QString &name)
{
    return u'"' + DisplayName(name) + u'"';
}

QString plural(qint64 n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

void VerifyTally::stop(qint64 number, const QString &why, bool malformed)
{
    m_stopNumber = number;
    m_stopWhy = why;
    m_stopMalformed = malformed;
}

void VerifyTally::readFailed(qint64 number, const QString &reason)
{
    if (m_stopNumber == 0)
        stop(number, QStringLiteral("it cannot be read: %1").arg(reason), true);
    else
        ++m_badAfter;
}

void VerifyTally::add(qint64 number, const capture::ParsedRecord &record)
{
    ++m_records;
    if (m_stopNumber != 0) {
        if (record.kind == RecordKind::Entry)
            ++m_entriesAfter;
        else if (record.kind == RecordKind::Bad)
            ++m_badAfter;
        return;
    }
    if (record.kind == RecordKind::Empty) {
        stop(number, QStringLiteral("it is an empty slot"), false);
        return;
    }
    if (record.kind == RecordKind::Bad) {
        stop(number, record.problem, true);
        return;
    }
    const capture::RecordPlan plain = capture::PlanRecord(m_sent, record.fields, false);
    if (plain.refusal != capture::Refusal::None) {
        stop(number, capture::RefusalProblem(plain.refusal, m_sent, record.fields), true);
        return;
    }
    ++m_sent;
    if (m_keepRefusal.isEmpty()) {
        const capture::RecordPlan keep = capture::PlanRecord(m_keepSent, record.fields, true);
        if (keep.refusal == capture::Refusal::None) {
            m_fillers += keep.fillers;
            m_keepSent += keep.fillers + 1;
        } else {
            m_keepRefusal = QStringLiteral("record %1: %2")
                                .arg(number)
                                .arg(capture::RefusalProblem(keep.refusal, m_keepSent,
                                                             record.fields));
        }
    }
    tallyEntry(number, record.fields);
}

void VerifyTally::tallyEntry(qint64 number, const capture::CaptureFields &f)
{
    ++m_entries;
    m_earliest = m_earliest ? std::min(*m_earliest, f.seconds) : f.seconds;
    m_latest = m_latest ? std::max(*m_latest, f.seconds) : f.seconds;

    qsizetype at = m_terminalAt.value(f.terminalName, -1);
    if (at < 0) {
        if (m_terminals.size() >= kMaxTerminals) {
            m_tooManyTerminals = true;
            return;
        }
        at = m_terminals.size();
        m_terminalAt.insert(f.terminalName, at);
        Terminal t;
        t.name = f.terminalName;
        t.lowest = t.highest = f.index;
        t.entries = 1;
        m_terminals.append(t);
        return;
    }
    Terminal &t = m_terminals[at];
    ++t.entries;
    t.lowest = std::min(t.lowest, f.index);
    auto list = [this](const QString &text) {
        if (m_listed.size() < kMaxListed)
            m_listed.append(text);
        else
            ++m_unlisted;
    };
    // A capture writes each terminal's entries in rising index order, so an
    // index that does not rise repeats one the terminal delivered before.
    if (f.index <= t.highest) {
        ++t.duplicates;
        list(QStringLiteral("record %1: %2 index %3 again (after index %4)")
                 .arg(number)
                 .arg(quoted(t.name))
                 .arg(f.index)
                 .arg(t.highest));
        return;
    }
    if (int64_t(f.index) > int64_t(t.highest) + 1) {
        ++t.gaps;
        t.missing += int64_t(f.index) - t.highest - 1;
        list(f.index == t.highest + 2
                 ? QStringLiteral("record %1: %2 index %3 missing")
                       .arg(number)
                       .arg(quoted(t.name))
                       .arg(t.highest + 1)
                 : QStringLiteral("record %1: %2 indices %3 to %4 missing")
                       .arg(number)
                       .arg(quoted(t.name))
                       .arg(int64_t(t.highest) + 1)
                       .arg(f.index - 1));
    }
    t.highest = f.index;
}

int VerifyTally::status() const
{
    if (m_stopNumber == 0)
        return 0;
    return m_stopMalformed || m_entriesAfter > 0 || m_badAfter > 0 ? 1 : 0;
}

QStringList VerifyTally::report(const QString &path, qint64 size,
                                const std::function<QString(int32_t)> &dateText) const
{
    QStringList lines;
    lines << QStringLiteral("file: %1").arg(path);
    QString records = QStringLiteral("records: %1 (%2)")
                          .arg(m_records)
                          .arg(plural(size, "byte", "bytes"));
    if (size % capture::kRecordSize != 0)
        records += QStringLiteral(", not a whole number of %1-byte records")
                       .arg(capture::kRecordSize);
    lines << records;
    lines << QStringLiteral("entries a restore sends: %1, %2")
                 .arg(m_entries)
                 .arg(plural(m_terminals.size(), "terminal", "terminals"));
    for (const Terminal &t : m_terminals) {
        lines << QStringLiteral("terminal %1: %2, indices %3 to %4, %5 (%6 missing), %7")
                     .arg(quoted(t.name), plural(t.entries, "entry", "entries"))
                     .arg(t.lowest)
                     .arg(t.highest)
                     .arg(plural(t.gaps, "gap", "gaps"))
                     .arg(t.missing)
                     .arg(plural(t.duplicates, "duplicate index", "duplicate indices"));
    }
    if (m_tooManyTerminals)
        lines << QStringLiteral("more than %1 terminals: the indices of the others are not "
                                "checked")
                     .arg(kMaxTerminals);
    for (const QString &l : m_listed)
        lines << QStringLiteral("  ") + l;
    if (m_unlisted > 0)
        lines << QStringLiteral("  and %1 more gaps or duplicates").arg(m_unlisted);
    if (m_earliest) {
        lines << QStringLiteral("first stamp: %1 (%2)").arg(*m_earliest).arg(dateText(*m_earliest));
        lines << QStringLiteral("last stamp: %1 (%2)").arg(*m_latest).arg(dateText(*m_latest));
    }
    if (!m_keepRefusal.isEmpty())
        lines << QStringLiteral("with Keep Blanks: the restore stops at %1").arg(m_keepRefusal);
    else if (m_fillers > 0)
        lines << QStringLiteral("with Keep Blanks: %1 inserted for the gaps")
                     .arg(plural(m_fillers, "filler entry", "filler entries"));

    if (m_stopNumber == 0) {
        lines << QStringLiteral("whole: a restore sends every entry");
    } else if (status() == 0) {
        lines << QStringLiteral("whole: a restore sends every entry and ends at the empty "
                                "slot %1; only empty slots follow it")
                     .arg(m_stopNumber);
    } else {
        QString after;
        if (m_entriesAfter > 0 || m_badAfter > 0)
            after = QStringLiteral("; after it %1 and %2 are not restored")
                        .arg(plural(m_entriesAfter, "entry", "entries"),
                             plural(m_badAfter, "malformed record", "malformed records"));
        lines << QStringLiteral("%1: record %2: %3. A restore stops there%4.")
                     .arg(m_stopMalformed ? QStringLiteral("malformed")
                                          : QStringLiteral("not whole"))
                     .arg(m_stopNumber)
                     .arg(m_stopWhy, after);
    }
    return lines;
}

} // namespace capturetool
