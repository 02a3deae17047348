#pragma once
// The terminal program's window: which port it serves, the pace switch, a
// message line, and one front panel per terminal on the line.

#include "terminal/program/LineService.h"

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class Messages;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace terminal::panel {
class ByteRate;
class EnginePanelModel;
class PanelWindow;
} // namespace terminal::panel

namespace terminal::program {

class TerminalWindow final : public QWidget
{
    Q_OBJECT
public:
    TerminalWindow(const QString &portName, const QString &socketPath, Pace pace,
                   QWidget *parent = nullptr);
    ~TerminalWindow() override;

    // Shows the line service's pace; a click asks for a change (paceChosen).
    void setPace(Pace pace);
    void showProblem(const QString &message);
    QString problem() const;
    // Brings the panels up to date with the engine.
    void refresh();
    // Bytes that crossed the line, for its bytes-per-second figure.
    void countBytes(qint64 bytes);

    QTabWidget *pages() const;
    panel::PanelWindow *panels() const { return m_panels; }
    QRadioButton *wirePaceButton() const { return m_wire; }
    QRadioButton *instantButton() const { return m_instant; }

    // Where the terminal's memory is, for the technician to see and copy.
    void setDatabasePath(const QString &path);
    QLineEdit *databasePathField() const { return m_database; }
    QPushButton *demoMorningButton() const { return m_demoMorning; }
    // The questions go through this seam (a dialog unless a test answers).
    void setMessages(Messages &messages) { m_messages = &messages; }
    // Whether a program holds the port, asked before the window closes.
    void setProgramConnected(std::function<bool()> connected)
    {
        m_programConnected = std::move(connected);
    }

signals:
    void paceChosen(terminal::program::Pace pace);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void backToDemoMorning();

    QString m_port;
    QLineEdit *m_database = nullptr;
    QPushButton *m_demoMorning = nullptr;
    std::unique_ptr<Messages> m_dialogs;
    Messages *m_messages = nullptr;
    std::function<bool()> m_programConnected;
    QLabel *m_problem = nullptr;
    QRadioButton *m_wire = nullptr;
    QRadioButton *m_instant = nullptr;
    std::unique_ptr<panel::ByteRate> m_rate;
    QElapsedTimer m_clock;
    std::unique_ptr<panel::EnginePanelModel> m_model;
    panel::PanelWindow *m_panels = nullptr;
};

} // namespace terminal::program
