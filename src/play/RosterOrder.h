#pragma once

// The orders of the roster: by any of the list entry's five values.
#include "card/CardRecord.h"
#include "list/NameOrder.h"

#include <QList>

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
    // The same order for many entries, with each entry's keys made once.
    void sort(QList<card::ListEntry>& entries, RosterColumn column) const;

    static const QString& columnText(const card::ListEntry& entry, RosterColumn column);

private:
    struct Key;
    Key key(const card::ListEntry& entry, RosterColumn column) const;
    static int compare(const Key& x, const Key& y, RosterColumn column);

    const list::NameOrder& m_names;
};

} // namespace play
