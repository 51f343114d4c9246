#pragma once

// Test-only: the restore as it was once done, beside SQLite rather than through it. The negative
// control of the restore tests; the program never builds this.
#include "store/StoreFile.h"
#include "store/recovery/Recovery.h"

#include <QFileInfo>

namespace store {

struct RecoverySeam
{
    // A look for a journal, a daily backup of the store as it is, then the chosen file's bytes written
    // to a temporary file beside the store, synced, and renamed over it: no lock is held throughout.
    static BackupOutcome restoreByRename(Recovery& recovery, const QString& backupPath)
    {
        BackupOutcome outcome;
        const FileCheck chosen = checkStoreFile(backupPath);
        if (!chosen.ok) {
            outcome.error = chosen.error;
            return outcome;
        }
        if (QFileInfo::exists(recovery.storePath() + QStringLiteral("-journal"))) {
            outcome.error = QStringLiteral("数据库正被其他程序写入，请稍后再试。");
            return outcome;
        }
        const BackupOutcome current = recovery.backups().make();
        if (!current.ok) {
            outcome.error = current.error;
            return outcome;
        }
        outcome.ok = replaceFile(backupPath, recovery.storePath(), &outcome.error);
        outcome.cards = chosen.cards;
        return outcome;
    }
};

} // namespace store
