#pragma once
// One connection to the memory file, through which every statement runs, so
// a failure is noted the same way wherever it happens: the first one since
// the change began is kept and told when the change is given up.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace terminal::program {

class StoreDatabase
{
public:
    explicit StoreDatabase(QString path);
    ~StoreDatabase();
    StoreDatabase(const StoreDatabase &) = delete;
    StoreDatabase &operator=(const StoreDatabase &) = delete;

    const QString &path() const { return m_path; }
    bool open();
    void close();
    bool isOpen() const { return m_db.isOpen(); }

    // The same statement text gives the same prepared query each time.
    QSqlQuery &prepared(const QString &sql);
    bool run(QSqlQuery &query);
    bool exec(const QString &sql);
    bool execAll(const std::vector<const char *> &statements);
    // `work` inside one transaction, committed when it and the commit went
    // well, rolled back otherwise. Writes already begun by joinTransaction()
    // are part of it.
    bool transaction(const std::function<bool()> &work);
    // Opens a transaction unless one is open; the next transaction() ends it.
    bool joinTransaction();

    bool failed() const { return !m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    void clearError() { m_error.clear(); }
    // Notes a failure found outside a statement (contents that do not hold together).
    void fail(const QString &reason);

private:
    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    QString m_error;
    bool m_inTransaction = false;
    std::map<QString, std::unique_ptr<QSqlQuery>> m_prepared;
};

} // namespace terminal::program
