#include "store/recovery/BackupFiles.h"

#include "store/SqliteHandle.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace store {

namespace {

// The first column of the first row of a statement, as text; null where there is no row.
QString scalar(sqlite3* db, const char* sql, bool* ok)
{
    sqlite3_stmt* statement = nullptr;
    QString value;
    *ok = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK;
    if (*ok) {
        const int rc = sqlite3_step(statement);
        *ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
        if (rc == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    return value;
}

FileCheck check(sqlite3* db, bool full, bool withNames)
{
    FileCheck result;
    bool ok = true;
    const QString integrity = full ? scalar(db, "PRAGMA integrity_check", &ok) : QStringLiteral("ok");
    if (!ok || integrity != QLatin1String("ok")) {
        result.error = ok ? integrity : QString::fromUtf8(sqlite3_errmsg(db));
        return result;
    }
    const QString cards = scalar(db, "SELECT COUNT(*) FROM card", &ok);
    if (!ok) {
        result.error = QString::fromUtf8(sqlite3_errmsg(db));
        return result;
    }
    result.cards = cards.toLongLong();
    if (withNames) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT Nae FROM card ORDER BY Nae", -1, &statement, nullptr) ==
            SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW)
                result.names << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
    }
    result.ok = true;
    return result;
}

} // namespace

FileCheck checkStoreFile(const QString& path, bool full, bool withNames)
{
    if (!QFileInfo(path).isFile())
        return {false, -1, {}, QStringLiteral("文件不存在")};
    SqliteHandle handle(path, SQLITE_OPEN_READONLY);
    if (!handle.ok())
        return {false, -1, {}, handle.error()};
    return check(handle.db(), full, withNames);
}

FileCheck copyDatabase(const QString& from, const QString& to)
{
    FileCheck result;
    SqliteHandle source(from, SQLITE_OPEN_READONLY);
    if (!source.ok()) {
        result.error = source.error();
        return result;
    }
    {
        SqliteHandle target(to, SQLITE_OPEN_READWRITE);
        if (!target.ok()) {
            result.error = target.error();
            return result;
        }
        sqlite3_exec(target.db(), "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        sqlite3_backup* backup = sqlite3_backup_init(target.db(), "main", source.db(), "main");
        if (!backup) {
            result.error = target.error();
            return result;
        }
        int rc = SQLITE_OK;
        // A writer holding the store makes the step busy: wait for it a little, as other operations do.
        for (int tries = 0; tries < 30; ++tries) {
            rc = sqlite3_backup_step(backup, -1);
            if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                break;
            sqlite3_sleep(50);
        }
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE) {
            result.error = QString::fromUtf8(sqlite3_errstr(rc));
            return result;
        }
    }
    return checkStoreFile(to);
}

} // namespace store
