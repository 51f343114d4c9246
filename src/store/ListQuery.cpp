// The list's query, and its rows read straight from the SQLite library.
#include "store/ListQuery.h"

#include "store/Schema.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

namespace store {

namespace {

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

} // namespace

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

QStringList listQueryValues(const ListScan& scan)
{
    QStringList values;
    if (!scan.fromStart)
        values << scan.after;
    return values + scan.names;
}

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

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

int stepListRows(sqlite3* handle, const QByteArray& sql, const QStringList& values,
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

} // namespace store
