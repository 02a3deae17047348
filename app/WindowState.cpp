#include "app/WindowState.h"

#include "app/Controls.h"

#include <QPushButton>

QString MakeTerminalName(const QString &terminalNumber)
{
    return QStringLiteral("PONTO_") + terminalNumber;
}

LinkButtons::LinkButtons(const Controls &c)
    : m_linkCommands{c.Command1,  c.Command2,  c.Command3,  c.Command4,  c.Command5,  c.Command6,
                     c.Command7,  c.Command8,  c.Command9,  c.Command10, c.Command11, c.Command12,
                     c.Command14, c.Command15, c.Command16, c.Command17, c.Command18, c.Command20,
                     c.Command23, c.Command24, c.Command25, c.Command26, c.Command27}
    , m_baudButtons{c.Command13.begin(), c.Command13.end()}
{
}

void LinkButtons::setLinkCommandsEnabled(bool enabled)
{
    for (QPushButton *button : std::as_const(m_linkCommands))
        button->setEnabled(enabled);
}

void LinkButtons::setBaudButtonsEnabled(bool enabled)
{
    for (QPushButton *button : std::as_const(m_baudButtons))
        button->setEnabled(enabled);
}
