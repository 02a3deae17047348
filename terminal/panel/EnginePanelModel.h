#pragma once
// The panel's view of the terminal engine in this process (terminal::engine),
// for the terminal program: changes go through the engine's entry points, so
// they last wherever the engine keeps its state. The line's traffic belongs
// to whoever serves the line and comes in through LineHooks; so does its
// pace, which the terminal program's window shows and switches.

#include "terminal/panel/PanelModel.h"

#include <functional>

namespace terminal::panel {

struct LineHooks
{
    QString port = QStringLiteral("COM1");
    std::function<double()> bytesPerSecond;
};

class EnginePanelModel final : public PanelModel
{
    Q_OBJECT
public:
    explicit EnginePanelModel(LineHooks hooks = {}, QObject *parent = nullptr);

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
    LineHooks m_hooks;
};

} // namespace terminal::panel
