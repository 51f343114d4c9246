// The check that a store file holds exactly the expected cards, each one whole and byte for byte.
#include "ReliabilityKit.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace rel {

namespace {

using Row = QList<QByteArray>;

QString cardColumns()
{
    QString columns = QStringLiteral("CAST(Nae AS BLOB), CAST(Info AS BLOB), CAST(Chk AS BLOB)");
    for (const char* column : card::NoteColumns)
        columns += QStringLiteral(", CAST(%1 AS BLOB)").arg(QLatin1String(column));
    return columns;
}

// Rows keyed by their first column; a repeated key is reported.
bool readRows(const QString& connection, const QString& sql, QMap<QByteArray, Row>* rows,
              QStringList* problems)
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        *problems << QStringLiteral("query failed: %1 (%2)").arg(sql, q.lastError().text());
        return false;
    }
    while (q.next()) {
        Row row;
        for (int c = 0; c < q.record().count(); ++c) {
            // A NULL stays a null array; an empty text becomes an empty, non-null one.
            QByteArray value = q.value(c).toByteArray();
            if (!q.value(c).isNull() && value.isNull())
                value = QByteArray("");
            row << value;
        }
        if (rows->contains(row.first()))
            *problems << QStringLiteral("two rows of one name: %1").arg(QString::fromUtf8(row.first()));
        rows->insert(row.first(), row);
    }
    return true;
}

Row expectedCardRow(const card::CardRecord& r)
{
    Row row{r.nae.toUtf8(), r.info.toUtf8(), r.chk.toUtf8()};
    for (const QString& n : r.notes)
        row << n.toUtf8();
    return row;
}

Row expectedListRow(const card::ListEntry& e)
{
    return {e.nam.toUtf8(), e.lv.toUtf8(), e.race.toUtf8(), e.tra.toUtf8(), e.cmp.toUtf8()};
}

// The columns whose stored value is not text of exactly the expected bytes; NULL never matches.
QString differences(const Row& stored, const Row& expected)
{
    if (stored.size() != expected.size())
        return QStringLiteral("column count");
    QStringList columns;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored[i].isNull() || stored[i] != expected[i])
            columns << QStringLiteral("#%1 (%2 bytes, expected %3)")
                           .arg(i)
                           .arg(stored[i].size())
                           .arg(expected[i].size());
    }
    return columns.join(QLatin1String(", "));
}

QString describe(int version)
{
    return version == Absent ? QStringLiteral("absent") : QStringLiteral("v%1").arg(version);
}

} // namespace

StoreCheck checkStore(const QString& path, const Model& expected, const QList<InFlight>& inFlight)
{
    StoreCheck check;
    kit::RawDb db(path);
    if (!db.isOpen()) {
        check.problems << QStringLiteral("cannot open: %1").arg(db.lastError());
        return check;
    }
    check.opened = true;
    check.integrity = db.column(QStringLiteral("PRAGMA integrity_check")).join(QLatin1Char('\n'));
    if (check.integrity != QLatin1String("ok"))
        check.problems << QStringLiteral("integrity_check: %1").arg(check.integrity);

    QMap<QByteArray, Row> cards;
    QMap<QByteArray, Row> entries;
    if (!readRows(db.connectionName(), QStringLiteral("SELECT %1 FROM card").arg(cardColumns()), &cards,
                  &check.problems) ||
        !readRows(db.connectionName(),
                  QStringLiteral("SELECT CAST(Nam AS BLOB), CAST(lv AS BLOB), CAST(race AS BLOB),"
                                 " CAST(tra AS BLOB), CAST(cmp AS BLOB) FROM lstt"),
                  &entries, &check.problems))
        return check;

    // Every stored card must be one whole version: both rows present, every byte as written.
    QSet<QByteArray> names;
    for (auto it = cards.cbegin(); it != cards.cend(); ++it)
        names.insert(it.key());
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        names.insert(it.key());
    for (const QByteArray& key : names) {
        const QString name = QString::fromUtf8(key);
        if (!cards.contains(key) || !entries.contains(key)) {
            ++check.halfWritten;
            check.problems << QStringLiteral("half-written: %1 has only its %2 row")
                                  .arg(name,
                                       cards.contains(key) ? QStringLiteral("card") : QStringLiteral("lstt"));
            continue;
        }
        const int version = claimedVersion(QString::fromUtf8(cards[key].value(1)));
        const card::Sheet sheet = makeSheet(name, version);
        const QString cardDiff = differences(cards[key], expectedCardRow(card::toCardRecord(sheet)));
        const QString entryDiff = differences(entries[key], expectedListRow(card::toListEntry(sheet)));
        if (version < 0 || !cardDiff.isEmpty() || !entryDiff.isEmpty()) {
            ++check.halfWritten;
            check.problems << QStringLiteral("half-written: %1 claims v%2; card row differs in [%3],"
                                             " lstt row differs in [%4]")
                                  .arg(name)
                                  .arg(version)
                                  .arg(cardDiff, entryDiff);
            continue;
        }
        check.found.insert(name, version);
    }

    // Every reported card must be there in its reported version; nothing else may be.
    QMap<QString, InFlight> pending;
    for (const InFlight& op : inFlight)
        pending.insert(op.name, op);
    QSet<QString> accounted;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        accounted.insert(it.key());
        if (pending.contains(it.key()))
            continue;
        const int got = check.found.value(it.key(), Absent);
        const bool good = it.value() == AnyVersion ? got != Absent : got == it.value();
        if (!good && !names.contains(it.key().toUtf8())) {
            ++check.lost;
            check.problems << QStringLiteral("lost: %1 (expected %2)").arg(it.key(), describe(it.value()));
        } else if (!good && check.found.contains(it.key())) {
            ++check.lost;
            check.problems << QStringLiteral("wrong version: %1 is %2, expected %3")
                                  .arg(it.key(), describe(got), describe(it.value()));
        }
    }
    for (const InFlight& op : inFlight) {
        accounted.insert(op.name);
        const int got = check.found.value(op.name, Absent);
        if (got != op.before && got != op.after && !(got == Absent && names.contains(op.name.toUtf8())))
            check.problems << QStringLiteral("unfinished operation on %1 left %2 (before %3, after %4)")
                                  .arg(op.name, describe(got), describe(op.before), describe(op.after));
    }
    for (auto it = check.found.cbegin(); it != check.found.cend(); ++it) {
        if (!accounted.contains(it.key()))
            check.problems << QStringLiteral("unexpected card: %1 %2").arg(it.key(), describe(it.value()));
    }
    return check;
}

} // namespace rel
