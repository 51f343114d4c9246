// The recovery store "Sav.qlk.recovery": where it lives, its tables, how it is opened, built and
// repaired, and how the delete's transaction takes it in.
#include "store/recovery/RecoveryStore.h"

#include "store/Module1.h"
#include "store/Schema.h"
#include "store/SqliteCodes.h"
#include "store/StoreFile.h"
#include "store/StoreLocation.h"
#include "store/recovery/RecoveryPlace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

namespace store {

namespace {

// mode=rw: the file is opened where it is, never created.
QString existingFileUri(const QString& path)
{
    return storeUri(QFileInfo(path).absoluteFilePath()) + QStringLiteral("?mode=rw");
}

// Makes the tables where they are missing; a store that has both is only read.
bool ensureTables(QSqlQuery& q, const QString& schema)
{
    const QString prefix = schema.isEmpty() ? QString() : schema + QLatin1Char('.');
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1sqlite_master"
                               " WHERE type = 'table' AND name IN ('drafts', 'deleted', 'beforeplay')")
                    .arg(prefix)) ||
        !q.next())
        return false;
    const bool complete = q.value(0).toInt() == 3;
    q.finish();
    if (complete)
        return true;
    for (const QString& statement : recoverySchema(schema)) {
        if (!q.exec(statement))
            return false;
    }
    return true;
}

// Builds a new recovery store in a temporary file of its own and renames it into place, so that a
// half-made one never carries the name. Another copy of the program may have made it meanwhile: then
// that one is used.
bool buildRecovery(const QString& path, const QString& connection, QString* error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!folderWritable(folder)) {
        *error = QStringLiteral("文件夹“%1”不可写入，无法建立恢复文件").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QTemporaryFile temp(recoveryStoreTemplate(path));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        *error = QStringLiteral("无法建立恢复文件：%1").arg(temp.errorString());
        return false;
    }
    const QString tempPath = temp.fileName();
    temp.close();
    bool ok = false;
    {
        const RecoverySession session(tempPath, connection);
        ok = session.ok();
        if (!ok)
            *error = session.error();
    }
    if (ok && !renameNoReplace(tempPath, path) && !QFileInfo::exists(path)) {
        ok = false;
        *error = QStringLiteral("无法建立恢复文件");
    }
    QFile::remove(tempPath);
    QFile::remove(tempPath + QStringLiteral("-journal"));
    return ok;
}

} // namespace

QStringList recoverySchema(const QString& schema)
{
    // The drafts, the deleted cards with both rows, each card's sheet as it stood before a rest or a
    // hit-point step, and the marks of what was told. The card's columns are taken from the store's
    // schema without a type, so every value keeps its own, byte for byte.
    const QString prefix = schema.isEmpty() ? QString() : schema + QLatin1Char('.');
    const QStringList untyped =
        schema::columnNames(schema::cardTable()) + schema::columnNames(schema::listTable());
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1drafts (id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
                       " isNew INTEGER NOT NULL, savedAt INTEGER NOT NULL, fields TEXT NOT NULL,"
                       " ticks TEXT NOT NULL)")
            .arg(prefix),
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1deleted (id INTEGER PRIMARY KEY,"
                       " deletedAt INTEGER NOT NULL, hasCard INTEGER NOT NULL, hasList INTEGER NOT NULL, %2)")
            .arg(prefix, untyped.join(QStringLiteral(", "))),
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1beforeplay (name TEXT NOT NULL, isNew INTEGER NOT NULL,"
                       " savedAt INTEGER NOT NULL, fields TEXT NOT NULL, ticks TEXT NOT NULL,"
                       " PRIMARY KEY (name, isNew))")
            .arg(prefix),
        // What has been told already, by name: "told" is the time of the newest draft told at start.
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1marks (name TEXT PRIMARY KEY, value INTEGER NOT NULL)")
            .arg(prefix)};
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

RecoverySession::RecoverySession(const QString& path, const QString& connection) : m_connection(connection)
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(existingFileUri(path));
    m_db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(Module1::BusyTimeoutMs));
    if (!m_db.open()) {
        m_missing = !QFileInfo::exists(path);
        m_error = m_db.lastError().text();
        return;
    }
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    m_open = ensureTables(q, QString());
    if (!m_open) {
        m_error = q.lastError().text();
        m_notADatabase = primaryResultCode(q.lastError()) == SQLITE_NOTADB;
    }
}

RecoverySession::RecoverySession(QString error) : m_error(std::move(error)) {}

RecoverySession::~RecoverySession()
{
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

std::unique_ptr<RecoverySession> openRecovery(const QString& path, const QString& connection, bool create)
{
    auto session = std::make_unique<RecoverySession>(path, connection);
    if (session->notADatabase()) {
        // Kept for whoever wants to look into it; another copy may have moved it already.
        session.reset();
        moveAside(path, QStringLiteral("damaged"));
        session = std::make_unique<RecoverySession>(path, connection);
        if (session->notADatabase())
            return std::make_unique<RecoverySession>(
                QStringLiteral("恢复文件%1不是数据库文件，且无法改名移开").arg(quotedPath(path)));
    }
    // A store removed again right after it was built is built once more.
    for (int attempt = 0; attempt < 2 && create && !session->exists(); ++attempt) {
        session.reset();
        QString error;
        if (!buildRecovery(path, connection + QStringLiteral("-new"), &error))
            return std::make_unique<RecoverySession>(error);
        session = std::make_unique<RecoverySession>(path, connection);
    }
    return session;
}

bool readRecovery(const QString& path, const QString& connection, const QString& query,
                  const std::function<void(const QSqlQuery&)>& row, QString* error)
{
    const std::unique_ptr<RecoverySession> session = openRecovery(path, connection, false);
    if (!session->exists())
        return false;
    QSqlQuery q(session->db());
    q.setForwardOnly(true);
    if (!session->ok() || !q.exec(query)) {
        *error = session->ok() ? q.lastError().text() : session->error();
        return false;
    }
    while (q.next())
        row(q);
    return true;
}

bool attachRecovery(Module1& db, const QString& recoveryFile, QString* error)
{
    QSqlQuery q(db.DbConnection());
    // The store's connection is this program's own: the recovery store's is named after it.
    const QString connection = db.DbConnection().connectionName() + QStringLiteral("-recovery");
    bool attached = false;
    // mode=rw: a store removed since it was checked is not made again, empty, by the attach; it is
    // built anew, once.
    for (int attempt = 0; attempt < 2 && !attached; ++attempt) {
        const std::unique_ptr<RecoverySession> session = openRecovery(recoveryFile, connection, true);
        if (!session->ok()) {
            *error = session->error();
            return false;
        }
        attached = q.prepare(QStringLiteral("ATTACH DATABASE ? AS recovery"));
        q.addBindValue(existingFileUri(recoveryFile));
        attached = attached && q.exec();
        if (!attached && QFileInfo::exists(recoveryFile))
            break;
    }
    if (attached && ensureTables(q, QStringLiteral("recovery"))) {
        // The copy is as durable as the delete beside it.
        q.exec(QStringLiteral("PRAGMA recovery.synchronous=EXTRA"));
        return true;
    }
    *error = QStringLiteral("无法打开恢复文件“%1”：%2")
                 .arg(QDir::toNativeSeparators(recoveryFile), q.lastError().text());
    if (attached)
        detachRecovery(db);
    return false;
}

void detachRecovery(Module1& db)
{
    QSqlQuery(db.DbConnection()).exec(QStringLiteral("DETACH DATABASE recovery"));
}

} // namespace store
