#pragma once
// The calendar of the clock second count, without Qt: day 0 is 1996-01-01 (a
// Monday) of the PC's local wall-clock time and every day is 86400 seconds.
// The engine, the panel and the program all count days through these.

#include <cstdint>
#include <limits>
#include <optional>

namespace clocktime {

inline constexpr int64_t kSecondsPerDay = 86400;

constexpr int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Day number of a proleptic Gregorian date (astronomical years: 0 is 1 BC),
// counted from 1996-01-01.
constexpr int64_t DayOfDate(int64_t year, int month, int day)
{
    // By 400-year eras counted from 0000-03-01; 1996-01-01 is day 728964 there.
    year -= month <= 2 ? 1 : 0;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 728964;
}

struct CivilDate
{
    int64_t year;
    int month; // 1..12
    int day;   // 1..31

    constexpr bool operator==(const CivilDate &) const = default;
};

constexpr CivilDate CivilDateOfDay(int64_t day)
{
    const int64_t z = day + 728964;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int d = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return CivilDate{yearOfEra + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

// The day of a count, floored: -1 is the last second of 1995-12-31.
constexpr int64_t DayOf(int64_t clock) { return FloorDiv(clock, kSecondsPerDay); }
constexpr int64_t SecondOfDay(int64_t clock) { return clock - DayOf(clock) * kSecondsPerDay; }
// 0 Monday .. 6 Sunday.
constexpr int WeekdayOf(int64_t clock)
{
    return static_cast<int>(DayOf(clock) - FloorDiv(DayOf(clock), 7) * 7);
}

// The count when it fits the terminal's 32-bit clock.
constexpr std::optional<int32_t> ToClockSeconds(int64_t seconds)
{
    if (seconds < std::numeric_limits<int32_t>::min()
        || seconds > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(seconds);
}

static_assert(DayOfDate(1996, 1, 1) == 0);
static_assert(CivilDateOfDay(0) == CivilDate{1996, 1, 1});

} // namespace clocktime
