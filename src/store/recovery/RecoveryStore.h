#pragma once

#include <QSqlDatabase>
#include <QString>

namespace store {

// A connection of its own to a recovery store, open for one operation. Without create, a missing file
// is left missing: the session is then neither open nor failed.
class RecoverySession
{
public:
    RecoverySession(const QString& path, const QString& connection, bool create);
    ~RecoverySession();
    RecoverySession(const RecoverySession&) = delete;
    RecoverySession& operator=(const RecoverySession&) = delete;

    bool exists() const { return m_db.isValid(); }
    bool ok() const { return m_open; }
    const QString& error() const { return m_error; }
    QSqlDatabase& db() { return m_db; }

private:
    QString m_connection;
    QSqlDatabase m_db;
    bool m_open = false;
    QString m_error;
};

} // namespace store
