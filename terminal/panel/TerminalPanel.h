#pragma once
// One terminal's front panel: display, card reader, bells and relays, memory
// and line. It shows what the PanelModel says and asks it to act; the
// decisions are in PanelRules, and those on events in the engine.

#include "terminal/panel/PanelModel.h"

#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace terminal::panel {

// Each list of the panel shows at least this many rows.
inline constexpr int kListRowsShown = 5;

class DisplayWidget;
class LampWidget;
class EventTableModel;
class EntryListModel;

class TerminalPanel final : public QWidget
{
    Q_OBJECT
public:
    TerminalPanel(PanelModel &model, const QString &terminal, QWidget *parent = nullptr);
    const QString &terminalName() const { return m_terminal; }

    // Reads the model again and shows what it says.
    void showModel();

    struct Controls
    {
        DisplayWidget *display = nullptr;
        QComboBox *employee = nullptr;
        QLineEdit *cardCode = nullptr;
        QRadioButton *entry = nullptr;
        QRadioButton *exit = nullptr;
        QComboBox *justification = nullptr;
        QPushButton *passCard = nullptr;
        QLabel *readerStatus = nullptr;
        QLineEdit *clockInput = nullptr;
        QPushButton *setClock = nullptr;
        std::array<LampWidget *, 4> lamps{};
        QTableView *events = nullptr;
        QLabel *nextEvent = nullptr;
        QLabel *memory = nullptr;
        QTableView *entries = nullptr;
        QLabel *line = nullptr;
    };
    const Controls &controls() const { return m_controls; }

private:
    QWidget *buildDisplayAndReader();
    QWidget *buildBells();
    QWidget *buildMemoryAndLine();
    void pickEmployee(int index);
    void passCard();
    void setClock();
    void showEmployees(const QList<EmployeeName> &employees);
    void showJustifications(const QStringList &justifications);

    PanelModel &m_model;
    QString m_terminal;
    Controls m_controls;
    EventTableModel *m_eventModel = nullptr;
    EntryListModel *m_entryModel = nullptr;
    QList<EmployeeName> m_employees;
    QStringList m_justifications;
    bool m_followNewest = true; // until the technician scrolls away from the end
};

} // namespace terminal::panel
