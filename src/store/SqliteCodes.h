#pragma once

#include <QSqlError>

#include <sqlite3.h>

namespace store {

// The primary SQLite result code (SQLITE_BUSY, SQLITE_NOTADB …) of a failure reported by Qt's driver,
// without the extended bits.
inline int primaryResultCode(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

} // namespace store
