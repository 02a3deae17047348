#pragma once
// What the terminal's window asks before a step that cannot be taken back.

#include <QList>
#include <QString>

#include <optional>

namespace terminal::engine {
struct State;
}

namespace terminal::program {

// What one terminal on the line holds, as far as it can be counted.
struct TerminalHoldings
{
    QString name;
    int entries = 0;
    int names = 0;
    int justifications = 0;
    int events = 0;
    int messages = 0;
};

QList<TerminalHoldings> HoldingsOf(const engine::State &state);

// Names what going back to the demo morning loses, terminal by terminal.
QString DemoMorningQuestion(const QList<TerminalHoldings> &line);

// Nothing to ask when no program holds the port.
std::optional<QString> ClosingQuestion(const QString &port, bool programConnected);

} // namespace terminal::program
