#pragma once

// The orders of the roster: by any of the list entry's five values.
#include "card/CardRecord.h"
#include "list/NameOrder.h"

#include <QList>

#include <optional>
#include <vector>

namespace play {

enum class RosterColumn { Name, Level, Race, Class, Alignment };

// Sorting list entries by one column, ascending (a descending view reverses the whole order).
// Levels go by value ("2" before "10", "＋３" as 3), and the levels that are not plain whole
// numbers come after them, by their text; the other columns go by their text. Text is compared as
// the card list compares names, and entries with equal values stand in the list's name order.
class RosterOrder
{
public:
    explicit RosterOrder(const list::NameOrder& names) : m_names(names) {}

    // Negative, zero or positive as a stands before, with or after b.
    int compare(const card::ListEntry& a, const card::ListEntry& b, RosterColumn column) const;
    // The same order for many entries.
    void sort(QList<card::ListEntry>& entries, RosterColumn column) const;
    // The positions of entries that stand in name order, in the column's order. Each distinct value
    // of the column is keyed once (a roster holds few races, classes or levels among many cards),
    // and the positions are sorted stably by their value's rank, so equal values keep the name order.
    std::vector<int> rowsInOrder(const QList<card::ListEntry>& byName, RosterColumn column) const;

    static const QString& columnText(const card::ListEntry& entry, RosterColumn column);

private:
    struct ValueKey
    {
        const QString* text;
        std::optional<int> level;
        QCollatorSortKey key;
    };
    ValueKey valueKey(const QString& text, RosterColumn column) const;
    static int compareValues(const ValueKey& x, const ValueKey& y);

    const list::NameOrder& m_names;
};

} // namespace play
