#include "terminal/program/StoreDatabase.h"

#include <QSqlError>

#include <atomic>

namespace terminal::program {

namespace {

QString UniqueConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("velmora-terminal-store-%1").arg(++counter);
}

} // namespace

StoreDatabase::StoreDatabase(QString path) : m_path(std::move(path)), m_connection(UniqueConnectionName())
{
}

StoreDatabase::~StoreDatabase()
{
    close();
}

bool StoreDatabase::open()
{
    m_error.clear();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    if (m_db.open())
        return true;
    fail(m_db.lastError().text());
    return false;
}

void StoreDatabase::close()
{
    m_prepared.clear();
    if (m_inTransaction && m_db.isOpen())
        m_db.commit();
    m_inTransaction = false;
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QSqlQuery &StoreDatabase::prepared(const QString &sql)
{
    auto &query = m_prepared[sql];
    if (!query) {
        query = std::make_unique<QSqlQuery>(m_db);
        if (!query->prepare(sql))
            fail(query->lastError().text());
    }
    return *query;
}

bool StoreDatabase::run(QSqlQuery &query)
{
    if (query.exec())
        return true;
    fail(query.lastError().text());
    return false;
}

bool StoreDatabase::exec(const QString &sql)
{
    QSqlQuery query(m_db);
    if (query.exec(sql))
        return true;
    fail(query.lastError().text());
    return false;
}

bool StoreDatabase::execAll(const std::vector<const char *> &statements)
{
    for (const char *sql : statements)
        if (!exec(QString::fromLatin1(sql)))
            return false;
    return true;
}

bool StoreDatabase::joinTransaction()
{
    if (m_inTransaction)
        return true;
    if (!m_db.isOpen() || !m_db.transaction()) {
        fail(m_db.lastError().text());
        return false;
    }
    m_inTransaction = true;
    return true;
}

bool StoreDatabase::transaction(const std::function<bool()> &work)
{
    if (!joinTransaction())
        return false;
    m_inTransaction = false;
    if (work() && !failed() && m_db.commit())
        return true;
    if (!failed())
        fail(m_db.lastError().text());
    m_db.rollback();
    return false;
}

void StoreDatabase::fail(const QString &reason)
{
    if (m_error.isEmpty())
        m_error = reason.isEmpty() ? QStringLiteral("unknown failure") : reason;
}

} // namespace terminal::program
