#include "terminal/program/SqliteStore.h"

#include "terminal/engine/SimState.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <optional>
#include <set>

namespace velmora::terminal {

using sim::Entry;
using sim::State;
using sim::Terminal;

namespace {

// Room for sixteen insertions at one place before keys are spread again.
constexpr int64_t kKeyGap = int64_t{1} << 16;

QByteArray bytes(const std::string &text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

std::string text(const QVariant &value)
{
    const QByteArray b = value.toByteArray();
    return std::string(b.constData(), std::size_t(b.size()));
}

QByteArray packInts(const int32_t *values, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        const auto v = static_cast<uint32_t>(values[i]);
        for (int b = 0; b < 4; ++b)
            out.append(char((v >> (8 * b)) & 0xff));
    }
    return out;
}

bool unpackInts(const QByteArray &in, int32_t *values, int count)
{
    if (in.size() != count * 4)
        return false;
    for (int i = 0; i < count; ++i) {
        uint32_t v = 0;
        for (int b = 3; b >= 0; --b)
            v = (v << 8) | uint8_t(in[i * 4 + b]);
        values[i] = static_cast<int32_t>(v);
    }
    return true;
}

std::string joinJustifications(const std::vector<std::string> &names)
{
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i)
            joined += '~';
        joined += names[i];
    }
    return joined;
}

// A name never holds '~' (the list is split there), so the pieces come back
// whole: exactly `count` of them, or the file does not hold together.
std::optional<std::vector<std::string>> splitJustifications(const std::string &joined, int64_t count)
{
    std::vector<std::string> names;
    if (count == 0)
        return joined.empty() ? std::optional(names) : std::nullopt;
    if (count < 0 || count - 1 != std::count(joined.begin(), joined.end(), '~'))
        return std::nullopt;
    std::size_t start = 0;
    for (int64_t i = 0; i < count; ++i) {
        const std::size_t end = std::min(joined.find('~', start), joined.size());
        names.push_back(joined.substr(start, end - start));
        if (names.back().size() > sim::kMaxJustificationText)
            return std::nullopt;
        start = end + 1;
    }
    return names;
}

// What the engine itself would never hold: a name it refuses, a text longer
// than it keeps, a byte-sized field outside a byte.
bool TerminalHoldsTogether(const Terminal &t)
{
    const auto within = [](const std::string &text, std::size_t limit) { return text.size() <= limit; };
    if (t.name.empty() || t.name.size() > sim::kMaxNameLength || t.name.back() == ' '
        || t.name.find('\0') != std::string::npos || !within(t.shownText, sim::kMaxMessageText))
        return false;
    for (const auto &[key, message] : t.messages) {
        if (!within(message, sim::kMaxMessageText))
            return false;
    }
    for (const auto &[employee, name] : t.employees) {
        if (!within(name.text, sim::kMaxNameText))
            return false;
    }
    return true;
}

// Each spent slot as its number and the six values it was written with.
QByteArray packSpent(const std::map<int, sim::Event> &spent)
{
    std::vector<int32_t> values;
    for (const auto &[slot, event] : spent) {
        values.push_back(slot);
        values.insert(values.end(), event.begin(), event.end());
    }
    return packInts(values.data(), int(values.size()));
}

bool unpackSpent(const QByteArray &in, std::map<int, sim::Event> &spent)
{
    constexpr int kEach = 7;
    if (in.size() % (kEach * 4) != 0)
        return false;
    std::vector<int32_t> values(std::size_t(in.size() / 4));
    if (!unpackInts(in, values.data(), int(values.size())))
        return false;
    for (std::size_t i = 0; i < values.size(); i += kEach) {
        const int slot = values[i];
        if (slot < 0 || slot >= sim::kEventSlots)
            return false;
        sim::Event event{};
        std::copy_n(values.begin() + std::ptrdiff_t(i + 1), event.size(), event.begin());
        spent[slot] = event;
    }
    return true;
}

QString uniqueConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("velmora-terminal-store-%1").arg(++counter);
}

} // namespace

FileVerdict judgeFile(bool readable, int schemaVersion)
{
    if (!readable || schemaVersion < 0)
        return FileVerdict::Unreadable;
    if (schemaVersion > SqliteStore::kSchemaVersion)
        return FileVerdict::FromTheFuture;
    if (schemaVersion == 0)
        return FileVerdict::Unreadable; // some other file, not a terminal's memory
    return FileVerdict::Usable;
}

QString asideName(const QString &path, const QString &reason, const QString &stamp,
                  const std::function<bool(const QString &)> &exists)
{
    const QString base = QStringLiteral("%1.%2-%3").arg(path, reason, stamp);
    QString candidate = base;
    for (int n = 2; exists(candidate) || exists(candidate + QStringLiteral("-wal")); ++n)
        candidate = QStringLiteral("%1-%2").arg(base).arg(n);
    return candidate;
}

SqliteStore::SqliteStore(QString path) : m_path(std::move(path)), m_connection(uniqueConnectionName())
{
}

SqliteStore::~SqliteStore()
{
    closeConnection();
}

bool SqliteStore::openConnection()
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    return m_db.open();
}

void SqliteStore::closeConnection()
{
    m_insertEntry.reset();
    m_deleteEntry.reset();
    m_updateTerminal.reset();
    m_updatePointers.reset();
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool SqliteStore::exec(const QString &sql)
{
    QSqlQuery query(m_db);
    return query.exec(sql);
}

bool SqliteStore::run(QSqlQuery &query)
{
    if (query.exec())
        return true;
    m_failed = true;
    if (m_problem)
        m_problem(QStringLiteral("The terminal's memory could not be written: %1")
                      .arg(query.lastError().text()));
    return false;
}

// False inside an open transaction: the change then joins it.
bool SqliteStore::begin()
{
    if (!m_db.isOpen() || !m_db.transaction())
        return false;
    m_failed = false;
    return true;
}

void SqliteStore::commit(const char *what)
{
    if (m_failed || !m_db.commit()) {
        m_db.rollback();
        if (m_problem)
            m_problem(QStringLiteral("The terminal's memory could not keep the change (%1): %2")
                          .arg(QString::fromLatin1(what), m_db.lastError().text()));
    }
}

OpenResult SqliteStore::open()
{
    OpenResult result;
    const QFileInfo info(m_path);
    bool existing = info.exists();
    if (existing && info.size() == 0) {
        // An empty file holds nothing to keep.
        QFile::remove(m_path);
        existing = false;
    }
    if (existing) {
        QString reason;
        int version = -1;
        bool readable = openConnection();
        if (readable) {
            QSqlQuery query(m_db);
            readable = query.exec(QStringLiteral("PRAGMA user_version")) && query.next();
            if (readable)
                version = query.value(0).toInt();
            else
                reason = query.lastError().text();
        } else {
            reason = m_db.lastError().text();
        }
        FileVerdict verdict = judgeFile(readable, version);
        if (verdict == FileVerdict::Usable) {
            if (migrate(version) && load()) {
                result.ok = true;
                return result;
            }
            reason = m_db.lastError().text().isEmpty() ? QStringLiteral("its contents do not hold together")
                                                      : m_db.lastError().text();
            verdict = FileVerdict::Unreadable;
        }
        closeConnection();
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        const bool future = verdict == FileVerdict::FromTheFuture;
        const QString aside = asideName(m_path, future ? QStringLiteral("newer") : QStringLiteral("unreadable"),
                                        stamp, [](const QString &p) { return QFile::exists(p); });
        if (!QFile::rename(m_path, aside)) {
            result.message = QStringLiteral("The memory file %1 cannot be used and could not be moved "
                                            "aside; this terminal keeps nothing until it is moved away.")
                                 .arg(m_path);
            return result;
        }
        for (const char *suffix : {"-wal", "-shm"}) {
            const QString extra = m_path + QLatin1String(suffix);
            if (QFile::exists(extra))
                QFile::rename(extra, aside + QLatin1String(suffix));
        }
        result.movedAside = aside;
        result.message = future
            ? QStringLiteral("The memory file %1 was written by a newer version of the terminal "
                             "(schema %2; this one reads %3). It was moved aside to %4, and this "
                             "terminal starts fresh.")
                  .arg(m_path).arg(version).arg(kSchemaVersion).arg(aside)
            : QStringLiteral("The memory file %1 could not be read (%2). It was moved aside to %3, "
                             "and this terminal starts fresh.")
                  .arg(m_path, reason.isEmpty() ? QStringLiteral("not a terminal's memory") : reason, aside);
    }
    if (!openConnection() || !createSchema()) {
        result.message = QStringLiteral("The memory file %1 could not be made: %2")
                             .arg(m_path, m_db.lastError().text());
        closeConnection();
        return result;
    }
    allReplaced(sim::state());
    savePace(m_pace);
    result.ok = !m_failed;
    result.fresh = true;
    return result;
}

bool SqliteStore::createSchema()
{
    const char *const statements[] = {
        "PRAGMA journal_mode=WAL",
        "CREATE TABLE line(id INTEGER PRIMARY KEY CHECK (id = 1), pc_name BLOB, conf_a INTEGER, "
        "conf_b INTEGER, capacity INTEGER, zero_names INTEGER, pace INTEGER)",
        "CREATE TABLE terminals(id INTEGER PRIMARY KEY, ord INTEGER NOT NULL, name BLOB NOT NULL "
        "UNIQUE, answering INTEGER, second_ptr INTEGER, reader_ptr INTEGER, next_serial INTEGER, "
        "clock_offset INTEGER, adj_count INTEGER, adj_ref INTEGER, adj_drift INTEGER, config BLOB, "
        "just_count INTEGER, justifications BLOB, shown INTEGER, shown_number INTEGER, "
        "shown_text BLOB, spent BLOB, shown_at INTEGER)",
        // Keyed by (terminal, sort key), not by position, so an insert or a
        // delete in the middle touches one row.
        "CREATE TABLE entries(t INTEGER NOT NULL, k INTEGER NOT NULL, seconds INTEGER, "
        "card INTEGER, aux1 INTEGER, just INTEGER, presence INTEGER, origin INTEGER, "
        "serial INTEGER, PRIMARY KEY (t, k)) WITHOUT ROWID",
        "CREATE TABLE messages(t INTEGER NOT NULL, employee INTEGER NOT NULL, kind INTEGER NOT "
        "NULL, text BLOB, PRIMARY KEY (t, employee, kind)) WITHOUT ROWID",
        "CREATE TABLE events(t INTEGER NOT NULL, slot INTEGER NOT NULL, seconds INTEGER, "
        "period INTEGER, repeats INTEGER, function INTEGER, ring INTEGER, weekday INTEGER, "
        "PRIMARY KEY (t, slot)) WITHOUT ROWID",
        "CREATE TABLE employees(t INTEGER NOT NULL, employee INTEGER NOT NULL, text BLOB, "
        "card INTEGER, last INTEGER, PRIMARY KEY (t, employee)) WITHOUT ROWID",
        "INSERT INTO line(id) VALUES (1)",
    };
    if (!exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return false;
    if (!m_db.transaction())
        return false;
    for (const char *sql : statements) {
        if (std::string_view(sql).rfind("PRAGMA", 0) == 0)
            continue;
        if (!exec(QString::fromLatin1(sql))) {
            m_db.rollback();
            return false;
        }
    }
    if (!exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)) || !m_db.commit())
        return false;
    // A process killed after a commit loses nothing; only a power cut
    // could take the last commits.
    return exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
}

// A file of an older schema gains what this one added, so it opens as it was.
bool SqliteStore::migrate(int version)
{
    if (version >= kSchemaVersion)
        return true;
    if (!m_db.transaction())
        return false;
    // Version 2: the spent clock-change slots and when the shown message came.
    const bool ok = exec(QStringLiteral("ALTER TABLE terminals ADD COLUMN spent BLOB"))
        && exec(QStringLiteral("ALTER TABLE terminals ADD COLUMN shown_at INTEGER"))
        && exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    if (!ok || !m_db.commit()) {
        m_db.rollback();
        return false;
    }
    return true;
}

bool SqliteStore::load()
{
    if (!exec(QStringLiteral("PRAGMA journal_mode=WAL"))
        || !exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return false;
    State &s = sim::state();
    // A number outside its field's range makes the file unusable rather
    // than a wrapped value in the terminal.
    bool sound = true;
    const auto int32 = [&](const QVariant &v, int64_t low = INT32_MIN, int64_t high = INT32_MAX) {
        const qlonglong x = v.toLongLong();
        sound = sound && x >= low && x <= high;
        return int32_t(x);
    };
    const auto byte = [&](const QVariant &v) { return uint8_t(int32(v, 0, 255)); };
    QSqlQuery line(m_db);
    if (!line.exec(QStringLiteral("SELECT pc_name, conf_a, conf_b, capacity, zero_names, pace "
                                  "FROM line WHERE id = 1"))
        || !line.next())
        return false;
    std::vector<Terminal> terminals;
    std::map<std::string, Keys> keys;
    QSqlQuery rows(m_db);
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral(
            "SELECT id, name, answering, second_ptr, reader_ptr, next_serial, clock_offset, "
            "adj_count, adj_ref, adj_drift, config, just_count, justifications, shown, "
            "shown_number, shown_text, spent, shown_at FROM terminals ORDER BY ord")))
        return false;
    while (rows.next()) {
        Terminal &t = terminals.emplace_back(text(rows.value(1)));
        Keys &k = keys[t.name];
        k.id = rows.value(0).toLongLong();
        m_nextId = std::max(m_nextId, k.id + 1);
        t.answering = int32(rows.value(2)) != 0;
        t.secondPointer = int32(rows.value(3));
        t.readerPointer = int32(rows.value(4));
        t.nextSerial = int32(rows.value(5));
        t.clockOffset = rows.value(6).toLongLong();
        t.adjustment.count = int32(rows.value(7));
        t.adjustment.reference = int32(rows.value(8));
        t.adjustment.drift = rows.value(9).toLongLong();
        if (!unpackInts(rows.value(10).toByteArray(), t.configuration.data(), sim::kConfigurationSize))
            return false;
        auto justifications = splitJustifications(text(rows.value(12)), rows.value(11).toLongLong());
        if (!justifications)
            return false;
        t.justifications = std::move(*justifications);
        t.messageShown = int32(rows.value(13)) != 0;
        t.shownNumber = int32(rows.value(14));
        t.shownText = text(rows.value(15));
        if (!unpackSpent(rows.value(16).toByteArray(), t.spentClockChanges))
            return false;
        t.shownAt = rows.value(17).toLongLong();
    }
    if (rows.lastError().isValid())
        return false;
    // Each terminal once, by name and by key.
    std::set<int64_t> ids;
    for (const auto &[name, k] : keys)
        ids.insert(k.id);
    if (keys.size() != terminals.size() || ids.size() != terminals.size())
        return false;

    for (Terminal &t : terminals) {
        Keys &k = keys[t.name];
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT k, seconds, card, aux1, just, presence, origin, serial "
                                 "FROM entries WHERE t = ? ORDER BY k"));
        q.addBindValue(qint64(k.id));
        if (!q.exec())
            return false;
        while (q.next()) {
            k.order.push_back(q.value(0).toLongLong());
            Entry e;
            e.seconds = int32(q.value(1));
            e.cardCode = int32(q.value(2));
            e.aux1 = byte(q.value(3));
            e.justification = byte(q.value(4));
            e.presence = byte(q.value(5));
            e.origin = int32(q.value(6), 0, 1) == 1 ? sim::Origin::Inserted : sim::Origin::Card;
            e.serial = int32(q.value(7));
            t.entries.push_back(e);
        }
        if (q.lastError().isValid())
            return false;

        q.prepare(QStringLiteral("SELECT employee, kind, text FROM messages WHERE t = ?"));
        q.addBindValue(qint64(k.id));
        if (!q.exec())
            return false;
        while (q.next())
            t.messages[{int32(q.value(0)), int32(q.value(1))}] = text(q.value(2));

        q.prepare(QStringLiteral("SELECT slot, seconds, period, repeats, function, ring, weekday "
                                 "FROM events WHERE t = ?"));
        q.addBindValue(qint64(k.id));
        if (!q.exec())
            return false;
        while (q.next()) {
            const int slot = int32(q.value(0));
            if (slot < 0 || slot >= sim::kEventSlots)
                return false;
            sim::Event event{};
            for (int i = 0; i < 6; ++i)
                event[std::size_t(i)] = int32(q.value(i + 1));
            t.events[std::size_t(slot)] = event;
        }

        q.prepare(QStringLiteral("SELECT employee, text, card, last FROM employees WHERE t = ?"));
        q.addBindValue(qint64(k.id));
        if (!q.exec())
            return false;
        while (q.next())
            t.employees[int32(q.value(0))] =
                sim::EmployeeName{text(q.value(1)), int32(q.value(2)), int32(q.value(3))};
        if (!TerminalHoldsTogether(t))
            return false;
    }

    const std::string pcName = text(line.value(0));
    const int32_t confirmationsA = int32(line.value(1));
    const int32_t confirmationsB = int32(line.value(2));
    // As the test interface takes a capacity.
    const int32_t capacity = int32(line.value(3), 0, INT32_MAX - 1);
    const bool zeroNames = int32(line.value(4)) != 0;
    const int32_t pace = int32(line.value(5));
    if (!sound || pcName.size() > sim::kMaxNameText)
        return false;
    s.terminals = std::move(terminals);
    s.pcName = pcName;
    s.confirmationsA = confirmationsA;
    s.confirmationsB = confirmationsB;
    s.entryCapacity = std::size_t(capacity);
    s.zeroTerminatedNames = zeroNames;
    m_pace = pace == 1 ? Pace::Instant : Pace::Wire;
    m_keys = std::move(keys);
    return true;
}

SqliteStore::Keys &SqliteStore::keysOf(const Terminal &terminal)
{
    Keys &keys = m_keys[terminal.name];
    if (keys.id == 0)
        keys.id = m_nextId++;
    return keys;
}

int SqliteStore::orderOf(const Terminal &terminal) const
{
    const auto &terminals = sim::state().terminals;
    for (std::size_t i = 0; i < terminals.size(); ++i)
        if (&terminals[i] == &terminal)
            return int(i);
    return int(terminals.size());
}

bool SqliteStore::writeLine(const State &state)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE line SET pc_name = ?, conf_a = ?, conf_b = ?, capacity = ?, "
                             "zero_names = ? WHERE id = 1"));
    q.addBindValue(bytes(state.pcName));
    q.addBindValue(state.confirmationsA);
    q.addBindValue(state.confirmationsB);
    q.addBindValue(qint64(state.entryCapacity));
    q.addBindValue(state.zeroTerminatedNames ? 1 : 0);
    return run(q);
}

bool SqliteStore::writeTerminalRow(const Terminal &terminal, int order)
{
    const Keys &keys = keysOf(terminal);
    if (!m_updateTerminal) {
        m_updateTerminal = std::make_unique<QSqlQuery>(m_db);
        m_updateTerminal->prepare(QStringLiteral(
            "INSERT OR REPLACE INTO terminals(id, ord, name, answering, second_ptr, reader_ptr, "
            "next_serial, clock_offset, adj_count, adj_ref, adj_drift, config, just_count, "
            "justifications, shown, shown_number, shown_text, spent, shown_at) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    }
    QSqlQuery &q = *m_updateTerminal;
    q.bindValue(0, qint64(keys.id));
    q.bindValue(1, order);
    q.bindValue(2, bytes(terminal.name));
    q.bindValue(3, terminal.answering ? 1 : 0);
    q.bindValue(4, terminal.secondPointer);
    q.bindValue(5, terminal.readerPointer);
    q.bindValue(6, terminal.nextSerial);
    q.bindValue(7, qint64(terminal.clockOffset));
    q.bindValue(8, terminal.adjustment.count);
    q.bindValue(9, terminal.adjustment.reference);
    q.bindValue(10, qint64(terminal.adjustment.drift));
    q.bindValue(11, packInts(terminal.configuration.data(), sim::kConfigurationSize));
    q.bindValue(12, int(terminal.justifications.size()));
    q.bindValue(13, bytes(joinJustifications(terminal.justifications)));
    q.bindValue(14, terminal.messageShown ? 1 : 0);
    q.bindValue(15, terminal.shownNumber);
    q.bindValue(16, bytes(terminal.shownText));
    q.bindValue(17, packSpent(terminal.spentClockChanges));
    q.bindValue(18, qint64(terminal.shownAt));
    return run(q);
}

bool SqliteStore::writePointers(const Terminal &terminal)
{
    const Keys &keys = keysOf(terminal);
    if (!m_updatePointers) {
        m_updatePointers = std::make_unique<QSqlQuery>(m_db);
        m_updatePointers->prepare(QStringLiteral(
            "UPDATE terminals SET second_ptr = ?, reader_ptr = ?, next_serial = ? WHERE id = ?"));
    }
    QSqlQuery &q = *m_updatePointers;
    q.bindValue(0, terminal.secondPointer);
    q.bindValue(1, terminal.readerPointer);
    q.bindValue(2, terminal.nextSerial);
    q.bindValue(3, qint64(keys.id));
    return run(q);
}

bool SqliteStore::writeEntry(int64_t terminalId, int64_t key, const Entry &entry)
{
    if (!m_insertEntry) {
        m_insertEntry = std::make_unique<QSqlQuery>(m_db);
        m_insertEntry->prepare(QStringLiteral(
            "INSERT INTO entries(t, k, seconds, card, aux1, just, presence, origin, serial) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    }
    QSqlQuery &q = *m_insertEntry;
    q.bindValue(0, qint64(terminalId));
    q.bindValue(1, qint64(key));
    q.bindValue(2, entry.seconds);
    q.bindValue(3, entry.cardCode);
    q.bindValue(4, int(entry.aux1));
    q.bindValue(5, int(entry.justification));
    q.bindValue(6, int(entry.presence));
    q.bindValue(7, int(entry.origin));
    q.bindValue(8, entry.serial);
    return run(q);
}

bool SqliteStore::clearTerminal(int64_t terminalId)
{
    for (const char *table : {"entries", "messages", "events", "employees"}) {
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("DELETE FROM %1 WHERE t = ?").arg(QLatin1String(table)));
        q.addBindValue(qint64(terminalId));
        if (!run(q))
            return false;
    }
    return true;
}

bool SqliteStore::writeTerminalWhole(const Terminal &terminal, int order)
{
    Keys &keys = keysOf(terminal);
    if (!clearTerminal(keys.id) || !writeTerminalRow(terminal, order))
        return false;
    keys.order.clear();
    keys.order.reserve(terminal.entries.size());
    for (std::size_t i = 0; i < terminal.entries.size(); ++i) {
        const int64_t key = int64_t(i) * kKeyGap;
        keys.order.push_back(key);
        if (!writeEntry(keys.id, key, terminal.entries[i]))
            return false;
    }
    for (const auto &[key, message] : terminal.messages) {
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("INSERT INTO messages VALUES (?, ?, ?, ?)"));
        q.addBindValue(qint64(keys.id));
        q.addBindValue(key.first);
        q.addBindValue(key.second);
        q.addBindValue(bytes(message));
        if (!run(q))
            return false;
    }
    for (int slot = 0; slot < sim::kEventSlots; ++slot)
        if (terminal.events[std::size_t(slot)])
            eventChanged(terminal, slot);
    for (const auto &[employee, name] : terminal.employees) {
        (void)name;
        employeeChanged(terminal, employee);
    }
    return !m_failed;
}

bool SqliteStore::makeRoom(const Terminal &terminal, Keys &keys, std::size_t index)
{
    auto &order = keys.order;
    const auto roomAt = [&](std::size_t i) {
        return i == 0 || i == order.size() || order[i] - order[i - 1] >= 2;
    };
    if (roomAt(index))
        return true;
    // Spread the keys of a window around the place, doubling it until its
    // span leaves a gap for every entry in it and one more.
    std::size_t half = 8;
    for (;;) {
        const std::size_t lo = index > half ? index - half : 0;
        const std::size_t hi = std::min(order.size(), index + half);
        const int64_t from = lo == 0 ? order[0] - kKeyGap * int64_t(hi + 1) : order[lo - 1];
        const int64_t to = hi == order.size() ? order.back() + kKeyGap * int64_t(hi - lo + 1) : order[hi];
        const int64_t count = int64_t(hi - lo) + 1;
        if ((to - from) / (count + 2) >= 2) {
            QSqlQuery del(m_db);
            del.prepare(QStringLiteral("DELETE FROM entries WHERE t = ? AND k >= ? AND k <= ?"));
            del.addBindValue(qint64(keys.id));
            del.addBindValue(qint64(order[lo]));
            del.addBindValue(qint64(order[hi - 1]));
            if (!run(del))
                return false;
            const int64_t step = (to - from) / (count + 2);
            // Positions lo..hi-1 get keys with one step left free before `index`.
            int64_t key = from;
            for (std::size_t i = lo; i < hi; ++i) {
                key += step;
                if (i == index)
                    key += step;
                order[i] = key;
                if (!writeEntry(keys.id, key, terminal.entries[i + (i >= index ? 1 : 0)]))
                    return false;
            }
            return true;
        }
        half *= 2;
    }
}

void SqliteStore::lineChanged(const State &state)
{
    if (!begin())
        return;
    writeLine(state);
    commit("line");
}

void SqliteStore::savePace(Pace pace)
{
    m_pace = pace;
    if (!begin())
        return;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE line SET pace = ? WHERE id = 1"));
    q.addBindValue(pace == Pace::Instant ? 1 : 0);
    run(q);
    commit("pace");
}

void SqliteStore::terminalChanged(const Terminal &terminal)
{
    if (!begin())
        return;
    writeTerminalRow(terminal, orderOf(terminal));
    commit("terminal");
}

void SqliteStore::pointersChanged(const Terminal &terminal)
{
    if (!begin())
        return;
    writePointers(terminal);
    commit("pointers");
}

void SqliteStore::entryInserted(const Terminal &terminal, std::size_t index)
{
    if (!begin())
        return;
    Keys &keys = keysOf(terminal);
    auto &order = keys.order;
    // The engine's entries already hold the new one at `index`.
    if (makeRoom(terminal, keys, index)) {
        int64_t key = 0;
        if (order.empty())
            key = 0;
        else if (index == order.size())
            key = order.back() + kKeyGap;
        else if (index == 0)
            key = order.front() - kKeyGap;
        else
            key = order[index - 1] + (order[index] - order[index - 1]) / 2;
        order.insert(order.begin() + std::ptrdiff_t(index), key);
        if (writeEntry(keys.id, key, terminal.entries[index]))
            writePointers(terminal);
    }
    commit("entry");
}

void SqliteStore::entryErased(const Terminal &terminal, std::size_t index)
{
    if (!begin())
        return;
    Keys &keys = keysOf(terminal);
    if (index < keys.order.size()) {
        if (!m_deleteEntry) {
            m_deleteEntry = std::make_unique<QSqlQuery>(m_db);
            m_deleteEntry->prepare(QStringLiteral("DELETE FROM entries WHERE t = ? AND k = ?"));
        }
        m_deleteEntry->bindValue(0, qint64(keys.id));
        m_deleteEntry->bindValue(1, qint64(keys.order[index]));
        if (run(*m_deleteEntry))
            keys.order.erase(keys.order.begin() + std::ptrdiff_t(index));
        writePointers(terminal);
    }
    commit("entry deleted");
}

void SqliteStore::entriesCut(const Terminal &terminal)
{
    if (!begin())
        return;
    Keys &keys = keysOf(terminal);
    const std::size_t kept = terminal.entries.size();
    if (kept < keys.order.size()) {
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("DELETE FROM entries WHERE t = ? AND k >= ?"));
        q.addBindValue(qint64(keys.id));
        q.addBindValue(qint64(keys.order[kept]));
        if (run(q))
            keys.order.resize(kept);
    }
    writePointers(terminal);
    commit("entries cut");
}

void SqliteStore::eventChanged(const Terminal &terminal, int slot)
{
    const bool outer = begin();
    const Keys &keys = keysOf(terminal);
    QSqlQuery q(m_db);
    const auto &event = terminal.events[std::size_t(slot)];
    if (event) {
        q.prepare(QStringLiteral("INSERT OR REPLACE INTO events VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        q.addBindValue(qint64(keys.id));
        q.addBindValue(slot);
        for (int32_t v : *event)
            q.addBindValue(v);
    } else {
        q.prepare(QStringLiteral("DELETE FROM events WHERE t = ? AND slot = ?"));
        q.addBindValue(qint64(keys.id));
        q.addBindValue(slot);
    }
    run(q);
    if (outer)
        commit("event");
}

void SqliteStore::messageChanged(const Terminal &terminal, int32_t employee, int32_t kind)
{
    if (!begin())
        return;
    const Keys &keys = keysOf(terminal);
    QSqlQuery q(m_db);
    const auto found = terminal.messages.find({employee, kind});
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO messages VALUES (?, ?, ?, ?)"));
    q.addBindValue(qint64(keys.id));
    q.addBindValue(employee);
    q.addBindValue(kind);
    q.addBindValue(found == terminal.messages.end() ? QByteArray() : bytes(found->second));
    run(q);
    commit("message");
}

void SqliteStore::employeeChanged(const Terminal &terminal, int32_t employee)
{
    const bool outer = begin();
    const Keys &keys = keysOf(terminal);
    QSqlQuery q(m_db);
    const auto found = terminal.employees.find(employee);
    if (found != terminal.employees.end()) {
        q.prepare(QStringLiteral("INSERT OR REPLACE INTO employees VALUES (?, ?, ?, ?, ?)"));
        q.addBindValue(qint64(keys.id));
        q.addBindValue(employee);
        q.addBindValue(bytes(found->second.text));
        q.addBindValue(found->second.cardCode);
        q.addBindValue(found->second.last);
    } else {
        q.prepare(QStringLiteral("DELETE FROM employees WHERE t = ? AND employee = ?"));
        q.addBindValue(qint64(keys.id));
        q.addBindValue(employee);
    }
    run(q);
    if (outer)
        commit("employee name");
}

void SqliteStore::terminalReplaced(const Terminal &terminal)
{
    if (!begin())
        return;
    writeTerminalWhole(terminal, orderOf(terminal));
    commit("terminal");
}

void SqliteStore::allReplaced(const State &state)
{
    if (!begin())
        return;
    for (const char *table : {"terminals", "entries", "messages", "events", "employees"})
        if (!exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table))))
            m_failed = true;
    m_keys.clear();
    writeLine(state);
    for (std::size_t i = 0; i < state.terminals.size() && !m_failed; ++i)
        writeTerminalWhole(state.terminals[i], int(i));
    commit("line");
}

} // namespace velmora::terminal
