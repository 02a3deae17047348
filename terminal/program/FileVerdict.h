#pragma once
// What a memory file found at start is, and where an unusable one goes: it
// is never overwritten, only renamed beside itself with its bytes intact.

#include <QString>

#include <functional>

namespace terminal::program {

// Decided from its schema version and whether it could be read.
enum class FileVerdict { Usable, FromTheFuture, Unreadable };
FileVerdict JudgeFile(bool readable, int schemaVersion);

// A name beside `path` that no file has yet: path.<reason>-<stamp>[-n].
QString AsideName(const QString &path, const QString &reason, const QString &stamp,
                  const std::function<bool(const QString &)> &exists);

struct SetAside
{
    bool moved = false;
    QString movedAside; // where the file went
    QString message;    // for the window
};
// Renames the file (and its -wal and -shm) aside. `reason` says why an
// unreadable file could not be read; `version` is the newer file's.
SetAside SetFileAside(const QString &path, FileVerdict verdict, int version, const QString &reason);

} // namespace terminal::program
