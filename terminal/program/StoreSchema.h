#pragma once
// The memory file's tables, as this version writes them, and the steps that
// bring a file of an older version up to them. Text only; SchemaMigration
// runs it.

#include <vector>

namespace terminal::program {

// PRAGMA user_version of a file this version writes.
inline constexpr int kSchemaVersion = 4;

using Statements = std::vector<const char *>;

// The tables of a new file, at kSchemaVersion.
const Statements &CurrentSchema();

// Version 2: the spent clock-change slots and when the shown message came.
const Statements &SchemaStepTo2();
// Version 3: every column spelled out.
const Statements &SchemaStepTo3();
// Version 4: entries in counted blocks, so a position is found without
// reading all the entries in memory.
const Statements &SchemaStepTo4();

struct SchemaStep
{
    int toVersion;
    const Statements &(*statements)();
};
// One step per version after the first, in order.
const std::vector<SchemaStep> &SchemaSteps();

} // namespace terminal::program
