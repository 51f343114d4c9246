#include "store/CardStore.h"

#include "store/ListQuery.h"
#include "store/Schema.h"
#include "store/SqliteHandle.h"
#include "store/recovery/Recovery.h"
#include "store/recovery/RecoveryStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

namespace store {

namespace {

QString nullable(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

// Binds a value that must reach SQLite as text, never as NULL: an empty field is an empty string.
void bindText(QSqlQuery& q, const QString& value)
{
    q.addBindValue(value.isNull() ? QStringLiteral("") : value);
}

} // namespace

bool CardStore::begin(QString* error)
{
    return m_connection->begin(m_db, error);
}

bool CardStore::insertListEntry(const card::ListEntry& entry, QString* error)
{
    QSqlQuery q(m_db.DbConnection());
    if (q.prepare(schema::insertStatement(schema::listTable()))) {
        bindText(q, entry.nam);
        bindText(q, entry.lv);
        bindText(q, entry.race);
        bindText(q, entry.tra);
        bindText(q, entry.cmp);
        if (q.exec() && q.numRowsAffected() == 1)
            return true;
    }
    *error = m_db.describeFailure(q.lastError());
    return false;
}

bool CardStore::insertRows(const card::CardRecord& record, const card::ListEntry& entry, QString* error)
{
    QSqlQuery q(m_db.DbConnection());
    if (!q.prepare(schema::insertStatement(schema::cardTable()))) {
        *error = m_db.describeFailure(q.lastError());
        return false;
    }
    bindText(q, record.nae);
    bindText(q, record.info);
    bindText(q, record.chk);
    for (const QString& note : record.notes)
        bindText(q, note);
    if (!q.exec() || q.numRowsAffected() != 1) {
        *error = m_db.describeFailure(q.lastError());
        return false;
    }
    return m_connection->betweenRows(error) && insertListEntry(entry, error);
}

Outcome CardStore::commit()
{
    QString error;
    if (!m_connection->commit(m_db, &error))
        return {OpStatus::Failed, error};
    return {OpStatus::Done, {}};
}

Outcome CardStore::fail(const QString& error)
{
    m_connection->rollback(m_db);
    return {OpStatus::Failed, error};
}

LoadResult CardStore::load(const QString& name)
{
    LoadResult result;
    DbSession session(m_db);
    if (!session.ok()) {
        result.error = session.error();
        return result;
    }
    QSqlQuery q(m_db.DbConnection());
    q.setForwardOnly(true);
    if (!q.prepare(schema::selectStatement(schema::cardTable()))) {
        result.error = m_db.describeFailure(q.lastError());
        return result;
    }
    q.addBindValue(name);
    if (!q.exec()) {
        result.error = m_db.describeFailure(q.lastError());
        return result;
    }
    result.ok = true;
    if (q.next()) {
        result.found = true;
        result.record.nae = nullable(q.value(0));
        result.record.info = nullable(q.value(1));
        result.record.chk = nullable(q.value(2));
        for (int c = 0; c < card::NoteColumnCount; ++c)
            result.record.notes[c] = nullable(q.value(3 + c));
    }
    return result;
}

Outcome CardStore::add(const card::Sheet& sheet)
{
    const card::CardRecord record = card::toCardRecord(sheet);
    const card::ListEntry entry = card::toListEntry(sheet);
    if (record.nae.isEmpty())
        return {OpStatus::EmptyName, {}};
    QString notice;
    if (m_recovery && m_db.isUsable())
        m_recovery->backups().beforeChange(&notice);

    DbSession session(m_db);
    if (!session.ok())
        return {OpStatus::Failed, session.error()};
    QString error;
    if (!begin(&error))
        return {OpStatus::Failed, error};
    {
        QSqlQuery q(m_db.DbConnection());
        if (!q.prepare(QStringLiteral("SELECT (%1) + (%2)")
                           .arg(schema::countStatement(schema::cardTable()),
                                schema::countStatement(schema::listTable()))))
            return fail(m_db.describeFailure(q.lastError()));
        q.addBindValue(record.nae);
        q.addBindValue(record.nae);
        if (!q.exec() || !q.next())
            return fail(m_db.describeFailure(q.lastError()));
        if (q.value(0).toLongLong() > 0) {
            q.finish();
            fail({});
            return {OpStatus::Duplicate, {}};
        }
    }
    if (!insertRows(record, entry, &error))
        return fail(error);
    Outcome done = commit();
    done.notice = notice;
    return done;
}

Outcome CardStore::save(const QString& selectedName, const card::Sheet& sheet)
{
    const card::CardRecord record = card::toCardRecord(sheet);
    const card::ListEntry entry = card::toListEntry(sheet);
    if (record.nae != selectedName)
        return {OpStatus::NameChanged, {}};
    QString notice;
    if (m_recovery && m_db.isUsable())
        m_recovery->backups().beforeChange(&notice);

    DbSession session(m_db);
    if (!session.ok())
        return {OpStatus::Failed, session.error()};
    QString error;
    if (!begin(&error))
        return {OpStatus::Failed, error};
    {
        QSqlQuery q(m_db.DbConnection());
        if (!q.prepare(schema::updateStatement(schema::cardTable())))
            return fail(m_db.describeFailure(q.lastError()));
        bindText(q, record.info);
        bindText(q, record.chk);
        for (const QString& note : record.notes)
            bindText(q, note);
        q.addBindValue(record.nae);
        if (!q.exec())
            return fail(m_db.describeFailure(q.lastError()));
        if (q.numRowsAffected() == 0) {
            fail({});
            return {OpStatus::CardMissing, {}};
        }
        if (q.numRowsAffected() != 1)
            return fail(QStringLiteral("数据库中有多张同名角色卡。"));
    }
    if (!m_connection->betweenRows(&error))
        return fail(error);
    {
        QSqlQuery q(m_db.DbConnection());
        if (!q.prepare(schema::updateStatement(schema::listTable())))
            return fail(m_db.describeFailure(q.lastError()));
        bindText(q, entry.lv);
        bindText(q, entry.race);
        bindText(q, entry.tra);
        bindText(q, entry.cmp);
        q.addBindValue(entry.nam);
        if (!q.exec())
            return fail(m_db.describeFailure(q.lastError()));
        if (q.numRowsAffected() == 0) {
            // The card had lost its list entry: give it back, so the card shows in the list again.
            if (!insertListEntry(entry, &error))
                return fail(error);
        } else if (q.numRowsAffected() != 1) {
            return fail(QStringLiteral("数据库中有多个同名列表项。"));
        }
    }
    Outcome done = commit();
    done.notice = notice;
    return done;
}

Outcome CardStore::remove(const QString& name)
{
    QString notice;
    if (m_recovery && m_db.isUsable())
        m_recovery->backups().beforeChange(&notice);
    DbSession session(m_db);
    if (!session.ok())
        return {OpStatus::Failed, session.error()};
    QString error;
    // The recovery store joins the transaction: the card is kept there if and only if it is deleted.
    if (m_recovery && !attachRecovery(m_db, m_recovery->recoveryFile(), &error))
        return {OpStatus::Failed,
                QStringLiteral("无法保留被删除的角色卡（%1），本次删除未进行。").arg(error)};
    Outcome outcome = removeRows(name);
    if (m_recovery)
        detachRecovery(m_db);
    outcome.notice = notice;
    return outcome;
}

Outcome CardStore::removeRows(const QString& name)
{
    QString error;
    if (!begin(&error))
        return {OpStatus::Failed, error};
    if (m_recovery && !m_recovery->deleted().keep(m_db, name, &error))
        return fail(error);
    const QString statements[] = {schema::deleteStatement(schema::cardTable()),
                                  schema::deleteStatement(schema::listTable())};
    bool first = true;
    for (const QString& statement : statements) {
        if (!first && !m_connection->betweenRows(&error))
            return fail(error);
        first = false;
        QSqlQuery q(m_db.DbConnection());
        if (!q.prepare(statement))
            return fail(m_db.describeFailure(q.lastError()));
        q.addBindValue(name);
        if (!q.exec())
            return fail(m_db.describeFailure(q.lastError()));
    }
    return commit();
}

ListResult CardStore::list()
{
    ListResult result;
    const auto keep = [&result](const card::ListEntry& entry) { result.entries.append(entry); };
    result.ok = scanList(keep, &result.error);
    if (!result.ok)
        result.entries.clear();
    return result;
}

bool CardConnection::onOwnSqliteLibrary(const QSqlDatabase& db)
{
    return sameSqliteLibrary(db);
}

bool CardStore::scanList(const ListScan& scan, const std::function<void(const card::ListEntry&)>& visit,
                         QString* error)
{
    DbSession session(m_db);
    if (!session.ok()) {
        *error = session.error();
        return false;
    }
    const QByteArray sql = listQuery(scan).toUtf8();
    const QStringList values = listQueryValues(scan);
    if (m_connection->onOwnSqliteLibrary(m_db.DbConnection()) && sqliteHandle(m_db.DbConnection()))
        return scanWithLibrary(sql, values, visit, error);
    QSqlQuery q(m_db.DbConnection());
    q.setForwardOnly(true);
    bool ok = q.prepare(QString::fromUtf8(sql));
    for (const QString& value : values)
        q.addBindValue(value);
    if (!ok || !q.exec()) {
        *error = m_db.describeFailure(q.lastError());
        return false;
    }
    while (q.next()) {
        visit({nullable(q.value(0)), nullable(q.value(1)), nullable(q.value(2)), nullable(q.value(3)),
               nullable(q.value(4))});
    }
    if (q.lastError().isValid()) {
        *error = m_db.describeFailure(q.lastError());
        return false;
    }
    return true;
}

// The list is read often and whole: each row goes straight from the library's UTF-8 text into the
// entry, without the driver's per-value copies.
bool CardStore::scanWithLibrary(const QByteArray& sql, const QStringList& values,
                                const std::function<void(const card::ListEntry&)>& visit, QString* error)
{
    sqlite3* handle = sqliteHandle(m_db.DbConnection());
    const int rc = stepListRows(handle, sql, values, visit);
    if (rc != SQLITE_DONE && rc != SQLITE_OK) {
        *error = m_db.describeFailure(QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(handle)),
                                                QSqlError::StatementError,
                                                QString::number(sqlite3_extended_errcode(handle))));
        return false;
    }
    return true;
}

bool CardStore::canScanAlone()
{
    DbSession session(m_db);
    return session.ok() && m_connection->onOwnSqliteLibrary(m_db.DbConnection());
}

bool CardStore::scanAlone(const QString& storePath, const ListScan& scan,
                          const std::function<void(const card::ListEntry&)>& visit, QString* error)
{
    SqliteHandle handle(storePath, SQLITE_OPEN_READONLY);
    const int rc = handle.ok()
                       ? stepListRows(handle.db(), listQuery(scan).toUtf8(), listQueryValues(scan), visit)
                       : SQLITE_CANTOPEN;
    if (rc != SQLITE_DONE && rc != SQLITE_OK) {
        *error = handle.error();
        return false;
    }
    return true;
}

} // namespace store
