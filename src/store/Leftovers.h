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

// A temporary file that nobody has changed for an hour belongs to no running copy: the copy that made
// it was killed. Such files, and their journals, are removed at start-up; nothing else is: only
// regular files whose names fit the templates above exactly. Returns how many were removed.
int removeLeftoverTemporaries(const QString& storePath);

} // namespace store
