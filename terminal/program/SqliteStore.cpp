#include "terminal/program/SqliteStore.h"

#include "terminal/program/FileVerdict.h"
#include "terminal/program/SchemaMigration.h"
#include "terminal/program/StoredValues.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>
#include <set>
#include <utility>

namespace terminal::program {

using engine::Entry;
using engine::State;
using engine::Terminal;

namespace {

void Install(StoredLine &&line, State &s)
{
    s.terminals = std::move(line.terminals);
    s.pcName = std::move(line.pcName);
    s.confirmationsA = line.confirmationsA;
    s.confirmationsB = line.confirmationsB;
    s.entryCapacity = line.entryCapacity;
    s.zeroTerminatedNames = line.zeroTerminatedNames;
}

} // namespace

SqliteStore::SqliteStore(QString path) : m_db(std::move(path))
{
}

SqliteStore::~SqliteStore()
{
    for (Terminal &t : engine::EngineState().terminals)
        if (heldHere(t))
            t.entries.setMemory(std::make_unique<engine::HeldEntryMemory>(t.entries.all()));
}

OpenResult SqliteStore::open()
{
    OpenResult result;
    const QString &path = m_db.path();
    const QFileInfo info(path);
    bool existing = info.exists();
    if (existing && info.size() == 0) {
        // An empty file holds nothing to keep.
        QFile::remove(path);
        existing = false;
    }
    if (existing) {
        const bool readable = m_db.open();
        const int version = readable ? SchemaVersion(m_db) : -1;
        FileVerdict verdict = JudgeFile(readable && version >= 0, version);
        if (verdict == FileVerdict::Usable) {
            if (MigrateSchema(m_db, version) && SetDurability(m_db)) {
                if (auto line = load()) {
                    Install(std::move(*line), engine::EngineState());
                    result.ok = true;
                    return result;
                }
            }
            verdict = FileVerdict::Unreadable;
        }
        const QString reason = m_db.error();
        m_db.close();
        const SetAside aside = SetFileAside(path, verdict, version, reason);
        result.message = aside.message;
        if (!aside.moved)
            return result;
        result.movedAside = aside.movedAside;
    }
    if (!m_db.open() || !CreateSchema(m_db)) {
        result.message = QStringLiteral("The memory file %1 could not be made: %2").arg(path, m_db.error());
        m_db.close();
        return result;
    }
    m_db.clearError();
    allReplaced(engine::EngineState());
    savePace(Pace::Wire);
    result.ok = !m_db.failed();
    result.fresh = true;
    return result;
}

std::optional<StoredLine> SqliteStore::load()
{
    StoredLine line;
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "SELECT pc_name, confirmations_a, confirmations_b, entry_capacity, zero_terminated_names, "
        "pace FROM line WHERE id = 1"));
    if (!m_db.run(q))
        return std::nullopt;
    if (!q.next()) {
        m_db.fail(QStringLiteral("its contents do not hold together"));
        return std::nullopt;
    }
    CheckedNumbers numbers;
    line.pcName = ToText(q.value("pc_name"));
    line.confirmationsA = numbers.int32(q.value("confirmations_a"));
    line.confirmationsB = numbers.int32(q.value("confirmations_b"));
    // As the test interface takes a capacity.
    line.entryCapacity = std::size_t(numbers.int32(q.value("entry_capacity"), 0, INT32_MAX - 1));
    line.zeroTerminatedNames = numbers.int32(q.value("zero_terminated_names")) != 0;
    line.pace = numbers.int32(q.value("pace")) == 1 ? Pace::Instant : Pace::Wire;
    q.finish();
    if (!numbers.sound() || line.pcName.size() > engine::kMaxNameText) {
        m_db.fail(QStringLiteral("its contents do not hold together"));
        return std::nullopt;
    }
    if (!StoredEntryMemory::rowsHoldTogether(m_db) || !loadTerminals(line))
        return std::nullopt;
    return line;
}

bool SqliteStore::loadTerminals(StoredLine &line)
{
    std::map<std::string, int64_t> ids;
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "SELECT id, name, answering, second_pointer, reader_pointer, next_serial, clock_offset, "
        "adjustment_count, adjustment_reference, adjustment_drift, configuration, "
        "justification_count, justifications, message_shown, shown_number, shown_text, "
        "spent_clock_changes, shown_at FROM terminals ORDER BY line_order"));
    q.setForwardOnly(true);
    if (!m_db.run(q))
        return false;
    const auto broken = [&] {
        m_db.fail(QStringLiteral("its contents do not hold together"));
        return false;
    };
    CheckedNumbers numbers;
    std::set<int64_t> distinctIds;
    while (q.next()) {
        Terminal &t = line.terminals.emplace_back(ToText(q.value("name")));
        const int64_t id = q.value("id").toLongLong();
        // Each terminal once, by name and by key.
        if (!ids.emplace(t.name, id).second || !distinctIds.insert(id).second)
            return broken();
        m_nextId = std::max(m_nextId, id + 1);
        t.answering = numbers.int32(q.value("answering")) != 0;
        t.secondPointer = numbers.int32(q.value("second_pointer"));
        t.readerPointer = numbers.int32(q.value("reader_pointer"));
        t.nextSerial = numbers.int32(q.value("next_serial"));
        t.clockOffset = q.value("clock_offset").toLongLong();
        t.adjustment.count = numbers.int32(q.value("adjustment_count"));
        t.adjustment.reference = numbers.int32(q.value("adjustment_reference"));
        t.adjustment.drift = q.value("adjustment_drift").toLongLong();
        if (!UnpackInts(q.value("configuration").toByteArray(), t.configuration.data(),
                        engine::kConfigurationSize))
            return broken();
        auto justifications = SplitJustifications(ToText(q.value("justifications")),
                                                  q.value("justification_count").toLongLong());
        if (!justifications)
            return broken();
        t.justifications = std::move(*justifications);
        t.messageShown = numbers.int32(q.value("message_shown")) != 0;
        t.shownNumber = numbers.int32(q.value("shown_number"));
        t.shownText = ToText(q.value("shown_text"));
        if (!numbers.sound())
            return broken();
        if (!UnpackSpent(q.value("spent_clock_changes").toByteArray(), t.spentClockChanges))
            return broken();
        t.shownAt = q.value("shown_at").toLongLong();
    }
    if (q.lastError().isValid()) {
        m_db.fail(q.lastError().text());
        return false;
    }
    q.finish();
    for (Terminal &t : line.terminals) {
        auto entries = entryMemory(ids[t.name]);
        if (!entries->load() || !loadTerminalDetails(t, ids[t.name]))
            return false;
        t.entries.setMemory(std::move(entries));
    }
    m_ids = std::move(ids);
    return true;
}

bool SqliteStore::loadTerminalDetails(Terminal &terminal, int64_t id)
{
    QSqlQuery &messages = m_db.prepared(QStringLiteral(
        "SELECT employee, kind, text FROM messages WHERE terminal_id = :terminal_id"));
    messages.bindValue(QStringLiteral(":terminal_id"), qint64(id));
    if (!m_db.run(messages))
        return false;
    CheckedNumbers numbers;
    while (messages.next())
        terminal.messages[{numbers.int32(messages.value("employee")), numbers.int32(messages.value("kind"))}] =
            ToText(messages.value("text"));
    messages.finish();

    QSqlQuery &events = m_db.prepared(QStringLiteral(
        "SELECT slot, seconds, period, repeats, function, ring, weekday FROM events "
        "WHERE terminal_id = :terminal_id"));
    events.bindValue(QStringLiteral(":terminal_id"), qint64(id));
    if (!m_db.run(events))
        return false;
    while (events.next()) {
        const int slot = numbers.int32(events.value("slot"), 0, engine::kEventSlots - 1);
        terminal.events[std::size_t(slot)] = engine::Event{
            numbers.int32(events.value("seconds")),  numbers.int32(events.value("period")),
            numbers.int32(events.value("repeats")),  numbers.int32(events.value("function")),
            numbers.int32(events.value("ring")),     numbers.int32(events.value("weekday"))};
    }
    events.finish();

    QSqlQuery &employees = m_db.prepared(QStringLiteral(
        "SELECT employee, text, card_code, last FROM employees WHERE terminal_id = :terminal_id"));
    employees.bindValue(QStringLiteral(":terminal_id"), qint64(id));
    if (!m_db.run(employees))
        return false;
    while (employees.next())
        terminal.employees[numbers.int32(employees.value("employee"))] = engine::EmployeeName{
            ToText(employees.value("text")), numbers.int32(employees.value("card_code")),
            numbers.int32(employees.value("last"))};
    employees.finish();
    if (!numbers.sound() || !TerminalHoldsTogether(terminal)) {
        m_db.fail(QStringLiteral("its contents do not hold together"));
        return false;
    }
    return true;
}

bool SqliteStore::change(const char *what, const std::function<bool()> &work)
{
    if (!m_db.isOpen())
        return false;
    m_db.clearError();
    if (m_db.transaction(work))
        return true;
    reloadEntries();
    if (m_problem)
        m_problem(QStringLiteral("The terminal's memory could not keep the change (%1): %2")
                      .arg(QString::fromLatin1(what), m_db.error()));
    return false;
}

int64_t SqliteStore::idOf(const Terminal &terminal)
{
    int64_t &id = m_ids[terminal.name];
    if (id == 0)
        id = m_nextId++;
    return id;
}

StoredEntryMemory *SqliteStore::heldHere(const Terminal &terminal) const
{
    auto *memory = dynamic_cast<StoredEntryMemory *>(&terminal.entries.memory());
    return memory && memory->database() == &m_db ? memory : nullptr;
}

bool SqliteStore::adopt(const Terminal &terminal, int64_t id)
{
    auto memory = entryMemory(id);
    if (!memory->load())
        return false;
    // Every terminal the engine tells of lives in its state.
    const_cast<Terminal &>(terminal).entries.setMemory(std::move(memory));
    return true;
}

std::unique_ptr<StoredEntryMemory> SqliteStore::entryMemory(int64_t id)
{
    auto memory = std::make_unique<StoredEntryMemory>(m_db, id);
    memory->setUnsoundHandler([this] { setAsideUnsound(); });
    return memory;
}

void SqliteStore::setAsideUnsound()
{
    // Once: the file is gone from under the store afterwards.
    const auto unsound = std::exchange(m_unsound, nullptr);
    if (!unsound)
        return;
    const QString reason = m_db.error();
    // Closing rolls back whatever change was under way.
    m_db.close();
    unsound(SetFileAside(m_db.path(), FileVerdict::Unreadable, -1, reason).message);
}

void SqliteStore::reloadEntries()
{
    for (const Terminal &t : engine::EngineState().terminals)
        if (StoredEntryMemory *memory = heldHere(t))
            memory->load();
}

int SqliteStore::orderOf(const Terminal &terminal) const
{
    const auto &terminals = engine::EngineState().terminals;
    for (std::size_t i = 0; i < terminals.size(); ++i)
        if (&terminals[i] == &terminal)
            return int(i);
    return int(terminals.size());
}

bool SqliteStore::writeLine(const State &state)
{
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "UPDATE line SET pc_name = :pc_name, confirmations_a = :confirmations_a, "
        "confirmations_b = :confirmations_b, entry_capacity = :entry_capacity, "
        "zero_terminated_names = :zero_terminated_names WHERE id = 1"));
    q.bindValue(QStringLiteral(":pc_name"), ToBytes(state.pcName));
    q.bindValue(QStringLiteral(":confirmations_a"), state.confirmationsA);
    q.bindValue(QStringLiteral(":confirmations_b"), state.confirmationsB);
    q.bindValue(QStringLiteral(":entry_capacity"), qint64(state.entryCapacity));
    q.bindValue(QStringLiteral(":zero_terminated_names"), state.zeroTerminatedNames ? 1 : 0);
    return m_db.run(q);
}

bool SqliteStore::writeTerminalRow(const Terminal &terminal, int order)
{
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "INSERT OR REPLACE INTO terminals(id, line_order, name, answering, second_pointer, "
        "reader_pointer, next_serial, clock_offset, adjustment_count, adjustment_reference, "
        "adjustment_drift, configuration, justification_count, justifications, message_shown, "
        "shown_number, shown_text, spent_clock_changes, shown_at) "
        "VALUES (:id, :line_order, :name, :answering, :second_pointer, :reader_pointer, "
        ":next_serial, :clock_offset, :adjustment_count, :adjustment_reference, "
        ":adjustment_drift, :configuration, :justification_count, :justifications, "
        ":message_shown, :shown_number, :shown_text, :spent_clock_changes, :shown_at)"));
    q.bindValue(QStringLiteral(":id"), qint64(idOf(terminal)));
    q.bindValue(QStringLiteral(":line_order"), order);
    q.bindValue(QStringLiteral(":name"), ToBytes(terminal.name));
    q.bindValue(QStringLiteral(":answering"), terminal.answering ? 1 : 0);
    q.bindValue(QStringLiteral(":second_pointer"), terminal.secondPointer);
    q.bindValue(QStringLiteral(":reader_pointer"), readerPointerToKeep(terminal));
    q.bindValue(QStringLiteral(":next_serial"), terminal.nextSerial);
    q.bindValue(QStringLiteral(":clock_offset"), qint64(terminal.clockOffset));
    q.bindValue(QStringLiteral(":adjustment_count"), terminal.adjustment.count);
    q.bindValue(QStringLiteral(":adjustment_reference"), terminal.adjustment.reference);
    q.bindValue(QStringLiteral(":adjustment_drift"), qint64(terminal.adjustment.drift));
    q.bindValue(QStringLiteral(":configuration"),
                PackInts(terminal.configuration.data(), engine::kConfigurationSize));
    q.bindValue(QStringLiteral(":justification_count"), int(terminal.justifications.size()));
    q.bindValue(QStringLiteral(":justifications"), ToBytes(JoinJustifications(terminal.justifications)));
    q.bindValue(QStringLiteral(":message_shown"), terminal.messageShown ? 1 : 0);
    q.bindValue(QStringLiteral(":shown_number"), terminal.shownNumber);
    q.bindValue(QStringLiteral(":shown_text"), ToBytes(terminal.shownText));
    q.bindValue(QStringLiteral(":spent_clock_changes"), PackSpent(terminal.spentClockChanges));
    q.bindValue(QStringLiteral(":shown_at"), qint64(terminal.shownAt));
    return m_db.run(q);
}

bool SqliteStore::writePointers(const Terminal &terminal)
{
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "UPDATE terminals SET second_pointer = :second_pointer, reader_pointer = :reader_pointer, "
        "next_serial = :next_serial WHERE id = :id"));
    q.bindValue(QStringLiteral(":second_pointer"), terminal.secondPointer);
    q.bindValue(QStringLiteral(":reader_pointer"), readerPointerToKeep(terminal));
    q.bindValue(QStringLiteral(":next_serial"), terminal.nextSerial);
    q.bindValue(QStringLiteral(":id"), qint64(idOf(terminal)));
    return m_db.run(q);
}

bool SqliteStore::writeMessage(const Terminal &terminal, int32_t employee, int32_t kind)
{
    const auto found = terminal.messages.find({employee, kind});
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "INSERT OR REPLACE INTO messages(terminal_id, employee, kind, text) "
        "VALUES (:terminal_id, :employee, :kind, :text)"));
    q.bindValue(QStringLiteral(":terminal_id"), qint64(idOf(terminal)));
    q.bindValue(QStringLiteral(":employee"), employee);
    q.bindValue(QStringLiteral(":kind"), kind);
    q.bindValue(QStringLiteral(":text"), found == terminal.messages.end() ? QByteArray() : ToBytes(found->second));
    return m_db.run(q);
}

bool SqliteStore::writeEvent(const Terminal &terminal, int slot)
{
    const int64_t id = idOf(terminal);
    const auto &event = terminal.events[std::size_t(slot)];
    if (!event)
        return deleteRows("events", id, "slot", slot);
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "INSERT OR REPLACE INTO events(terminal_id, slot, seconds, period, repeats, function, "
        "ring, weekday) VALUES (:terminal_id, :slot, :seconds, :period, :repeats, :function, "
        ":ring, :weekday)"));
    q.bindValue(QStringLiteral(":terminal_id"), qint64(id));
    q.bindValue(QStringLiteral(":slot"), slot);
    const char *const names[] = {":seconds", ":period", ":repeats", ":function", ":ring", ":weekday"};
    for (std::size_t i = 0; i < event->size(); ++i)
        q.bindValue(QString::fromLatin1(names[i]), (*event)[i]);
    return m_db.run(q);
}

bool SqliteStore::writeEmployee(const Terminal &terminal, int32_t employee)
{
    const int64_t id = idOf(terminal);
    const auto found = terminal.employees.find(employee);
    if (found == terminal.employees.end())
        return deleteRows("employees", id, "employee", employee);
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "INSERT OR REPLACE INTO employees(terminal_id, employee, text, card_code, last) "
        "VALUES (:terminal_id, :employee, :text, :card_code, :last)"));
    q.bindValue(QStringLiteral(":terminal_id"), qint64(id));
    q.bindValue(QStringLiteral(":employee"), employee);
    q.bindValue(QStringLiteral(":text"), ToBytes(found->second.text));
    q.bindValue(QStringLiteral(":card_code"), found->second.cardCode);
    q.bindValue(QStringLiteral(":last"), found->second.last);
    return m_db.run(q);
}

bool SqliteStore::deleteRows(const char *table, int64_t terminalId, const char *keyColumn, int32_t key)
{
    QString sql = QStringLiteral("DELETE FROM %1 WHERE terminal_id = :terminal_id").arg(QLatin1String(table));
    if (keyColumn)
        sql += QStringLiteral(" AND %1 = :key").arg(QLatin1String(keyColumn));
    QSqlQuery &q = m_db.prepared(sql);
    q.bindValue(QStringLiteral(":terminal_id"), qint64(terminalId));
    if (keyColumn)
        q.bindValue(QStringLiteral(":key"), key);
    return m_db.run(q);
}

bool SqliteStore::clearTerminal(int64_t terminalId)
{
    for (const char *table : {"messages", "events", "employees"})
        if (!deleteRows(table, terminalId))
            return false;
    return true;
}

bool SqliteStore::writeTerminalWhole(const Terminal &terminal, int order)
{
    const int64_t id = idOf(terminal);
    if (!clearTerminal(id) || !writeTerminalRow(terminal, order))
        return false;
    // Entries the store holds are written as they change.
    if (!heldHere(terminal)) {
        if (!deleteRows("entries", id) || !deleteRows("entry_blocks", id)
            || !StoredEntryMemory::writeAll(m_db, id, terminal.entries.all()) || !adopt(terminal, id))
            return false;
    }
    for (const auto &[key, message] : terminal.messages)
        if (!writeMessage(terminal, key.first, key.second))
            return false;
    for (int slot = 0; slot < engine::kEventSlots; ++slot)
        if (terminal.events[std::size_t(slot)] && !writeEvent(terminal, slot))
            return false;
    for (const auto &employee : terminal.employees)
        if (!writeEmployee(terminal, employee.first))
            return false;
    return true;
}

int32_t SqliteStore::readerPointerToKeep(const Terminal &terminal)
{
    const auto found = m_unconfirmed.find(terminal.name);
    if (found == m_unconfirmed.end())
        return terminal.readerPointer;
    if (terminal.readerPointer == found->second.delivered)
        return found->second.confirmed;
    m_unconfirmed.erase(found);
    return terminal.readerPointer;
}

void SqliteStore::entryDelivered(const Terminal &terminal)
{
    const auto found = m_unconfirmed.find(terminal.name);
    if (found != m_unconfirmed.end() && found->second.delivered == terminal.readerPointer - 1)
        found->second.delivered = terminal.readerPointer;
    else
        m_unconfirmed[terminal.name] = {terminal.readerPointer - 1, terminal.readerPointer};
}

void SqliteStore::confirmDeliveries()
{
    if (m_unconfirmed.empty())
        return;
    const auto unconfirmed = std::move(m_unconfirmed);
    m_unconfirmed.clear();
    change("pointers", [&] {
        for (const Terminal &t : engine::EngineState().terminals)
            if (unconfirmed.count(t.name) && !writePointers(t))
                return false;
        return true;
    });
}

void SqliteStore::returnDeliveries()
{
    const auto unconfirmed = std::move(m_unconfirmed);
    m_unconfirmed.clear();
    // The file still holds the pointers confirmed; a pointer something else
    // moved since stays where it was put.
    for (Terminal &t : engine::EngineState().terminals) {
        const auto found = unconfirmed.find(t.name);
        if (found != unconfirmed.end() && t.readerPointer == found->second.delivered)
            t.readerPointer = found->second.confirmed;
    }
}

void SqliteStore::lineChanged(const State &state)
{
    change("line", [&] { return writeLine(state); });
}

Pace SqliteStore::pace()
{
    QSqlQuery &q = m_db.prepared(QStringLiteral("SELECT pace FROM line WHERE id = 1"));
    if (!m_db.run(q) || !q.next())
        return Pace::Wire;
    return q.value(QStringLiteral("pace")).toInt() == 1 ? Pace::Instant : Pace::Wire;
}

void SqliteStore::savePace(Pace pace)
{
    change("pace", [&] {
        QSqlQuery &q = m_db.prepared(QStringLiteral("UPDATE line SET pace = :pace WHERE id = 1"));
        q.bindValue(QStringLiteral(":pace"), pace == Pace::Instant ? 1 : 0);
        return m_db.run(q);
    });
}

void SqliteStore::terminalChanged(const Terminal &terminal)
{
    change("terminal", [&] { return writeTerminalRow(terminal, orderOf(terminal)); });
}

void SqliteStore::pointersChanged(const Terminal &terminal)
{
    change("pointers", [&] { return writePointers(terminal); });
}

// The entries themselves were written as the engine changed them.
void SqliteStore::entryInserted(const Terminal &terminal, std::size_t)
{
    change("entry", [&] { return heldHere(terminal) ? writePointers(terminal) : writeTerminalWhole(terminal, orderOf(terminal)); });
}

void SqliteStore::entryErased(const Terminal &terminal, std::size_t)
{
    change("entry deleted", [&] { return heldHere(terminal) ? writePointers(terminal) : writeTerminalWhole(terminal, orderOf(terminal)); });
}

void SqliteStore::entriesCut(const Terminal &terminal)
{
    change("entries cut", [&] { return heldHere(terminal) ? writePointers(terminal) : writeTerminalWhole(terminal, orderOf(terminal)); });
}

void SqliteStore::eventChanged(const Terminal &terminal, int slot)
{
    change("event", [&] { return writeEvent(terminal, slot); });
}

void SqliteStore::messageChanged(const Terminal &terminal, int32_t employee, int32_t kind)
{
    change("message", [&] { return writeMessage(terminal, employee, kind); });
}

void SqliteStore::employeeChanged(const Terminal &terminal, int32_t employee)
{
    change("employee name", [&] { return writeEmployee(terminal, employee); });
}

void SqliteStore::terminalReplaced(const Terminal &terminal)
{
    change("terminal", [&] { return writeTerminalWhole(terminal, orderOf(terminal)); });
}

void SqliteStore::allReplaced(const State &state)
{
    change("line", [&] {
        for (const char *table : {"terminals", "messages", "events", "employees"})
            if (!m_db.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table))))
                return false;
        // Terminals still on the line keep the entries held here; the rest go.
        m_ids.clear();
        QStringList kept;
        for (const Terminal &t : state.terminals)
            if (const StoredEntryMemory *memory = heldHere(t)) {
                m_ids[t.name] = memory->terminalId();
                kept << QString::number(memory->terminalId());
            }
        for (const char *table : {"entries", "entry_blocks"})
            if (!m_db.exec(QStringLiteral("DELETE FROM %1 WHERE terminal_id NOT IN (%2)")
                               .arg(QLatin1String(table), kept.join(u','))))
                return false;
        if (!writeLine(state))
            return false;
        for (std::size_t i = 0; i < state.terminals.size(); ++i)
            if (!writeTerminalWhole(state.terminals[i], int(i)))
                return false;
        return true;
    });
}

} // namespace terminal::program
