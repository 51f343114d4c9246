// Drafts: the whole sheet as it stood when its edits were not stored, and as it stood before a rest or
// a hit-point step changed it, kept in the recovery store.
#include "store/recovery/Drafts.h"

#include "card/CardRecord.h"
#include "store/recovery/RecoveryStore.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

namespace {

// A table of the recovery store that keeps whole sheets, one a row: the drafts have an id of their own;
// the sheets before play are one a card, by name.
struct SheetTable
{
    QLatin1String name;
    bool hasId;
};
constexpr SheetTable DraftsTable{QLatin1String("drafts"), true};
constexpr SheetTable BeforePlayTable{QLatin1String("beforeplay"), false};

const QLatin1String SheetColumns("name, isNew, savedAt, fields, ticks");

// Writes the whole sheet as a row of the table, in place of the row with the same key. A draft of a
// new sheet keeps its id where it has one; every other row is given one.
bool writeSheetRow(QSqlQuery& q, const SheetTable& table, const Draft& draft, const QDateTime& now)
{
    const QLatin1String id(table.hasId ? "id, " : "");
    if (!q.prepare(QStringLiteral("INSERT OR REPLACE INTO %1 (%2%3) VALUES (%4?, ?, ?, ?, ?)")
                       .arg(table.name, id, SheetColumns, QLatin1String(table.hasId ? "?, " : ""))))
        return false;
    if (table.hasId)
        q.addBindValue(draft.isNew && draft.id > 0 ? QVariant(draft.id)
                                                   : QVariant(QMetaType(QMetaType::LongLong)));
    q.addBindValue(draft.name.isNull() ? QStringLiteral("") : draft.name);
    q.addBindValue(draft.isNew ? 1 : 0);
    q.addBindValue((draft.savedAt.isValid() ? draft.savedAt : now).toMSecsSinceEpoch());
    q.addBindValue(encodeFields(draft.sheet));
    q.addBindValue(card::encodeTicks(draft.sheet));
    return q.exec();
}

// Every row of the table, newest first; *complete where they were read from a recovery store there is.
QList<Draft> readSheetRows(const QString& recoveryFile, const QString& connection, const SheetTable& table,
                           QString* error, bool* complete = nullptr)
{
    QList<Draft> result;
    const QString query = QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY savedAt DESC%4")
                              .arg(QLatin1String(table.hasId ? "id" : "0"), SheetColumns, table.name,
                                   QLatin1String(table.hasId ? ", id DESC" : ""));
    const bool read = readRecovery(
        recoveryFile, connection, query,
        [&result](const QSqlQuery& q) {
            Draft draft;
            draft.id = q.value(0).toLongLong();
            draft.name = q.value(1).toString();
            draft.isNew = q.value(2).toInt() != 0;
            draft.savedAt = QDateTime::fromMSecsSinceEpoch(q.value(3).toLongLong());
            decodeFields(q.value(4).toString(), draft.sheet);
            card::applyTicks(q.value(5).toString(), draft.sheet);
            result.append(draft);
        },
        error);
    if (complete)
        *complete = read;
    return result;
}

} // namespace

int differingFields(const card::Sheet& a, const card::Sheet& b)
{
    int count = 0;
    for (int i = 0; i < card::FieldCount; ++i)
        count += i != card::ReferenceField && a.text[i] != b.text[i];
    for (int i = 0; i < card::CheckFCount; ++i)
        count += a.checkF[i] != b.checkF[i];
    for (int i = 0; i < card::CheckWNCount; ++i)
        count += a.checkWN[i] != b.checkWN[i];
    return count;
}

Drafts::Drafts(QString recoveryFile, RecoveryClock clock)
    : m_recoveryFile(std::move(recoveryFile)), m_clock(std::move(clock)),
      m_connection(QStringLiteral("quillmark-drafts-%1").arg(quintptr(this), 0, 16))
{
}

qint64 Drafts::write(const Draft& draft, QString* error)
{
    const std::unique_ptr<RecoverySession> session = openRecovery(m_recoveryFile, m_connection, true);
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
    if (!writeSheetRow(q, DraftsTable, draft, clockNow(m_clock)))
        return failed();
    const qint64 id = q.lastInsertId().toLongLong();
    if (draft.isNew) {
        q.prepare(QStringLiteral(
            "DELETE FROM drafts WHERE isNew = 1 AND id NOT IN"
            " (SELECT id FROM drafts WHERE isNew = 1 ORDER BY savedAt DESC, id DESC LIMIT ?)"));
        q.addBindValue(NewKept);
        if (!q.exec())
            return failed();
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return failed();
    if (!draft.isNew && m_names)
        m_names->insert(draft.name);
    return id;
}

bool Drafts::dropCard(const QString& name, QString* error)
{
    // Nothing to drop when this program wrote no draft of the card and found none when it looked:
    // a save then costs no second write.
    if (m_names && !m_names->remove(name))
        return true;
    return execWrite(QStringLiteral("DELETE FROM drafts WHERE name = ? AND isNew = 0"), {name}, error);
}

bool Drafts::drop(qint64 id, QString* error)
{
    return execWrite(QStringLiteral("DELETE FROM drafts WHERE id = ?"), {id}, error);
}

bool Drafts::execWrite(const QString& statement, const QVariantList& values, QString* error)
{
    const std::unique_ptr<RecoverySession> session = openRecovery(m_recoveryFile, m_connection, false);
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

QList<Draft> Drafts::list(QString* error)
{
    bool complete = false;
    const QList<Draft> result = readSheetRows(m_recoveryFile, m_connection, DraftsTable, error, &complete);
    if (!complete)
        return result;
    QSet<QString> names;
    for (const Draft& draft : result) {
        if (!draft.isNew)
            names.insert(draft.name);
    }
    m_names = names;
    return result;
}

QList<Draft> Drafts::untold(QString* error)
{
    QList<Draft> result = list(error);
    if (result.isEmpty())
        return result;
    const std::unique_ptr<RecoverySession> session = openRecovery(m_recoveryFile, m_connection, false);
    QSqlQuery q(session->db());
    if (!session->ok() || !q.exec(QStringLiteral("SELECT value FROM marks WHERE name = 'told'"))) {
        *error = session->ok() ? q.lastError().text() : session->error();
        return {};
    }
    const qint64 told = q.next() ? q.value(0).toLongLong() : 0;
    result.removeIf([told](const Draft& draft) { return draft.savedAt.toMSecsSinceEpoch() <= told; });
    if (result.isEmpty())
        return result;
    if (!q.prepare(QStringLiteral("INSERT OR REPLACE INTO marks (name, value) VALUES ('told', ?)")))
        *error = q.lastError().text();
    q.addBindValue(result.first().savedAt.toMSecsSinceEpoch());
    if (!q.exec())
        *error = q.lastError().text();
    return result;
}

void Drafts::loadNames()
{
    QSet<QString> names;
    QString ignored;
    readRecovery(
        m_recoveryFile, m_connection, QStringLiteral("SELECT name FROM drafts WHERE isNew = 0"),
        [&names](const QSqlQuery& q) { names.insert(q.value(0).toString()); }, &ignored);
    m_names = names;
}

bool Drafts::hasCard(const QString& name)
{
    if (!m_names)
        loadNames();
    return m_names->contains(name);
}

bool Drafts::keepBeforePlay(const Draft& before, QString* error)
{
    const std::unique_ptr<RecoverySession> session = openRecovery(m_recoveryFile, m_connection, true);
    if (!session->ok()) {
        *error = session->error();
        return false;
    }
    QSqlQuery q(session->db());
    if (writeSheetRow(q, BeforePlayTable, before, clockNow(m_clock)))
        return true;
    *error = q.lastError().text();
    return false;
}

QList<Draft> Drafts::beforePlay(QString* error)
{
    return readSheetRows(m_recoveryFile, m_connection, BeforePlayTable, error);
}

} // namespace store
