// Whole-store backups: made through SQLite's online backup into a temporary file of the backups
// folder, checked, renamed into place, and only then are the oldest pruned; and put back by a restore.
#include "store/recovery/Backups.h"

#include "store/StoreFile.h"
#include "store/recovery/Restore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <algorithm>

namespace store {

namespace {

QString backupPrefix(const QString& storePath)
{
    return QFileInfo(storePath).fileName() + QLatin1Char('.');
}

// The copies in `folder` named "<store file name>.<stamp>[-n]<suffix>", newest first.
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
        const QDateTime madeAt = stampTime(match.captured(1));
        if (madeAt.isValid())
            found.append({{madeAt, match.captured(2).toInt()}, {dir.filePath(name), madeAt}});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<BackupFile> result;
    for (const auto& entry : found)
        result.append(entry.second);
    return result;
}

} // namespace

Backups::Backups(QString storePath, QString folder, RecoveryClock clock)
    : m_storePath(std::move(storePath)), m_folder(std::move(folder)), m_clock(std::move(clock))
{
}

QList<BackupFile> Backups::daily() const
{
    return stampedCopies(m_folder, m_storePath, DailySuffix);
}

QList<BackupFile> Backups::beforeRestoreCopies() const
{
    return stampedCopies(m_folder, m_storePath, BeforeRestoreSuffix);
}

BackupOutcome Backups::make()
{
    BackupOutcome outcome;
    const QDateTime now = clockNow(m_clock);
    if (!QDir().mkpath(m_folder)) {
        outcome.error = QStringLiteral("无法建立备份文件夹“%1”").arg(QDir::toNativeSeparators(m_folder));
        return outcome;
    }
    QTemporaryFile temp(backupTemplate(m_storePath, m_folder));
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
        freeName(backupBase(m_storePath, m_folder, fileStamp(now)), QLatin1String(DailySuffix));
    if (!renameNoReplace(tempPath, name)) {
        QFile::remove(tempPath);
        outcome.error = QStringLiteral("无法命名备份文件");
        return outcome;
    }
    m_day = now.date();
    prune();
    outcome.ok = true;
    outcome.made = true;
    outcome.path = name;
    outcome.cards = copied.cards;
    return outcome;
}

void Backups::prune()
{
    const QList<BackupFile> all = daily();
    for (qsizetype i = DailyKept; i < all.size(); ++i)
        QFile::remove(all.at(i).path);
}

void Backups::beforeChange(QString* failure)
{
    const QDate today = clockNow(m_clock).date();
    if (m_day == today)
        return;
    const QList<BackupFile> made = daily();
    if (!made.isEmpty() && made.first().madeAt.date() == today) {
        m_day = today;
        return;
    }
    if (!QFileInfo(m_storePath).isFile())
        return; // nothing to keep: the change itself will say what is wrong
    const BackupOutcome outcome = make();
    if (!outcome.ok && failure)
        *failure = QStringLiteral("今天的自动备份没有完成：%1。角色卡的修改照常保存。").arg(outcome.error);
}

BackupOutcome Backups::restore(const QString& backupPath)
{
    BackupOutcome outcome;
    const FileCheck chosen = checkStoreFile(backupPath);
    if (!chosen.ok) {
        outcome.error = QStringLiteral("所选备份无法使用（%1），数据库未作改动。").arg(chosen.error);
        return outcome;
    }
    const RestoreResult restored =
        restoreStore(m_storePath, m_folder, backupPath, fileStamp(clockNow(m_clock)));
    if (!restored.done) {
        outcome.error = restored.text;
        return outcome;
    }
    // Only the newest few copies kept by restores stay, and never the one this restore read.
    const QList<BackupFile> copies = beforeRestoreCopies();
    for (qsizetype i = BeforeRestoreKept; i < copies.size(); ++i) {
        if (QFileInfo(copies.at(i).path) != QFileInfo(backupPath))
            QFile::remove(copies.at(i).path);
    }
    outcome.ok = true;
    outcome.path = m_storePath;
    outcome.cards = chosen.cards;
    outcome.notice = restored.text;
    return outcome;
}

} // namespace store
