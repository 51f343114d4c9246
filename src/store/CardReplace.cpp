// A stored card giving its place to another of the same name (an imported card file): the one it
// replaces goes where deleted cards go, in the same transaction.
#include "store/CardStore.h"
#include "store/Schema.h"
#include "store/recovery/Recovery.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

Outcome CardStore::replace(const card::Sheet& sheet)
{
    const card::CardRecord record = card::toCardRecord(sheet);
    const card::ListEntry entry = card::toListEntry(sheet);
    if (record.nae.isEmpty())
        return {OpStatus::EmptyName, {}};
    if (!m_recovery)
        return {OpStatus::Failed, QStringLiteral("没有地方保留原有的角色卡，没有替换。")};
    QString notice;
    if (m_db.isUsable())
        m_recovery->backupBeforeChange(&notice);
    DbSession session(m_db);
    if (!session.ok())
        return {OpStatus::Failed, session.error()};
    QString error;
    // The recovery store joins the transaction: the old card is kept if and only if it is replaced.
    if (!m_recovery->attach(m_db, &error))
        return {OpStatus::Failed, QStringLiteral("无法保留原有的角色卡（%1），没有替换。").arg(error)};
    const auto run = [&]() -> Outcome {
        if (!begin(&error))
            return {OpStatus::Failed, error};
        if (!m_recovery->keepDeleted(m_db, record.nae, &error))
            return fail(QStringLiteral("无法保留原有的角色卡（%1），没有替换。").arg(error));
        for (const QString& statement :
             {schema::deleteStatement(schema::cardTable()), schema::deleteStatement(schema::listTable())}) {
            QSqlQuery q(m_db.DbConnection());
            if (!q.prepare(statement))
                return fail(m_db.describeFailure(q.lastError()));
            q.addBindValue(record.nae);
            if (!q.exec())
                return fail(m_db.describeFailure(q.lastError()));
        }
        if (!insertRows(record, entry, &error))
            return fail(error);
        return commit();
    };
    Outcome outcome = run();
    m_recovery->detach(m_db);
    outcome.notice = notice;
    return outcome;
}

} // namespace store
