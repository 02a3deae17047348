#pragma once
// Runs the schema text against a memory file: the tables of a new file, and
// an older file brought up one version at a time, each step in its own
// transaction so a file is always at some version whole.

#include "terminal/program/StoreSchema.h"
#include "terminal/program/StoreDatabase.h"

namespace terminal::program {

// -1 when the version cannot be read.
int SchemaVersion(StoreDatabase &db);
// A new file at kSchemaVersion, in WAL mode.
bool CreateSchema(StoreDatabase &db);
// From `version` up to kSchemaVersion; a newer version is refused.
bool MigrateSchema(StoreDatabase &db, int version);
// What every connection sets: a process killed after a commit loses
// nothing; only a power cut could take the last commits.
bool SetDurability(StoreDatabase &db);

} // namespace terminal::program
