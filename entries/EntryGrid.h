#pragma once
// The entry grid's layout and reset, and the clicks that copy a grid row
// into the entry fields.

#include <QString>

#include <array>

struct Controls;

namespace entries {

constexpr int kEntryColumns = 10;

struct ColumnLayout
{
    const char *header;
    int widthTwips;
};

// Header text and width of each entry-grid column.
extern const std::array<ColumnLayout, kEntryColumns> kEntryGridLayout;

// The entry grid back to its header row and one empty row; both grids'
// headers and widths rewritten.
void ResetEntryGrid(Controls &controls);

// Copies the clicked row's entry index into the Index and Gate #1 fields.
void EntryGridClick(Controls &controls);

// Copies the clicked employee's number into the Employee field and shows
// the employee's name.
void EmployeeGridClick(Controls &controls);

} // namespace entries
