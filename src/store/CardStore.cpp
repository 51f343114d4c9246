#include "store/CardStore.h"

#include "store/Schema.h"
#include "store/SqliteHandle.h"
#include "store/recovery/Recovery.h"
#include "store/recovery/RecoveryStore.h"

#include <QSqlDriver>
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

namespace {

QString listQuery(const ListScan& scan)
{
    const schema::Table& table = schema::listTable();
    const QString key = schema::keyColumn(table);
    QStringList columns = schema::columnNames(table);
    if (scan.namesOnly)
        columns.fill(QStringLiteral("NULL")).first() = key;
    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(columns.join(QStringLiteral(", ")), QLatin1String(table.name));
    QStringList conditions;
    if (!scan.fromStart)
        conditions << key + QStringLiteral(" > ?");
    if (!scan.names.isEmpty())
        conditions << QStringLiteral("%1 IN (%2)")
                          .arg(key, QStringLiteral("?, ").repeated(scan.names.size() - 1) + QLatin1Char('?'));
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY %1 ASC").arg(key);
    if (scan.limit >= 0 || scan.skip > 0)
        sql += QStringLiteral(" LIMIT %1 OFFSET %2").arg(scan.limit).arg(scan.skip);
    return sql;
}

// The values bound to the query's parameters, in order.
QStringList listQueryValues(const ListScan& scan)
{
    QStringList values;
    if (!scan.fromStart)
        values << scan.after;
    return values + scan.names;
}

// The connection's own SQLite handle.
sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// Whether Qt's SQLite driver runs on the very library this program links. On Debian the driver uses
// the system library, as the program does; a Qt that bundles its own copy of SQLite would hand over
// a handle of another library, which this program's calls must never touch. The two source ids
// (release and check-in) tell. Asked once per process: the libraries do not change while it runs.
bool sameSqliteLibrary(const QSqlDatabase& db)
{
    static int known = -1; // only the user-interface thread uses the store
    if (known < 0) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT sqlite_source_id()")) || !q.next())
            return false;
        known = q.value(0).toString() == QLatin1String(sqlite3_sourceid()) ? 1 : 0;
    }
    return known == 1;
}

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

// Runs a list query on a connection of the library and hands every row over; SQLite's result code.
int stepRows(sqlite3* handle, const QByteArray& sql, const QStringList& values,
             const std::function<void(const card::ListEntry&)>& visit)
{
    // A scan walks the list's index once from one end towards the other and never reads a page it
    // has passed again: a small page cache serves it as well as the default one, and a long list no
    // longer fills the default's two megabytes.
    sqlite3_exec(handle, "PRAGMA cache_size=-256", nullptr, nullptr, nullptr);
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(handle, sql.constData(), -1, &statement, nullptr);
    for (int i = 0; rc == SQLITE_OK && i < values.size(); ++i) {
        const QByteArray value = values[i].toUtf8();
        rc = sqlite3_bind_text(statement, i + 1, value.constData(), static_cast<int>(value.size()),
                               SQLITE_TRANSIENT);
    }
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            visit({columnText(statement, 0), columnText(statement, 1), columnText(statement, 2),
                   columnText(statement, 3), columnText(statement, 4)});
        }
    }
    sqlite3_finalize(statement);
    return rc;
}

} // namespace

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
    const int rc = stepRows(handle, sql, values, visit);
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
    const int rc = handle.ok() ? stepRows(handle.db(), listQuery(scan).toUtf8(), listQueryValues(scan), visit)
                               : SQLITE_CANTOPEN;
    if (rc != SQLITE_DONE && rc != SQLITE_OK) {
        *error = handle.error();
        return false;
    }
    return true;
}

} // namespace store
