#pragma once
// How one delivered entry becomes a row of the entry grid: the decisions,
// free of widgets, so that the poll only moves texts around.

#include "link/ReceivedEntry.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace reception {

// Entries further into the terminal's memory are not shown.
constexpr int32_t kHighestShownIndex = 12000000;
// What a negative card code becomes before it is looked up.
constexpr int32_t kNegativeCardCode = 9999;
constexpr int kEntryColumns = 10;
constexpr int kTotalColumn = 7;

using EntryRowTexts = std::array<QString, kEntryColumns>;

// The working card code: a negative one becomes 9999.
constexpr int32_t WorkingCardCode(int32_t cardCode)
{
    return cardCode < 0 ? kNegativeCardCode : cardCode;
}

// The employee-grid row that a working card code names, or 0 for an invalid
// card: codes above 1000 lose 1000, and a row the grid lacks gives 0.
constexpr int32_t EmployeeNumber(int32_t workingCardCode, int employeeGridRows)
{
    int32_t e = workingCardCode;
    if (e > 1000)
        e -= 1000;
    return e >= employeeGridRows ? 0 : e;
}

// The grid row of an entry index; nothing for an index that has no data
// row (negative ones would land in the header or outside the grid) or lies
// past the shown part of the memory.
constexpr std::optional<int> GridRow(int32_t index)
{
    if (index < 0 || index > kHighestShownIndex)
        return std::nullopt;
    return index + 1;
}

// The one character of a code byte. 0, the code of most entries that
// carry none, shows as an empty cell; other control codes would show as
// nothing, so they show as their control pictures: 27 as U+241B, 127 as
// U+2421.
QString CodeText(uint8_t code);

// The ten cell texts of an entry's row; employee is 0 for an invalid card.
EntryRowTexts EntryRow(const ReceivedEntry &entry, int32_t employee,
                       const QString &employeeName, const QString &dateText);

// Header of the Index column after an entry: "Total " and the data rows.
QString TotalText(int gridRows);

} // namespace reception
