#pragma once
// The justification list as one text for the terminal.

#include <QString>
#include <QStringList>

class FlexGrid;

namespace config {

inline constexpr int kJustificationCount = 7;
inline constexpr QChar kJustificationSeparator = u'~';

// Every name followed by the separator, the last one too.
QString JustificationText(const QStringList &names);

// Cells 1 to 7 of the grid, cells numbered row by row from the top-left
// cell 0 (the header with the grid's single column).
QStringList JustificationNames(const FlexGrid &grid);

} // namespace config
