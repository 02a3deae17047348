#pragma once
// Where a terminal's state lasts. The engine tells the store about each
// change as soon as it has made it, before the operation answers, so a store
// that commits in each call loses nothing that was acknowledged. Without a
// store (the in-process library) nothing lasts beyond the process.

#include <cstddef>
#include <cstdint>

namespace terminal::engine {

struct State;
struct Terminal;
struct Entry;

class Store
{
public:
    virtual ~Store() = default;

    // PC name, confirmations, capacity, delivery form of names.
    virtual void lineChanged(const State &state) = 0;
    // Everything of the terminal held outside its entries, events, messages
    // and employee names: pointers, serial, clock, configuration, spent
    // clock-change slots, ...
    virtual void terminalChanged(const Terminal &terminal) = 0;
    // Only the pointers and the next serial number moved.
    virtual void pointersChanged(const Terminal &terminal) = 0;
    // The reader pointer moved past an entry whose answer is on its way. A
    // store may keep the move until the answer is known to have arrived, so
    // an entry whose answer was lost comes again.
    virtual void entryDelivered(const Terminal &terminal) { pointersChanged(terminal); }
    // Each also implies pointersChanged.
    virtual void entryInserted(const Terminal &terminal, std::size_t index) = 0;
    virtual void entryErased(const Terminal &terminal, std::size_t index) = 0;
    // The terminal kept only its first entries.size() entries.
    virtual void entriesCut(const Terminal &terminal) = 0;
    virtual void eventChanged(const Terminal &terminal, int slot) = 0;
    virtual void messageChanged(const Terminal &terminal, int32_t employee, int32_t kind) = 0;
    virtual void employeeChanged(const Terminal &terminal, int32_t employee) = 0;
    // The terminal as a whole (factory state, a new morning).
    virtual void terminalReplaced(const Terminal &terminal) = 0;
    // The whole line: terminals added, removed or reset.
    virtual void allReplaced(const State &state) = 0;
};

} // namespace terminal::engine
