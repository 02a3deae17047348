#pragma once
// Where a terminal's entries are held. The in-process library keeps them in
// memory; the terminal program keeps them in its file and reads them when
// they are asked for, so neither its start nor its size grows with them.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

namespace terminal::engine {

enum class Origin : int32_t { Card = 0, Inserted = 1 };

struct Entry
{
    int32_t seconds = 0;
    int32_t cardCode = 0;
    uint8_t aux1 = 0;
    uint8_t justification = 0;
    uint8_t presence = 0;
    Origin origin = Origin::Card;
    int32_t serial = 0;
};

class EntryMemory
{
public:
    virtual ~EntryMemory() = default;
    virtual std::size_t size() const = 0;
    virtual Entry at(std::size_t index) const = 0;
    virtual void insert(std::size_t index, const Entry &entry) = 0;
    virtual void erase(std::size_t index) = 0;
    // Keeps the first `count`.
    virtual void truncate(std::size_t count) = 0;
};

class HeldEntryMemory final : public EntryMemory
{
public:
    explicit HeldEntryMemory(std::vector<Entry> entries = {}) : m_entries(std::move(entries)) {}
    std::size_t size() const override { return m_entries.size(); }
    Entry at(std::size_t index) const override { return m_entries[index]; }
    void insert(std::size_t index, const Entry &entry) override
    {
        m_entries.insert(m_entries.begin() + std::ptrdiff_t(index), entry);
    }
    void erase(std::size_t index) override { m_entries.erase(m_entries.begin() + std::ptrdiff_t(index)); }
    void truncate(std::size_t count) override
    {
        if (count < m_entries.size())
            m_entries.resize(count);
    }

private:
    std::vector<Entry> m_entries;
};

// A terminal's entries, by position, whichever memory holds them. A copy
// is held in memory.
class Entries
{
public:
    Entries() : m_memory(std::make_unique<HeldEntryMemory>()) {}
    Entries(const Entries &other) : m_memory(std::make_unique<HeldEntryMemory>(other.all())) {}
    Entries(Entries &&) noexcept = default;
    Entries &operator=(const Entries &other)
    {
        if (this != &other)
            m_memory = std::make_unique<HeldEntryMemory>(other.all());
        return *this;
    }
    Entries &operator=(Entries &&) noexcept = default;

    std::size_t size() const { return m_memory->size(); }
    bool empty() const { return size() == 0; }
    Entry operator[](std::size_t index) const { return m_memory->at(index); }
    Entry front() const { return m_memory->at(0); }
    Entry back() const { return m_memory->at(size() - 1); }
    void append(const Entry &entry) { m_memory->insert(size(), entry); }
    void insert(std::size_t index, const Entry &entry) { m_memory->insert(index, entry); }
    void erase(std::size_t index) { m_memory->erase(index); }
    void truncate(std::size_t count) { m_memory->truncate(count); }
    void clear() { m_memory->truncate(0); }
    std::vector<Entry> all() const
    {
        std::vector<Entry> out;
        out.reserve(size());
        for (std::size_t i = 0; i < size(); ++i)
            out.push_back(m_memory->at(i));
        return out;
    }

    EntryMemory &memory() const { return *m_memory; }
    void setMemory(std::unique_ptr<EntryMemory> memory) { m_memory = std::move(memory); }

    class ConstIterator
    {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Entry;
        using difference_type = std::ptrdiff_t;
        using pointer = const Entry *;
        using reference = Entry;
        ConstIterator(const EntryMemory *memory, std::size_t index) : m_memory(memory), m_index(index) {}
        Entry operator*() const { return m_memory->at(m_index); }
        ConstIterator &operator++()
        {
            ++m_index;
            return *this;
        }
        bool operator==(const ConstIterator &other) const { return m_index == other.m_index; }

    private:
        const EntryMemory *m_memory;
        std::size_t m_index;
    };
    ConstIterator begin() const { return {m_memory.get(), 0}; }
    ConstIterator end() const { return {m_memory.get(), size()}; }

private:
    std::unique_ptr<EntryMemory> m_memory;
};

} // namespace terminal::engine
