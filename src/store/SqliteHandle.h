#pragma once

#include "store/Module1.h"

#include <QFile>
#include <QString>

#include <sqlite3.h>

namespace store {

// One connection of the SQLite library itself, beside the program's Qt connection, closed at scope
// end: for copies, checks, and reads on a thread of their own.
class SqliteHandle
{
public:
    SqliteHandle(const QString& path, int flags)
    {
        m_rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        if (m_db)
            sqlite3_busy_timeout(m_db, Module1::BusyTimeoutMs);
    }
    ~SqliteHandle() { sqlite3_close_v2(m_db); }
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;
    bool ok() const { return m_rc == SQLITE_OK; }
    sqlite3* db() const { return m_db; }
    QString error() const
    {
        return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
    }

private:
    sqlite3* m_db = nullptr;
    int m_rc = SQLITE_ERROR;
};

} // namespace store
