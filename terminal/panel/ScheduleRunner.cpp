#include "terminal/panel/ScheduleRunner.h"

#include "terminal/panel/PanelRules.h"

#include <algorithm>

namespace velmora::panel {

int64_t ScheduleRunner::advance(const QString &terminal, const QList<ScheduledEvent> &events,
                                int64_t clock)
{
    Seen &seen = m_terminals[terminal];
    if (!seen.noted) {
        seen.clock = clock;
        seen.noted = true;
        return 0;
    }
    // A slot written anew may fire again.
    for (auto it = seen.spent.begin(); it != seen.spent.end();) {
        const bool same = std::any_of(events.begin(), events.end(),
                                      [&](const ScheduledEvent &e) { return e == it.value(); });
        it = same ? std::next(it) : seen.spent.erase(it);
    }
    int64_t shift = 0;
    for (const ScheduledEvent &event : events) {
        if (seen.spent.contains(event.slot))
            continue;
        if (const int64_t due = clockShiftDue(event, seen.clock, clock); due != 0) {
            shift += due;
            seen.spent.insert(event.slot, event);
        }
    }
    seen.clock = clock + shift;
    return shift;
}

QHash<int, ScheduledEvent> ScheduleRunner::spent(const QString &terminal) const
{
    return m_terminals.value(terminal).spent;
}

void ScheduleRunner::seed(const QString &terminal, QHash<int, ScheduledEvent> spent)
{
    m_terminals.insert(terminal, Seen{0, false, std::move(spent)});
}

QSet<int> ScheduleRunner::spentSlots(const QString &terminal) const
{
    QSet<int> spent;
    const auto found = m_terminals.constFind(terminal);
    if (found != m_terminals.constEnd())
        for (auto it = found->spent.begin(); it != found->spent.end(); ++it)
            spent.insert(it.key());
    return spent;
}

} // namespace velmora::panel
