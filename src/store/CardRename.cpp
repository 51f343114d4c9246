#include "store/CardRename.h"

#include "card/CardRecord.h"
#include "card/Sheet.h"
#include "store/Module1.h"
#include "store/recovery/Recovery.h"
#include "store/recovery/RecoveryStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace store {

namespace {

// One statement with bound values; the number of rows it changed, or -1 (with the reason) on failure.
qint64 run(Module1& db, const QString& statement, const QVariantList& values, QString* error)
{
    QSqlQuery q(db.DbConnection());
    if (q.prepare(statement)) {
        for (const QVariant& value : values)
            q.addBindValue(value);
        if (q.exec())
            return q.numRowsAffected();
    }
    *error = db.describeFailure(q.lastError());
    return -1;
}

// The count a query of one value gives, or -1 on failure.
qint64 count(Module1& db, const QString& statement, const QVariantList& values, QString* error)
{
    QSqlQuery q(db.DbConnection());
    if (q.prepare(statement)) {
        for (const QVariant& value : values)
            q.addBindValue(value);
        if (q.exec() && q.next())
            return q.value(0).toLongLong();
    }
    *error = db.describeFailure(q.lastError());
    return -1;
}

OpStatus renameRows(Module1& db, bool withRecovery, const QString& from, const QString& to, QString* error)
{
    const qint64 taken = count(db,
                               QStringLiteral("SELECT (SELECT COUNT(*) FROM main.card WHERE Nae = ?)"
                                              " + (SELECT COUNT(*) FROM main.lstt WHERE Nam = ?)"),
                               {to, to}, error);
    if (taken < 0)
        return OpStatus::Failed;
    if (taken > 0)
        return OpStatus::Duplicate;
    const qint64 cards =
        run(db, QStringLiteral("UPDATE main.card SET Nae = ? WHERE Nae = ?"), {to, from}, error);
    if (cards < 0)
        return OpStatus::Failed;
    if (cards == 0)
        return OpStatus::CardMissing;
    if (cards != 1) {
        *error = QStringLiteral("数据库中有多张同名角色卡。");
        return OpStatus::Failed;
    }
    if (run(db, QStringLiteral("UPDATE main.lstt SET Nam = ? WHERE Nam = ?"), {to, from}, error) < 0)
        return OpStatus::Failed;
    // The draft and the sheet before play go with their card, their name field too, so that bringing
    // them back saves over the card.
    if (withRecovery) {
        // A sheet kept of an earlier card of the new name gives way: one is kept per card.
        if (run(db, QStringLiteral("DELETE FROM recovery.beforeplay WHERE name = ? AND isNew = 0"), {to},
                error) < 0)
            return OpStatus::Failed;
        for (const char* table : {"drafts", "beforeplay"}) {
            if (run(db,
                    QStringLiteral("UPDATE recovery.%1 SET name = ?, fields = json_set(fields, '$[0]', ?)"
                                   " WHERE name = ? AND isNew = 0")
                        .arg(QLatin1String(table)),
                    {to, to, from}, error) < 0)
                return OpStatus::Failed;
        }
    }
    return OpStatus::Done;
}

} // namespace

QString nameRefusal(const QString& name)
{
    QStringList refused;
    for (QChar c : name) {
        if (card::isRefusedCharacter(card::NameField, c) && !refused.contains(QString(c)))
            refused << QString(c);
    }
    if (refused.isEmpty())
        return {};
    return QStringLiteral("名字不能含有“%1”。").arg(refused.join(QStringLiteral("”“")));
}

Outcome renameCard(Module1& db, Recovery* recovery, const QString& from, const QString& to)
{
    if (to.isEmpty())
        return {OpStatus::EmptyName};
    if (const QString refusal = nameRefusal(to); !refusal.isEmpty())
        return {OpStatus::Failed, refusal};
    QString notice;
    if (recovery && db.isUsable())
        recovery->backups().beforeChange(&notice);
    DbSession session(db);
    if (!session.ok())
        return {OpStatus::Failed, session.error()};
    QString error;
    if (recovery && !attachRecovery(db, recovery->recoveryFile(), &error))
        return {OpStatus::Failed, QStringLiteral("无法打开恢复文件（%1），角色卡未改名。").arg(error)};
    OpStatus status = OpStatus::Failed;
    if (db.beginWrite(&error)) {
        status = renameRows(db, recovery != nullptr, from, to, &error);
        if (status != OpStatus::Done)
            db.rollback();
        else if (!db.commit(&error))
            status = OpStatus::Failed;
    }
    if (recovery) {
        detachRecovery(db);
        // What the recovery store knows of the drafts' names is read again.
        QString ignored;
        recovery->drafts().list(&ignored);
    }
    Outcome outcome{status, status == OpStatus::Failed ? error : QString()};
    outcome.notice = notice;
    return outcome;
}

} // namespace store
