// The recovery store "Sav.qlk.recovery": where it lives, its tables and the drafts of unsaved edits.
#include "store/recovery/RecoveryStore.h"

#include "store/Module1.h"
#include "store/Schema.h"
#include "store/StoreFile.h"
#include "store/recovery/Recovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

namespace store {

namespace {

// The drafts, and the deleted cards with both rows. The card's columns are taken from the store's
// schema without a type, so every value keeps its own, byte for byte.
QStringList recoverySchema()
{
    QStringList untyped = schema::columnNames(schema::cardTable()) + schema::columnNames(schema::listTable());
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS drafts (id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
                           " isNew INTEGER NOT NULL, savedAt INTEGER NOT NULL, fields TEXT NOT NULL,"
                           " ticks TEXT NOT NULL)"),
            QStringLiteral(
                "CREATE TABLE IF NOT EXISTS deleted (id INTEGER PRIMARY KEY, deletedAt INTEGER NOT NULL,"
                " hasCard INTEGER NOT NULL, hasList INTEGER NOT NULL, %1)")
                .arg(untyped.join(QStringLiteral(", ")))};
}

bool folderWritable(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

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

} // namespace

RecoveryPlace recoveryPlace(const QString& storePath)
{
    const QFileInfo store(storePath);
    QString folder = store.absolutePath();
    if (!folderWritable(folder)) {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!data.isEmpty() && QDir().mkpath(data))
            folder = data;
    }
    const QDir dir(folder);
    return {dir.filePath(store.fileName() + QStringLiteral(".recovery")),
            dir.filePath(store.fileName() + QStringLiteral(".backups"))};
}

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

RecoverySession::RecoverySession(const QString& path, const QString& connection, bool create)
    : m_connection(connection)
{
    if (!create && !QFileInfo::exists(path))
        return; // nothing kept yet: reads find nothing, and no file is made for them
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(Module1::BusyTimeoutMs));
    m_open = m_db.open();
    if (!m_open)
        m_error = m_db.lastError().text();
    else
        QSqlQuery(m_db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
}

RecoverySession::~RecoverySession()
{
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

Recovery::Recovery(QString storePath, Clock clock)
    : m_storePath(std::move(storePath)), m_place(recoveryPlace(m_storePath)), m_clock(std::move(clock)),
      m_connection(QStringLiteral("quillmark-recovery-%1").arg(quintptr(this), 0, 16))
{
}

QDateTime Recovery::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

// A missing recovery store is built in a temporary file of its own and renamed into place, so that a
// half-made one never carries the name.
bool Recovery::ensureStore(QString* error)
{
    if (QFileInfo::exists(m_place.recoveryFile))
        return true;
    const QString folder = QFileInfo(m_place.recoveryFile).absolutePath();
    if (!folderWritable(folder)) {
        *error = QStringLiteral("文件夹“%1”不可写入，无法建立恢复文件").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QTemporaryFile temp(
        QDir(folder).filePath(QFileInfo(m_place.recoveryFile).fileName() + QStringLiteral(".XXXXXX.tmp")));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        *error = QStringLiteral("无法建立恢复文件：%1").arg(temp.errorString());
        return false;
    }
    const QString tempPath = temp.fileName();
    temp.close();
    bool ok = false;
    {
        RecoverySession session(tempPath, m_connection + QStringLiteral("-new"), true);
        QSqlQuery q(session.db());
        ok = session.ok() && q.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        for (const QString& statement : recoverySchema())
            ok = ok && q.exec(statement);
        if (!ok)
            *error = session.ok() ? q.lastError().text() : session.error();
    }
    // Another copy of the program may have made it meanwhile: then that one is used.
    if (ok && !renameNoReplace(tempPath, m_place.recoveryFile) && !QFileInfo::exists(m_place.recoveryFile)) {
        ok = false;
        *error = QStringLiteral("无法建立恢复文件");
    }
    QFile::remove(tempPath);
    return ok;
}

qint64 Recovery::writeDraft(const Draft& draft, QString* error)
{
    if (!ensureStore(error))
        return 0;
    RecoverySession session(m_place.recoveryFile, m_connection, false);
    if (!session.ok()) {
        *error = session.error();
        return 0;
    }
    QSqlQuery q(session.db());
    const auto failed = [&] {
        *error = q.lastError().text();
        QSqlQuery(session.db()).exec(QStringLiteral("ROLLBACK"));
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
    RecoverySession session(m_place.recoveryFile, m_connection, false);
    if (!session.exists())
        return true; // no recovery store yet: nothing in it to change
    QSqlQuery q(session.db());
    if (session.ok() && q.prepare(statement)) {
        for (const QVariant& value : values)
            q.addBindValue(value);
        if (q.exec())
            return true;
    }
    *error = session.ok() ? q.lastError().text() : session.error();
    return false;
}

QList<Draft> Recovery::drafts(QString* error)
{
    QList<Draft> result;
    RecoverySession session(m_place.recoveryFile, m_connection, false);
    if (!session.exists())
        return result;
    QSqlQuery q(session.db());
    q.setForwardOnly(true);
    if (!session.ok() ||
        !q.exec(QStringLiteral(
            "SELECT id, name, isNew, savedAt, fields, ticks FROM drafts ORDER BY savedAt DESC, id DESC"))) {
        *error = session.ok() ? q.lastError().text() : session.error();
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
    RecoverySession session(m_place.recoveryFile, m_connection, false);
    if (session.ok()) {
        QSqlQuery q(session.db());
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

bool Recovery::attach(Module1& db, QString* error)
{
    if (!ensureStore(error))
        return false;
    QSqlQuery q(db.DbConnection());
    if (q.prepare(QStringLiteral("ATTACH DATABASE ? AS recovery"))) {
        q.addBindValue(m_place.recoveryFile);
        if (q.exec()) {
            // The copy is as durable as the delete beside it.
            q.exec(QStringLiteral("PRAGMA recovery.synchronous=EXTRA"));
            return true;
        }
    }
    *error = QStringLiteral("无法打开恢复文件“%1”：%2")
                 .arg(QDir::toNativeSeparators(m_place.recoveryFile), q.lastError().text());
    return false;
}

void Recovery::detach(Module1& db)
{
    QSqlQuery(db.DbConnection()).exec(QStringLiteral("DETACH DATABASE recovery"));
}

} // namespace store
