#pragma once
// The card codes of a terminal's entries in memory order: what the store
// tests compare after a file is reopened.
#include "terminal/engine/SimState.h"

#include <cstdint>
#include <vector>

inline std::vector<int32_t> EntryCards(const terminal::engine::Terminal &t)
{
    std::vector<int32_t> out;
    for (const terminal::engine::Entry &e : t.entries)
        out.push_back(e.cardCode);
    return out;
}
