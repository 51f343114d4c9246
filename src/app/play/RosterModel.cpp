#include "app/play/RosterModel.h"

#include "list/ListSearch.h"

#include <algorithm>

namespace app {

RosterModel::RosterModel(QObject* parent) : QAbstractTableModel(parent) {}

void RosterModel::setEntries(QList<card::ListEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    list::sortByName(m_entries, m_names);
    sortEntries();
    filterEntries();
    endResetModel();
}

void RosterModel::setFilter(const QString& typed)
{
    beginResetModel();
    m_searchForm = list::searchForm(typed);
    filterEntries();
    endResetModel();
}

int RosterModel::rowOf(const QString& name) const
{
    for (size_t row = 0; row < m_shown.size(); ++row) {
        if (m_entries.at(m_shown[row]).nam == name)
            return int(row);
    }
    return -1;
}

int RosterModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int RosterModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RosterModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return play::RosterOrder::columnText(entry(index.row()), play::RosterColumn(index.column()));
    if (role == NameRole)
        return entry(index.row()).nam;
    return {};
}

QVariant RosterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const Titles[ColumnCount] = {"名字", "等级", "种族", "职业", "阵营"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf8(Titles[section]);
}

void RosterModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged();
    m_column = play::RosterColumn(column);
    m_direction = order;
    sortEntries();
    filterEntries();
    emit layoutChanged();
}

void RosterModel::sortEntries()
{
    m_sorted = m_order.rowsInOrder(m_entries, m_column);
    if (m_direction == Qt::DescendingOrder)
        std::reverse(m_sorted.begin(), m_sorted.end());
}

void RosterModel::filterEntries()
{
    if (m_searchForm.isEmpty()) {
        m_shown = m_sorted;
        return;
    }
    m_shown.clear();
    for (int i : m_sorted) {
        const card::ListEntry& e = m_entries.at(i);
        bool shown = false;
        for (int c = 0; c < ColumnCount && !shown; ++c)
            shown =
                list::matchesSearch(play::RosterOrder::columnText(e, play::RosterColumn(c)), m_searchForm);
        if (shown)
            m_shown.push_back(i);
    }
}

} // namespace app
