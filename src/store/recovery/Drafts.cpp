// Drafts: the whole sheet as it stood when its edits were not stored, kept in the recovery store.
#include "store/recovery/Recovery.h"
#include "store/recovery/RecoveryStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

namespace store {

QString encodeFields(const card::Sheet& sheet)
{
    QJsonArray fields;
    for (const QString& text : sheet.text)
        fields.append(text);
    return QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact));
}

void decodeFields(const QString& json, card::Sheet& sheet)
{
    const QJsonArray fields = QJsonDocument::fromJson(json.toUtf8()).array();
    for (int i = 0; i < card::FieldCount && i < fields.size(); ++i)
        sheet.text[i] = fields.at(i).toString();
}

qint64 Recovery::writeDraft(const Draft& draft, QString* error)
{
    const std::unique_ptr<RecoverySession> session = openRecovery(m_place.recoveryFile, m_connection, true);
    if (!session->ok()) {
        *error = session->error();
        return 0;
    }
    QSqlQuery q(session->db());
    const auto failed = [&] {
        *error = q.lastError().text();
        QSqlQuery(session->db()).exec(QStringLiteral("ROLLBACK"));
        return qint64(0);
    };
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failed();
    if (!draft.isNew || draft.id > 0) {
        q.prepare(draft.isNew ? QStringLiteral("DELETE FROM drafts WHERE id = ? AND isNew = 1")
                              : QStringLiteral("DELETE FROM drafts WHERE name = ? AND isNew = 0"));
        q.addBindValue(draft.isNew ? QVariant(draft.id) : QVariant(draft.name));
        if (!q.exec())
            return failed();
    }
    q.prepare(QStringLiteral(
        "INSERT INTO drafts (id, name, isNew, savedAt, fields, ticks) VALUES (?, ?, ?, ?, ?, ?)"));
    q.addBindValue(draft.isNew && draft.id > 0 ? QVariant(draft.id)
                                               : QVariant(QMetaType(QMetaType::LongLong)));
    q.addBindValue(draft.name.isNull() ? QStringLiteral("") : draft.name);
    q.addBindValue(draft.isNew ? 1 : 0);
    q.addBindValue((draft.savedAt.isValid() ? draft.savedAt : now()).toMSecsSinceEpoch());
    q.addBindValue(encodeFields(draft.sheet));
    q.addBindValue(card::encodeTicks(draft.sheet));
    if (!q.exec())
        return failed();
    const qint64 id = q.lastInsertId().toLongLong();
    if (draft.isNew) {
        q.prepare(QStringLiteral(
            "DELETE FROM drafts WHERE isNew = 1 AND id NOT IN"
            " (SELECT id FROM drafts WHERE isNew = 1 ORDER BY savedAt DESC, id DESC LIMIT ?)"));
        q.addBindValue(NewDraftsKept);
        if (!q.exec())
            return failed();
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return failed();
    if (!draft.isNew && m_draftNames)
        m_draftNames->insert(draft.name);
    return id;
}

bool Recovery::dropCardDraft(const QString& name, QString* error)
{
    // Nothing to drop when this program wrote no draft of the card and found none when it looked:
    // a save then costs no second write.
    if (m_draftNames && !m_draftNames->remove(name))
        return true;
    return execWrite(QStringLiteral("DELETE FROM drafts WHERE name = ? AND isNew = 0"), {name}, error);
}

bool Recovery::dropDraft(qint64 id, QString* error)
{
    return execWrite(QStringLiteral("DELETE FROM drafts WHERE id = ?"), {id}, error);
}

bool Recovery::execWrite(const QString& statement, const QVariantList& values, QString* error)
{
    const std::unique_ptr<RecoverySession> session = openRecovery(m_place.recoveryFile, m_connection, false);
    if (!session->exists())
        return true; // no recovery store yet: nothing in it to change
    QSqlQuery q(session->db());
    if (session->ok() && q.prepare(statement)) {
        for (const QVariant& value : values)
            q.addBindValue(value);
        if (q.exec())
            return true;
    }
    *error = session->ok() ? q.lastError().text() : session->error();
    return false;
}

QList<Draft> Recovery::drafts(QString* error)
{
    QList<Draft> result;
    const std::unique_ptr<RecoverySession> session = openRecovery(m_place.recoveryFile, m_connection, false);
    if (!session->exists())
        return result;
    QSqlQuery q(session->db());
    q.setForwardOnly(true);
    if (!session->ok() ||
        !q.exec(QStringLiteral(
            "SELECT id, name, isNew, savedAt, fields, ticks FROM drafts ORDER BY savedAt DESC, id DESC"))) {
        *error = session->ok() ? q.lastError().text() : session->error();
        return result;
    }
    QSet<QString> names;
    while (q.next()) {
        Draft draft;
        draft.id = q.value(0).toLongLong();
        draft.name = q.value(1).toString();
        draft.isNew = q.value(2).toInt() != 0;
        draft.savedAt = QDateTime::fromMSecsSinceEpoch(q.value(3).toLongLong());
        decodeFields(q.value(4).toString(), draft.sheet);
        card::applyTicks(q.value(5).toString(), draft.sheet);
        if (!draft.isNew)
            names.insert(draft.name);
        result.append(draft);
    }
    m_draftNames = names;
    return result;
}

void Recovery::loadDraftNames()
{
    QSet<QString> names;
    const std::unique_ptr<RecoverySession> session = openRecovery(m_place.recoveryFile, m_connection, false);
    if (session->ok()) {
        QSqlQuery q(session->db());
        q.setForwardOnly(true);
        if (q.exec(QStringLiteral("SELECT name FROM drafts WHERE isNew = 0"))) {
            while (q.next())
                names.insert(q.value(0).toString());
        }
    }
    m_draftNames = names;
}

bool Recovery::hasCardDraft(const QString& name)
{
    if (!m_draftNames)
        loadDraftNames();
    return m_draftNames->contains(name);
}

} // namespace store
