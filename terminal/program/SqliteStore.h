#pragma once
// The terminal's memory on disk: one SQLite file per port, through Qt SQL.
// Each change the engine reports is one transaction, committed before the
// engine answers the call that made it.

#include "terminal/engine/Store.h"
#include "terminal/engine/SimState.h"
#include "terminal/program/LineService.h"
#include "terminal/program/StoreDatabase.h"
#include "terminal/program/StoredEntryMemory.h"

#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace terminal::program {

// What opening the file found.
struct OpenResult
{
    bool ok = false;
    bool fresh = false;      // nothing usable was there: the state was written anew
    QString message;         // for the window: a file moved aside, or why nothing works
    QString movedAside;      // where the unusable file went
};

// What a file holds of the line.
struct StoredLine
{
    std::vector<engine::Terminal> terminals;
    std::string pcName;
    int32_t confirmationsA = 0;
    int32_t confirmationsB = 0;
    std::size_t entryCapacity = engine::kDefaultEntryCapacity;
    bool zeroTerminatedNames = false;
    Pace pace = Pace::Wire;
};

class SqliteStore final : public engine::Store
{
public:
    explicit SqliteStore(QString path);
    // Entries the store held come back into the process.
    ~SqliteStore() override;

    // Loads the engine's state from the file, or writes the engine's present
    // state (a fresh terminal) when there is no usable file. A file that is
    // unreadable or from a newer version is moved aside, never overwritten.
    OpenResult open();

    // The pace kept in the file (wire pace when there is none); while the
    // program runs, the line service holds it.
    Pace pace();
    void savePace(Pace pace);

    // Called, with the message the window would show, once an entry block
    // read turns out not to hold together: the file has then been closed and
    // moved aside, and nothing more may be answered from it.
    void setUnsoundHandler(std::function<void(const QString &)> handler)
    {
        m_unsound = std::move(handler);
    }
    // Called with a message when a change could not be committed.
    void setProblemHandler(std::function<void(const QString &)> handler)
    {
        m_problem = std::move(handler);
    }

    void lineChanged(const engine::State &state) override;
    void terminalChanged(const engine::Terminal &terminal) override;
    void pointersChanged(const engine::Terminal &terminal) override;
    // Kept until confirmDeliveries(): the reader pointer in the file stays
    // where the last answer known to have arrived left it.
    void entryDelivered(const engine::Terminal &terminal) override;
    // The answers given so far have arrived (the line sent its next request).
    void confirmDeliveries();
    // The last answer never arrived: the reader pointers the deliveries since
    // the last confirmation moved go back, so their entries come again.
    void returnDeliveries();
    void entryInserted(const engine::Terminal &terminal, std::size_t index) override;
    void entryErased(const engine::Terminal &terminal, std::size_t index) override;
    void entriesCut(const engine::Terminal &terminal) override;
    void eventChanged(const engine::Terminal &terminal, int slot) override;
    void messageChanged(const engine::Terminal &terminal, int32_t employee, int32_t kind) override;
    void employeeChanged(const engine::Terminal &terminal, int32_t employee) override;
    void terminalReplaced(const engine::Terminal &terminal) override;
    void allReplaced(const engine::State &state) override;

private:
    std::optional<StoredLine> load();
    bool loadTerminals(StoredLine &line);
    bool loadTerminalDetails(engine::Terminal &terminal, int64_t id);
    // One transaction; its first failure goes to the problem handler.
    bool change(const char *what, const std::function<bool()> &work);

    int64_t idOf(const engine::Terminal &terminal);
    int orderOf(const engine::Terminal &terminal) const;
    // The terminal's entries when this store holds them, else null.
    StoredEntryMemory *heldHere(const engine::Terminal &terminal) const;
    // The store holds the terminal's entries from now on.
    bool adopt(const engine::Terminal &terminal, int64_t id);
    std::unique_ptr<StoredEntryMemory> entryMemory(int64_t id);
    void setAsideUnsound();
    void reloadEntries();
    bool writeLine(const engine::State &state);
    bool writeTerminalRow(const engine::Terminal &terminal, int order);
    bool writePointers(const engine::Terminal &terminal);
    bool writeMessage(const engine::Terminal &terminal, int32_t employee, int32_t kind);
    bool writeEvent(const engine::Terminal &terminal, int slot);
    bool writeEmployee(const engine::Terminal &terminal, int32_t employee);
    bool writeTerminalWhole(const engine::Terminal &terminal, int order);
    // A terminal's rows of `table`, or only the one whose `keyColumn` is `key`.
    bool deleteRows(const char *table, int64_t terminalId, const char *keyColumn = nullptr, int32_t key = 0);
    bool clearTerminal(int64_t terminalId);

    // The reader pointer the file holds while deliveries wait for their
    // confirmation; it no longer applies once something else moved the pointer.
    struct Unconfirmed
    {
        int32_t confirmed = 0;
        int32_t delivered = 0;
    };
    int32_t readerPointerToKeep(const engine::Terminal &terminal);

    StoreDatabase m_db;
    std::map<std::string, Unconfirmed> m_unconfirmed;
    std::map<std::string, int64_t> m_ids;
    int64_t m_nextId = 1;
    std::function<void(const QString &)> m_problem;
    std::function<void(const QString &)> m_unsound;
};

} // namespace terminal::program
