#include "store/StoreStamp.h"

#include "store/SqliteHandle.h"

namespace store {

namespace {

bool readNumber(sqlite3* db, const char* sql, qint64* value)
{
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW)
        *value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return rc == SQLITE_ROW;
}

// The change counter, read through the library's own file while the read transaction holds its lock.
bool readChangeCounter(sqlite3* db, quint32* changes)
{
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return false;
    unsigned char bytes[4] = {};
    if (file->pMethods->xRead(file, bytes, 4, 24) != SQLITE_OK)
        return false;
    *changes = (quint32(bytes[0]) << 24) | (quint32(bytes[1]) << 16) | (quint32(bytes[2]) << 8) | bytes[3];
    return true;
}

} // namespace

bool readStoreStamp(const QString& path, StoreStamp* stamp, QString* error)
{
    SqliteHandle handle(path, SQLITE_OPEN_READONLY);
    if (!handle.ok()) {
        *error = handle.error();
        return false;
    }
    sqlite3* db = handle.db();
    qint64 cards = -1;
    qint64 schema = 0;
    // The count takes the read lock first; the header and the cookie are then those of the same state.
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
              readNumber(db, "SELECT count(*) FROM lstt", &cards) &&
              readNumber(db, "PRAGMA schema_version", &schema) && readChangeCounter(db, &stamp->changes);
    if (!ok)
        *error = handle.error();
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    stamp->cards = cards;
    stamp->schema = static_cast<quint32>(schema);
    return ok;
}

} // namespace store
