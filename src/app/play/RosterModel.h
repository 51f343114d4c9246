#pragma once

#include "card/CardRecord.h"
#include "list/NameOrder.h"
#include "play/RosterOrder.h"

#include <QAbstractTableModel>
#include <QList>

#include <vector>

namespace app {

// The roster's table: every card's list entry in five columns, sorted by any of them as
// play::RosterOrder says, with a search of its own that matches as the card list's does.
class RosterModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 5;
    static constexpr int NameRole = Qt::UserRole + 1;

    explicit RosterModel(QObject* parent = nullptr);

    // Replaces every entry, keeping the order and the search.
    void setEntries(QList<card::ListEntry> entries);
    // Shows only the entries with a value that contains the typed text (all for an empty text).
    void setFilter(const QString& typed);
    QString name(int row) const { return entry(row).nam; }
    // The shown row of a card, or -1.
    int rowOf(const QString& name) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    const card::ListEntry& entry(int row) const { return m_entries.at(m_shown[size_t(row)]); }
    void sortEntries();
    void filterEntries();

    list::NameOrder m_names;
    play::RosterOrder m_order{m_names};
    QList<card::ListEntry> m_entries; // in name order; the other orders are orders of positions
    std::vector<int> m_sorted;        // positions in m_entries, in the shown order
    std::vector<int> m_shown;         // those the search finds
    QString m_searchForm;
    play::RosterColumn m_column = play::RosterColumn::Name;
    Qt::SortOrder m_direction = Qt::AscendingOrder;
};

} // namespace app
