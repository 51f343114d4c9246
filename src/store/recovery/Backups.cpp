// Whole-store backups: made through SQLite's online backup into a temporary file of the backups
// folder, checked, renamed into place, and only then are the oldest pruned.
#include "store/Leftovers.h"
#include "store/Module1.h"
#include "store/SqliteHandle.h"
#include "store/StoreFile.h"
#include "store/recovery/BackupFiles.h"
#include "store/recovery/Recovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <algorithm>

namespace store {

namespace {

const char* const StampFormat = "yyyyMMdd-HHmmss";

QString backupPrefix(const QString& storePath)
{
    return QFileInfo(storePath).fileName() + QLatin1Char('.');
}

// The first column of the first row of a statement, as text; null where there is no row.
QString scalar(sqlite3* db, const char* sql, bool* ok)
{
    sqlite3_stmt* statement = nullptr;
    QString value;
    *ok = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK;
    if (*ok) {
        const int rc = sqlite3_step(statement);
        *ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
        if (rc == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    return value;
}

FileCheck check(sqlite3* db, bool full, bool withNames)
{
    FileCheck result;
    bool ok = true;
    const QString integrity = full ? scalar(db, "PRAGMA integrity_check", &ok) : QStringLiteral("ok");
    if (!ok || integrity != QLatin1String("ok")) {
        result.error = ok ? integrity : QString::fromUtf8(sqlite3_errmsg(db));
        return result;
    }
    const QString cards = scalar(db, "SELECT COUNT(*) FROM card", &ok);
    if (!ok) {
        result.error = QString::fromUtf8(sqlite3_errmsg(db));
        return result;
    }
    result.cards = cards.toLongLong();
    if (withNames) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT Nae FROM card ORDER BY Nae", -1, &statement, nullptr) ==
            SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW)
                result.names << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
    }
    result.ok = true;
    return result;
}

} // namespace

FileCheck checkStoreFile(const QString& path, bool full, bool withNames)
{
    if (!QFileInfo(path).isFile())
        return {false, -1, {}, QStringLiteral("文件不存在")};
    SqliteHandle handle(path, SQLITE_OPEN_READONLY);
    if (!handle.ok())
        return {false, -1, {}, handle.error()};
    return check(handle.db(), full, withNames);
}

QString fileStamp(const QDateTime& time)
{
    return time.toString(QLatin1String(StampFormat));
}

QString stampPattern()
{
    return QStringLiteral("\\d{8}-\\d{6}");
}

QString freeName(const QString& base, const QString& suffix)
{
    QString name = base + suffix;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral("-%1").arg(n) + suffix;
    return name;
}

QList<BackupFile> stampedCopies(const QString& folder, const QString& storePath, const char* suffix)
{
    // Sav.qlk.20240501-093000.backup; a second one within the same second gets "-2" and so on.
    const QRegularExpression pattern(QStringLiteral("^(%1)(?:-(\\d+))?").arg(stampPattern()) +
                                     QRegularExpression::escape(QLatin1String(suffix)) + QLatin1Char('$'));
    const QString prefix = backupPrefix(storePath);
    QList<std::pair<std::pair<QDateTime, int>, BackupFile>> found;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({prefix + QLatin1Char('*') + QLatin1String(suffix)}, QDir::Files)) {
        const QRegularExpressionMatch match = pattern.match(name.mid(prefix.size()));
        if (!match.hasMatch())
            continue;
        const QDateTime madeAt = QDateTime::fromString(match.captured(1), QLatin1String(StampFormat));
        if (madeAt.isValid())
            found.append({{madeAt, match.captured(2).toInt()}, {dir.filePath(name), madeAt}});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<BackupFile> result;
    for (const auto& entry : found)
        result.append(entry.second);
    return result;
}

FileCheck copyDatabase(const QString& from, const QString& to)
{
    FileCheck result;
    SqliteHandle source(from, SQLITE_OPEN_READONLY);
    if (!source.ok()) {
        result.error = source.error();
        return result;
    }
    {
        SqliteHandle target(to, SQLITE_OPEN_READWRITE);
        if (!target.ok()) {
            result.error = target.error();
            return result;
        }
        sqlite3_exec(target.db(), "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        sqlite3_backup* backup = sqlite3_backup_init(target.db(), "main", source.db(), "main");
        if (!backup) {
            result.error = target.error();
            return result;
        }
        int rc = SQLITE_OK;
        // A writer holding the store makes the step busy: wait for it a little, as other operations do.
        for (int tries = 0; tries < 30; ++tries) {
            rc = sqlite3_backup_step(backup, -1);
            if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                break;
            sqlite3_sleep(50);
        }
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE) {
            result.error = QString::fromUtf8(sqlite3_errstr(rc));
            return result;
        }
    }
    return checkStoreFile(to);
}

QList<BackupFile> Recovery::backups() const
{
    return stampedCopies(m_place.backupsDir, m_storePath, DailySuffix);
}

QList<BackupFile> Recovery::beforeRestoreCopies() const
{
    return stampedCopies(m_place.backupsDir, m_storePath, BeforeRestoreSuffix);
}

BackupOutcome Recovery::makeBackup()
{
    BackupOutcome outcome;
    const QDateTime now = this->now();
    if (!QDir().mkpath(m_place.backupsDir)) {
        outcome.error =
            QStringLiteral("无法建立备份文件夹“%1”").arg(QDir::toNativeSeparators(m_place.backupsDir));
        return outcome;
    }
    QTemporaryFile temp(backupTemplate(m_storePath, m_place.backupsDir));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        outcome.error = QStringLiteral("无法在备份文件夹中写入（%1）").arg(temp.errorString());
        return outcome;
    }
    const QString tempPath = temp.fileName();
    temp.close();
    const FileCheck copied = copyDatabase(m_storePath, tempPath);
    if (!copied.ok) {
        QFile::remove(tempPath);
        outcome.error = QStringLiteral("备份未通过检查（%1）").arg(copied.error);
        return outcome;
    }
    const QString name =
        freeName(backupBase(m_storePath, m_place.backupsDir, fileStamp(now)), QLatin1String(DailySuffix));
    if (!renameNoReplace(tempPath, name)) {
        QFile::remove(tempPath);
        outcome.error = QStringLiteral("无法命名备份文件");
        return outcome;
    }
    m_backupDay = now.date();
    pruneBackups();
    outcome.ok = true;
    outcome.made = true;
    outcome.path = name;
    outcome.cards = copied.cards;
    return outcome;
}

void Recovery::pruneBackups()
{
    const QList<BackupFile> all = backups();
    for (qsizetype i = BackupsKept; i < all.size(); ++i)
        QFile::remove(all.at(i).path);
}

void Recovery::backupBeforeChange(QString* failure)
{
    const QDate today = now().date();
    if (m_backupDay == today)
        return;
    const QList<BackupFile> made = backups();
    if (!made.isEmpty() && made.first().madeAt.date() == today) {
        m_backupDay = today;
        return;
    }
    if (!QFileInfo(m_storePath).isFile())
        return; // nothing to keep: the change itself will say what is wrong
    const BackupOutcome outcome = makeBackup();
    if (!outcome.ok && failure)
        *failure = QStringLiteral("今天的自动备份没有完成：%1。角色卡的修改照常保存。").arg(outcome.error);
}

} // namespace store
