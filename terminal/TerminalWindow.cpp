#include "terminal/TerminalWindow.h"

#include "link/AnsiText.h"
#include "sim/SimState.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora::terminal {

std::vector<TerminalSummary> summarizeLine()
{
    std::vector<TerminalSummary> line;
    for (const sim::Terminal &t : sim::state().terminals)
        line.push_back({t.name, t.entryCount()});
    return line;
}

QString entryCountText(int32_t entries)
{
    return entries == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(entries);
}

TerminalWindow::TerminalWindow(const QString &portName, const QString &socketPath, Pace pace,
                               QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Velmora terminal on %1").arg(portName));
    auto *layout = new QVBoxLayout(this);

    auto *serves = new QLabel(QStringLiteral("<b>Serves %1</b>").arg(portName.toHtmlEscaped()));
    auto *where = new QLabel(socketPath);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(serves);
    layout->addWidget(where);

    auto *paceBox = new QGroupBox(QStringLiteral("Pace"));
    auto *paceLayout = new QHBoxLayout(paceBox);
    m_wire = new QRadioButton(QStringLiteral("wire pace"));
    m_instant = new QRadioButton(QStringLiteral("instant"));
    auto *group = new QButtonGroup(this);
    group->addButton(m_wire);
    group->addButton(m_instant);
    paceLayout->addWidget(m_wire);
    paceLayout->addWidget(m_instant);
    paceLayout->addStretch();
    layout->addWidget(paceBox);
    setPace(pace);
    connect(m_wire, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit paceChosen(Pace::Wire);
    });
    connect(m_instant, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit paceChosen(Pace::Instant);
    });

    m_problem = new QLabel;
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #a00000"));
    m_problem->hide();
    layout->addWidget(m_problem);

    m_pages = new QTabWidget;
    layout->addWidget(m_pages, 1);
    resize(420, 300);
    refresh();
}

void TerminalWindow::setPace(Pace pace)
{
    (pace == Pace::Wire ? m_wire : m_instant)->setChecked(true);
}

void TerminalWindow::showProblem(const QString &message)
{
    m_problem->setText(message);
    m_problem->setVisible(!message.isEmpty());
}

QString TerminalWindow::problem() const
{
    return m_problem->text();
}

void TerminalWindow::refresh()
{
    const std::vector<TerminalSummary> line = summarizeLine();
    bool sameNames = line.size() == m_shown.size();
    for (std::size_t i = 0; sameNames && i < line.size(); ++i)
        sameNames = line[i].name == m_shown[i].name;
    if (!sameNames) {
        while (m_pages->count() > 0) {
            QWidget *page = m_pages->widget(0);
            m_pages->removeTab(0);
            delete page;
        }
        for (const TerminalSummary &t : line) {
            auto *page = new QWidget;
            auto *form = new QFormLayout(page);
            const QString name = ansi::decode(t.name.data(), qsizetype(t.name.size()));
            form->addRow(QStringLiteral("Name:"), new QLabel(name));
            auto *count = new QLabel;
            count->setObjectName(QStringLiteral("entryCount"));
            form->addRow(QStringLiteral("Entry memory:"), count);
            m_pages->addTab(page, name);
        }
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (auto *count = m_pages->widget(int(i))->findChild<QLabel *>(QStringLiteral("entryCount")))
            count->setText(entryCountText(line[i].entries));
    }
    m_shown = line;
}

} // namespace velmora::terminal
