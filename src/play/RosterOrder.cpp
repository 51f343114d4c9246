#include "play/RosterOrder.h"

#include "play/PlaySheet.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace play {

using list::NameOrder;

// What an entry is sorted by: the level's value (levels only), the column's text, the name.
struct RosterOrder::Key
{
    const card::ListEntry* entry;
    std::optional<int> level;
    QCollatorSortKey text;
    QCollatorSortKey name;
};

const QString& RosterOrder::columnText(const card::ListEntry& entry, RosterColumn column)
{
    switch (column) {
    case RosterColumn::Level:
        return entry.lv;
    case RosterColumn::Race:
        return entry.race;
    case RosterColumn::Class:
        return entry.tra;
    case RosterColumn::Alignment:
        return entry.cmp;
    case RosterColumn::Name:
        break;
    }
    return entry.nam;
}

RosterOrder::Key RosterOrder::key(const card::ListEntry& entry, RosterColumn column) const
{
    const QString& text = columnText(entry, column);
    return {&entry, column == RosterColumn::Level ? plainWholeNumber(text) : std::nullopt,
            m_names.sortKey(text), m_names.sortKey(entry.nam)};
}

int RosterOrder::compare(const Key& x, const Key& y, RosterColumn column)
{
    int c = 0;
    if (x.level || y.level) // levels by value, before the levels that are no whole numbers
        c = x.level && y.level ? (*x.level > *y.level) - (*x.level < *y.level) : (y.level ? 1 : -1);
    else if (column != RosterColumn::Name)
        c = x.text.compare(y.text);
    if (c == 0 && !x.level && column != RosterColumn::Name)
        c = NameOrder::compareCodePoints(columnText(*x.entry, column), columnText(*y.entry, column));
    if (c == 0)
        c = x.name.compare(y.name);
    if (c == 0)
        c = NameOrder::compareCodePoints(x.entry->nam, y.entry->nam);
    return c == 0 ? 0 : (c < 0 ? -1 : 1);
}

int RosterOrder::compare(const card::ListEntry& a, const card::ListEntry& b, RosterColumn column) const
{
    return compare(key(a, column), key(b, column), column);
}

void RosterOrder::sort(QList<card::ListEntry>& entries, RosterColumn column) const
{
    if (column == RosterColumn::Name) {
        list::sortByName(entries, m_names);
        return;
    }
    std::vector<Key> keys;
    keys.reserve(static_cast<size_t>(entries.size()));
    for (const card::ListEntry& entry : entries)
        keys.push_back(key(entry, column));
    std::sort(keys.begin(), keys.end(),
              [column](const Key& x, const Key& y) { return compare(x, y, column) < 0; });
    QList<card::ListEntry> sorted;
    sorted.reserve(entries.size());
    for (const Key& k : keys)
        sorted.append(*k.entry);
    entries = std::move(sorted);
}

} // namespace play
