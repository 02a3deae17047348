#include "terminal/program/SchemaMigration.h"

#include <QVariant>

namespace terminal::program {

namespace {

QString SetVersion(int version)
{
    return QStringLiteral("PRAGMA user_version = %1").arg(version);
}

} // namespace

int SchemaVersion(StoreDatabase &db)
{
    QSqlQuery &query = db.prepared(QStringLiteral("PRAGMA user_version"));
    if (!db.run(query) || !query.next())
        return -1;
    const int version = query.value(0).toInt();
    query.finish();
    return version;
}

bool SetDurability(StoreDatabase &db)
{
    return db.exec(QStringLiteral("PRAGMA journal_mode=WAL"))
        && db.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
}

bool CreateSchema(StoreDatabase &db)
{
    return db.exec(QStringLiteral("PRAGMA journal_mode=WAL"))
        && db.transaction([&] {
               return db.execAll(CurrentSchema()) && db.exec(SetVersion(kSchemaVersion));
           })
        && SetDurability(db);
}

bool MigrateSchema(StoreDatabase &db, int version)
{
    if (version > kSchemaVersion)
        return false;
    for (const SchemaStep &step : SchemaSteps()) {
        if (step.toVersion <= version)
            continue;
        if (!db.transaction([&] { return db.execAll(step.statements()) && db.exec(SetVersion(step.toVersion)); }))
            return false;
    }
    return true;
}

} // namespace terminal::program
