#include "config/JustificationList.h"

#include "entries/FlexGrid.h"

namespace config {

QString JustificationText(const QStringList &names)
{
    QString text;
    for (const QString &name : names)
        text += name + kJustificationSeparator;
    return text;
}

QStringList JustificationNames(const FlexGrid &grid)
{
    QStringList names;
    const int columns = std::max(1, grid.cols());
    for (int cell = 1; cell <= kJustificationCount; ++cell)
        names << grid.textMatrix(cell / columns, cell % columns);
    return names;
}

} // namespace config
