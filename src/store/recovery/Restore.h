#pragma once

#include <QString>

namespace store {

// What a restore of the whole store came to: done, with what is to be said of the store it replaced
// (may be empty); or not done, with the reason, and the store as it was.
struct RestoreResult
{
    bool done = false;
    QString text;
};

// Puts the backup's content into the store through SQLite, under the store's own lock and journal:
// every other connection sees the old store or the restored one, and a kill leaves one of the two. The
// store as it was is kept first, under names made with `stamp`: a sound one as a copy before the
// restore in the backups folder, a damaged one byte for byte beside it (with its journal), never
// overwritten. The backup itself is not checked here.
RestoreResult restoreStore(const QString& storePath, const QString& backupsDir, const QString& backupPath,
                           const QString& stamp);

} // namespace store
