#pragma once

#include "card/CardRecord.h"

#include <QString>

struct sqlite3;

namespace bench {

// The bare floor of a list rebuild: open the file, read the five columns of every list row with the
// SQLite library itself, build each entry text, sort the texts by the zh_CN collator's keys of the
// names, close. Returns the number of texts.
int bareListRead(const QString& storePath, const QString& mode);

// The bare floor of the roster sorted by one of its five columns (0 name, 1 level, 2 race): read the
// five columns of every list row with the SQLite library itself, then sort the rows by that
// column's keys made once per row (the level's value, the zh_CN collator's key of a text). Returns
// the number of rows.
int bareRosterRead(const QString& storePath, int column);

// A plain SQLite connection, held open, that writes the two rows of one save in one durable
// transaction (the same journal and sync settings as the program's own connection: the default
// rollback journal, synchronous=EXTRA).
class BareWriter
{
public:
    explicit BareWriter(const QString& storePath);
    ~BareWriter();
    BareWriter(const BareWriter&) = delete;
    BareWriter& operator=(const BareWriter&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    bool writeBoth(const card::CardRecord& record, const card::ListEntry& entry);

private:
    sqlite3* m_db = nullptr;
};

// The save done the old way: open the whole card table into the client, look for the name row by
// row, rewrite that row; close, reopen, the same with the whole list table. Each row is its own
// write, without a transaction around the two. The closing list rebuild is left out.
bool wholeTableSave(const QString& storePath, const card::CardRecord& record, const card::ListEntry& entry);

} // namespace bench
