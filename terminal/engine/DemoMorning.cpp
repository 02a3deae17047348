// The demo morning the library starts with, so a program run without a test
// harness sees entries on its first poll.

#include "terminal/engine/SimState.h"

#include "clock/ClockCalendar.h"

#include <algorithm>

namespace terminal::engine {

namespace {

constexpr int kPassages = 36;
constexpr int kPool = 16;
constexpr int64_t kFrom = 7 * 3600 + 30 * 60;
constexpr int64_t kTo = 12 * 3600 + 30 * 60;

// Own generator so every platform draws the same morning.
struct Draw
{
    uint32_t value = 0x5EED2024u;
    uint32_t next(uint32_t bound)
    {
        value = value * 1664525u + 1013904223u;
        return (value >> 8) % bound;
    }
};

} // namespace

void LoadMorning(Terminal &terminal, int64_t pcNow)
{
    terminal.entries.clear();
    terminal.readerPointer = 0;

    const int64_t dayStart = pcNow - clocktime::SecondOfDay(pcNow);
    if (!clocktime::ToClockSeconds(dayStart) || !clocktime::ToClockSeconds(dayStart + kTo))
        return;

    Draw draw;
    std::array<int32_t, kPool> pool{};
    for (int32_t &employee : pool) {
        do
            employee = 1 + static_cast<int32_t>(draw.next(99));
        while (std::count(pool.begin(), pool.end(), employee) > 1);
    }

    std::array<int64_t, kPassages> times{};
    for (int64_t &time : times)
        time = kFrom + draw.next(static_cast<uint32_t>(kTo - kFrom));
    std::sort(times.begin(), times.end());

    constexpr std::array<std::pair<int, int32_t>, 3> invalid = {{{7, 0}, {19, 2500}, {30, 9999}}};
    for (int i = 0; i < kPassages; ++i) {
        int32_t card = 1000 + pool[draw.next(kPool)];
        for (const auto &[at, code] : invalid)
            if (i == at)
                card = code;
        Entry entry;
        entry.seconds = static_cast<int32_t>(dayStart + times[i]);
        entry.cardCode = card;
        entry.presence = 1;
        entry.origin = Origin::Card;
        entry.serial = terminal.takeSerial();
        terminal.entries.append(entry);
    }
}

} // namespace terminal::engine
