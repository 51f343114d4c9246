#pragma once

// The files of a store's backups: how they are named and found, and the copy of a whole database
// they are made by. Shared by the daily backups and the restore.
#include "store/recovery/Recovery.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace store {

// The suffixes of the daily backups and of the copies a restore keeps of the store it replaced.
inline const char* const DailySuffix = ".backup";
inline const char* const BeforeRestoreSuffix = ".before-restore";

// The local time in file names, to the second: 20240501-093000.
QString fileStamp(const QDateTime& time);
// A regular expression that matches the stamps fileStamp gives.
QString stampPattern();

// "<base><suffix>", or "<base>-2<suffix>" and on while that name is taken by a file or a link.
QString freeName(const QString& base, const QString& suffix);

// The copies in `folder` named "<store file name>.<stamp>[-n]<suffix>", newest first.
QList<BackupFile> stampedCopies(const QString& folder, const QString& storePath, const char* suffix);

// Copies the whole database from one file into another (an empty or new one) through SQLite's online
// backup, committed with its full syncs, and checks the copy.
FileCheck copyDatabase(const QString& from, const QString& to);

} // namespace store
