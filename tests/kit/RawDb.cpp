#include "RawDb.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kit {

namespace {

// Prepares and runs a statement; false with its error kept on failure, the error cleared otherwise.
bool run(QSqlQuery& q, const QString& sql, const QVariantList& values, QString* error)
{
    error->clear();
    if (!q.prepare(sql)) {
        *error = q.lastError().text();
        return false;
    }
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

} // namespace

RawDb::RawDb(const QString& path, int busyTimeoutMs)
{
    static int count = 0;
    m_name = QStringLiteral("kit-raw-%1").arg(++count);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open())
        m_error = db.lastError().text();
}

RawDb::~RawDb()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool RawDb::isOpen() const
{
    return QSqlDatabase::database(m_name, false).isOpen();
}

bool RawDb::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    return run(q, sql, values, &m_error);
}

QStringList RawDb::column(const QString& sql, const QVariantList& values)
{
    QStringList out;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.setForwardOnly(true);
    if (!run(q, sql, values, &m_error))
        return out;
    while (q.next())
        out << (q.value(0).isNull() ? QStringLiteral("") : q.value(0).toString());
    return out;
}

QList<QStringList> RawDb::rows(const QString& sql, const QVariantList& values)
{
    QList<QStringList> out;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.setForwardOnly(true);
    if (!run(q, sql, values, &m_error))
        return out;
    while (q.next()) {
        QStringList row;
        for (int c = 0; c < q.record().count(); ++c)
            row << (q.isNull(c) ? QStringLiteral("NULL") : q.value(c).toString());
        out << row;
    }
    return out;
}

QList<QVariantList> RawDb::records(const QString& sql, const QVariantList& values)
{
    QList<QVariantList> out;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.setForwardOnly(true);
    if (!run(q, sql, values, &m_error))
        return out;
    while (q.next()) {
        QVariantList row;
        for (int c = 0; c < q.record().count(); ++c)
            row << q.value(c);
        out << row;
    }
    return out;
}

QVariant RawDb::scalar(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.setForwardOnly(true);
    if (!run(q, sql, values, &m_error) || !q.next())
        return {};
    return q.value(0);
}

} // namespace kit
