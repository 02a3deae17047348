#pragma once
// The window-level state that the command handlers share.

#include <QList>
#include <QString>

#include <cstdint>

class QPushButton;
struct Controls;

struct WindowState
{
    // "PONTO_" and the terminal number; first argument of every terminal command.
    QString TerminalName = QStringLiteral("PONTO_00");
    int32_t ComPort = 0;
    // Set by Dial, never cleared: baud buttons then take over the open port.
    bool ModemDialled = false;
    // 1 while a capture file is open as file number 1.
    int32_t CaptureFileOpen = 0;
    // True while Close COM waits between its two hang-up lines.
    bool Closing = false;
    // Clicks that came during that wait and run once the port is closed, in
    // order: 0 to 3 a baud button, -1 Dial.
    QList<int> DeferredClicks;
    // Set by the unload step: loops that let the window process events
    // (the close wait, the restore) stop at once when they see it.
    bool Ending = false;
};

QString MakeTerminalName(const QString &terminalNumber);

// The two button sets that the link switches.
class LinkButtons
{
public:
    explicit LinkButtons(const Controls &controls);

    // The 23 buttons usable only while the link is open.
    const QList<QPushButton *> &linkCommands() const { return m_linkCommands; }
    const QList<QPushButton *> &baudButtons() const { return m_baudButtons; }

    void setLinkCommandsEnabled(bool enabled);
    void setBaudButtonsEnabled(bool enabled);

private:
    QList<QPushButton *> m_linkCommands;
    QList<QPushButton *> m_baudButtons;
};
