#include "terminal/program/StoreSchema.h"

namespace terminal::program {

const Statements &CurrentSchema()
{
    static const Statements statements = {
        "CREATE TABLE line(id INTEGER PRIMARY KEY CHECK (id = 1), pc_name BLOB, "
        "confirmations_a INTEGER, confirmations_b INTEGER, entry_capacity INTEGER, "
        "zero_terminated_names INTEGER, pace INTEGER)",
        "CREATE TABLE terminals(id INTEGER PRIMARY KEY, line_order INTEGER NOT NULL, "
        "name BLOB NOT NULL UNIQUE, answering INTEGER, second_pointer INTEGER, "
        "reader_pointer INTEGER, next_serial INTEGER, clock_offset INTEGER, "
        "adjustment_count INTEGER, adjustment_reference INTEGER, adjustment_drift INTEGER, "
        "configuration BLOB, justification_count INTEGER, justifications BLOB, "
        "message_shown INTEGER, shown_number INTEGER, shown_text BLOB, "
        "spent_clock_changes BLOB, shown_at INTEGER)",
        // An entry's place is its block's key and its own key in the block:
        // an insert or a delete in the middle touches one row, and the
        // blocks' counts (a few thousand rows for millions of entries) find
        // any position without reading the entries before it.
        "CREATE TABLE entries(terminal_id INTEGER NOT NULL, block_key INTEGER NOT NULL, "
        "slot_key INTEGER NOT NULL, seconds INTEGER, card_code INTEGER, aux1 INTEGER, "
        "justification INTEGER, presence INTEGER, origin INTEGER, serial INTEGER, "
        "PRIMARY KEY (terminal_id, block_key, slot_key)) WITHOUT ROWID",
        "CREATE TABLE entry_blocks(terminal_id INTEGER NOT NULL, block_key INTEGER NOT NULL, "
        "entry_count INTEGER NOT NULL, PRIMARY KEY (terminal_id, block_key)) WITHOUT ROWID",
        "CREATE TABLE messages(terminal_id INTEGER NOT NULL, employee INTEGER NOT NULL, "
        "kind INTEGER NOT NULL, text BLOB, PRIMARY KEY (terminal_id, employee, kind)) WITHOUT ROWID",
        "CREATE TABLE events(terminal_id INTEGER NOT NULL, slot INTEGER NOT NULL, "
        "seconds INTEGER, period INTEGER, repeats INTEGER, function INTEGER, ring INTEGER, "
        "weekday INTEGER, PRIMARY KEY (terminal_id, slot)) WITHOUT ROWID",
        "CREATE TABLE employees(terminal_id INTEGER NOT NULL, employee INTEGER NOT NULL, "
        "text BLOB, card_code INTEGER, last INTEGER, PRIMARY KEY (terminal_id, employee)) "
        "WITHOUT ROWID",
        "INSERT INTO line(id) VALUES (1)",
    };
    return statements;
}

const Statements &SchemaStepTo2()
{
    static const Statements statements = {
        "ALTER TABLE terminals ADD COLUMN spent BLOB",
        "ALTER TABLE terminals ADD COLUMN shown_at INTEGER",
    };
    return statements;
}

const Statements &SchemaStepTo3()
{
    static const Statements statements = {
        "ALTER TABLE line RENAME COLUMN conf_a TO confirmations_a",
        "ALTER TABLE line RENAME COLUMN conf_b TO confirmations_b",
        "ALTER TABLE line RENAME COLUMN capacity TO entry_capacity",
        "ALTER TABLE line RENAME COLUMN zero_names TO zero_terminated_names",
        "ALTER TABLE terminals RENAME COLUMN ord TO line_order",
        "ALTER TABLE terminals RENAME COLUMN second_ptr TO second_pointer",
        "ALTER TABLE terminals RENAME COLUMN reader_ptr TO reader_pointer",
        "ALTER TABLE terminals RENAME COLUMN adj_count TO adjustment_count",
        "ALTER TABLE terminals RENAME COLUMN adj_ref TO adjustment_reference",
        "ALTER TABLE terminals RENAME COLUMN adj_drift TO adjustment_drift",
        "ALTER TABLE terminals RENAME COLUMN config TO configuration",
        "ALTER TABLE terminals RENAME COLUMN just_count TO justification_count",
        "ALTER TABLE terminals RENAME COLUMN shown TO message_shown",
        "ALTER TABLE terminals RENAME COLUMN spent TO spent_clock_changes",
        "ALTER TABLE entries RENAME COLUMN t TO terminal_id",
        "ALTER TABLE entries RENAME COLUMN k TO order_key",
        "ALTER TABLE entries RENAME COLUMN card TO card_code",
        "ALTER TABLE entries RENAME COLUMN just TO justification",
        "ALTER TABLE messages RENAME COLUMN t TO terminal_id",
        "ALTER TABLE events RENAME COLUMN t TO terminal_id",
        "ALTER TABLE employees RENAME COLUMN t TO terminal_id",
        "ALTER TABLE employees RENAME COLUMN card TO card_code",
    };
    return statements;
}

const Statements &SchemaStepTo4()
{
    // Blocks of 128 entries, keys 2^32 and 2^16 apart, as a new file has them.
    static const Statements statements = {
        "ALTER TABLE entries RENAME TO entries_by_order_key",
        "CREATE TABLE entries(terminal_id INTEGER NOT NULL, block_key INTEGER NOT NULL, "
        "slot_key INTEGER NOT NULL, seconds INTEGER, card_code INTEGER, aux1 INTEGER, "
        "justification INTEGER, presence INTEGER, origin INTEGER, serial INTEGER, "
        "PRIMARY KEY (terminal_id, block_key, slot_key)) WITHOUT ROWID",
        "INSERT INTO entries(terminal_id, block_key, slot_key, seconds, card_code, aux1, "
        "justification, presence, origin, serial) "
        "SELECT terminal_id, (position / 128) << 32, (position % 128) << 16, seconds, card_code, "
        "aux1, justification, presence, origin, serial FROM (SELECT *, row_number() OVER "
        "(PARTITION BY terminal_id ORDER BY order_key) - 1 AS position FROM entries_by_order_key)",
        "CREATE TABLE entry_blocks(terminal_id INTEGER NOT NULL, block_key INTEGER NOT NULL, "
        "entry_count INTEGER NOT NULL, PRIMARY KEY (terminal_id, block_key)) WITHOUT ROWID",
        "INSERT INTO entry_blocks(terminal_id, block_key, entry_count) "
        "SELECT terminal_id, block_key, count(*) FROM entries GROUP BY terminal_id, block_key",
        "DROP TABLE entries_by_order_key",
    };
    return statements;
}

const std::vector<SchemaStep> &SchemaSteps()
{
    static const std::vector<SchemaStep> steps = {
        {2, SchemaStepTo2},
        {3, SchemaStepTo3},
        {4, SchemaStepTo4},
    };
    return steps;
}

} // namespace terminal::program
