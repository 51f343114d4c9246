#pragma once

#include <QString>

namespace store {

// The temporary files the program makes for a store (a new store, the recovery store, a backup, a
// copy a restore keeps; see StoreFile.h and recovery/RecoveryPlace.h for their names) are what a
// killed run leaves behind. One that nobody has changed for an hour belongs to no running copy: the
// copy that made it was killed. Such files, and their journals, are removed at start-up; nothing else
// is: only regular files whose names fit those templates exactly. Returns how many were removed.
int removeLeftoverTemporaries(const QString& storePath);

} // namespace store
