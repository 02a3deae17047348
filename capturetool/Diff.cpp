#include "capturetool/Diff.h"

#include "capturetool/CsvRecords.h"

#include <algorithm>

namespace capturetool {

using capture::RecordKind;

QString EntryFieldName(EntryField field)
{
    switch (field) {
    case EntryField::Seconds: return QStringLiteral("seconds");
    case EntryField::CardCode: return QStringLiteral("cardCode");
    case EntryField::Aux1: return QStringLiteral("aux1");
    case EntryField::Justification: return QStringLiteral("justification");
    case EntryField::Presence: return QStringLiteral("presence");
    case EntryField::OrValue: return QStringLiteral("orValue");
    case EntryField::Code: return QStringLiteral("code");
    }
    return QString();
}

QStringList EntryFieldNames()
{
    QStringList names;
    for (int i = 0; i < kEntryFieldCount; ++i)
        names << EntryFieldName(EntryField(i));
    names << QStringLiteral("origin");
    return names;
}

std::optional<EntryField> EntryFieldNamed(const QString &name)
{
    if (name.compare(QLatin1String("origin"), Qt::CaseInsensitive) == 0)
        return EntryField::OrValue;
    for (int i = 0; i < kEntryFieldCount; ++i) {
        if (name.compare(EntryFieldName(EntryField(i)), Qt::CaseInsensitive) == 0)
            return EntryField(i);
    }
    return std::nullopt;
}

DiffEntry DiffEntryOf(qint64 record, const capture::EntryRecord &parsed)
{
    const capture::CaptureFields &f = parsed.record.fields;
    DiffEntry e;
    e.terminal = f.terminalName;
    e.index = f.index;
    e.record = record;
    e.values = {f.seconds, f.cardCode, f.aux1, f.justification, f.presence, parsed.orValue,
                parsed.code};
    return e;
}

QString FieldText(const std::optional<int32_t> &value)
{
    return value ? QString::number(*value) : QStringLiteral("none");
}

QList<EntryField> DifferingFields(const DiffEntry &a, const DiffEntry &b, FieldMask ignored)
{
    QList<EntryField> fields;
    for (int i = 0; i < kEntryFieldCount; ++i) {
        if (!(ignored & MaskOf(EntryField(i))) && a.values[size_t(i)] != b.values[size_t(i)])
            fields << EntryField(i);
    }
    return fields;
}

bool EntryReader::open(const QString &path, std::optional<QString> terminal)
{
    m_terminal = std::move(terminal);
    if (!m_stream.open(path)) {
        m_error = QStringLiteral("%1 cannot be read: %2").arg(path, m_stream.error());
        return false;
    }
    return true;
}

QStringList EntryReader::terminals() const
{
    QStringList names;
    for (const auto &last : m_last)
        names << last.first;
    return names;
}

EntryReader::Step EntryReader::next(DiffEntry &entry)
{
    while (!m_ended) {
        QByteArrayView slot;
        const RecordStream::Step step = m_stream.next(slot);
        if (step == RecordStream::Step::Failed) {
            m_error = QStringLiteral("%1: record %2 cannot be read: %3")
                          .arg(m_stream.path())
                          .arg(m_stream.number() + 1)
                          .arg(m_stream.error());
            return Step::Failed;
        }
        if (step == RecordStream::Step::End)
            break;
        const capture::EntryRecord parsed = capture::ParseEntryRecord(slot);
        if (parsed.record.kind == RecordKind::Empty)
            break; // where a restore ends
        if (parsed.record.kind == RecordKind::Bad) {
            m_error = QStringLiteral("%1: record %2 is malformed: %3")
                          .arg(m_stream.path())
                          .arg(m_stream.number())
                          .arg(parsed.record.problem);
            return Step::Failed;
        }
        const QString &name = parsed.record.fields.terminalName;
        if (m_terminal && name != *m_terminal)
            continue;
        const int32_t index = parsed.record.fields.index;
        auto last = std::find_if(m_last.begin(), m_last.end(),
                                 [&](const auto &l) { return l.first == name; });
        if (last == m_last.end()) {
            if (m_last.size() >= kMaxTerminals) {
                m_error = QStringLiteral("%1 names more than %2 terminals")
                              .arg(m_stream.path())
                              .arg(kMaxTerminals);
                return Step::Failed;
            }
            m_last.append({name, index});
        } else {
            m_rising = m_rising && index > last->second;
            last->second = index;
        }
        entry = DiffEntryOf(m_stream.number(), parsed);
        return Step::Entry;
    }
    m_ended = true;
    return Step::End;
}

} // namespace capturetool
