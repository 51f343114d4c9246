#pragma once

// A connection of its own to a store file, as another program would hold it: opened under a name no
// other connection uses, statements with bound values, closed and removed when it goes.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace kit {

class RawDb
{
public:
    explicit RawDb(const QString& path, int busyTimeoutMs = 2000);
    ~RawDb();
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    bool isOpen() const;
    bool exec(const QString& sql, const QVariantList& values = {});
    // The first column of every result row, as text ("" for NULL); an empty list on failure.
    QStringList column(const QString& sql, const QVariantList& values = {});
    // Every column of every result row, as text ("NULL" for NULL); an empty list on failure.
    QList<QStringList> rows(const QString& sql, const QVariantList& values = {});
    // Every result row as the values SQLite gave, NULL as a null QVariant; an empty list on failure.
    QList<QVariantList> records(const QString& sql, const QVariantList& values = {});
    // The first column of the first row; an invalid value when there is none or the statement fails.
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    // The error of the last statement (or of the opening), "" when it went through.
    QString lastError() const { return m_error; }
    QString connectionName() const { return m_name; }

private:
    QString m_name;
    QString m_error;
};

} // namespace kit
