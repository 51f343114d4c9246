#pragma once

// Looking at a store file from outside, as another program would: statements on a connection of
// their own, every row of the three tables, and the raw bytes of the file; and the sheets read from
// it, compared field by field.
#include "RawDb.h"
#include "card/CardRecord.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

namespace probe {

// Runs statements on a connection of its own, opened and closed around them. Returns false when
// one of them fails; the rows of the last one are rendered into `rows`, NULL as "NULL".
inline bool execute(const QString& path, const QStringList& statements, QList<QStringList>* rows = nullptr)
{
    kit::RawDb db(path);
    bool ok = db.isOpen();
    for (int i = 0; ok && i < statements.size(); ++i) {
        if (rows && i + 1 == statements.size()) {
            *rows += db.rows(statements[i]);
            ok = db.lastError().isEmpty();
        } else {
            ok = db.exec(statements[i]);
        }
    }
    return ok;
}

inline QList<QStringList> rows(const QString& path, const QString& select)
{
    QList<QStringList> result;
    if (!execute(path, {select}, &result))
        return {{QStringLiteral("query failed")}};
    return result;
}

// Every row of the three tables, keyed by its first column, each value with its SQLite type.
struct Dump
{
    bool ok = false;
    QMap<QString, QString> card;
    QMap<QString, QString> lstt;
    QMap<QString, QString> sets;
};

inline bool readTable(QSqlDatabase& db, const QString& table, const QString& columns,
                      QMap<QString, QString>& rows)
{
    const QStringList names = columns.split(QLatin1Char(' '));
    QStringList select;
    for (const QString& c : names)
        select << QStringLiteral("typeof(%1), %1").arg(c);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT %1 FROM %2").arg(select.join(QStringLiteral(", ")), table)))
        return false;
    while (q.next()) {
        QString row;
        for (int c = 0; c < names.size(); ++c)
            row += q.value(2 * c).toString() + QLatin1Char(':') + q.value(2 * c + 1).toString() +
                   QLatin1Char('|');
        QString key = q.value(1).toString();
        while (rows.contains(key))
            key += QStringLiteral(" (again)");
        rows.insert(key, row);
    }
    return true;
}

inline Dump dump(const QString& path)
{
    Dump d;
    const QString name = QStringLiteral("dump");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        d.ok = db.open() &&
               readTable(db, QStringLiteral("card"),
                         QStringLiteral("Nae Info Chk ZhongZu ZhuanChang TeZheng Lang YiShi QiTa WuPin "
                                        "GeXing WaiMao MengYou BeiJing Blog"),
                         d.card) &&
               readTable(db, QStringLiteral("lstt"), QStringLiteral("Nam lv race tra cmp"), d.lstt) &&
               readTable(db, QStringLiteral("sets"), QStringLiteral("Btips magw Lng"), d.sets);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return d;
}

inline QString mapDifference(const char* table, const QMap<QString, QString>& a,
                             const QMap<QString, QString>& b)
{
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (!b.contains(it.key()))
            return QStringLiteral("%1: row %2 should not be there").arg(QLatin1String(table), it.key());
        if (b.value(it.key()) != it.value())
            return QStringLiteral("%1: row %2 is %3, expected %4")
                .arg(QLatin1String(table), it.key(), it.value(), b.value(it.key()));
    }
    for (auto it = b.cbegin(); it != b.cend(); ++it) {
        if (!a.contains(it.key()))
            return QStringLiteral("%1: row %2 is missing").arg(QLatin1String(table), it.key());
    }
    return {};
}

// Empty when both dumps hold the same rows; otherwise the first difference.
inline QString difference(const Dump& actual, const Dump& expected)
{
    if (!actual.ok || !expected.ok)
        return QStringLiteral("the store could not be read");
    QString d = mapDifference("card", actual.card, expected.card);
    if (d.isEmpty())
        d = mapDifference("lstt", actual.lstt, expected.lstt);
    if (d.isEmpty())
        d = mapDifference("sets", actual.sets, expected.sets);
    return d;
}

// One settings row, its values as stored (magw and Lng may hold NULL or a value of another type).
struct SettingsRow
{
    QString btips;
    QVariant magw;
    QVariant lng;
};

// The settings rows in their order.
inline QList<SettingsRow> settingsRows(const QString& path)
{
    QList<SettingsRow> rows;
    kit::RawDb raw(path);
    for (const QVariantList& r :
         raw.records(QStringLiteral("SELECT Btips, magw, Lng FROM sets ORDER BY rowid")))
        rows.append({r[0].toString(), r[1], r[2]});
    return rows;
}

// The rows a card's record and list entry give in a dump.
inline QString renderCard(const card::CardRecord& r)
{
    QString row = QStringLiteral("text:") + r.nae + QStringLiteral("|text:") + r.info +
                  QStringLiteral("|text:") + r.chk + QLatin1Char('|');
    for (const QString& note : r.notes)
        row += QStringLiteral("text:") + note + QLatin1Char('|');
    return row;
}

inline QString renderEntry(const card::ListEntry& e)
{
    QString row;
    for (const QString& v : {e.nam, e.lv, e.race, e.tra, e.cmp})
        row += QStringLiteral("text:") + v + QLatin1Char('|');
    return row;
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QStringList listing(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A sheet as the window holds it after "准备新增": empty fields, clear boxes, the reference note.
inline card::Sheet blankSheet()
{
    card::Sheet sheet;
    sheet.text[card::ReferenceField] = card::referenceText();
    return sheet;
}

// A card with a name and level 3 and nothing else, as the store tests add them.
inline card::Sheet namedSheet(const QString& name)
{
    card::Sheet sheet;
    sheet.text[0] = name;
    sheet.text[6] = QStringLiteral("3");
    return sheet;
}

// The first place where two sheets differ, for a readable failure; empty when they are equal.
inline QString difference(const card::Sheet& actual, const card::Sheet& expected)
{
    for (int i = 0; i < card::FieldCount; ++i) {
        if (actual.text[i] != expected.text[i])
            return QStringLiteral("field %1: \"%2\" instead of \"%3\"")
                .arg(i)
                .arg(actual.text[i], expected.text[i]);
    }
    for (int i = 0; i < card::CheckFCount; ++i) {
        if (actual.checkF[i] != expected.checkF[i])
            return QStringLiteral("CheckF(%1)").arg(i);
    }
    for (int i = 0; i < card::CheckWNCount; ++i) {
        if (actual.checkWN[i] != expected.checkWN[i])
            return QStringLiteral("CheckWN(%1)").arg(i);
    }
    return {};
}

#define COMPARE_SHEETS(actual, expected)                                                                     \
    do {                                                                                                     \
        const card::Sheet a_ = (actual);                                                                     \
        const card::Sheet e_ = (expected);                                                                   \
        QVERIFY2(a_ == e_, qPrintable(probe::difference(a_, e_)));                                           \
    } while (false)

// The rollback journal another SQLite file leaves when its writer dies inside a transaction: built in
// `folder` (and removed from there), its bytes written to `journalPath`. SQLite rolls such a journal
// into whatever file it finds under the journal's store name.
inline QByteArray makeOrphanJournal(const QString& folder, const QString& journalPath)
{
    const QString stranger = QDir(folder).filePath(QStringLiteral("stranger.db"));
    QByteArray journal;
    {
        kit::RawDb db(stranger);
        // A cache of two pages makes the update spill into the file: the journal is then hot.
        if (db.isOpen() && db.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) &&
            db.exec(QStringLiteral("CREATE TABLE t (x BLOB)")) &&
            db.exec(
                QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
                               " INSERT INTO t SELECT randomblob(2000) FROM n")) &&
            db.exec(QStringLiteral("PRAGMA cache_size=2")) && db.exec(QStringLiteral("BEGIN")) &&
            db.exec(QStringLiteral("UPDATE t SET x = randomblob(2000)")))
            journal = readAll(stranger + QStringLiteral("-journal"));
        db.exec(QStringLiteral("ROLLBACK"));
    }
    QFile::remove(stranger);
    QFile::remove(stranger + QStringLiteral("-journal"));
    return !journal.isEmpty() && writeAll(journalPath, journal) ? journal : QByteArray();
}

} // namespace probe

#define COMPARE_STORE(path, expected)                                                                        \
    do {                                                                                                     \
        const QString d_ = probe::difference(probe::dump(path), (expected));                                 \
        QVERIFY2(d_.isEmpty(), qPrintable(d_));                                                              \
    } while (false)
