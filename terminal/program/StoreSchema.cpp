#include "terminal/program/StoreSchema.h"

namespace velmora::terminal {

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
        // Keyed by (terminal, sort key), not by position, so an insert or a
        // delete in the middle touches one row.
        "CREATE TABLE entries(terminal_id INTEGER NOT NULL, order_key INTEGER NOT NULL, "
        "seconds INTEGER, card_code INTEGER, aux1 INTEGER, justification INTEGER, "
        "presence INTEGER, origin INTEGER, serial INTEGER, "
        "PRIMARY KEY (terminal_id, order_key)) WITHOUT ROWID",
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

const std::vector<SchemaStep> &SchemaSteps()
{
    static const std::vector<SchemaStep> steps = {
        {2, SchemaStepTo2},
        {3, SchemaStepTo3},
    };
    return steps;
}

} // namespace velmora::terminal
