#pragma once
// The commands of velmora-capture. Each returns the process's exit status:
// 0 done (verify: whole; diff: same entries), 1 the data says no (a
// malformed record, a CSV row that cannot become a record, entries that
// differ), 2 a file that cannot be read or written.

#include "capturetool/Diff.h"
#include "capturetool/SortedEntries.h"

#include <QString>

namespace capturetool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNo = 1;
inline constexpr int kExitTrouble = 2;

struct Output
{
    bool aligned = false; // a terminal: padded columns; a pipe: tabs
};

int ListCommand(const QString &path, const Output &out);
int VerifyCommand(const QString &path);
int CsvCommand(const QString &path, const QString &outPath, bool withDate);
int FromCsvCommand(const QString &path, const QString &outPath);
int DiffCommand(const QString &a, const QString &b, FieldMask ignored, const Output &out,
                const SortLimits &limits = {});

// A message on stderr, after the program's name.
void Complain(const QString &text);

} // namespace capturetool
