#pragma once

#include <QString>

// The temporary files the program makes for a store, each under a name of its own made from one of
// these templates (QTemporaryFile fills "XXXXXX" with six letters), and what a killed run leaves of
// them. SQLite may add "-journal" to any of them while it writes there.
namespace store {

// A new store being built beside the store: "<store>.new-XXXXXX".
QString newStoreTemplate(const QString& storePath);
// The recovery store being built beside itself: "<store>.recovery.XXXXXX.tmp".
QString recoveryStoreTemplate(const QString& recoveryFile);
// A backup being copied, in the backups folder: "<backups>/<store's name>.XXXXXX.tmp".
QString backupTemplate(const QString& storePath, const QString& backupsDir);
// A copy a restore keeps, being written beside the name it gets: "<base>-XXXXXX.tmp", the base being
// one of the two below.
QString keptCopyTemplate(const QString& base);

// The names of the copies made at the time `stamp` (fileStamp) start from these bases: in the backups
// folder (a daily backup, or the store a restore replaced) "<backups>/<store's name>.<stamp>", and
// beside the store (a damaged store a restore kept aside) "<store>.damaged-<stamp>".
QString backupBase(const QString& storePath, const QString& backupsDir, const QString& stamp);
QString damagedStoreBase(const QString& storePath, const QString& stamp);

// A temporary file that nobody has changed for an hour belongs to no running copy: the copy that made
// it was killed. Such files, and their journals, are removed at start-up; nothing else is: only
// regular files whose names fit the templates above exactly. Returns how many were removed.
int removeLeftoverTemporaries(const QString& storePath);

} // namespace store
