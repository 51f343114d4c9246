#pragma once

#include "card/CardRecord.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace store {

// One row of the settings table as it is stored.
struct SetsRow
{
    QString btips;
    QVariant magw; // an int, or a null QVariant for NULL
    QString lng;

    bool operator==(const SetsRow&) const = default;
};

// The rows of the three tables, as a whole new store is written with them.
struct StoreRows
{
    QList<card::CardRecord> cards;
    QList<card::ListEntry> lists;
    QList<SetsRow> sets;
};

} // namespace store
