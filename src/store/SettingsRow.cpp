#include "store/SettingsRow.h"

#include "lang/LanguagePacks.h"
#include "store/Schema.h"

#include <QSqlQuery>

#include <cmath>
#include <limits>

namespace store::settings {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString missingRow()
{
    return QStringLiteral("数据库中没有设置记录（XD），设置未能保存。");
}

// Writes one column of the settings row. The column name is one of ours, never user text.
bool writeColumn(Module1& db, QLatin1String column, const QVariant& value, QString* error)
{
    DbSession session(db);
    if (!session.ok()) {
        setError(error, session.error());
        return false;
    }
    QSqlQuery q(db.DbConnection());
    if (!q.prepare(QStringLiteral("UPDATE sets SET ") + column + QStringLiteral(" = ? WHERE Btips = ?"))) {
        setError(error, db.describeFailure(q.lastError()));
        return false;
    }
    q.addBindValue(value);
    q.addBindValue(schema::settingsRowKey());
    if (!q.exec()) {
        setError(error, db.describeFailure(q.lastError()));
        return false;
    }
    if (q.numRowsAffected() < 1) {
        setError(error, missingRow());
        return false;
    }
    return true;
}

// 1 when the row "XD" exists, 0 when not, -1 when the query failed.
int settingsRowCount(Module1& db, QString* error)
{
    QSqlQuery q(db.DbConnection());
    if (!q.prepare(QStringLiteral("SELECT COUNT(*) FROM sets WHERE Btips = ?"))) {
        setError(error, db.describeFailure(q.lastError()));
        return -1;
    }
    q.addBindValue(schema::settingsRowKey());
    if (!q.exec() || !q.next()) {
        setError(error, db.describeFailure(q.lastError()));
        return -1;
    }
    return q.value(0).toLongLong() > 0 ? 1 : 0;
}

} // namespace

std::optional<qint16> toInt16(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    double number = 0;
    bool ok = false;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        number = value.toDouble(&ok);
        break;
    case QMetaType::QString:
    case QMetaType::QByteArray:
        number = value.toString().trimmed().toDouble(&ok);
        break;
    default:
        break;
    }
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    // Half-way values go to the even neighbour.
    const double rounded = std::nearbyint(number);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

StoredSettings readSettings(Module1& db)
{
    StoredSettings result;
    DbSession session(db);
    if (!session.ok()) {
        result.error = session.error();
        return result;
    }
    QSqlQuery q(db.DbConnection());
    q.setForwardOnly(true);
    // The row the writes change, and no other: with a second row in the table (whose Btips may sort
    // first) a setting read from there would never follow what the user ticks.
    if (!q.prepare(QStringLiteral("SELECT magw, Lng FROM sets WHERE Btips = ? LIMIT 1"))) {
        result.error = db.describeFailure(q.lastError());
        return result;
    }
    q.addBindValue(schema::settingsRowKey());
    if (!q.exec()) {
        result.error = db.describeFailure(q.lastError());
        return result;
    }
    result.ok = true;
    if (!q.next())
        return result;
    result.found = true;
    result.magw = toInt16(q.value(0));
    result.lng = q.value(1).toString();
    return result;
}

bool writeMagw(Module1& db, qint16 magw, QString* error)
{
    return writeColumn(db, QLatin1String("magw"), QVariant::fromValue<int>(magw), error);
}

bool writeLanguage(Module1& db, const QString& lng, QString* error)
{
    if (lng.isEmpty())
        return true;
    return writeColumn(db, QLatin1String("Lng"), lng, error);
}

bool resetLanguage(Module1& db, QString* error)
{
    return writeLanguage(db, lang::builtInLanguage(), error);
}

bool ensureSettingsRow(Module1& db, QString* error)
{
    if (!db.isUsable()) {
        setError(error, db.unusableReason());
        return false;
    }
    DbSession session(db);
    if (!session.ok()) {
        setError(error, session.error());
        return false;
    }
    // Looked for before any write, so that a store that has the row is never written to.
    const int before = settingsRowCount(db, error);
    if (before != 0)
        return before == 1;
    if (!db.beginWrite(error))
        return false;
    // Looked for again inside the transaction: another program may have added it meanwhile.
    const int inside = settingsRowCount(db, error);
    if (inside != 0) {
        db.rollback();
        return inside == 1;
    }
    bool ok = false;
    {
        QSqlQuery q(db.DbConnection());
        ok = q.prepare(schema::insertStatement(schema::setsTable()));
        if (ok) {
            for (const QVariant& value : schema::defaultSettingsRow())
                q.addBindValue(value);
            ok = q.exec() && q.numRowsAffected() == 1;
        }
        if (!ok)
            setError(error, db.describeFailure(q.lastError()));
    }
    if (!ok) {
        db.rollback();
        return false;
    }
    return db.commit(error);
}

} // namespace store::settings
