#include "terminal/program/StoredEntryMemory.h"

#include "terminal/program/OrderKeyPlacement.h"
#include "terminal/program/StoredValues.h"

#include <QSqlRecord>
#include <QVariant>

#include <algorithm>

namespace terminal::program {

using engine::Entry;

namespace {

const QString kTerminal = QStringLiteral(":terminal_id");
const QString kBlock = QStringLiteral(":block_key");

bool WriteEntry(StoreDatabase &db, int64_t terminalId, int64_t block, int64_t slot, const Entry &entry)
{
    QSqlQuery &q = db.prepared(QStringLiteral(
        "INSERT INTO entries(terminal_id, block_key, slot_key, seconds, card_code, aux1, "
        "justification, presence, origin, serial) VALUES (:terminal_id, :block_key, :slot_key, "
        ":seconds, :card_code, :aux1, :justification, :presence, :origin, :serial)"));
    q.bindValue(kTerminal, qint64(terminalId));
    q.bindValue(kBlock, qint64(block));
    q.bindValue(QStringLiteral(":slot_key"), qint64(slot));
    q.bindValue(QStringLiteral(":seconds"), entry.seconds);
    q.bindValue(QStringLiteral(":card_code"), entry.cardCode);
    q.bindValue(QStringLiteral(":aux1"), int(entry.aux1));
    q.bindValue(QStringLiteral(":justification"), int(entry.justification));
    q.bindValue(QStringLiteral(":presence"), int(entry.presence));
    q.bindValue(QStringLiteral(":origin"), int(entry.origin));
    q.bindValue(QStringLiteral(":serial"), entry.serial);
    return db.run(q);
}

bool InsertBlock(StoreDatabase &db, int64_t terminalId, int64_t block, std::size_t count)
{
    QSqlQuery &q = db.prepared(QStringLiteral(
        "INSERT INTO entry_blocks(terminal_id, block_key, entry_count) "
        "VALUES (:terminal_id, :block_key, :entry_count)"));
    q.bindValue(kTerminal, qint64(terminalId));
    q.bindValue(kBlock, qint64(block));
    q.bindValue(QStringLiteral(":entry_count"), qint64(count));
    return db.run(q);
}

} // namespace

StoredEntryMemory::StoredEntryMemory(StoreDatabase &db, int64_t terminalId) : m_db(db), m_terminalId(terminalId)
{
}

bool StoredEntryMemory::load()
{
    m_blocks.clear();
    dropCache();
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "SELECT block_key, entry_count FROM entry_blocks WHERE terminal_id = :terminal_id "
        "ORDER BY block_key"));
    q.setForwardOnly(true);
    q.bindValue(kTerminal, qint64(m_terminalId));
    if (!m_db.run(q))
        return false;
    const int key = q.record().indexOf(QStringLiteral("block_key"));
    const int count = q.record().indexOf(QStringLiteral("entry_count"));
    while (q.next())
        m_blocks.push_back({q.value(key).toLongLong(), std::size_t(std::max<qlonglong>(0, q.value(count).toLongLong()))});
    q.finish();
    recount();
    return true;
}

bool StoredEntryMemory::rowsHoldTogether(StoreDatabase &db)
{
    // Each block's rows counted through the key; the totals then leave no
    // room for rows outside any block.
    QSqlQuery &q = db.prepared(QStringLiteral(
        "SELECT EXISTS (SELECT 1 FROM entry_blocks b WHERE b.entry_count <> "
        "(SELECT count(*) FROM entries e WHERE e.terminal_id = b.terminal_id "
        "AND e.block_key = b.block_key)) "
        "OR (SELECT count(*) FROM entries) <> (SELECT coalesce(sum(entry_count), 0) FROM entry_blocks) "
        "AS apart"));
    q.setForwardOnly(true);
    if (!db.run(q))
        return false;
    const bool apart = !q.next() || q.value(0).toBool();
    q.finish();
    if (apart)
        db.fail(QStringLiteral("its contents do not hold together"));
    return !apart;
}

bool StoredEntryMemory::writeAll(StoreDatabase &db, int64_t terminalId, const std::vector<Entry> &entries)
{
    const std::vector<int64_t> slotKeys = FreshOrderKeys(kBlockEntries);
    for (std::size_t first = 0, block = 0; first < entries.size(); first += kBlockEntries, ++block) {
        const std::size_t count = std::min(kBlockEntries, entries.size() - first);
        const int64_t key = int64_t(block) * kBlockKeyGap;
        if (!InsertBlock(db, terminalId, key, count))
            return false;
        for (std::size_t i = 0; i < count; ++i)
            if (!WriteEntry(db, terminalId, key, slotKeys[i], entries[first + i]))
                return false;
    }
    return true;
}

void StoredEntryMemory::recount()
{
    m_starts.resize(m_blocks.size());
    m_size = 0;
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        m_starts[b] = m_size;
        m_size += m_blocks[b].count;
    }
}

std::pair<std::size_t, std::size_t> StoredEntryMemory::locate(std::size_t index) const
{
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), index);
    const auto block = std::size_t(after - m_starts.begin()) - 1;
    return {block, index - m_starts[block]};
}

bool StoredEntryMemory::readBlock(std::size_t block) const
{
    const int64_t key = m_blocks[block].key;
    if (m_cachedKey == key)
        return true;
    dropCache();
    m_cachedSlots.clear();
    m_cachedEntries.clear();
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "SELECT slot_key, seconds, card_code, aux1, justification, presence, origin, serial "
        "FROM entries WHERE terminal_id = :terminal_id AND block_key = :block_key ORDER BY slot_key"));
    q.setForwardOnly(true);
    q.bindValue(kTerminal, qint64(m_terminalId));
    q.bindValue(kBlock, qint64(key));
    if (!m_db.run(q))
        return false;
    const QSqlRecord columns = q.record();
    const auto column = [&](const char *name) { return columns.indexOf(QLatin1String(name)); };
    const int slot = column("slot_key"), seconds = column("seconds"), card = column("card_code"),
              aux1 = column("aux1"), justification = column("justification"),
              presence = column("presence"), origin = column("origin"), serial = column("serial");
    // A number outside its field (a hostile file, or a row changed behind
    // the program's back) never becomes a wrapped value.
    CheckedNumbers numbers;
    while (q.next()) {
        m_cachedSlots.push_back(q.value(slot).toLongLong());
        Entry e;
        e.seconds = numbers.int32(q.value(seconds));
        e.cardCode = numbers.int32(q.value(card));
        e.aux1 = numbers.byte(q.value(aux1));
        e.justification = numbers.byte(q.value(justification));
        e.presence = numbers.byte(q.value(presence));
        e.origin = numbers.int32(q.value(origin), 0, 1) == 1 ? engine::Origin::Inserted : engine::Origin::Card;
        e.serial = numbers.int32(q.value(serial));
        m_cachedEntries.push_back(e);
    }
    q.finish();
    if (!numbers.sound() || m_cachedEntries.size() != m_blocks[block].count) {
        m_db.fail(QStringLiteral("its contents do not hold together"));
        if (m_unsound)
            m_unsound();
        return false;
    }
    m_cachedKey = key;
    return true;
}

Entry StoredEntryMemory::at(std::size_t index) const
{
    if (index >= m_size)
        return {};
    const auto [block, place] = locate(index);
    return readBlock(block) ? m_cachedEntries[place] : Entry{};
}

bool StoredEntryMemory::writeCount(std::size_t block)
{
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "UPDATE entry_blocks SET entry_count = :entry_count "
        "WHERE terminal_id = :terminal_id AND block_key = :block_key"));
    q.bindValue(QStringLiteral(":entry_count"), qint64(m_blocks[block].count));
    q.bindValue(kTerminal, qint64(m_terminalId));
    q.bindValue(kBlock, qint64(m_blocks[block].key));
    return m_db.run(q);
}

// The second half of a full block moves to a new block after it. False
// when the block keys leave no room there: the block then grows on.
bool StoredEntryMemory::split(std::size_t block)
{
    std::vector<int64_t> keys;
    keys.reserve(m_blocks.size());
    for (const Block &b : m_blocks)
        keys.push_back(b.key);
    const OrderKeyPlacement placement = PlaceOrderKey(keys, block + 1, kBlockKeyGap);
    if (!placement.movedKeys.empty() || !readBlock(block))
        return false;
    const std::size_t half = m_blocks[block].count / 2;
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "UPDATE entries SET block_key = :new_block_key WHERE terminal_id = :terminal_id "
        "AND block_key = :block_key AND slot_key >= :from"));
    q.bindValue(QStringLiteral(":new_block_key"), qint64(placement.key));
    q.bindValue(kTerminal, qint64(m_terminalId));
    q.bindValue(kBlock, qint64(m_blocks[block].key));
    q.bindValue(QStringLiteral(":from"), qint64(m_cachedSlots[half]));
    const std::size_t moved = m_blocks[block].count - half;
    m_blocks[block].count = half;
    if (!m_db.run(q) || !writeCount(block) || !InsertBlock(m_db, m_terminalId, placement.key, moved))
        return false;
    m_blocks.insert(m_blocks.begin() + std::ptrdiff_t(block + 1), Block{placement.key, moved});
    dropCache();
    recount();
    return true;
}

bool StoredEntryMemory::insertInto(std::size_t block, std::size_t place, const Entry &entry)
{
    if (!readBlock(block))
        return false;
    const int64_t blockKey = m_blocks[block].key;
    const OrderKeyPlacement placement = PlaceOrderKey(m_cachedSlots, place);
    if (!placement.movedKeys.empty()) {
        QSqlQuery &del = m_db.prepared(QStringLiteral(
            "DELETE FROM entries WHERE terminal_id = :terminal_id AND block_key = :block_key "
            "AND slot_key >= :from AND slot_key <= :to"));
        del.bindValue(kTerminal, qint64(m_terminalId));
        del.bindValue(kBlock, qint64(blockKey));
        del.bindValue(QStringLiteral(":from"), qint64(m_cachedSlots[placement.firstMoved]));
        del.bindValue(QStringLiteral(":to"),
                      qint64(m_cachedSlots[placement.firstMoved + placement.movedKeys.size() - 1]));
        if (!m_db.run(del))
            return false;
        for (std::size_t n = 0; n < placement.movedKeys.size(); ++n)
            if (!WriteEntry(m_db, m_terminalId, blockKey, placement.movedKeys[n],
                            m_cachedEntries[placement.firstMoved + n]))
                return false;
    }
    if (!WriteEntry(m_db, m_terminalId, blockKey, placement.key, entry))
        return false;
    ApplyOrderKey(m_cachedSlots, place, placement);
    m_cachedEntries.insert(m_cachedEntries.begin() + std::ptrdiff_t(place), entry);
    ++m_blocks[block].count;
    recount();
    return writeCount(block);
}

void StoredEntryMemory::insert(std::size_t index, const Entry &entry)
{
    if (!m_db.joinTransaction())
        return;
    // Appending past a full last block starts a new one, so blocks filled in
    // order stay full.
    if (m_blocks.empty() || (index >= m_size && m_blocks.back().count >= kBlockEntries)) {
        const int64_t key = m_blocks.empty() ? 0 : m_blocks.back().key + kBlockKeyGap;
        if (!InsertBlock(m_db, m_terminalId, key, 0))
            return;
        m_blocks.push_back({key, 0});
        recount();
    }
    // At the end, the last block takes it.
    auto [block, place] = index >= m_size ? std::pair{m_blocks.size() - 1, m_blocks.back().count} : locate(index);
    if (m_blocks[block].count >= kBlockEntries && split(block) && place >= m_blocks[block].count) {
        place -= m_blocks[block].count;
        ++block;
    }
    if (!m_db.failed())
        insertInto(block, place, entry);
}

bool StoredEntryMemory::dropBlock(std::size_t block)
{
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "DELETE FROM entry_blocks WHERE terminal_id = :terminal_id AND block_key = :block_key"));
    q.bindValue(kTerminal, qint64(m_terminalId));
    q.bindValue(kBlock, qint64(m_blocks[block].key));
    if (!m_db.run(q))
        return false;
    m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(block));
    dropCache();
    recount();
    return true;
}

void StoredEntryMemory::erase(std::size_t index)
{
    if (index >= m_size || !m_db.joinTransaction())
        return;
    const auto [block, place] = locate(index);
    if (!readBlock(block))
        return;
    QSqlQuery &q = m_db.prepared(QStringLiteral(
        "DELETE FROM entries WHERE terminal_id = :terminal_id AND block_key = :block_key "
        "AND slot_key = :slot_key"));
    q.bindValue(kTerminal, qint64(m_terminalId));
    q.bindValue(kBlock, qint64(m_blocks[block].key));
    q.bindValue(QStringLiteral(":slot_key"), qint64(m_cachedSlots[place]));
    if (!m_db.run(q))
        return;
    m_cachedSlots.erase(m_cachedSlots.begin() + std::ptrdiff_t(place));
    m_cachedEntries.erase(m_cachedEntries.begin() + std::ptrdiff_t(place));
    if (--m_blocks[block].count == 0) {
        dropBlock(block);
        return;
    }
    recount();
    writeCount(block);
}

void StoredEntryMemory::truncate(std::size_t count)
{
    if (count >= m_size || !m_db.joinTransaction())
        return;
    auto [block, place] = locate(count);
    // Whole blocks from the one holding `count` (or the next) on go in two range deletes.
    const std::size_t firstWhole = place == 0 ? block : block + 1;
    if (firstWhole < m_blocks.size()) {
        for (const char *table : {"entries", "entry_blocks"}) {
            QSqlQuery &q = m_db.prepared(QStringLiteral("DELETE FROM %1 WHERE terminal_id = :terminal_id "
                                                        "AND block_key >= :block_key")
                                             .arg(QLatin1String(table)));
            q.bindValue(kTerminal, qint64(m_terminalId));
            q.bindValue(kBlock, qint64(m_blocks[firstWhole].key));
            if (!m_db.run(q))
                return;
        }
        m_blocks.resize(firstWhole);
        dropCache();
    }
    if (place > 0 && readBlock(block)) {
        QSqlQuery &q = m_db.prepared(QStringLiteral(
            "DELETE FROM entries WHERE terminal_id = :terminal_id AND block_key = :block_key "
            "AND slot_key >= :from"));
        q.bindValue(kTerminal, qint64(m_terminalId));
        q.bindValue(kBlock, qint64(m_blocks[block].key));
        q.bindValue(QStringLiteral(":from"), qint64(m_cachedSlots[place]));
        if (!m_db.run(q))
            return;
        m_cachedSlots.resize(place);
        m_cachedEntries.resize(place);
        m_blocks[block].count = place;
        writeCount(block);
    }
    recount();
}

} // namespace terminal::program
