#pragma once
// The terminal program's window: which port it serves, the pace switch, a
// message line, and one page per terminal on the line.

#include "terminal/LineService.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QRadioButton;
class QTabWidget;

namespace velmora::terminal {

// What a page shows of one terminal.
struct TerminalSummary
{
    std::string name;
    int32_t entries = 0;
};
std::vector<TerminalSummary> summarizeLine();
QString entryCountText(int32_t entries);

class TerminalWindow final : public QWidget
{
    Q_OBJECT
public:
    TerminalWindow(const QString &portName, const QString &socketPath, Pace pace,
                   QWidget *parent = nullptr);

    void setPace(Pace pace);
    void showProblem(const QString &message);
    QString problem() const;
    // Brings the pages up to date with the engine.
    void refresh();

    QTabWidget *pages() const { return m_pages; }
    QRadioButton *wirePaceButton() const { return m_wire; }
    QRadioButton *instantButton() const { return m_instant; }

signals:
    void paceChosen(velmora::terminal::Pace pace);

private:
    QLabel *m_problem = nullptr;
    QRadioButton *m_wire = nullptr;
    QRadioButton *m_instant = nullptr;
    QTabWidget *m_pages = nullptr;
    std::vector<TerminalSummary> m_shown;
};

} // namespace velmora::terminal
