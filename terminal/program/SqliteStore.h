#pragma once
// The terminal's memory on disk: one SQLite file per port, through Qt SQL.
// Each change the engine reports is one transaction, committed before the
// engine answers the call that made it.

#include "terminal/engine/Store.h"
#include "terminal/program/LineService.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velmora::terminal {

// What opening the file found.
struct OpenResult
{
    bool ok = false;
    bool fresh = false;      // nothing usable was there: the state was written anew
    QString message;         // for the window: a file moved aside, or why nothing works
    QString movedAside;      // where the unusable file went
};

// What a file found at start is, decided from its schema version and
// whether it could be read.
enum class FileVerdict { Usable, FromTheFuture, Unreadable };
FileVerdict judgeFile(bool readable, int schemaVersion);
// A name beside `path` that no file has yet: path.<reason>-<stamp>[-n].
QString asideName(const QString &path, const QString &reason, const QString &stamp,
                  const std::function<bool(const QString &)> &exists);

class SqliteStore final : public sim::Store
{
public:
    static constexpr int kSchemaVersion = 2;

    explicit SqliteStore(QString path);
    ~SqliteStore() override;

    // Loads the engine's state from the file, or writes the engine's present
    // state (a fresh terminal) when there is no usable file. A file that is
    // unreadable or from a newer version is moved aside, never overwritten.
    OpenResult open();

    // The pace kept in the file (wire pace when there is none); while the
    // program runs, the line service holds it.
    Pace pace() const;
    void savePace(Pace pace);

    // Called with a message when a change could not be committed.
    void setProblemHandler(std::function<void(const QString &)> handler)
    {
        m_problem = std::move(handler);
    }

    void lineChanged(const sim::State &state) override;
    void terminalChanged(const sim::Terminal &terminal) override;
    void pointersChanged(const sim::Terminal &terminal) override;
    void entryInserted(const sim::Terminal &terminal, std::size_t index) override;
    void entryErased(const sim::Terminal &terminal, std::size_t index) override;
    void entriesCut(const sim::Terminal &terminal) override;
    void eventChanged(const sim::Terminal &terminal, int slot) override;
    void messageChanged(const sim::Terminal &terminal, int32_t employee, int32_t kind) override;
    void employeeChanged(const sim::Terminal &terminal, int32_t employee) override;
    void terminalReplaced(const sim::Terminal &terminal) override;
    void allReplaced(const sim::State &state) override;

private:
    struct Keys
    {
        int64_t id = 0;
        std::vector<int64_t> order; // the sort key of each entry, by position
    };

    bool openConnection();
    void closeConnection();
    bool createSchema();
    bool migrate(int version);
    bool load();
    bool begin();
    void commit(const char *what);
    bool run(QSqlQuery &query);
    bool exec(const QString &sql);

    Keys &keysOf(const sim::Terminal &terminal);
    bool writeLine(const sim::State &state);
    bool writeTerminalRow(const sim::Terminal &terminal, int order);
    bool writePointers(const sim::Terminal &terminal);
    bool writeEntry(int64_t terminalId, int64_t key, const sim::Entry &entry);
    bool writeTerminalWhole(const sim::Terminal &terminal, int order);
    bool clearTerminal(int64_t terminalId);
    int orderOf(const sim::Terminal &terminal) const;
    // Room for a key before `index`: keys around it are spread out if needed.
    bool makeRoom(const sim::Terminal &terminal, Keys &keys, std::size_t index);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_failed = false;
    std::map<std::string, Keys> m_keys;
    int64_t m_nextId = 1;
    std::function<void(const QString &)> m_problem;

    std::unique_ptr<QSqlQuery> m_insertEntry, m_deleteEntry, m_updateTerminal, m_updatePointers;
};

} // namespace velmora::terminal
