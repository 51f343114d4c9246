#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

// The store's three tables, their columns and indexes, written down once. Creation, the check of an
// opened store, the card writes, the legacy reader's arguments and the import's inserts are all built
// from here.
namespace store::schema {

struct Column
{
    const char* name;
    const char* type; // the SQLite column type
};

struct Table
{
    const char* name;
    QList<Column> columns; // in stored order
};

// card: Nae, Info, Chk and the note columns of card::NoteColumns; lstt: the five list values;
// sets: the settings rows.
const Table& cardTable();
const Table& listTable();
const Table& setsTable();
// All three, in the order above.
const QList<Table>& tables();

QStringList columnNames(const Table& table);
// "a, b, c"
QString columnList(const Table& table);
// "INSERT INTO t (a, b, c) VALUES (?, ?, ?)"
QString insertStatement(const Table& table);
// The first column, which names the row: "a"
QString keyColumn(const Table& table);
// "UPDATE t SET b = ?, c = ? WHERE a = ?": every column but the key, then the key
QString updateStatement(const Table& table);
// "DELETE FROM t WHERE a = ?"
QString deleteStatement(const Table& table);
// "SELECT a, b, c FROM t WHERE a = ?"
QString selectStatement(const Table& table);
// "SELECT COUNT(*) FROM t WHERE a = ?"
QString countStatement(const Table& table);

// CREATE statements of the tables and their indexes, in the order they are run.
QStringList createStatements();
// The covering index the card list walks (added to older stores at start-up).
QString listIndexName();
QString listIndexStatement();

// The settings row every store holds, and its values in a new store (Btips, magw, Lng).
QString settingsRowKey();
QVariantList defaultSettingsRow();

} // namespace store::schema
