#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// Where the safety net of a store lives, and the names of its files: the recovery store, the daily
// backups, the copies a restore keeps, and the temporary files each of them is made through
// (createUniqueFile and QTemporaryFile fill "XXXXXX" with six letters). SQLite may add "-journal" to
// any of them while it writes there.
namespace store {

// The time drafts, deletions and backups are stamped with (the system clock where it is empty).
using RecoveryClock = std::function<QDateTime()>;
QDateTime clockNow(const RecoveryClock& clock);

// The recovery store (drafts and deleted cards) and the folder of whole-store backups. Both sit beside
// the store; where that folder cannot be written, both go to the user's data folder.
struct RecoveryPlace
{
    QString recoveryFile; // "Sav.qlk.recovery"
    QString backupsDir;   // "Sav.qlk.backups"
};
RecoveryPlace recoveryPlace(const QString& storePath);

// The suffixes of the daily backups and of the copies a restore keeps of the store it replaced.
inline const char* const DailySuffix = ".backup";
inline const char* const BeforeRestoreSuffix = ".before-restore";

// The local time in file names, to the second: 20240501-093000; an invalid time where `text` is none.
QString fileStamp(const QDateTime& time);
QDateTime stampTime(const QString& text);
// A regular expression that matches the stamps fileStamp gives.
QString stampPattern();

// "<base><suffix>", or "<base>-2<suffix>" and on while that name is taken by a file or a link.
QString freeName(const QString& base, const QString& suffix);

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

} // namespace store
