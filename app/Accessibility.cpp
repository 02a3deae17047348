#include "app/Accessibility.h"

#include "app/Controls.h"
#include "entries/FlexGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include <vector>

namespace accessibility {

namespace {

void name(QWidget *w, const QString &text, QLabel *label = nullptr)
{
    w->setAccessibleName(text);
    if (label)
        label->setBuddy(w);
}

QString fromLabel(const QLabel *label)
{
    return label->text().simplified();
}

class CellKeys final : public QObject
{
public:
    CellKeys(FlexGrid *grid, std::function<void()> click)
        : QObject(grid), m_grid(grid), m_click(std::move(click))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_grid || event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
            return false;
        const QModelIndex current = m_grid->currentIndex();
        if (!current.isValid())
            return false;
        m_grid->setCol(current.column());
        m_grid->setRow(current.row() + 1);
        m_click();
        return true;
    }

private:
    FlexGrid *m_grid;
    std::function<void()> m_click;
};

} // namespace

void NameControls(Controls &c)
{
    // Link panel: "PONTO_" and "COM" are prefixes, not names of what the
    // fields hold.
    name(c.Text11, QStringLiteral("Terminal number"), c.Label20);
    name(c.Text21, QStringLiteral("COM port"), c.Label26);

    name(c.Text14, QStringLiteral("First pointer"));
    name(c.Text15, QStringLiteral("Second pointer"));
    name(c.Text16, QStringLiteral("Third pointer"));
    c.Text16->setAccessibleDescription(QStringLiteral("Write Pointer3 sends it as the reader pointer"));

    name(c.Text23, QStringLiteral("Capture file"));
    name(c.Text24, QStringLiteral("Restore file"));
    name(c.Check8, fromLabel(c.Label29), c.Label29);

    name(c.Text12, QStringLiteral("Clock seconds"));
    name(c.Text13, QStringLiteral("Clock date and time"));

    // Two panels have a field captioned "Index"; a name must tell them apart.
    name(c.Text7, QStringLiteral("Event index"), c.Label7);
    name(c.Text9, fromLabel(c.Label9), c.Label9);
    name(c.Text10, fromLabel(c.Label10), c.Label10);
    name(c.Combo1, fromLabel(c.Label11), c.Label11);
    for (size_t i = 0; i < c.Check3.size(); ++i)
        name(c.Check3[i], QStringLiteral("Seconds to ring %1").arg(i + 1));
    c.Label21->setBuddy(c.Check3[0]);
    // The caption holds the weekdays' initials, Monday first.
    const char *weekdays[7] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                               "Friday", "Saturday", "Sunday"};
    for (size_t i = 0; i < c.Check4.size(); ++i)
        name(c.Check4[i], QString::fromLatin1(weekdays[i]));
    c.Label22->setBuddy(c.Check4[0]);

    for (size_t i = 0; i < c.Text1.size(); ++i)
        name(c.Text1[i], fromLabel(c.Text1Labels[i]), c.Text1Labels[i]);
    name(c.Check5, fromLabel(c.Text1Labels[2]) + QStringLiteral(" on"));
    name(c.Check6, fromLabel(c.Text1Labels[6]) + QStringLiteral(" on"));
    name(c.Text3, fromLabel(c.Label17), c.Label17);
    name(c.Text8, fromLabel(c.Label18), c.Label18);
    name(c.Check1, QStringLiteral("12hrs"), c.Label14);
    name(c.Check2, QStringLiteral("ClockTick"));

    name(c.RichTextBox1, QStringLiteral("Message text"));
    name(c.Combo2, QStringLiteral("Message kind"));
    name(c.RichTextBox2, QStringLiteral("Selected employee"));

    name(c.Text2, QStringLiteral("Entry index"), c.Label2);
    name(c.Text5, fromLabel(c.Label5), c.Label5);
    name(c.Text4, fromLabel(c.Label3), c.Label3);
    name(c.Text6, fromLabel(c.Label6), c.Label6);
    name(c.Text22, fromLabel(c.Label27), c.Label27);
    name(c.MSFlexGrid1, QStringLiteral("Entries"));
    name(c.MSFlexGrid2, QStringLiteral("Employees"));

    name(c.MSFlexGrid3, QStringLiteral("Justifications"));
    name(c.Text17, QStringLiteral("First employee"));
    name(c.Text18, QStringLiteral("Last employee"), c.Label23);
    name(c.Text19, QStringLiteral("Modem number"), c.Label19);
}

void ChainTabOrder(Controls &c)
{
    std::vector<QWidget *> order;
    auto add = [&order](std::initializer_list<QWidget *> widgets) {
        order.insert(order.end(), widgets);
    };
    auto addAll = [&order](const auto &group) { order.insert(order.end(), group.begin(), group.end()); };

    add({c.Text11, c.Text21, c.Command15});
    addAll(c.Command13);
    add({c.Command18, c.Text14, c.Text15, c.Text16, c.Command24, c.Command23});
    add({c.Text23, c.Command26, c.Text24, c.Command25, c.Check8});
    add({c.Command7, c.Command8, c.Command11, c.Command12, c.Text12, c.Command6, c.Command20,
         c.Command9, c.Text13});
    add({c.Command5, c.Text7, c.Text9, c.Text10, c.Combo1, c.Command22});
    addAll(c.Check4);
    add({c.Command27});
    addAll(c.Check3);
    add({c.Text1[0], c.Text1[4], c.Text1[1], c.Text1[5], c.Check5, c.Text1[2], c.Check6, c.Text1[6],
         c.Text1[3], c.Text3, c.Text8, c.Check1, c.Check2, c.Command10});
    add({c.Command4, c.RichTextBox1, c.Command21, c.Combo2, c.RichTextBox2});
    add({c.MSFlexGrid2});
    add({c.Command1, c.Command2, c.Command3, c.Text2, c.Text5, c.Text4, c.Text6, c.Text22,
         c.Command16, c.MSFlexGrid1});
    add({c.MSFlexGrid3, c.Command14, c.Text19, c.Command19, c.Text17, c.Text18, c.Command17});

    // Tab must leave the message boxes and the grids, not type or walk cells.
    c.RichTextBox1->setTabChangesFocus(true);
    c.RichTextBox2->setTabChangesFocus(true);
    for (FlexGrid *grid : {c.MSFlexGrid1, c.MSFlexGrid2, c.MSFlexGrid3})
        grid->setTabKeyNavigation(false);

    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void PressCellsWithKeys(FlexGrid *grid, std::function<void()> click)
{
    grid->installEventFilter(new CellKeys(grid, std::move(click)));
}

} // namespace accessibility
