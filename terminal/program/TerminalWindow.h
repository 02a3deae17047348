#pragma once
// The terminal program's window: which port it serves, the pace switch, a
// message line, and one front panel per terminal on the line.

#include "terminal/program/LineService.h"

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QRadioButton;
class QTabWidget;

namespace velmora::panel {
class ByteRate;
class EnginePanelModel;
class PanelWindow;
} // namespace velmora::panel

namespace velmora::terminal {

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

signals:
    void paceChosen(velmora::terminal::Pace pace);

private:
    QLabel *m_problem = nullptr;
    QRadioButton *m_wire = nullptr;
    QRadioButton *m_instant = nullptr;
    std::unique_ptr<panel::ByteRate> m_rate;
    QElapsedTimer m_clock;
    std::unique_ptr<panel::EnginePanelModel> m_model;
    panel::PanelWindow *m_panels = nullptr;
};

} // namespace velmora::terminal
