#pragma once
// Table models behind the panel's two lists. The entry list reads entries on
// demand, so a memory of two million entries costs only the rows in view.

#include "terminal/panel/PanelModel.h"

#include <QAbstractTableModel>

namespace terminal::panel {

class EventTableModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setEvents(const QList<ScheduledEvent> &events, std::optional<int> nextSlot);
    int rowCount(const QModelIndex &parent = {}) const final;
    int columnCount(const QModelIndex &parent = {}) const final;
    QVariant data(const QModelIndex &index, int role) const final;
    QVariant headerData(int section, Qt::Orientation o, int role) const final;

private:
    QList<ScheduledEvent> m_events;
    std::optional<int> m_next;
};

class EntryListModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    EntryListModel(const PanelModel &model, QObject *parent = nullptr);
    void setTerminal(const QString &name, int32_t count, const QStringList &justifications);
    int rowCount(const QModelIndex &parent = {}) const final;
    int columnCount(const QModelIndex &parent = {}) const final;
    QVariant data(const QModelIndex &index, int role) const final;
    QVariant headerData(int section, Qt::Orientation o, int role) const final;

private:
    const PanelModel &m_model;
    QString m_terminal;
    int32_t m_count = 0;
    QStringList m_justifications;
};

} // namespace terminal::panel
