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

bool PatternBit(uint32_t mask, int64_t second)
{
    return second >= 0 && second < kRingPatternSeconds && ((mask >> second) & 1u) != 0;
}

bool OnWeekday(const SlotEvent &event, int64_t day)
{
    return ((event.weekdayMask >> clocktime::WeekdayOf(day * kSecondsPerDay)) & 1u) != 0;
}

bool IsRelay1Switch(int32_t f)
{
    return f == function::kRelay1On || f == function::kRelay1Off;
}

bool Repeats(const SlotEvent &event)
{
    return event.period > 0 && event.repeats > 0;
}

// Latest daily occurrence start at or before `clock`, within the past week.
std::optional<int64_t> LastOccurrence(const SlotEvent &event, int64_t clock)
{
    const int64_t today = DayOf(clock);
    const int64_t time = SecondOfDay(event.seconds);
    for (int64_t day = today; day >= today - 7; --day) {
        const int64_t start = day * kSecondsPerDay + time;
        if (start <= clock && OnWeekday(event, day))
            return start;
    }
    return std::nullopt;
}

} // namespace

SlotEvent SlotEventOf(int slot, const Event &event)
{
    return SlotEvent{slot,     event[0], event[1], event[2], event[3],
                     static_cast<uint32_t>(event[4]), static_cast<uint32_t>(event[5])};
}

Event StoredEvent(const SlotEvent &event)
{
    return Event{event.seconds,  event.period, event.repeats, event.function,
                 static_cast<int32_t>(event.ringMask), static_cast<int32_t>(event.weekdayMask)};
}

bool IsEmptyEvent(const Event &event)
{
    return event == Event{};
}

std::vector<SlotEvent> HeldEvents(const std::array<std::optional<Event>, kEventSlots> &table)
{
    std::vector<SlotEvent> held;
    for (int slot = 0; slot < kEventSlots; ++slot)
        if (const auto &event = table[static_cast<std::size_t>(slot)]; event && !IsEmptyEvent(*event))
            held.push_back(SlotEventOf(slot, *event));
    return held;
}

std::optional<Lamp> LampOf(int32_t f)
{
    switch (f) {
    case function::kBeep1: return Lamp::Beep1;
    case function::kBeep2: return Lamp::Beep2;
    case function::kRingRelay1: return Lamp::Relay1;
    case function::kRingRelay2: return Lamp::Relay2;
    default: return std::nullopt;
    }
}

bool RingsAt(const SlotEvent &event, int64_t clock)
{
    if (!LampOf(event.function))
        return false;
    const int64_t time = SecondOfDay(event.seconds);
    for (int64_t day = DayOf(clock) - 1; day <= DayOf(clock); ++day) {
        if (!OnWeekday(event, day))
            continue;
        const int64_t offset = clock - (day * kSecondsPerDay + time);
        if (offset < 0 || offset >= kSecondsPerDay)
            continue;
        if (!Repeats(event)) {
            if (PatternBit(event.ringMask, offset))
                return true;
            continue;
        }
        // Only the repeats whose 32-second pattern covers this second.
        const int64_t period = event.period;
        const int64_t last = std::min<int64_t>(event.repeats, offset / period);
        const int64_t first = std::max<int64_t>(0, FloorDiv(offset - kRingPatternSeconds, period) + 1);
        for (int64_t k = first; k <= last; ++k)
            if (PatternBit(event.ringMask, offset - k * period))
                return true;
    }
    return false;
}

bool Relay1HeldOn(const std::vector<SlotEvent> &events, int64_t clock)
{
    std::optional<int64_t> latest;
    bool on = false;
    for (const SlotEvent &event : events) {
        if (!IsRelay1Switch(event.function))
            continue;
        const auto at = LastOccurrence(event, clock);
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

Lamps LampsAt(const std::vector<SlotEvent> &events, int64_t clock)
{
    Lamps lamps{};
    for (const SlotEvent &event : events)
        if (const auto lamp = LampOf(event.function); lamp && RingsAt(event, clock))
            lamps[static_cast<std::size_t>(*lamp)] = true;
    if (Relay1HeldOn(events, clock))
        lamps[static_cast<std::size_t>(Lamp::Relay1)] = true;
    return lamps;
}

int64_t ClockShiftDue(const SlotEvent &event, int64_t before, int64_t now)
{
    if (!(before < event.seconds && event.seconds <= now))
        return 0;
    if (event.function == function::kSummerTime)
        return kClockChangeShift;
    if (event.function == function::kWinterTime)
        return -kClockChangeShift;
    return 0;
}

std::optional<int64_t> NextFiring(const SlotEvent &event, int64_t clock)
{
    if (IsClockChange(event.function))
        return event.seconds >= clock ? std::optional<int64_t>(event.seconds) : std::nullopt;
    if (!LampOf(event.function) && !IsRelay1Switch(event.function))
        return std::nullopt;
    const int64_t time = SecondOfDay(event.seconds);
    const bool ring = LampOf(event.function).has_value() && Repeats(event);
    std::optional<int64_t> best;
    for (int64_t day = DayOf(clock) - 1; day <= DayOf(clock) + 7; ++day) {
        if (!OnWeekday(event, day))
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

std::optional<NextEvent> NextEventOf(const std::vector<SlotEvent> &events, int64_t clock,
                                   const std::set<int> &spent)
{
    std::optional<NextEvent> best;
    for (const SlotEvent &event : events) {
        if (spent.count(event.slot) != 0)
            continue;
        const auto at = NextFiring(event, clock);
        if (at && (!best || *at < best->at))
            best = NextEvent{event.slot, *at};
    }
    return best;
}

int64_t AdvanceClockChanges(ClockChangeWatch &watch, const std::vector<SlotEvent> &events,
                            int64_t clock)
{
    if (!watch.seenClock) {
        watch.seenClock = clock;
        return 0;
    }
    // A slot written anew may fire again.
    for (auto it = watch.spent.begin(); it != watch.spent.end();) {
        const bool same = std::any_of(events.begin(), events.end(), [&](const SlotEvent &e) {
            return e == SlotEventOf(it->first, it->second);
        });
        it = same ? std::next(it) : watch.spent.erase(it);
    }
    int64_t shift = 0;
    for (const SlotEvent &event : events) {
        if (watch.spent.count(event.slot) != 0)
            continue;
        if (const int64_t due = ClockShiftDue(event, *watch.seenClock, clock); due != 0) {
            shift += due;
            watch.spent.emplace(event.slot, StoredEvent(event));
        }
    }
    watch.seenClock = clock + shift;
    return shift;
}

std::set<int> SpentSlots(const std::map<int, Event> &spent)
{
    std::set<int> slots;
    for (const auto &[slot, event] : spent)
        slots.insert(slot);
    return slots;
}

} // namespace terminal::engine
