#include "entries/EntryGrid.h"

#include "app/Controls.h"
#include "clock/ClockSeconds.h"
#include "field/FieldValue.h"
#include "entries/FlexGrid.h"

#include <QLineEdit>
#include <QTextEdit>

namespace entries {

const std::array<ColumnLayout, kEntryColumns> kEntryGridLayout = {{
    {"Hora/Data", 2500},
    {"Segundos", 1000},
    {"#", 700},
    {"Empregado", 2000},
    {"Aux1", 500},
    {"Justif.", 500},
    {"Presente", 500},
    {"Index", 660},
    {"Or", 660},
    {"Codigo", 660},
}};

void ResetEntryGrid(Controls &c)
{
    FlexGrid &grid = *c.MSFlexGrid1;
    grid.clear();
    // Straight to two rows: the same end as removing the last row one by one.
    if (grid.rows() > 2)
        grid.setRows(2);
    for (int column = 0; column < kEntryColumns; ++column) {
        const QString header = QString::fromUtf8(kEntryGridLayout[size_t(column)].header);
        grid.setColWidth(column, kEntryGridLayout[size_t(column)].widthTwips);
        grid.widenForHeader(column, header);
        grid.setTextMatrix(0, column, header);
    }
    // The weekday is named in the PC's language; its longest name decides.
    for (int day = 0; day < 7; ++day)
        grid.widenForCells(0, clocktime::SecondsToDateText(int32_t(day * clocktime::kSecondsPerDay)));

    FlexGrid &employees = *c.MSFlexGrid2;
    employees.setColWidth(0, 500);
    employees.setColWidth(1, 1800);
    employees.setTextMatrix(0, 0, QStringLiteral("#"));
    employees.setTextMatrix(0, 1, QStringLiteral("Empregado"));
}

void EntryGridClick(Controls &c)
{
    FlexGrid &grid = *c.MSFlexGrid1;
    grid.setCol(7);
    const QString index = grid.currentText();
    c.Text2->setText(index);
    c.Text3->setText(index);
}

void EmployeeGridClick(Controls &c)
{
    FlexGrid &grid = *c.MSFlexGrid2;
    grid.setCol(0);
    c.Text4->setText(grid.currentText());
    // An unreadable number names no row: the name box then shows nothing.
    const int row = field::NumericValue(c.Text4->text()).value_or(-1);
    c.RichTextBox2->setPlainText(grid.textMatrix(row, 1));
}

} // namespace entries
