#pragma once
// The panel's view of the simulated terminal in this process, through the
// simulated library's test interface. That library keeps no clock changes of
// its own: they are decided by the engine's rules and applied here, on each
// refresh.

#include "terminal/panel/PanelModel.h"

#include <QHash>

namespace terminal::panel {

class SimPanelModel final : public PanelModel
{
    Q_OBJECT
public:
    using PanelModel::PanelModel;

    QStringList terminals() const final;
    std::optional<TerminalView> terminal(const QString &name) const final;
    std::optional<StampedEntry> entryAt(const QString &name, int32_t index) const final;
    QString employeeMessage(const QString &name, int32_t employee) const final;
    LineView line() const final;

    QString passCard(const QString &name, const CardPass &pass) final;
    QString setClock(const QString &name, int32_t clockSeconds) final;
    QString addTerminal(const QString &name) final;
    QString removeTerminal(const QString &name) final;
    void refresh() final;

private:
    QHash<QString, engine::ClockChangeWatch> m_clockChanges; // by terminal name
};

} // namespace terminal::panel
