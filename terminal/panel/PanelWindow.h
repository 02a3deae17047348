#pragma once
// The terminals on the line as tabs of panels, with the controls that add
// and remove terminals. A timer refreshes the model so the panels follow the
// engine (the clock, entries arriving, what the program sent).

#include "terminal/panel/PanelModel.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTimer;

namespace terminal::panel {

class TerminalPanel;

inline constexpr int kRefreshIntervalMs = 250;

// Keeps one TerminalPanel tab per terminal, in line order.
class PanelTabs final : public QObject
{
    Q_OBJECT
public:
    PanelTabs(PanelModel &model, QTabWidget &tabs);
    void sync();
    TerminalPanel *panel(const QString &terminal) const;

private:
    PanelModel &m_model;
    QTabWidget &m_tabs;
};

class PanelWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit PanelWindow(PanelModel &model, QWidget *parent = nullptr);

    QTabWidget *tabs() const { return m_tabs; }
    PanelTabs &panelTabs() { return *m_panelTabs; }
    QLineEdit *terminalNameEdit() const { return m_name; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *removeButton() const { return m_remove; }
    QLabel *status() const { return m_status; }
    QTimer *refreshTimer() const { return m_timer; }

private:
    void addTerminal();
    void removeTerminal();

    PanelModel &m_model;
    QTabWidget *m_tabs;
    PanelTabs *m_panelTabs;
    QLineEdit *m_name;
    QPushButton *m_add;
    QPushButton *m_remove;
    QLabel *m_status;
    QTimer *m_timer;
};

} // namespace terminal::panel
