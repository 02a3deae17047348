#pragma once
// A terminal's entries in the memory file, read when asked for. Only the
// blocks' keys and counts live in memory, and the one block last read; a
// change writes its rows into the open transaction, which the store's
// handler for that change commits.

#include "terminal/engine/EntryMemory.h"
#include "terminal/program/StoreDatabase.h"

#include <functional>
#include <optional>
#include <vector>

namespace terminal::program {

// Most entries one block takes before it splits in two.
inline constexpr std::size_t kBlockEntries = 128;
inline constexpr int64_t kBlockKeyGap = int64_t{1} << 32;

class StoredEntryMemory final : public engine::EntryMemory
{
public:
    StoredEntryMemory(StoreDatabase &db, int64_t terminalId);

    int64_t terminalId() const { return m_terminalId; }
    const StoreDatabase *database() const { return &m_db; }
    // The block counts from the file; again after a change was rolled back.
    bool load();
    // Over all terminals' rows, at open: every block's count its rows', and
    // no row outside a block. Counted through the key, so the start does not
    // grow with the entries; their numbers are checked as each block is read.
    static bool rowsHoldTogether(StoreDatabase &db);
    // Called when a block read holds a number outside its field or fewer or
    // more rows than counted: the file is not this program's to trust.
    void setUnsoundHandler(std::function<void()> handler) { m_unsound = std::move(handler); }
    // Writes `entries` as this terminal's, in full blocks, into the open transaction.
    static bool writeAll(StoreDatabase &db, int64_t terminalId, const std::vector<engine::Entry> &entries);

    std::size_t size() const override { return m_size; }
    engine::Entry at(std::size_t index) const override;
    void insert(std::size_t index, const engine::Entry &entry) override;
    void erase(std::size_t index) override;
    void truncate(std::size_t count) override;

private:
    struct Block
    {
        int64_t key = 0;
        std::size_t count = 0;
    };
    // The block holding `index` and the place in it.
    std::pair<std::size_t, std::size_t> locate(std::size_t index) const;
    bool readBlock(std::size_t block) const;
    bool writeCount(std::size_t block);
    bool insertInto(std::size_t block, std::size_t place, const engine::Entry &entry);
    bool split(std::size_t block);
    bool dropBlock(std::size_t block);
    void dropCache() const { m_cachedKey.reset(); }
    void recount();

    StoreDatabase &m_db;
    int64_t m_terminalId;
    std::vector<Block> m_blocks;
    std::vector<std::size_t> m_starts; // position of each block's first entry
    std::size_t m_size = 0;
    // The block last read: its key, its entries' keys and the entries.
    mutable std::optional<int64_t> m_cachedKey;
    mutable std::vector<int64_t> m_cachedSlots;
    mutable std::vector<engine::Entry> m_cachedEntries;
    std::function<void()> m_unsound;
};

} // namespace terminal::program
