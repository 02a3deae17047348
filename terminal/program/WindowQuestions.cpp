#include "terminal/program/WindowQuestions.h"

#include "terminal/engine/SimState.h"

#include <QStringList>

#include <algorithm>

namespace terminal::program {

namespace {

QString Counted(int count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

QList<TerminalHoldings> HoldingsOf(const engine::State &state)
{
    QList<TerminalHoldings> line;
    for (const engine::Terminal &t : state.terminals) {
        TerminalHoldings h;
        h.name = QString::fromStdString(t.name);
        h.entries = t.entryCount();
        h.names = int(t.employees.size());
        h.justifications = int(t.justifications.size());
        h.events = int(std::count_if(t.events.begin(), t.events.end(),
                                     [](const auto &slot) { return slot.has_value(); }));
        h.messages = int(t.messages.size());
        line.append(h);
    }
    return line;
}

QString DemoMorningQuestion(const QList<TerminalHoldings> &line)
{
    QStringList lost;
    for (const TerminalHoldings &h : line) {
        QStringList counts;
        if (h.entries > 0)
            counts << Counted(h.entries, "entry", "entries");
        if (h.names > 0)
            counts << Counted(h.names, "name", "names");
        if (h.justifications > 0)
            counts << Counted(h.justifications, "justification", "justifications");
        if (h.events > 0)
            counts << Counted(h.events, "event", "events");
        if (h.messages > 0)
            counts << Counted(h.messages, "message", "messages");
        lost << QStringLiteral("    %1: %2").arg(
            h.name, counts.isEmpty() ? QStringLiteral("no entries, names or events")
                                     : counts.join(QStringLiteral(", ")));
    }
    const QString front = QString::fromLatin1(engine::kDefaultTerminalName.data(),
                                              qsizetype(engine::kDefaultTerminalName.size()));
    return QStringLiteral("Back to the demo morning?\n\n"
                          "Every terminal on the line loses what it holds:\n%1\n"
                          "and its settings: configuration, clock, pointers, shown message. "
                          "The line forgets the PC name and goes back to \"wire pace\".\n\n"
                          "%2 is then alone on the line with the demo morning. "
                          "This cannot be undone.")
        .arg(lost.join(QLatin1Char('\n')), front);
}

std::optional<QString> ClosingQuestion(const QString &port, bool programConnected)
{
    if (!programConnected)
        return std::nullopt;
    return QStringLiteral("A program is connected to %1.\n\n"
                          "When the terminal closes, that program will see a silent line: "
                          "each of its calls fails after the confirmation time-out.\n\n"
                          "Close the terminal?")
        .arg(port);
}

} // namespace terminal::program
