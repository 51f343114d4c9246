#include "play/RosterOrder.h"

#include "play/PlaySheet.h"

#include <QHash>

#include <algorithm>
#include <numeric>

namespace play {

using list::NameOrder;

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

RosterOrder::ValueKey RosterOrder::valueKey(const QString& text, RosterColumn column) const
{
    return {&text, column == RosterColumn::Level ? plainWholeNumber(text) : std::nullopt,
            m_names.sortKey(text)};
}

int RosterOrder::compareValues(const ValueKey& x, const ValueKey& y)
{
    int c = 0;
    if (x.level || y.level) // levels by value, before the levels that are no whole numbers
        c = x.level && y.level ? (*x.level > *y.level) - (*x.level < *y.level) : (y.level ? 1 : -1);
    else if ((c = x.key.compare(y.key)) == 0)
        c = NameOrder::compareCodePoints(*x.text, *y.text);
    return c == 0 ? 0 : (c < 0 ? -1 : 1);
}

int RosterOrder::compare(const card::ListEntry& a, const card::ListEntry& b, RosterColumn column) const
{
    int c = 0;
    if (column != RosterColumn::Name)
        c = compareValues(valueKey(columnText(a, column), column), valueKey(columnText(b, column), column));
    if (c == 0)
        c = m_names.compare(a.nam, b.nam);
    return c == 0 ? 0 : (c < 0 ? -1 : 1);
}

void RosterOrder::sort(QList<card::ListEntry>& entries, RosterColumn column) const
{
    list::sortByName(entries, m_names);
    if (column == RosterColumn::Name)
        return;
    QList<card::ListEntry> sorted;
    sorted.reserve(entries.size());
    for (int row : rowsInOrder(entries, column))
        sorted.append(std::move(entries[row]));
    entries = std::move(sorted);
}

std::vector<int> RosterOrder::rowsInOrder(const QList<card::ListEntry>& byName, RosterColumn column) const
{
    std::vector<int> rows(static_cast<size_t>(byName.size()));
    std::iota(rows.begin(), rows.end(), 0);
    if (column == RosterColumn::Name)
        return rows;
    // The distinct values, and each row's value among them.
    QHash<QString, int> seen;
    std::vector<QString> values;
    std::vector<int> valueOfRow(rows.size());
    for (size_t row = 0; row < rows.size(); ++row) {
        const QString& text = columnText(byName[qsizetype(row)], column);
        auto it = seen.constFind(text);
        if (it == seen.cend()) {
            it = seen.insert(text, int(values.size()));
            values.push_back(text);
        }
        valueOfRow[row] = *it;
    }
    // The values ranked once; equal levels ("3", "＋３") share a rank.
    std::vector<ValueKey> keys;
    keys.reserve(values.size());
    for (const QString& value : values)
        keys.push_back(valueKey(value, column));
    std::vector<int> byValue(values.size());
    std::iota(byValue.begin(), byValue.end(), 0);
    std::sort(byValue.begin(), byValue.end(),
              [&keys](int x, int y) { return compareValues(keys[size_t(x)], keys[size_t(y)]) < 0; });
    std::vector<int> rank(values.size());
    for (size_t i = 0; i < byValue.size(); ++i) {
        const bool tied = i > 0 && compareValues(keys[size_t(byValue[i - 1])], keys[size_t(byValue[i])]) == 0;
        rank[size_t(byValue[i])] = tied ? rank[size_t(byValue[i - 1])] : int(i);
    }
    std::stable_sort(rows.begin(), rows.end(), [&](int x, int y) {
        return rank[size_t(valueOfRow[size_t(x)])] < rank[size_t(valueOfRow[size_t(y)])];
    });
    return rows;
}

} // namespace play
