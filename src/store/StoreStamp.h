#pragma once

#include <QString>
#include <QtGlobal>

namespace store {

// What tells one state of a store file from another, read without a pass over the cards: the file's
// change counter (SQLite counts every committed write in the file's header), the schema cookie (which
// a restore through SQLite's backup moves on even where the counter comes back to an old value) and
// the number of cards.
struct StoreStamp
{
    quint32 changes = 0;
    quint32 schema = 0;
    qint64 cards = -1;

    bool operator==(const StoreStamp&) const = default;
};

// Reads the stamp of the store at `path` in one read transaction of a read-only connection of its own,
// so that no write falls between its parts. Any thread may call it.
bool readStoreStamp(const QString& path, StoreStamp* stamp, QString* error);

} // namespace store
