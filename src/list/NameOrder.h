#pragma once

#include "card/CardRecord.h"

#include <QCollator>
#include <QList>
#include <QString>
#include <QStringView>

namespace list {

// The order of the card list: names by the collation of the zh_CN locale (pinyin order for Chinese,
// letter case ignored, digits by value), and names the collation finds equal by their code points,
// so that every two different names have one fixed order. Name matching elsewhere stays exact.
class NameOrder
{
public:
    NameOrder();

    int compare(QStringView a, QStringView b) const;
    bool less(QStringView a, QStringView b) const { return compare(a, b) < 0; }

    // A key whose comparison gives the collation's part of the order, for sorting many names.
    QCollatorSortKey sortKey(const QString& name) const { return m_collator.sortKey(name); }

    // Names this collation: its locale, the library's version and the order it gives a fixed set of
    // names. An order kept from another run holds only while this text is the same.
    QString identity() const;

    // The code-point order that decides between names the collation finds equal.
    static int compareCodePoints(QStringView a, QStringView b);

private:
    QCollator m_collator;
};

// Sorts list entries into name order.
void sortByName(QList<card::ListEntry>& entries, const NameOrder& order);

} // namespace list
