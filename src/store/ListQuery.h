#pragma once

#include "card/CardRecord.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

struct sqlite3;

namespace store {

// Which rows of lstt a list scan reads. Rows always come in the store's own order of Nam.
struct ListScan
{
    bool fromStart = true; // false: only the rows after the name `after`
    QString after;
    int limit = -1;         // at most this many rows; -1 for all
    int skip = 0;           // rows passed over before the first one given
    QStringList names;      // only the rows of these names; empty for no such restriction
    bool namesOnly = false; // read Nam alone, the other values stay empty
};

// The statement that reads the rows a scan names, and the values bound to its parameters, in order.
QString listQuery(const ListScan& scan);
QStringList listQueryValues(const ListScan& scan);

// The connection's own SQLite handle, or nullptr.
sqlite3* sqliteHandle(const QSqlDatabase& db);
// Whether Qt's SQLite driver runs on the very library this program links. On Debian the driver uses
// the system library, as the program does; a Qt that bundles its own copy of SQLite would hand over
// a handle of another library, which this program's calls must never touch. The two source ids
// (release and check-in) tell. Asked once per process: the libraries do not change while it runs.
bool sameSqliteLibrary(const QSqlDatabase& db);

// Runs a list query on a connection of the library and hands every row over; SQLite's result code.
int stepListRows(sqlite3* handle, const QByteArray& sql, const QStringList& values,
                 const std::function<void(const card::ListEntry&)>& visit);

} // namespace store
