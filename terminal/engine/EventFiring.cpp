#include "terminal/engine/EventFiring.h"

#include "clock/ClockCalendar.h"
#include "config/EventFunctions.h"

#include <algorithm>

namespace terminal::engine {

namespace function = config::function;
using clocktime::DayOf;
using clocktime::FloorDiv;
using clocktime::kSecondsPerDay;
using clocktime::SecondOfDay;

namespace {

bool patternBit(uint32_t mask, int64_t second)
{
    return second >= 0 && second < kRingPatternSeconds && ((mask >> second) & 1u) != 0;
}

bool onWeekday(const SlotEvent &event, int64_t day)
{
    return ((event.weekdayMask >> clocktime::WeekdayOf(day * kSecondsPerDay)) & 1u) != 0;
}

bool isRelay1Switch(int32_t f)
{
    return f == function::kRelay1On || f == function::kRelay1Off;
}

bool repeats(const SlotEvent &event)
{
    return event.period > 0 && event.repeats > 0;
}

// Latest daily occurrence start at or before `clock`, within the past week.
std::optional<int64_t> lastOccurrence(const SlotEvent &event, int64_t clock)
{
    const int64_t today = DayOf(clock);
    const int64_t time = SecondOfDay(event.seconds);
    for (int64_t day = today; day >= today - 7; --day) {
        const int64_t start = day * kSecondsPerDay + time;
        if (start <= clock && onWeekday(event, day))
            return start;
    }
    return std::nullopt;
}

} // namespace

SlotEvent slotEvent(int slot, const Event &event)
{
    return SlotEvent{slot,     event[0], event[1], event[2], event[3],
                     static_cast<uint32_t>(event[4]), static_cast<uint32_t>(event[5])};
}

Event storedEvent(const SlotEvent &event)
{
    return Event{event.seconds,  event.period, event.repeats, event.function,
                 static_cast<int32_t>(event.ringMask), static_cast<int32_t>(event.weekdayMask)};
}

bool isEmptyEvent(const Event &event)
{
    return event == Event{};
}

std::vector<SlotEvent> heldEvents(const std::array<std::optional<Event>, kEventSlots> &table)
{
    std::vector<SlotEvent> held;
    for (int slot = 0; slot < kEventSlots; ++slot)
        if (const auto &event = table[static_cast<std::size_t>(slot)]; event && !isEmptyEvent(*event))
            held.push_back(slotEvent(slot, *event));
    return held;
}

std::optional<Lamp> lampOf(int32_t f)
{
    switch (f) {
    case function::kBeep1: return Lamp::Beep1;
    case function::kBeep2: return Lamp::Beep2;
    case function::kRingRelay1: return Lamp::Relay1;
    case function::kRingRelay2: return Lamp::Relay2;
    default: return std::nullopt;
    }
}

bool ringsAt(const SlotEvent &event, int64_t clock)
{
    if (!lampOf(event.function))
        return false;
    const int64_t time = SecondOfDay(event.seconds);
    for (int64_t day = DayOf(clock) - 1; day <= DayOf(clock); ++day) {
        if (!onWeekday(event, day))
            continue;
        const int64_t offset = clock - (day * kSecondsPerDay + time);
        if (offset < 0 || offset >= kSecondsPerDay)
            continue;
        if (!repeats(event)) {
            if (patternBit(event.ringMask, offset))
                return true;
            continue;
        }
        // Only the repeats whose 32-second pattern covers this second.
        const int64_t period = event.period;
        const int64_t last = std::min<int64_t>(event.repeats, offset / period);
        const int64_t first = std::max<int64_t>(0, FloorDiv(offset - kRingPatternSeconds, period) + 1);
        for (int64_t k = first; k <= last; ++k)
            if (patternBit(event.ringMask, offset - k * period))
                return true;
    }
    return false;
}

bool relay1HeldOn(const std::vector<SlotEvent> &events, int64_t clock)
{
    std::optional<int64_t> latest;
    bool on = false;
    for (const SlotEvent &event : events) {
        if (!isRelay1Switch(event.function))
            continue;
        const auto at = lastOccurrence(event, clock);
        if (!at)
            continue;
        const bool isOn = event.function == function::kRelay1On;
        if (!latest || *at > *latest || (*at == *latest && !isOn)) {
            latest = at;
            on = isOn;
        }
    }
    return on;
}

Lamps lampsAt(const std::vector<SlotEvent> &events, int64_t clock)
{
    Lamps lamps{};
    for (const SlotEvent &event : events)
        if (const auto lamp = lampOf(event.function); lamp && ringsAt(event, clock))
            lamps[static_cast<std::size_t>(*lamp)] = true;
    if (relay1HeldOn(events, clock))
        lamps[static_cast<std::size_t>(Lamp::Relay1)] = true;
    return lamps;
}

int64_t clockShiftDue(const SlotEvent &event, int64_t before, int64_t now)
{
    if (!(before < event.seconds && event.seconds <= now))
        return 0;
    if (event.function == function::kSummerTime)
        return kClockChangeShift;
    if (event.function == function::kWinterTime)
        return -kClockChangeShift;
    return 0;
}

std::optional<int64_t> nextFiring(const SlotEvent &event, int64_t clock)
{
    if (isClockChange(event.function))
        return event.seconds >= clock ? std::optional<int64_t>(event.seconds) : std::nullopt;
    if (!lampOf(event.function) && !isRelay1Switch(event.function))
        return std::nullopt;
    const int64_t time = SecondOfDay(event.seconds);
    const bool ring = lampOf(event.function).has_value() && repeats(event);
    std::optional<int64_t> best;
    for (int64_t day = DayOf(clock) - 1; day <= DayOf(clock) + 7; ++day) {
        if (!onWeekday(event, day))
            continue;
        const int64_t start = day * kSecondsPerDay + time;
        std::optional<int64_t> candidate;
        if (start >= clock) {
            candidate = start;
        } else if (ring) {
            const int64_t k = FloorDiv(clock - start + event.period - 1, event.period);
            if (k <= event.repeats && k * event.period < kSecondsPerDay)
                candidate = start + k * event.period;
        }
        if (candidate && (!best || *candidate < *best))
            best = candidate;
    }
    return best;
}

std::optional<NextEvent> nextEvent(const std::vector<SlotEvent> &events, int64_t clock,
                                   const std::set<int> &spent)
{
    std::optional<NextEvent> best;
    for (const SlotEvent &event : events) {
        if (spent.count(event.slot) != 0)
            continue;
        const auto at = nextFiring(event, clock);
        if (at && (!best || *at < best->at))
            best = NextEvent{event.slot, *at};
    }
    return best;
}

int64_t advanceClockChanges(ClockChangeWatch &watch, const std::vector<SlotEvent> &events,
                            int64_t clock)
{
    if (!watch.seenClock) {
        watch.seenClock = clock;
        return 0;
    }
    // A slot written anew may fire again.
    for (auto it = watch.spent.begin(); it != watch.spent.end();) {
        const bool same = std::any_of(events.begin(), events.end(), [&](const SlotEvent &e) {
            return e == slotEvent(it->first, it->second);
        });
        it = same ? std::next(it) : watch.spent.erase(it);
    }
    int64_t shift = 0;
    for (const SlotEvent &event : events) {
        if (watch.spent.count(event.slot) != 0)
            continue;
        if (const int64_t due = clockShiftDue(event, *watch.seenClock, clock); due != 0) {
            shift += due;
            watch.spent.emplace(event.slot, storedEvent(event));
        }
    }
    watch.seenClock = clock + shift;
    return shift;
}

std::set<int> spentSlots(const std::map<int, Event> &spent)
{
    std::set<int> slots;
    for (const auto &[slot, event] : spent)
        slots.insert(slot);
    return slots;
}

} // namespace terminal::engine
