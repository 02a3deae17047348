// The memory file's parts on their own: values in and out of their columns,
// the sort keys of entries, and each schema step from a file of the version
// before it.
#include "EntryCards.h"
#include "terminal/engine/SimState.h"
#include "terminal/program/OrderKeyPlacement.h"
#include "terminal/program/SchemaMigration.h"
#include "terminal/program/SqliteStore.h"
#include "terminal/program/StoredValues.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace terminal;

namespace {

// The tables as the first two versions wrote them.
const program::Statements kVersion1 = {
    "CREATE TABLE line(id INTEGER PRIMARY KEY CHECK (id = 1), pc_name BLOB, conf_a INTEGER, "
    "conf_b INTEGER, capacity INTEGER, zero_names INTEGER, pace INTEGER)",
    "CREATE TABLE terminals(id INTEGER PRIMARY KEY, ord INTEGER NOT NULL, name BLOB NOT NULL "
    "UNIQUE, answering INTEGER, second_ptr INTEGER, reader_ptr INTEGER, next_serial INTEGER, "
    "clock_offset INTEGER, adj_count INTEGER, adj_ref INTEGER, adj_drift INTEGER, config BLOB, "
    "just_count INTEGER, justifications BLOB, shown INTEGER, shown_number INTEGER, "
    "shown_text BLOB)",
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
    "INSERT INTO line VALUES (1, 'PC', 3, 4, 500, 1, 1)",
    "INSERT INTO terminals VALUES (1, 0, 'PONTO_00', 1, 2, 3, 9, -60, 0, 0, 0, "
    "x'010000000300000000000000000000000000000000000000010000000000000000000000', 2, "
    "'ATESTADO~FERIAS', 1, 7, 'BOM DIA')",
    // Keys as insertions at the front and in the middle leave them.
    "INSERT INTO entries VALUES (1, -65536, 10, 700, 0, 0, 1, 0, 1), (1, 0, 11, 701, 0, 0, 1, 0, 2), "
    "(1, 32768, 12, 702, 0, 0, 1, 0, 3), (1, 65536, 13, 703, 0, 0, 1, 0, 4), "
    "(1, 131072, 14, 704, 2, 1, 0, 1, 5)",
    "INSERT INTO messages VALUES (1, 5, 1, 'OLA')",
    "INSERT INTO events VALUES (1, 7, 100, 0, 0, 4, 0, 0)",
    "INSERT INTO employees VALUES (1, 5, 'ANA', 1005, 0)",
    "PRAGMA user_version = 1",
};

// A file as the program of `version` left it.
program::Statements olderVersion(int version)
{
    program::Statements statements = kVersion1;
    statements.pop_back();
    for (const program::SchemaStep &step : program::SchemaSteps())
        if (step.toVersion <= version)
            statements.insert(statements.end(), step.statements().begin(), step.statements().end());
    static std::vector<std::string> pragmas(10);
    pragmas[std::size_t(version)] = "PRAGMA user_version = " + std::to_string(version);
    statements.push_back(pragmas[std::size_t(version)].c_str());
    return statements;
}

QStringList columnNames(program::StoreDatabase &db, const QString &table)
{
    QStringList out;
    QSqlQuery &q = db.prepared(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    if (!db.run(q))
        return {db.error()};
    while (q.next())
        out << q.value("name").toString();
    return out;
}

// Name, type, not null and key place of every column of every table.
QStringList columnsOf(program::StoreDatabase &db)
{
    QStringList out;
    for (const char *table : {"line", "terminals", "entries", "messages", "events", "employees"}) {
        QSqlQuery &q = db.prepared(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(table)));
        if (!db.run(q))
            return {QStringLiteral("unreadable")};
        while (q.next())
            out << QStringLiteral("%1.%2 %3 %4 %5")
                       .arg(QLatin1String(table), q.value("name").toString(), q.value("type").toString(),
                            q.value("notnull").toString(), q.value("pk").toString());
    }
    return out;
}

QStringList columnsAfter(const QString &file, const program::Statements &statements)
{
    program::StoreDatabase db(file);
    if (!db.open() || !db.execAll(statements))
        return {db.error()};
    return columnsOf(db);
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        engine::EngineState().store = nullptr;
        engine::ResetLine();
    }

    void valuesComeBackWhole()
    {
        const engine::Configuration configuration = {1, -3, INT32_MIN, INT32_MAX, 0, 0, 1, 255, -1};
        engine::Configuration back{};
        QVERIFY(program::UnpackInts(program::PackInts(configuration.data(), engine::kConfigurationSize),
                                     back.data(), engine::kConfigurationSize));
        QCOMPARE(back, configuration);
        QVERIFY(!program::UnpackInts(QByteArray(35, '\0'), back.data(), engine::kConfigurationSize));

        for (const std::vector<std::string> &names :
             {std::vector<std::string>{}, {""}, {"", ""}, {"ATESTADO", "", "FERIAS"}}) {
            const std::string joined = program::JoinJustifications(names);
            QCOMPARE(program::SplitJustifications(joined, int(names.size())), names);
        }

        // Fewer names than the count, or one longer than the engine keeps, is not taken.
        const std::vector<std::pair<std::string, int64_t>> hostile = {
            {"A", 3}, {"A~B", INT32_MAX}, {"A", -1}, {"A", 0}, {std::string(129, 'x'), 1}};
        for (const auto &[joined, count] : hostile)
            QVERIFY(!program::SplitJustifications(joined, count));

        const std::map<int, engine::Event> spent = {{0, {1, 2, 3, 4, 5, 6}}, {109, {-1, 0, 0, 4, 0, INT32_MIN}}};
        std::map<int, engine::Event> spentBack;
        QVERIFY(program::UnpackSpent(program::PackSpent(spent), spentBack));
        QCOMPARE(spentBack, spent);
        // A slot beyond the terminal's, or a cut blob, is not taken.
        const std::map<int, engine::Event> beyond = {{engine::kEventSlots, {}}};
        QVERIFY(!program::UnpackSpent(program::PackSpent(beyond), spentBack));
        QVERIFY(!program::UnpackSpent(program::PackSpent(spent).chopped(4), spentBack));
    }

    void rowChangedBehindTheStoreIsNeverAWrappedEntry()
    {
        QTemporaryDir dir;
        program::StoreDatabase db(dir.filePath(QStringLiteral("t.sqlite")));
        QVERIFY(db.open() && program::CreateSchema(db));
        engine::Entry entry;
        entry.presence = 1;
        QVERIFY(db.transaction([&] { return program::StoredEntryMemory::writeAll(db, 1, {entry}); }));
        program::StoredEntryMemory memory(db, 1);
        int unsound = 0;
        memory.setUnsoundHandler([&unsound] { ++unsound; });
        QVERIFY(memory.load() && program::StoredEntryMemory::rowsHoldTogether(db));
        QVERIFY(db.exec(QStringLiteral("UPDATE entries SET presence = 257")));
        QCOMPARE(memory.at(0).presence, uint8_t(0)); // never 257 wrapped to 1
        QVERIFY(db.failed());
        QCOMPARE(unsound, 1);
    }

    void orderKeysKeepTheOrder_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QList<int>>("places"); // each insertion's position
        QTest::newRow("many at one place") << 10 << QList<int>(200, 5);
        QTest::newRow("at the front") << 10 << QList<int>(100, 0);
        QTest::newRow("at the end") << 3 << QList<int>{3, 4, 5, 6};
        QTest::newRow("into nothing") << 0 << QList<int>{0, 0, 1};
        QTest::newRow("just after the first") << 2 << QList<int>(100, 1);
        QTest::newRow("just before the last") << 40 << QList<int>(100, 39);
    }

    void orderKeysKeepTheOrder()
    {
        QFETCH(int, entries);
        QFETCH(QList<int>, places);
        std::vector<int64_t> order = program::FreshOrderKeys(std::size_t(entries));
        std::size_t mostMoved = 0;
        for (int i = 0; i < places.size(); ++i) {
            const auto index = std::size_t(places[i]);
            const program::OrderKeyPlacement placement = program::PlaceOrderKey(order, index);
            mostMoved = std::max(mostMoved, placement.movedKeys.size());
            program::ApplyOrderKey(order, index, placement);
            QVERIFY2(std::adjacent_find(order.begin(), order.end(), std::greater_equal<>()) == order.end(),
                     qPrintable(QStringLiteral("insertion %1").arg(i)));
            QCOMPARE(order[index], placement.key);
        }
        QCOMPARE(order.size(), std::size_t(entries + places.size()));
        QVERIFY(mostMoved <= 64); // a window, never the whole memory
    }

    void schemaStep_data()
    {
        QTest::addColumn<int>("toVersion");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("2: spent slots, time of the shown message") << 2 << "terminals"
            << QStringList{"id", "ord", "name", "answering", "second_ptr", "reader_ptr", "next_serial",
                           "clock_offset", "adj_count", "adj_ref", "adj_drift", "config", "just_count",
                           "justifications", "shown", "shown_number", "shown_text", "spent", "shown_at"};
        QTest::newRow("3: columns spelled out") << 3 << "entries"
            << QStringList{"terminal_id", "order_key", "seconds", "card_code", "aux1", "justification",
                           "presence", "origin", "serial"};
        QTest::newRow("4: entries in blocks") << 4 << "entry_blocks"
            << QStringList{"terminal_id", "block_key", "entry_count"};
    }

    void schemaStep()
    {
        QFETCH(int, toVersion);
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QTemporaryDir dir;
        program::StoreDatabase db(dir.filePath(QStringLiteral("older")));
        QVERIFY(db.open() && db.execAll(olderVersion(toVersion - 1)));
        QCOMPARE(program::SchemaVersion(db), toVersion - 1);
        const program::SchemaStep &step = program::SchemaSteps()[std::size_t(toVersion - 2)];
        QCOMPARE(step.toVersion, toVersion);
        QVERIFY2(db.execAll(step.statements()), qPrintable(db.error()));
        QCOMPARE(columnNames(db, table), columns);
        QSqlQuery &rows = db.prepared(QStringLiteral("SELECT count(*) FROM entries"));
        QVERIFY(db.run(rows) && rows.next());
        QCOMPARE(rows.value(0).toInt(), 5);
    }

    void everyStepLeadsToTheNewTables()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("older"));
        {
            program::StoreDatabase db(file);
            QVERIFY(db.open() && db.execAll(kVersion1));
            QVERIFY(program::MigrateSchema(db, 1));
            QCOMPARE(program::SchemaVersion(db), program::kSchemaVersion);
        }
        QCOMPARE(columnsAfter(file, {}), columnsAfter(dir.filePath(QStringLiteral("new")), program::CurrentSchema()));
    }

    void newerFileIsRefused()
    {
        QTemporaryDir dir;
        program::StoreDatabase db(dir.filePath(QStringLiteral("newer")));
        QVERIFY(db.open() && db.execAll(olderVersion(2)));
        QVERIFY(db.exec(QStringLiteral("PRAGMA user_version = %1").arg(program::kSchemaVersion + 1)));
        const QStringList before = columnsOf(db);
        QVERIFY(!program::MigrateSchema(db, program::kSchemaVersion + 1));
        QCOMPARE(program::SchemaVersion(db), program::kSchemaVersion + 1);
        QCOMPARE(columnsOf(db), before);
    }

    void olderFileOpens_data()
    {
        QTest::addColumn<int>("version");
        for (int version = 1; version < program::kSchemaVersion; ++version)
            QTest::newRow(qPrintable(QStringLiteral("version %1").arg(version))) << version;
    }

    void olderFileOpens()
    {
        QFETCH(int, version);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.sqlite"));
        {
            program::StoreDatabase db(file);
            QVERIFY(db.open() && db.execAll(olderVersion(version)));
        }
        program::SqliteStore store(file);
        const program::OpenResult opened = store.open();
        QVERIFY2(opened.ok, qPrintable(opened.message));
        QVERIFY(!opened.fresh);
        QVERIFY(opened.movedAside.isEmpty());
        const engine::State &s = engine::EngineState();
        QCOMPARE(s.pcName, std::string("PC"));
        QCOMPARE(s.confirmationsB, 4);
        QCOMPARE(s.entryCapacity, std::size_t(500));
        QVERIFY(s.zeroTerminatedNames);
        QCOMPARE(store.pace(), program::Pace::Instant);
        const engine::Terminal &t = s.terminals.front();
        QCOMPARE(EntryCards(t), (std::vector<int32_t>{700, 701, 702, 703, 704}));
        QCOMPARE(t.entries.back().origin, engine::Origin::Inserted);
        QCOMPARE(t.readerPointer, 3);
        QCOMPARE(t.clockOffset, int64_t(-60));
        QCOMPARE(t.configuration[1], 3);
        QCOMPARE(t.justifications, (std::vector<std::string>{"ATESTADO", "FERIAS"}));
        QCOMPARE(t.shownText, std::string("BOM DIA"));
        QCOMPARE(t.messages.at({5, 1}), std::string("OLA"));
        QCOMPARE(t.events[7]->at(3), 4);
        QCOMPARE(t.employees.at(5).cardCode, 1005);
        QVERIFY(t.spentClockChanges.empty());

        // It now takes what the new columns hold.
        engine::EngineState().store = &store;
        engine::SetSpentClockChanges(engine::EngineState().terminals.front(), {{3, engine::Event{1, 0, 0, 4, 0, 0}}});
        engine::EngineState().store = nullptr;
        program::StoreDatabase check(file);
        QVERIFY(check.open());
        QCOMPARE(program::SchemaVersion(check), program::kSchemaVersion);
        QSqlQuery &q = check.prepared(QStringLiteral("SELECT length(spent_clock_changes) FROM terminals"));
        QVERIFY(check.run(q) && q.next());
        QCOMPARE(q.value(0).toInt(), 28);
    }
};

QTEST_MAIN(TestStore)
#include "tst_store.moc"
