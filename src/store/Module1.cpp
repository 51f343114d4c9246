#include "store/Module1.h"

#include "store/Schema.h"
#include "store/SqliteCodes.h"
#include "store/StoreFile.h"
#include "store/StoreLocation.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace store {

namespace {

// Numbers the instances, for connection names of their own.
QAtomicInt g_instances;

} // namespace

Module1::Module1(QString filePath)
    : m_path(std::move(filePath)),
      m_connection(QStringLiteral("quillmark-%1").arg(g_instances.fetchAndAddRelaxed(1)))
{
}

Module1::~Module1()
{
    CloseDb();
}

bool Module1::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

QSqlDatabase Module1::DbConnection() const
{
    return QSqlDatabase::database(m_connection, false);
}

bool Module1::OpenDb(QString* error)
{
    if (isOpen())
        return true;
    if (!m_unusable.isEmpty()) {
        if (error)
            *error = m_unusable;
        return false;
    }
    // Opening an SQLite file that is not there would create an empty one: never do that here.
    if (!QFileInfo::exists(m_path)) {
        if (error)
            *error = describeOpenFailure();
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::contains(m_connection)
                              ? QSqlDatabase::database(m_connection, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        // mode=rw: a file removed meanwhile is reported, not silently recreated.
        db.setDatabaseName(storeUri(QFileInfo(m_path).absoluteFilePath()) + QStringLiteral("?mode=rw"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
        if (db.open()) {
            // Durable commits. The store keeps SQLite's default rollback journal (created so by
            // createStore); asking for the journal mode here would wait on another writer's lock
            // before the operation's own statement waits again. EXTRA is FULL plus a sync of the
            // folder once the journal is deleted, so that a commit already reported survives a
            // power loss too (with FULL alone it could come back rolled back, whole but older).
            QSqlQuery pragma(db);
            pragma.exec(QStringLiteral("PRAGMA synchronous=EXTRA"));
            return true;
        }
        if (error)
            *error = describeFailure(db.lastError());
    }
    CloseDb();
    return false;
}

void Module1::CloseDb()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool Module1::beginWrite(QString* error)
{
    QSqlQuery q(DbConnection());
    if (q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    if (error)
        *error = describeFailure(q.lastError());
    return false;
}

bool Module1::commit(QString* error)
{
    QSqlQuery q(DbConnection());
    if (q.exec(QStringLiteral("COMMIT")))
        return true;
    if (error)
        *error = describeFailure(q.lastError());
    rollback();
    return false;
}

void Module1::rollback()
{
    QSqlQuery q(DbConnection());
    q.exec(QStringLiteral("ROLLBACK"));
}

QString Module1::describeOpenFailure() const
{
    if (!m_unusable.isEmpty())
        return m_unusable;
    if (!QFileInfo::exists(m_path))
        return QStringLiteral("找不到数据库文件%1，它可能已被移走或删除。").arg(quotedPath(m_path));
    return QStringLiteral("无法打开数据库文件%1。").arg(quotedPath(m_path));
}

QString Module1::describeFailure(const QSqlError& error) const
{
    const QFileInfo file(m_path);
    const QFileInfo folder(file.absolutePath());
    const QString detail = error.text().trimmed();
    const int code = primaryResultCode(error);
    if (!file.exists())
        return describeOpenFailure();
    switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("数据库文件%1正被其他程序使用，请稍后再试。").arg(quotedPath(m_path));
    case SQLITE_FULL:
        return QStringLiteral("磁盘空间已满，无法写入数据库文件%1。").arg(quotedPath(m_path));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("数据库文件%1已损坏或不是本程序的数据库（%2）。")
            .arg(quotedPath(m_path), detail);
    default:
        break;
    }
    const bool fileCanBeWritten = fileWritable(m_path);
    if (!fileCanBeWritten && code == SQLITE_READONLY)
        return QStringLiteral("数据库文件%1是只读的，无法写入。").arg(quotedPath(m_path));
    if (code == SQLITE_READONLY || code == SQLITE_CANTOPEN || code == SQLITE_IOERR) {
        if (!folderWritable(folder.absoluteFilePath()))
            return QStringLiteral("文件夹%1不可写入，无法保存（数据库需要在同一文件夹中建立日志文件）。")
                .arg(quotedPath(folder.absoluteFilePath()));
    }
    if (!fileCanBeWritten)
        return QStringLiteral("数据库文件%1是只读的，无法写入。").arg(quotedPath(m_path));
    return QStringLiteral("数据库操作失败（%1）。").arg(detail);
}

bool Module1::createStore(const QString& path, QString* error, QString* orphanJournal)
{
    // Built whole under a name of its own, then renamed into place: a kill leaves either no store or a
    // complete one, and two copies starting together never remove or replace each other's file.
    QString why;
    const QString temp = createUniqueFile(newStoreTemplate(path), &why);
    bool ok = !temp.isEmpty() && writeStoreFile(temp, {}, &why);
    if (ok) {
        const QString moved = moveOrphanJournal(path);
        if (orphanJournal)
            *orphanJournal = moved;
        if (QFileInfo::exists(path + QStringLiteral("-journal")) && !QFileInfo::exists(path)) {
            ok = false;
            why = QStringLiteral("无法移开不属于它的日志文件%1")
                      .arg(quotedPath(path + QStringLiteral("-journal")));
        }
    }
    if (ok && !renameNoReplace(temp, path)) {
        ok = false;
        why = QFileInfo::exists(path) ? QStringLiteral("另一个程序已建立了文件%1").arg(quotedPath(path))
                                      : QStringLiteral("无法建立文件%1").arg(quotedPath(path));
    }
    if (ok)
        syncFolder(QFileInfo(path).absolutePath());
    if (!temp.isEmpty() && !ok) {
        QFile::remove(temp + QStringLiteral("-journal"));
        QFile::remove(temp);
    }
    if (!ok && error)
        *error = why;
    return ok;
}

bool Module1::checkSchema(QString* error, bool* busy)
{
    QSqlQuery q(DbConnection());
    for (const schema::Table& table : schema::tables()) {
        if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(table.name)))) {
            const QSqlError failure = q.lastError();
            const int code = primaryResultCode(failure);
            *busy = code == SQLITE_BUSY || code == SQLITE_LOCKED;
            *error = *busy ? describeFailure(failure) : failure.text();
            return false;
        }
        QStringList found;
        while (q.next())
            found << q.value(1).toString().toLower();
        if (found.isEmpty()) {
            *error = QStringLiteral("缺少数据表 %1").arg(QLatin1String(table.name));
            return false;
        }
        for (const QString& column : schema::columnNames(table)) {
            if (!found.contains(column.toLower())) {
                *error = QStringLiteral("数据表 %1 缺少列 %2").arg(QLatin1String(table.name), column);
                return false;
            }
        }
    }
    return true;
}

void Module1::addListIndex()
{
    QSqlQuery q(DbConnection());
    if (!q.prepare(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = ?")))
        return;
    q.addBindValue(schema::listIndexName());
    if (!q.exec() || !q.next() || q.value(0).toLongLong() > 0)
        return;
    q.finish();
    // Stores made before the index get it once. A store that cannot take it now (read-only, busy)
    // lists its cards all the same, only slower.
    q.exec(schema::listIndexStatement());
}

Module1::Prepared Module1::prepare()
{
    m_unusable.clear();
    StoreFileCheck check = inspectStoreFile(m_path);
    QString notice;
    if (check.kind == StoreFileKind::Missing) {
        QString error;
        QString orphan;
        const bool created = createStore(m_path, &error, &orphan);
        if (!orphan.isEmpty())
            notice = orphanJournalMessage(orphan);
        if (created)
            return {PrepareStatus::Created, {}, notice};
        // Another copy of the program may have put its new store in place meanwhile: that one is used.
        check = inspectStoreFile(m_path);
        if (check.kind == StoreFileKind::Missing) {
            // Nothing to protect here: operations will report the missing file as they run.
            return {PrepareStatus::Ready,
                    QStringLiteral("无法建立数据库文件%1：%2").arg(quotedPath(m_path), error), notice};
        }
    }
    switch (check.kind) {
    case StoreFileKind::Jet:
        m_unusable =
            QStringLiteral("数据库文件%1是旧版 Access 格式，本程序无法直接使用。").arg(quotedPath(m_path));
        return {PrepareStatus::Unusable, m_unusable, notice};
    case StoreFileKind::NotDatabase:
    case StoreFileKind::Truncated:
        m_unusable = unusableMessage(m_path, check.reason);
        return {PrepareStatus::Unusable, m_unusable, notice};
    case StoreFileKind::Missing: // handled above; opening it reports the file as gone
    case StoreFileKind::SQLite:
        break;
    }
    QString error;
    bool busy = false;
    bool ok = OpenDb(&error);
    if (ok)
        ok = checkSchema(&error, &busy);
    if (ok)
        addListIndex();
    CloseDb();
    if (ok)
        return {PrepareStatus::Ready, {}, notice};
    // Another program holding the store says nothing about the file: operations report it as they run.
    if (busy)
        return {PrepareStatus::Ready, error, notice};
    m_unusable = unusableMessage(m_path, error);
    return {PrepareStatus::Unusable, m_unusable, notice};
}

} // namespace store
