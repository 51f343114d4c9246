#pragma once

#include "card/Sheet.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace store {

class Module1;

// The tables of the recovery store, each made only where it is missing. `schema` names the store where
// it is attached to another connection ("recovery"); empty, the connection's own.
QStringList recoverySchema(const QString& schema = {});

// The fields of a sheet kept in the recovery store, as one JSON array.
QString encodeFields(const card::Sheet& sheet);
void decodeFields(const QString& json, card::Sheet& sheet);

// A connection of its own to a recovery store file, open for one operation, with the tables made where
// they are missing. The file must be there: one removed meanwhile is found missing, never made again
// empty. A missing file leaves the session neither existing nor failed.
class RecoverySession
{
public:
    RecoverySession(const QString& path, const QString& connection);
    // A session that failed before it could open anything, for that reason.
    explicit RecoverySession(QString error);
    ~RecoverySession();
    RecoverySession(const RecoverySession&) = delete;
    RecoverySession& operator=(const RecoverySession&) = delete;

    bool exists() const { return !m_missing; }
    bool ok() const { return m_open; }
    // The file is there, but it is no SQLite database.
    bool notADatabase() const { return m_notADatabase; }
    const QString& error() const { return m_error; }
    QSqlDatabase& db() { return m_db; }

private:
    QString m_connection;
    QSqlDatabase m_db;
    bool m_open = false;
    bool m_missing = false;
    bool m_notADatabase = false;
    QString m_error;
};

// Opens the recovery store at `path` for one operation. A file there that is no database is kept, as it
// is, under a name of its own ("<file>.damaged-<time>"). With `create`, a missing store is then built
// (whole, in a temporary file renamed into place); without, it stays missing.
std::unique_ptr<RecoverySession> openRecovery(const QString& path, const QString& connection, bool create);

// Runs one query on the recovery store at `path`, where there is one, and hands each row over. True
// where every row was read; false where the store is missing (error left as it is) or could not be
// read (*error says why).
bool readRecovery(const QString& path, const QString& connection, const QString& query,
                  const std::function<void(const QSqlQuery&)>& row, QString* error);

// Attaches the recovery store at `recoveryFile` to the store's open connection as "recovery", creating
// it first where it is missing, so that one transaction changes both. Must come before the
// transaction begins.
bool attachRecovery(Module1& db, const QString& recoveryFile, QString* error);
void detachRecovery(Module1& db);

} // namespace store
