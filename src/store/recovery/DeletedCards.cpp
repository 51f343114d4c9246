// Deleted cards: the copy the delete writes into the recovery store, and the way back.
#include "store/recovery/DeletedCards.h"

#include "store/Module1.h"
#include "store/Schema.h"
#include "store/recovery/Backups.h"
#include "store/recovery/RecoveryStore.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

namespace {

// The card's own columns, as the store names them, each with an optional table prefix.
QString columns(const schema::Table& table, const QString& prefix = {})
{
    QStringList names = schema::columnNames(table);
    for (QString& name : names)
        name.prepend(prefix);
    return names.join(QStringLiteral(", "));
}

QString cardColumns(const QString& prefix = {})
{
    return columns(schema::cardTable(), prefix);
}

QString listColumns(const QString& prefix = {})
{
    return columns(schema::listTable(), prefix);
}

QString text(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

DeletedCards::DeletedCards(QString recoveryFile, RecoveryClock clock, Backups& backups)
    : m_recoveryFile(std::move(recoveryFile)), m_clock(std::move(clock)), m_backups(backups),
      m_connection(QStringLiteral("quillmark-deleted-%1").arg(quintptr(this), 0, 16))
{
}

bool DeletedCards::keep(Module1& db, const QString& name, QString* error)
{
    QSqlQuery q(db.DbConnection());
    // Both rows of the name, or whichever of them is there; nothing where neither is.
    const QString copy =
        QStringLiteral("INSERT INTO recovery.deleted (deletedAt, hasCard, hasList, %1, %2)"
                       " SELECT ?, c.rowid IS NOT NULL, l.rowid IS NOT NULL, %3, %4"
                       " FROM (SELECT ? AS k) AS key LEFT JOIN main.card AS c ON c.Nae = key.k"
                       " LEFT JOIN main.lstt AS l ON l.Nam = key.k"
                       " WHERE c.rowid IS NOT NULL OR l.rowid IS NOT NULL")
            .arg(cardColumns(), listColumns(), cardColumns(QStringLiteral("c.")),
                 listColumns(QStringLiteral("l.")));
    const QDateTime now = clockNow(m_clock);
    bool ok = q.prepare(copy);
    if (ok) {
        q.addBindValue(now.toMSecsSinceEpoch());
        q.addBindValue(name);
        ok = q.exec();
    }
    if (ok && q.prepare(QStringLiteral("DELETE FROM recovery.deleted WHERE deletedAt < ?"))) {
        q.addBindValue(now.addDays(-KeptDays).toMSecsSinceEpoch());
        ok = q.exec();
    }
    if (!ok)
        *error = db.describeFailure(q.lastError());
    return ok;
}

QList<DeletedCard> DeletedCards::list(QString* error)
{
    QList<DeletedCard> result;
    const QString query = QStringLiteral("SELECT id, deletedAt, hasCard, hasList, %1, %2 FROM deleted"
                                         " ORDER BY deletedAt DESC, id DESC")
                              .arg(cardColumns(), listColumns());
    readRecovery(
        m_recoveryFile, m_connection, query,
        [&result](const QSqlQuery& q) {
            DeletedCard card;
            card.id = q.value(0).toLongLong();
            card.deletedAt = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong());
            card.hasCard = q.value(2).toInt() != 0;
            card.hasList = q.value(3).toInt() != 0;
            card.record.nae = text(q.value(4));
            card.record.info = text(q.value(5));
            card.record.chk = text(q.value(6));
            for (int c = 0; c < card::NoteColumnCount; ++c)
                card.record.notes[c] = text(q.value(7 + c));
            const int list = 7 + card::NoteColumnCount;
            card.entry = {text(q.value(list)), text(q.value(list + 1)), text(q.value(list + 2)),
                          text(q.value(list + 3)), text(q.value(list + 4))};
            card.name = card.hasCard ? card.record.nae : card.entry.nam;
            result.append(card);
        },
        error);
    return result;
}

Outcome DeletedCards::restore(Module1& db, qint64 id)
{
    QString notice;
    if (db.isUsable())
        m_backups.beforeChange(&notice);
    DbSession session(db);
    if (!session.ok())
        return {OpStatus::Failed, session.error()};
    QString error;
    if (!attachRecovery(db, m_recoveryFile, &error))
        return {OpStatus::Failed, error};
    Outcome outcome{OpStatus::Failed, {}};
    QSqlQuery q(db.DbConnection());
    const auto run = [&]() -> OpStatus {
        if (!db.beginWrite(&error))
            return OpStatus::Failed;
        if (!q.prepare(QStringLiteral("SELECT (SELECT COUNT(*) FROM main.card WHERE Nae = d.k)"
                                      " + (SELECT COUNT(*) FROM main.lstt WHERE Nam = d.k)"
                                      " FROM (SELECT CASE WHEN hasCard THEN Nae ELSE Nam END AS k"
                                      " FROM recovery.deleted WHERE id = ?) AS d")))
            return OpStatus::Failed;
        q.addBindValue(id);
        if (!q.exec())
            return OpStatus::Failed;
        if (!q.next()) {
            error = QStringLiteral("这张被删除的角色卡已不在恢复文件中。");
            return OpStatus::Failed;
        }
        if (q.value(0).toLongLong() > 0)
            return OpStatus::Duplicate;
        q.finish();
        const QString statements[] = {
            QStringLiteral(
                "INSERT INTO main.card (%1) SELECT %1 FROM recovery.deleted WHERE id = ? AND hasCard")
                .arg(cardColumns()),
            QStringLiteral(
                "INSERT INTO main.lstt (%1) SELECT %1 FROM recovery.deleted WHERE id = ? AND hasList")
                .arg(listColumns()),
            QStringLiteral("DELETE FROM recovery.deleted WHERE id = ?"),
        };
        for (const QString& statement : statements) {
            if (!q.prepare(statement))
                return OpStatus::Failed;
            q.addBindValue(id);
            if (!q.exec())
                return OpStatus::Failed;
        }
        return db.commit(&error) ? OpStatus::Done : OpStatus::Failed;
    };
    outcome.status = run();
    if (outcome.status == OpStatus::Failed && error.isEmpty())
        error = db.describeFailure(q.lastError());
    q.finish();
    if (outcome.status != OpStatus::Done)
        db.rollback();
    detachRecovery(db);
    outcome.error = error;
    outcome.notice = notice;
    return outcome;
}

} // namespace store
