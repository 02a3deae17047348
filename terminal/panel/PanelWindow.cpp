#include "terminal/panel/PanelWindow.h"

#include "terminal/panel/TerminalPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace terminal::panel {

PanelTabs::PanelTabs(PanelModel &model, QTabWidget &tabs)
    : QObject(&tabs), m_model(model), m_tabs(tabs)
{
    connect(&m_model, &PanelModel::changed, this, &PanelTabs::sync);
    sync();
}

TerminalPanel *PanelTabs::panel(const QString &terminal) const
{
    for (int i = 0; i < m_tabs.count(); ++i)
        if (auto *p = qobject_cast<TerminalPanel *>(m_tabs.widget(i)); p && p->terminalName() == terminal)
            return p;
    return nullptr;
}

void PanelTabs::sync()
{
    const QStringList names = m_model.terminals();
    for (int i = m_tabs.count() - 1; i >= 0; --i) {
        auto *p = qobject_cast<TerminalPanel *>(m_tabs.widget(i));
        if (p && !names.contains(p->terminalName())) {
            m_tabs.removeTab(i);
            p->deleteLater();
        }
    }
    for (int i = 0; i < names.size(); ++i) {
        TerminalPanel *p = panel(names[i]);
        if (!p) {
            p = new TerminalPanel(m_model, names[i]);
            m_tabs.insertTab(i, p, names[i]);
        } else if (m_tabs.indexOf(p) != i) {
            m_tabs.removeTab(m_tabs.indexOf(p));
            m_tabs.insertTab(i, p, names[i]);
        }
    }
}

PanelWindow::PanelWindow(PanelModel &model, QWidget *parent)
    : QWidget(parent), m_model(model), m_tabs(new QTabWidget(this)),
      m_name(new QLineEdit(this)), m_add(new QPushButton(QStringLiteral("Add terminal"), this)),
      m_remove(new QPushButton(QStringLiteral("Remove terminal"), this)),
      m_status(new QLabel(this)), m_timer(new QTimer(this))
{
    m_panelTabs = new PanelTabs(model, *m_tabs);
    m_name->setPlaceholderText(QStringLiteral("terminal name, e.g. PONTO_01"));
    m_name->setMinimumWidth(m_name->fontMetrics().horizontalAdvance(m_name->placeholderText()) + 16);

    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Terminal"), this));
    row->addWidget(m_name);
    row->addWidget(m_add);
    row->addWidget(m_remove);
    row->addWidget(m_status, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_tabs, 1);

    connect(m_add, &QPushButton::clicked, this, &PanelWindow::addTerminal);
    connect(m_name, &QLineEdit::returnPressed, this, &PanelWindow::addTerminal);
    connect(m_remove, &QPushButton::clicked, this, &PanelWindow::removeTerminal);
    connect(m_timer, &QTimer::timeout, &m_model, &PanelModel::refresh);
    m_timer->start(kRefreshIntervalMs);
}

void PanelWindow::addTerminal()
{
    const QString name = m_name->text().trimmed();
    const QString problem = m_model.addTerminal(name);
    m_status->setText(problem.isEmpty() ? QStringLiteral("%1 is on the line.").arg(name) : problem);
    if (problem.isEmpty())
        if (TerminalPanel *p = m_panelTabs->panel(name))
            m_tabs->setCurrentWidget(p);
}

void PanelWindow::removeTerminal()
{
    // The name typed, else the terminal whose tab is open.
    QString name = m_name->text().trimmed();
    if (name.isEmpty())
        if (auto *p = qobject_cast<TerminalPanel *>(m_tabs->currentWidget()))
            name = p->terminalName();
    const QString problem = m_model.removeTerminal(name);
    m_status->setText(problem.isEmpty() ? QStringLiteral("%1 left the line.").arg(name) : problem);
}

} // namespace terminal::panel
