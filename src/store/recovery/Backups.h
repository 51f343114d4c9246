#pragma once

#include "store/recovery/BackupFiles.h"
#include "store/recovery/RecoveryPlace.h"

#include <QDate>
#include <QList>
#include <QString>

namespace store {

struct BackupOutcome
{
    bool ok = false;
    bool made = false; // false with ok: today's backup exists already
    QString path;
    qint64 cards = -1;
    QString error;
    QString notice; // after a restore: what was kept of the store it replaced, and where
};

// The whole-store backups of one store, in its backups folder: one made before the first change of
// each day, the latest few kept; and the restore of one of them, which keeps a copy of what it replaced.
// Nothing here shows a message.
class Backups
{
public:
    static constexpr int DailyKept = 10;
    static constexpr int BeforeRestoreKept = 3;

    Backups(QString storePath, QString folder, RecoveryClock clock);
    Backups(const Backups&) = delete;
    Backups& operator=(const Backups&) = delete;

    const QString& folder() const { return m_folder; }

    // Before the first change of each day a backup is made; a failure is handed out in *failure
    // (tried again at the next change), never as the failure of the change.
    void beforeChange(QString* failure);
    BackupOutcome make();
    QList<BackupFile> daily() const; // newest first
    // The copies of the store each restore keeps of what it replaced, newest first; they are kept
    // apart from the daily backups and do not count against them.
    QList<BackupFile> beforeRestoreCopies() const;
    // Puts the backup's content into the store (see restoreStore), once the backup is checked whole.
    // The chosen backup is never pruned.
    BackupOutcome restore(const QString& backupPath);

private:
    void prune();

    QString m_storePath;
    QString m_folder;
    RecoveryClock m_clock;
    QDate m_day; // the day of the last backup this program saw
};

} // namespace store
