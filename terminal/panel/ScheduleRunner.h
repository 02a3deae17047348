#pragma once
// Summer and winter time events change a terminal's clock once each: this
// remembers, per terminal, the clock last seen and the slots already spent.

#include "terminal/panel/PanelModel.h"

#include <QHash>
#include <QSet>

namespace velmora::panel {

class ScheduleRunner
{
public:
    // The shift (seconds) to apply to the terminal clock now. The first call
    // for a terminal only takes note of its clock: nothing past fires.
    int64_t advance(const QString &terminal, const QList<ScheduledEvent> &events, int64_t clock);
    QSet<int> spentSlots(const QString &terminal) const;
    // Each spent slot as written when it fired.
    QHash<int, ScheduledEvent> spent(const QString &terminal) const;
    bool knows(const QString &terminal) const { return m_terminals.contains(terminal); }
    // Slots spent before this runner saw the terminal (kept across a
    // restart); the next call still only takes note of the clock.
    void seed(const QString &terminal, QHash<int, ScheduledEvent> spent);
    void forget(const QString &terminal) { m_terminals.remove(terminal); }

private:
    struct Seen
    {
        int64_t clock = 0;
        bool noted = false; // clock holds a reading
        QHash<int, ScheduledEvent> spent; // as written when it fired
    };
    QHash<QString, Seen> m_terminals;
};

} // namespace velmora::panel
