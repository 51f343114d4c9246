// The sheet as it stood before a rest or a hit-point step changed it: one per card, the latest.
#include "store/recovery/Recovery.h"
#include "store/recovery/RecoveryStore.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

bool Recovery::keepBeforePlay(const Draft& before, QString* error)
{
    const std::unique_ptr<RecoverySession> session = openRecovery(m_place.recoveryFile, m_connection, true);
    if (!session->ok()) {
        *error = session->error();
        return false;
    }
    QSqlQuery q(session->db());
    const bool ok =
        q.prepare(QStringLiteral("INSERT OR REPLACE INTO beforeplay (name, isNew, savedAt, fields, ticks)"
                                 " VALUES (?, ?, ?, ?, ?)"));
    if (ok) {
        q.addBindValue(before.name.isNull() ? QStringLiteral("") : before.name);
        q.addBindValue(before.isNew ? 1 : 0);
        q.addBindValue((before.savedAt.isValid() ? before.savedAt : now()).toMSecsSinceEpoch());
        q.addBindValue(encodeFields(before.sheet));
        q.addBindValue(card::encodeTicks(before.sheet));
    }
    if (ok && q.exec())
        return true;
    *error = q.lastError().text();
    return false;
}

QList<Draft> Recovery::beforePlay(QString* error)
{
    QList<Draft> result;
    const std::unique_ptr<RecoverySession> session = openRecovery(m_place.recoveryFile, m_connection, false);
    if (!session->exists())
        return result;
    QSqlQuery q(session->db());
    q.setForwardOnly(true);
    if (!session->ok() ||
        !q.exec(QStringLiteral(
            "SELECT name, isNew, savedAt, fields, ticks FROM beforeplay ORDER BY savedAt DESC"))) {
        *error = session->ok() ? q.lastError().text() : session->error();
        return result;
    }
    while (q.next()) {
        Draft before;
        before.name = q.value(0).toString();
        before.isNew = q.value(1).toInt() != 0;
        before.savedAt = QDateTime::fromMSecsSinceEpoch(q.value(2).toLongLong());
        decodeFields(q.value(3).toString(), before.sheet);
        card::applyTicks(q.value(4).toString(), before.sheet);
        result.append(before);
    }
    return result;
}

} // namespace store
