#include "app/CardListModel.h"

#include "store/CardList.h"

namespace app {

void CardListModel::beginRebuild()
{
    beginResetModel();
    m_lines.clear();
}

void CardListModel::append(const QString& mode, const card::ListEntry& entry)
{
    m_lines.append({store::entryText(mode, entry), entry.nam});
}

void CardListModel::drop()
{
    m_lines.clear();
}

void CardListModel::endRebuild()
{
    m_lines.squeeze();
    endResetModel();
}

int CardListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

QVariant CardListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    const Line& line = m_lines.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return line.text;
    if (role == NameRole)
        return line.name;
    return {};
}

} // namespace app
