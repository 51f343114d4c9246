#pragma once

#include "card/CardRecord.h"
#include "store/StoreRows.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// The three tables of an old Access store as the reader helper hands them over, and the repairs that
// make every card show in the list.
namespace store {

// The old store's rows are the rows a new store is written with.
using LegacyTables = StoreRows;

// The reader's arguments after the file name: each table with its columns, in the order parsed below.
QStringList legacyReaderTableArguments();

// Parses the reader's complete output. Every length, count and the end marker are checked; text must be
// valid UTF-8. NULL stays a null QString, an empty value an empty one.
bool parseLegacyDump(const QByteArray& output, LegacyTables& tables, QString* error);

// What goes into the new store:
// - a list entry whose name has exactly one entry and a card is kept as it is;
// - several entries of one name with a card become one, rebuilt from the card's fields;
// - a card without an entry gets one, rebuilt from its fields;
// - an entry without a card gives a card holding its five values: the name, and level, race, class and
//   alignment in the info string at the places of fields 6, 8, 1 and 2; nothing ticked, every other
//   value empty, as the program itself would store a card with only these fields filled in. Several
//   such entries of one name give one card from the first of them, which alone is kept.
// Cards and entries keep the file's order; repaired entries of cards follow the kept ones.
LegacyTables repairLegacyTables(const LegacyTables& tables);

// A name that two cards of the file share, if any (the store keeps names unique).
bool findDuplicateCardName(const QList<card::CardRecord>& cards, QString* name);

} // namespace store
