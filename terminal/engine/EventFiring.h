#pragma once
// When a terminal's events fire, over its own clock second count: the bells
// and relays they ring, the next one due, and the summer/winter clock
// changes. Pure functions; the engine and the front panel's models call them.

#include "config/EventFunctions.h"
#include "terminal/engine/SimState.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace terminal::engine {

// An event as its slot holds it, field by field.
struct SlotEvent
{
    int slot = 0;
    int32_t seconds = 0;
    int32_t period = 0;
    int32_t repeats = 0;
    int32_t function = 0;
    uint32_t ringMask = 0;
    uint32_t weekdayMask = 0;

    bool operator==(const SlotEvent &) const = default;
};

SlotEvent SlotEventOf(int slot, const Event &event);
Event StoredEvent(const SlotEvent &event);
// What "Clear All Events" writes: a slot holding it is an empty slot.
bool IsEmptyEvent(const Event &event);
// The slots holding an event other than the empty one, in slot order.
std::vector<SlotEvent> HeldEvents(const std::array<std::optional<Event>, kEventSlots> &table);

enum class Lamp { Beep1, Beep2, Relay1, Relay2 };
inline constexpr int kLampCount = 4;
using Lamps = std::array<bool, kLampCount>;

inline constexpr int kRingPatternSeconds = 32;
inline constexpr int64_t kClockChangeShift = 3600;

// Summer or winter time: fires once, at its whole second count.
inline bool IsClockChange(int32_t function)
{
    return function == config::function::kSummerTime || function == config::function::kWinterTime;
}
// The lamp an event rings; none for "Nulo", the empty items and the clock changes.
std::optional<Lamp> LampOf(int32_t function);

// A ringing event at its time of day on each of its weekdays, following bit
// i of the ring pattern in second i; each repeat starts `period` seconds after
// the one before. One day's ringing ends a day after it began.
bool RingsAt(const SlotEvent &event, int64_t clock);
// Relay 1 holds what the latest "Relé 1 ON" / "Relé 1 OFF" left; OFF wins a tie.
bool Relay1HeldOn(const std::vector<SlotEvent> &events, int64_t clock);
Lamps LampsAt(const std::vector<SlotEvent> &events, int64_t clock);

// Summer time puts the clock an hour forward, winter time an hour back, when
// the clock passes the event's whole second count (before < seconds <= now).
int64_t ClockShiftDue(const SlotEvent &event, int64_t before, int64_t now);

// When the event next fires at or after `clock`; none if it never will.
std::optional<int64_t> NextFiring(const SlotEvent &event, int64_t clock);
struct NextEvent
{
    int slot = 0;
    int64_t at = 0;
};
// The earliest firing; `spent` slots (clock changes already made) are left out.
std::optional<NextEvent> NextEventOf(const std::vector<SlotEvent> &events, int64_t clock,
                                   const std::set<int> &spent = {});

// What the clock changes remember of one terminal between two looks at its
// clock: the clock last seen and each spent slot as written when it fired.
struct ClockChangeWatch
{
    std::optional<int64_t> seenClock; // none: the next look only takes note
    std::map<int, Event> spent;
};
// The shift (seconds) to apply to the clock now. Nothing past fires on the
// first look; a spent slot fires again only once written anew.
int64_t AdvanceClockChanges(ClockChangeWatch &watch, const std::vector<SlotEvent> &events,
                            int64_t clock);
std::set<int> SpentSlots(const std::map<int, Event> &spent);

} // namespace terminal::engine
