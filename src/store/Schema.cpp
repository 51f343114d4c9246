#include "store/Schema.h"

#include "card/CardRecord.h"
#include "lang/LanguagePacks.h"

namespace store::schema {

namespace {

Table makeCardTable()
{
    Table table{"card", {{"Nae", "TEXT"}, {"Info", "TEXT"}, {"Chk", "TEXT"}}};
    for (const char* note : card::NoteColumns)
        table.columns.append(Column{note, "TEXT"});
    return table;
}

} // namespace

const Table& cardTable()
{
    static const Table table = makeCardTable();
    return table;
}

const Table& listTable()
{
    static const Table table{
        "lstt", {{"Nam", "TEXT"}, {"lv", "TEXT"}, {"race", "TEXT"}, {"tra", "TEXT"}, {"cmp", "TEXT"}}};
    return table;
}

const Table& setsTable()
{
    static const Table table{"sets", {{"Btips", "TEXT"}, {"magw", "INTEGER"}, {"Lng", "TEXT"}}};
    return table;
}

const QList<Table>& tables()
{
    static const QList<Table> all{cardTable(), listTable(), setsTable()};
    return all;
}

QStringList columnNames(const Table& table)
{
    QStringList names;
    for (const Column& column : table.columns)
        names << QLatin1String(column.name);
    return names;
}

QString columnList(const Table& table)
{
    return columnNames(table).join(QStringLiteral(", "));
}

QString insertStatement(const Table& table)
{
    QStringList marks;
    for (qsizetype i = 0; i < table.columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(QLatin1String(table.name), columnList(table), marks.join(QStringLiteral(", ")));
}

QString keyColumn(const Table& table)
{
    return QLatin1String(table.columns.constFirst().name);
}

QString updateStatement(const Table& table)
{
    QStringList sets;
    for (qsizetype i = 1; i < table.columns.size(); ++i)
        sets << QLatin1String(table.columns[i].name) + QStringLiteral(" = ?");
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
        .arg(QLatin1String(table.name), sets.join(QStringLiteral(", ")), keyColumn(table));
}

QString deleteStatement(const Table& table)
{
    return QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(QLatin1String(table.name), keyColumn(table));
}

QString selectStatement(const Table& table)
{
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
        .arg(columnList(table), QLatin1String(table.name), keyColumn(table));
}

QString countStatement(const Table& table)
{
    return QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
        .arg(QLatin1String(table.name), keyColumn(table));
}

QStringList createStatements()
{
    QStringList statements;
    for (const Table& table : tables()) {
        QStringList columns;
        for (const Column& column : table.columns)
            columns << QLatin1String(column.name) + QLatin1Char(' ') + QLatin1String(column.type);
        statements << QStringLiteral("CREATE TABLE %1 (%2)")
                          .arg(QLatin1String(table.name), columns.join(QStringLiteral(", ")));
    }
    // Names are unique in both tables; the card list reads all five columns in name order, and with
    // every column in the index that walk never leaves the index for the long card rows.
    statements << QStringLiteral("CREATE UNIQUE INDEX card_Nae ON card (Nae)")
               << QStringLiteral("CREATE UNIQUE INDEX lstt_Nam ON lstt (Nam)") << listIndexStatement();
    return statements;
}

QString listIndexName()
{
    return QStringLiteral("lstt_list");
}

QString listIndexStatement()
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON lstt (%2)")
        .arg(listIndexName(), columnList(listTable()));
}

QString settingsRowKey()
{
    return QStringLiteral("XD");
}

QVariantList defaultSettingsRow()
{
    return {settingsRowKey(), 0, lang::builtInLanguage()};
}

} // namespace store::schema
