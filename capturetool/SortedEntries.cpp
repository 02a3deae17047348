#include "capturetool/SortedEntries.h"

#include <algorithm>
#include <tuple>

namespace capturetool {

namespace {

// Entries read or written at a time through each temporary file.
constexpr qsizetype kBlockEntries = 2048;
constexpr qint64 kEntryBytes = qint64(sizeof(PackedEntry));

bool Before(const PackedEntry &a, const PackedEntry &b)
{
    return std::tie(a.terminal, a.index, a.record) < std::tie(b.terminal, b.index, b.record);
}

PackedEntry Packed(const DiffEntry &e, int terminal)
{
    PackedEntry p;
    p.record = e.record;
    p.index = e.index;
    p.terminal = uint16_t(terminal);
    for (size_t i = 0; i < p.values.size(); ++i) {
        if (e.values[i]) {
            p.present |= uint16_t(1u << i);
            p.values[i] = *e.values[i];
        }
    }
    return p;
}

DiffEntry Unpacked(const PackedEntry &p, const QStringList &terminals)
{
    DiffEntry e;
    e.terminal = terminals.at(p.terminal);
    e.index = p.index;
    e.record = p.record;
    for (size_t i = 0; i < p.values.size(); ++i) {
        if (p.present & (1u << i))
            e.values[i] = p.values[i];
    }
    return e;
}

// A run read back a block at a time.
class RunReader
{
public:
    bool open(const QString &path)
    {
        m_file.setFileName(path);
        return m_file.open(QIODevice::ReadOnly);
    }
    // False at the end or on a failed read (then error() says why).
    bool next(PackedEntry &entry)
    {
        if (m_at == m_block.size()) {
            m_block.resize(size_t(kBlockEntries));
            const qint64 n = m_file.read(reinterpret_cast<char *>(m_block.data()),
                                         kBlockEntries * kEntryBytes);
            if (n < 0 || n % kEntryBytes != 0) {
                m_failed = true;
                return false;
            }
            m_block.resize(size_t(n / kEntryBytes));
            m_at = 0;
            if (m_block.empty())
                return false;
        }
        entry = m_block[m_at++];
        return true;
    }
    bool failed() const { return m_failed; }
    const QFile &file() const { return m_file; }

private:
    QFile m_file;
    std::vector<PackedEntry> m_block;
    size_t m_at = 0;
    bool m_failed = false;
};

class RunWriter
{
public:
    explicit RunWriter(const QString &path) : m_file(path) { m_block.reserve(size_t(kBlockEntries)); }
    bool open() { return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate); }
    bool put(const PackedEntry &entry)
    {
        m_block.push_back(entry);
        return qsizetype(m_block.size()) < kBlockEntries || flush();
    }
    bool flush()
    {
        const qint64 bytes = qint64(m_block.size()) * kEntryBytes;
        const bool ok = m_file.write(reinterpret_cast<const char *>(m_block.data()), bytes) == bytes;
        m_block.clear();
        return ok;
    }
    bool close()
    {
        const bool ok = flush();
        m_file.close();
        return ok && m_file.error() == QFileDevice::NoError;
    }
    const QFile &file() const { return m_file; }

private:
    QFile m_file;
    std::vector<PackedEntry> m_block;
};

} // namespace

qsizetype SortMemoryBytes(const SortLimits &limits)
{
    // The run being sorted, or a block for each run merged and the output.
    return std::max(limits.runEntries, qsizetype(limits.mergeWays + 1) * kBlockEntries)
           * qsizetype(kEntryBytes);
}

QString SortedEntries::fail(const QString &what, const QFile &file)
{
    m_error = QStringLiteral("%1 in the temporary folder %2: %3")
                  .arg(what, m_folder->path(), file.errorString());
    return m_error;
}

bool SortedEntries::build(const QString &path, const QStringList &terminals,
                          const SortLimits &limits)
{
    m_limits = limits;
    m_limits.runEntries = std::max<qsizetype>(limits.runEntries, 1);
    m_limits.mergeWays = std::max(limits.mergeWays, 2);
    m_terminals = terminals;
    for (int i = 0; i < terminals.size(); ++i)
        m_rank.insert(terminals[i], i);
    m_folder = std::make_unique<QTemporaryDir>();
    if (!m_folder->isValid()) {
        m_error = QStringLiteral("no temporary folder for sorting %1: %2")
                      .arg(path, m_folder->errorString());
        return false;
    }

    EntryReader reader;
    if (!reader.open(path, std::nullopt)) {
        m_error = reader.error();
        return false;
    }
    std::vector<PackedEntry> run;
    run.reserve(size_t(m_limits.runEntries));
    DiffEntry entry;
    EntryReader::Step step;
    while ((step = reader.next(entry)) == EntryReader::Step::Entry) {
        run.push_back(Packed(entry, m_rank.value(entry.terminal)));
        if (qsizetype(run.size()) == m_limits.runEntries && !writeRun(run))
            return false;
    }
    if (step == EntryReader::Step::Failed) {
        m_error = reader.error();
        return false;
    }
    if (!run.empty() && !writeRun(run))
        return false;
    std::vector<PackedEntry>().swap(run);

    // Runs merged a few at a time until one more merge takes them all.
    while (m_runs.size() > m_limits.mergeWays) {
        QStringList merged;
        for (qsizetype i = 0; i < m_runs.size(); i += m_limits.mergeWays) {
            const QString into = m_folder->filePath(QStringLiteral("run-%1").arg(m_made++));
            if (!merge(m_runs.mid(i, m_limits.mergeWays), into, false))
                return false;
            merged << into;
        }
        m_runs = merged;
    }
    m_sorted = m_folder->filePath(QStringLiteral("sorted"));
    return merge(m_runs, m_sorted, true);
}

bool SortedEntries::writeRun(std::vector<PackedEntry> &entries)
{
    std::sort(entries.begin(), entries.end(), Before);
    RunWriter out(m_folder->filePath(QStringLiteral("run-%1").arg(m_made++)));
    if (!out.open()) {
        fail(QStringLiteral("a run cannot be written"), out.file());
        return false;
    }
    for (const PackedEntry &e : entries) {
        if (!out.put(e)) {
            fail(QStringLiteral("a run cannot be written"), out.file());
            return false;
        }
    }
    if (!out.close()) {
        fail(QStringLiteral("a run cannot be written"), out.file());
        return false;
    }
    m_runs << out.file().fileName();
    entries.clear();
    return true;
}

bool SortedEntries::merge(const QStringList &runs, const QString &into, bool last)
{
    std::vector<std::unique_ptr<RunReader>> readers;
    std::vector<PackedEntry> heads;
    for (const QString &run : runs) {
        auto reader = std::make_unique<RunReader>();
        PackedEntry head;
        if (!reader->open(run)) {
            fail(QStringLiteral("a run cannot be read"), reader->file());
            return false;
        }
        if (reader->next(head)) {
            readers.push_back(std::move(reader));
            heads.push_back(head);
        }
    }
    RunWriter out(into);
    if (!out.open()) {
        fail(QStringLiteral("the sorted entries cannot be written"), out.file());
        return false;
    }
    if (last)
        m_spans.assign(size_t(m_terminals.size()), {0, 0});
    qint64 written = 0;
    std::optional<PackedEntry> pending; // the last merge keeps the later record of an index
    const auto put = [&](const PackedEntry &e) {
        if (last && m_spans[e.terminal].second++ == 0)
            m_spans[e.terminal].first = written;
        ++written;
        return out.put(e);
    };
    while (!heads.empty()) {
        size_t least = 0;
        for (size_t i = 1; i < heads.size(); ++i) {
            if (Before(heads[i], heads[least]))
                least = i;
        }
        const PackedEntry e = heads[least];
        if (!readers[least]->next(heads[least])) {
            if (readers[least]->failed()) {
                fail(QStringLiteral("a run cannot be read"), readers[least]->file());
                return false;
            }
            readers.erase(readers.begin() + qsizetype(least));
            heads.erase(heads.begin() + qsizetype(least));
        }
        bool ok = true;
        if (!last)
            ok = put(e);
        else if (pending && (pending->terminal != e.terminal || pending->index != e.index))
            ok = put(*pending);
        if (!ok) {
            fail(QStringLiteral("the sorted entries cannot be written"), out.file());
            return false;
        }
        if (last)
            pending = e;
    }
    if (pending && !put(*pending)) {
        fail(QStringLiteral("the sorted entries cannot be written"), out.file());
        return false;
    }
    if (!out.close()) {
        fail(QStringLiteral("the sorted entries cannot be written"), out.file());
        return false;
    }
    for (const QString &run : runs)
        QFile::remove(run);
    return true;
}

SortedEntries::Cursor SortedEntries::entriesOf(const QString &terminal) const
{
    Cursor cursor;
    cursor.m_terminals = &m_terminals;
    const auto rank = m_rank.constFind(terminal);
    if (rank == m_rank.constEnd() || m_spans.empty())
        return cursor;
    const auto [first, count] = m_spans[size_t(*rank)];
    cursor.m_file = std::make_unique<QFile>(m_sorted);
    if (!cursor.m_file->open(QIODevice::ReadOnly) || !cursor.m_file->seek(first * kEntryBytes)) {
        cursor.m_error = QStringLiteral("the sorted entries cannot be read in the temporary folder "
                                        "%1: %2")
                             .arg(m_folder->path(), cursor.m_file->errorString());
        return cursor;
    }
    cursor.m_left = count;
    return cursor;
}

EntryReader::Step SortedEntries::Cursor::next(DiffEntry &entry)
{
    if (!m_error.isEmpty())
        return EntryReader::Step::Failed;
    if (m_left == 0)
        return EntryReader::Step::End;
    PackedEntry p;
    if (m_file->read(reinterpret_cast<char *>(&p), kEntryBytes) != kEntryBytes) {
        m_error = QStringLiteral("the sorted entries cannot be read: %1").arg(m_file->errorString());
        return EntryReader::Step::Failed;
    }
    --m_left;
    entry = Unpacked(p, *m_terminals);
    return EntryReader::Step::Entry;
}

} // namespace capturetool
