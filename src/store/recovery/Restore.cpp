// Restoring a whole-store backup. The backup goes into the store through SQLite's online backup,
// under the store's own lock and journal: another copy of the program sees the old store or the
// restored one, never a mix, and a kill leaves one of the two. Under that same lock, before a page
// changes, the store's bytes are kept as they are: a sound store as a copy before the restore (apart
// from the daily backups), a damaged one beside the store. A file SQLite cannot read at all is kept
// under a new name beside the store, with its journal, and a new store made from the backup takes
// its name.
#include "store/recovery/Restore.h"

#include "store/SqliteHandle.h"
#include "store/StoreFile.h"
#include "store/StoreFileKind.h"
#include "store/recovery/BackupFiles.h"
#include "store/recovery/RecoveryPlace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace store {

namespace {

QString busyText()
{
    return QStringLiteral("数据库正被其他程序写入，请稍后再试。");
}

bool isBusy(int rc)
{
    return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

bool isUnreadable(int rc)
{
    return (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB;
}

// What one way of restoring came to. Unreadable: SQLite cannot read the store, nothing was changed.
struct Attempt
{
    enum Result { Done, Unreadable, Failed };
    Result result = Failed;
    QString text; // the notice when done, the error when failed, the reason when unreadable
};

// The store's answer to quick_check. rc is SQLITE_OK when the check ran, and then `damaged` says
// whether it found anything, `problem` what it found first; otherwise rc and `problem` are the error.
struct Soundness
{
    int rc = SQLITE_OK;
    bool schemaRead = false;
    bool damaged = false;
    QString problem;
};

Soundness quickCheck(sqlite3* db)
{
    Soundness result;
    sqlite3_stmt* statement = nullptr;
    result.rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &statement, nullptr);
    result.schemaRead = result.rc == SQLITE_OK;
    if (result.schemaRead) {
        result.rc = sqlite3_step(statement);
        if (result.rc == SQLITE_ROW) {
            result.rc = SQLITE_OK;
            const QString answer =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
            result.damaged = answer != QLatin1String("ok");
            // The first finding, past the line "*** in database main ***".
            const int line = answer.startsWith(QLatin1String("***")) ? 1 : 0;
            result.problem = answer.section(QLatin1Char('\n'), line, line).trimmed();
        }
    }
    if (result.rc != SQLITE_OK) {
        result.damaged = isUnreadable(result.rc);
        result.problem = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
    return result;
}

// Writes the store's bytes, as SQLite holds the file under its lock, to `to` and syncs them. They are
// read through SQLite's own handle of the file: opening it a second time in this process and closing
// that again would drop the locks SQLite holds on it.
bool copyHeldFile(sqlite3* db, const QString& to, QString* error)
{
    sqlite3_file* file = nullptr;
    sqlite3_int64 size = 0;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK) {
        *error = QStringLiteral("无法读取数据库文件");
        return false;
    }
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = out.errorString();
        return false;
    }
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (sqlite3_int64 at = 0; at < size;) {
        const int length = int(std::min<sqlite3_int64>(chunk.size(), size - at));
        const int rc = file->pMethods->xRead(file, chunk.data(), length, at);
        if (rc != SQLITE_OK) {
            *error = QString::fromUtf8(sqlite3_errstr(rc));
            return false;
        }
        if (out.write(chunk.constData(), length) != length) {
            *error = out.errorString();
            return false;
        }
        at += length;
    }
    if (!syncFile(out)) {
        *error = out.errorString();
        return false;
    }
    return true;
}

// Keeps the held store as "<base>[-n]<suffix>", by way of a temporary file of the same folder; a copy
// that must be `sound` is checked whole before it gets its name. Returns the name, or an empty string.
QString keepHeldFile(sqlite3* db, const QString& base, const QString& suffix, bool sound, QString* error)
{
    const QString temp = createUniqueFile(keptCopyTemplate(base), error);
    if (temp.isEmpty())
        return {};
    bool ok = copyHeldFile(db, temp, error);
    if (ok && sound) {
        const FileCheck check = checkStoreFile(temp);
        ok = check.ok;
        if (!ok)
            *error = check.error;
    }
    const QString name = ok ? freeName(base, suffix) : QString();
    if (ok && !renameNoReplace(temp, name)) {
        ok = false;
        *error = QStringLiteral("无法建立文件%1").arg(quotedPath(name));
    }
    if (!ok) {
        QFile::remove(temp);
        return {};
    }
    syncFolder(QFileInfo(name).absolutePath());
    return name;
}

// The sound or damaged store SQLite can read: kept under the lock the backup's first step takes, then
// overwritten page by page in one transaction of its own journal.
Attempt restoreThroughSqlite(const QString& storePath, const QString& backupPath, const QString& keptBase,
                             const QString& damagedBase)
{
    SqliteHandle target(storePath, SQLITE_OPEN_READWRITE);
    if (!target.ok())
        return {Attempt::Failed,
                QStringLiteral("无法打开数据库（%1），数据库未作改动。").arg(target.error())};
    const Soundness sound = quickCheck(target.db());
    if (isBusy(sound.rc))
        return {Attempt::Failed, busyText()};
    if (!sound.schemaRead && isUnreadable(sound.rc))
        return {Attempt::Unreadable, sound.problem};
    if (sound.rc != SQLITE_OK && !isUnreadable(sound.rc))
        return {Attempt::Failed, QStringLiteral("无法读取数据库（%1），数据库未作改动。").arg(sound.problem)};
    sqlite3_exec(target.db(), "PRAGMA synchronous=EXTRA", nullptr, nullptr, nullptr);
    SqliteHandle source(backupPath, SQLITE_OPEN_READONLY);
    sqlite3_backup* backup =
        source.ok() ? sqlite3_backup_init(target.db(), "main", source.db(), "main") : nullptr;
    if (!backup)
        return {Attempt::Failed, QStringLiteral("无法恢复备份（%1），数据库未作改动。")
                                     .arg(source.ok() ? target.error() : source.error())};
    // A step of no page takes the store's write lock, waiting for other writers as every operation
    // does, and rolls back a journal a killed writer left. The lock is held until the backup ends.
    int rc = sqlite3_backup_step(backup, 0);
    QString kept;
    QString why;
    if (rc == SQLITE_OK) {
        kept = !sound.damaged
                   ? keepHeldFile(target.db(), keptBase, QLatin1String(BeforeRestoreSuffix), true, &why)
                   : keepHeldFile(target.db(), damagedBase, QString(), false, &why);
        if (!kept.isEmpty())
            rc = sqlite3_backup_step(backup, -1);
    }
    sqlite3_backup_finish(backup); // without SQLITE_DONE, this rolls the store back
    if (rc == SQLITE_DONE) {
        return {Attempt::Done, !sound.damaged
                                   ? QStringLiteral("换下的数据库已另存为一份恢复前的备份。")
                                   : QStringLiteral("原来的数据库已损坏（%1），它原样的副本已另存为%2。")
                                         .arg(sound.problem, quotedPath(kept))};
    }
    if (isBusy(rc))
        return {Attempt::Failed, busyText()};
    if (rc != SQLITE_OK && isUnreadable(rc) && kept.isEmpty())
        return {Attempt::Unreadable, QString::fromUtf8(sqlite3_errstr(rc))};
    if (kept.isEmpty() && rc == SQLITE_OK)
        return {Attempt::Failed, QStringLiteral("无法先保存当前的数据库（%1），数据库未作改动。").arg(why)};
    return {
        Attempt::Failed,
        QStringLiteral("无法恢复备份（%1），数据库未作改动。").arg(QString::fromUtf8(sqlite3_errstr(rc)))};
}

// A second name for the file, never one that is taken: a hard link, or where the file system has no
// links, a copy made under a temporary name, synced and renamed.
QString keepAside(const QString& path, const QString& base, QString* error)
{
    namespace fs = std::filesystem;
    std::error_code failure;
    for (int tries = 0; tries < 100; ++tries) {
        const QString name = freeName(base, QString());
        fs::create_hard_link(fs::path(path.toStdU16String()), fs::path(name.toStdU16String()), failure);
        if (!failure)
            return name;
        if (failure != std::errc::file_exists)
            break;
    }
    const QString temp = createUniqueFile(keptCopyTemplate(base), error);
    if (temp.isEmpty())
        return {};
    QFile in(path);
    QFile out(temp);
    bool ok = in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly);
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        ok = !chunk.isEmpty() && out.write(chunk) == chunk.size();
    }
    ok = ok && syncFile(out);
    out.close();
    const QString name = freeName(base, QString());
    if (ok && renameNoReplace(temp, name))
        return name;
    *error = in.error() != QFileDevice::NoError ? in.errorString() : out.errorString();
    QFile::remove(temp);
    return {};
}

// A store file SQLite cannot read (or none at all): the new store is made whole from the backup first;
// the file there is kept under a new name beside it, its journal moved beside that, and then the new
// store takes the name in one step.
Attempt replaceUnreadable(const QString& storePath, const QString& backupPath, const QString& damagedBase,
                          const QString& reason)
{
    QString why;
    const QString temp = createUniqueFile(newStoreTemplate(storePath), &why);
    const FileCheck made = temp.isEmpty() ? FileCheck{false, -1, {}, why} : copyDatabase(backupPath, temp);
    const auto failed = [&temp](const QString& text) {
        if (!temp.isEmpty()) {
            QFile::remove(temp + QStringLiteral("-journal"));
            QFile::remove(temp);
        }
        return Attempt{Attempt::Failed, text};
    };
    if (!made.ok)
        return failed(QStringLiteral("无法从备份建立新的数据库（%1），数据库未作改动。").arg(made.error));
    const bool present = QFileInfo::exists(storePath) || QFileInfo(storePath).isSymLink();
    const QString kept = present ? keepAside(storePath, damagedBase, &why) : QString();
    if (present && kept.isEmpty())
        return failed(QStringLiteral("无法另存原来的数据库文件（%1），数据库未作改动。").arg(why));
    const QString journal = storePath + QStringLiteral("-journal");
    QString keptJournal;
    if (QFileInfo::exists(journal)) {
        keptJournal = present ? kept + QStringLiteral("-journal") : moveOrphanJournal(storePath);
        if (keptJournal.isEmpty() || (present && !renameNoReplace(journal, keptJournal)))
            return failed(QStringLiteral("无法移开日志文件%1，数据库未作改动。").arg(quotedPath(journal)));
    }
    // The name is free (or its file kept under another): the new store takes it in one step.
    if (present ? !replaceFile(temp, storePath, &why) : !renameNoReplace(temp, storePath)) {
        why = present ? why : QStringLiteral("另一个程序已建立了文件%1").arg(quotedPath(storePath));
        return failed(kept.isEmpty()
                          ? QStringLiteral("无法替换数据库文件（%1），数据库未作改动。").arg(why)
                          : QStringLiteral("无法替换数据库文件（%1），数据库未作改动；它已另存为%2。")
                                .arg(why, quotedPath(kept)));
    }
    QFile::remove(temp);
    syncFolder(QFileInfo(storePath).absolutePath());
    if (!present)
        return {Attempt::Done, keptJournal.isEmpty() ? QString() : orphanJournalMessage(keptJournal)};
    QString notice =
        QStringLiteral("原来的数据库文件无法读取（%1），已原样另存为%2").arg(reason, quotedPath(kept));
    if (!keptJournal.isEmpty())
        notice += QStringLiteral("，它的日志文件另存为%1").arg(quotedPath(keptJournal));
    return {Attempt::Done, notice + QStringLiteral("。")};
}

} // namespace

RestoreResult restoreStore(const QString& storePath, const QString& backupsDir, const QString& backupPath,
                           const QString& stamp)
{
    const QString keptBase = backupBase(storePath, backupsDir, stamp);
    const QString damagedBase = damagedStoreBase(storePath, stamp);
    const StoreFileCheck file = inspectStoreFile(storePath);
    Attempt attempt{Attempt::Unreadable, file.reason};
    if (file.kind == StoreFileKind::SQLite) {
        attempt =
            QDir().mkpath(backupsDir)
                ? restoreThroughSqlite(storePath, backupPath, keptBase, damagedBase)
                : Attempt{
                      Attempt::Failed,
                      QStringLiteral("无法建立备份文件夹%1，数据库未作改动。").arg(quotedPath(backupsDir))};
    }
    if (attempt.result == Attempt::Unreadable)
        attempt = replaceUnreadable(storePath, backupPath, damagedBase,
                                    file.kind == StoreFileKind::Jet ? QStringLiteral("旧版 Access 格式")
                                                                    : attempt.text);
    return {attempt.result == Attempt::Done, attempt.text};
}

} // namespace store
