#include "terminal/program/FileVerdict.h"

#include "terminal/program/StoreSchema.h"

#include <QDateTime>
#include <QFile>

namespace terminal::program {

FileVerdict JudgeFile(bool readable, int schemaVersion)
{
    if (!readable || schemaVersion < 0)
        return FileVerdict::Unreadable;
    if (schemaVersion > kSchemaVersion)
        return FileVerdict::FromTheFuture;
    if (schemaVersion == 0)
        return FileVerdict::Unreadable; // some other file, not a terminal's memory
    return FileVerdict::Usable;
}

QString AsideName(const QString &path, const QString &reason, const QString &stamp,
                  const std::function<bool(const QString &)> &exists)
{
    const QString base = QStringLiteral("%1.%2-%3").arg(path, reason, stamp);
    QString candidate = base;
    for (int n = 2; exists(candidate) || exists(candidate + QStringLiteral("-wal")); ++n)
        candidate = QStringLiteral("%1-%2").arg(base).arg(n);
    return candidate;
}

SetAside SetFileAside(const QString &path, FileVerdict verdict, int version, const QString &reason)
{
    SetAside result;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const bool future = verdict == FileVerdict::FromTheFuture;
    const QString aside = AsideName(path, future ? QStringLiteral("newer") : QStringLiteral("unreadable"),
                                    stamp, [](const QString &p) { return QFile::exists(p); });
    if (!QFile::rename(path, aside)) {
        result.message = QStringLiteral("The memory file %1 cannot be used and could not be moved "
                                        "aside; this terminal keeps nothing until it is moved away.")
                             .arg(path);
        return result;
    }
    for (const char *suffix : {"-wal", "-shm"}) {
        const QString extra = path + QLatin1String(suffix);
        if (QFile::exists(extra))
            QFile::rename(extra, aside + QLatin1String(suffix));
    }
    result.moved = true;
    result.movedAside = aside;
    result.message = future
        ? QStringLiteral("The memory file %1 was written by a newer version of the terminal "
                         "(schema %2; this one reads %3). It was moved aside to %4, and this "
                         "terminal starts fresh.")
              .arg(path).arg(version).arg(kSchemaVersion).arg(aside)
        : QStringLiteral("The memory file %1 could not be read (%2). It was moved aside to %3, "
                         "and this terminal starts fresh.")
              .arg(path, reason.isEmpty() ? QStringLiteral("not a terminal's memory") : reason, aside);
    return result;
}

} // namespace terminal::program
