#pragma once
// Entries of two captures compared by terminal and index: the fields that
// can differ, and each file read as a restore reads it, one terminal at a
// time, in the rising index order a capture writes.

#include "capture/EntryRecord.h"
#include "capturetool/RecordStream.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace capturetool {

enum class EntryField { Seconds, CardCode, Aux1, Justification, Presence, OrValue, Code };
inline constexpr int kEntryFieldCount = 7;

QString EntryFieldName(EntryField field);
// The names --ignore takes; "origin" is another name of orValue, which tells
// a stamped entry from an inserted one and so changes in a restore.
QStringList EntryFieldNames();
std::optional<EntryField> EntryFieldNamed(const QString &name);

struct DiffEntry
{
    QString terminal;
    int32_t index = 0;
    qint64 record = 0;
    std::array<std::optional<int32_t>, kEntryFieldCount> values; // by EntryField
};

DiffEntry DiffEntryOf(qint64 record, const capture::EntryRecord &parsed);
QString FieldText(const std::optional<int32_t> &value); // "none" when absent

using FieldMask = unsigned;
inline FieldMask MaskOf(EntryField field) { return 1u << unsigned(field); }

// The fields, outside the ignored ones, in which two entries differ.
QList<EntryField> DifferingFields(const DiffEntry &a, const DiffEntry &b, FieldMask ignored);

// One file's entries, optionally of one terminal only, up to where a
// restore would stop; a malformed record is an error.
class EntryReader
{
public:
    enum class Step { Entry, End, Failed };

    static constexpr qsizetype kMaxTerminals = 1000;

    bool open(const QString &path, std::optional<QString> terminal);
    Step next(DiffEntry &entry);
    QString error() const { return m_error; }
    // The terminals read so far, in the order they first appear.
    QStringList terminals() const;
    // Whether each terminal's indices rose so far, as a capture writes
    // them unless the terminal delivered its memory again.
    bool rising() const { return m_rising; }

private:
    RecordStream m_stream;
    std::optional<QString> m_terminal;
    QList<QPair<QString, int32_t>> m_last; // each terminal's last index
    bool m_rising = true;
    bool m_ended = false;
    QString m_error;
};

} // namespace capturetool
