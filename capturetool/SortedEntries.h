#pragma once
// The entries of a capture whose indices fall back within a terminal (the
// terminal delivered its memory again), put in the order the diff merges:
// by terminal, then index, the later record of an index standing, as the
// entry grid shows it. Sorted in runs of bounded size written to a
// temporary folder, then merged, so memory does not grow with the file.

#include "capturetool/Diff.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <vector>

namespace capturetool {

// One entry as the sort keeps it on disk: fixed size, the terminal as its
// place in the sorted list of terminals.
struct PackedEntry
{
    qint64 record = 0;
    int32_t index = 0;
    uint16_t terminal = 0;
    uint16_t present = 0; // bit i: values[i] is there
    std::array<int32_t, kEntryFieldCount> values{};
};

struct SortLimits
{
    // Entries sorted in memory at a time, and runs merged at a time.
    qsizetype runEntries = 65536;
    int mergeWays = 16;
};
// Memory the sort holds at most, beyond the rest of the tool.
qsizetype SortMemoryBytes(const SortLimits &limits);

class SortedEntries
{
public:
    // Reads the file's entries of these terminals (sorted; the terminals of
    // both files). False with error() when it cannot be read or a temporary
    // file cannot be written.
    bool build(const QString &path, const QStringList &terminals, const SortLimits &limits = {});
    QString error() const { return m_error; }

    // One terminal's entries in rising index order.
    class Cursor
    {
    public:
        EntryReader::Step next(DiffEntry &entry);
        QString error() const { return m_error; }

    private:
        friend class SortedEntries;
        std::unique_ptr<QFile> m_file;
        const QStringList *m_terminals = nullptr;
        qint64 m_left = 0;
        QString m_error;
    };
    Cursor entriesOf(const QString &terminal) const;

private:
    bool writeRun(std::vector<PackedEntry> &entries);
    bool merge(const QStringList &runs, const QString &into, bool last);
    QString fail(const QString &what, const QFile &file);

    std::unique_ptr<QTemporaryDir> m_folder;
    SortLimits m_limits;
    QStringList m_terminals;
    QHash<QString, int> m_rank;
    QStringList m_runs;
    int m_made = 0;
    QString m_sorted;
    std::vector<std::pair<qint64, qint64>> m_spans; // by terminal: first entry, count
    QString m_error;
};

} // namespace capturetool
