#include "terminal/panel/PanelItemModels.h"

#include "terminal/panel/PanelRules.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>

namespace terminal::panel {

namespace {

enum EventColumn { kSlot, kFunction, kTime, kDays, kRing, kPeriod, kRepeats, kEventColumns };
enum EntryColumn { kIndex, kStamp, kCard, kInOut, kJustification, kOrigin, kSerial, kEntryColumns };

QString RingText(uint32_t mask)
{
    QString bits;
    for (int i = 0; i < engine::kRingPatternSeconds; ++i)
        bits += ((mask >> i) & 1u) ? QLatin1Char('#') : QLatin1Char('.');
    return bits;
}

} // namespace

void EventTableModel::setEvents(const QList<ScheduledEvent> &events, std::optional<int> nextSlot)
{
    if (events == m_events) {
        if (nextSlot != m_next) {
            m_next = nextSlot;
            emit dataChanged(index(0, 0), index(rowCount() - 1, kEventColumns - 1));
        }
        return;
    }
    beginResetModel();
    m_events = events;
    m_next = nextSlot;
    endResetModel();
}

int EventTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_events.size());
}

int EventTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kEventColumns;
}

QVariant EventTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_events.size())
        return {};
    const ScheduledEvent &e = m_events[index.row()];
    if (role == Qt::BackgroundRole && m_next == e.slot)
        return QBrush(QColor(255, 236, 150));
    if (role == Qt::FontRole && index.column() == kRing)
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (role != Qt::DisplayRole)
        return {};
    const bool clockChange = engine::IsClockChange(e.function);
    switch (index.column()) {
    case kSlot: return e.slot;
    case kFunction: return FunctionName(e.function);
    case kTime: return clockChange ? ClockText(e.seconds) : TimeText(e.seconds);
    case kDays: return clockChange ? QString() : WeekdayText(e.weekdayMask);
    case kRing: return clockChange ? QString() : RingText(e.ringMask);
    case kPeriod: return e.period;
    case kRepeats: return e.repeats;
    default: return {};
    }
}

QVariant EventTableModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const kHeaders[] = {"Slot", "Function", "Time", "Days",
                                           "Ring (0..31)", "Period", "Repeats"};
    return section >= 0 && section < kEventColumns ? QString::fromLatin1(kHeaders[section])
                                                   : QVariant();
}

EntryListModel::EntryListModel(const PanelModel &model, QObject *parent)
    : QAbstractTableModel(parent), m_model(model)
{
}

void EntryListModel::setTerminal(const QString &name, int32_t count,
                                 const QStringList &justifications)
{
    m_justifications = justifications;
    if (name != m_terminal || count < m_count) {
        beginResetModel();
        m_terminal = name;
        m_count = count;
        endResetModel();
        return;
    }
    if (count > m_count) {
        beginInsertRows({}, m_count, count - 1);
        m_count = count;
        endInsertRows();
    }
    // Entries can change in place (insert, delete); repaint what is in view.
    if (m_count > 0)
        emit dataChanged(index(0, 0), index(m_count - 1, kEntryColumns - 1));
}

int EntryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int EntryListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kEntryColumns;
}

QVariant EntryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    if (index.column() == kIndex)
        return index.row();
    const auto e = m_model.entryAt(m_terminal, index.row());
    if (!e)
        return {};
    switch (index.column()) {
    case kStamp: return ClockText(e->seconds);
    case kCard: return e->cardCode;
    case kInOut:
        if (e->presence == kPresenceEntry)
            return QStringLiteral("entry");
        return e->presence == kPresenceExit ? QStringLiteral("exit")
                                            : QString::number(e->presence);
    case kJustification: {
        if (e->justification == 0)
            return QString();
        const int position = e->justification - 'A';
        return position >= 0 && position < m_justifications.size()
                   ? QStringLiteral("%1 %2").arg(QChar(e->justification), m_justifications[position])
                   : QString::number(e->justification);
    }
    case kOrigin: return e->origin == 0 ? QStringLiteral("card") : QStringLiteral("inserted");
    case kSerial: return e->serial;
    default: return {};
    }
}

QVariant EntryListModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const kHeaders[] = {"Index", "Stamp", "Card", "In/out",
                                           "Justification", "Origin", "Serial"};
    return section >= 0 && section < kEntryColumns ? QString::fromLatin1(kHeaders[section])
                                                   : QVariant();
}

} // namespace terminal::panel
