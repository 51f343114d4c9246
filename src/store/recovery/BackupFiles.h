#pragma once

// The files of a store's backups: how they are found and checked, and the copy of a whole database
// they are made by. Shared by the daily backups, the restore and the recovery list.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace store {

// A copy of the whole store in the backups folder.
struct BackupFile
{
    QString path;
    QDateTime madeAt;
};

// Plain checks on a store or backup file, read through a connection of their own.
struct FileCheck
{
    bool ok = false;
    qint64 cards = -1;
    QStringList names; // every card name, in name order
    QString error;
};
// full runs integrity_check as well; without it only the cards are counted (and named).
FileCheck checkStoreFile(const QString& path, bool full = true, bool withNames = false);

// Copies the whole database from one file into another (an empty or new one) through SQLite's online
// backup, committed with its full syncs, and checks the copy.
FileCheck copyDatabase(const QString& from, const QString& to);

} // namespace store
