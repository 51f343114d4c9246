#pragma once

#include "store/StoreRows.h"

#include <QFileDevice>
#include <QString>

// The file steps of the one-time paths (a new store, an import): whole files written under unique
// temporary names in the store's folder, synced, then put in place by one rename.
//
// What holds where:
// - renameNoReplace puts a file under a new name only where no file has that name: a hard link to
//   the new name (refused by the system when the name is taken), then the old name removed. QFile::
//   rename is not used for that: when its rename finds the name taken after all (another copy got
//   there first), it falls back to copying into the taken name, truncating the other copy's file.
//   Only a file system without hard links (FAT) leaves a moment between the check that the name is
//   free and the rename.
// - replaceFile is QSaveFile's commit: the copy is written to a temporary file of QSaveFile's own,
//   flushed to the disk, and renamed over the target in one step (rename on Unix, MoveFileEx with
//   MOVEFILE_REPLACE_EXISTING on Windows). On Linux that temporary file has no name until the
//   rename, so a kill leaves nothing behind.
// - syncFolder makes the renames themselves durable on Unix (fsync of the folder). Windows has no
//   such call; NTFS journals the rename itself.
namespace store {

// Flushes a written file's data to the disk.
bool syncFile(QFileDevice& file);
// Flushes the folder's entries (new names, renames) to the disk; does nothing on Windows.
bool syncFolder(const QString& folder);

// The letters of a temporary file's name template that createUniqueFile and QTemporaryFile fill in.
inline const char* const UniquePlaceholder = "XXXXXX";
// A new store being built beside the store: "<store>.new-XXXXXX".
QString newStoreTemplate(const QString& storePath);

// Creates an empty file whose name is `pattern` with its "XXXXXX" replaced so that no other file has
// that name, readable by all, writable by its owner. Returns the name, or an empty string (and the
// reason) when the folder refuses.
QString createUniqueFile(const QString& pattern, QString* error);

// Writes a complete store into the empty (or absent) file at `path`: the schema and the given rows in
// one transaction, with the settings row added when the rows have none. Committed with a full sync;
// nothing else is left beside the file.
bool writeStoreFile(const QString& path, const StoreRows& rows, QString* error);

// Renames `from` to `to` where no file (nor link) is named `to`; never replaces or writes into one.
bool renameNoReplace(const QString& from, const QString& to);

// Replaces `target` by a copy of `source` in one atomic step (see above).
bool replaceFile(const QString& source, const QString& target, QString* error);

// Puts the file at `path` aside, never deleted, never over another file: renamed
// "<path>.<tag>-<time>" (with ".1", ".2" ... behind it where that name is taken). Returns the new name,
// or an empty string when it could not be moved.
QString moveAside(const QString& path, const QString& tag);

// A "<store>-journal" beside no store, or beside an Access file, belongs to some earlier SQLite file:
// SQLite would roll its pages into any new store of that name. Such a journal is renamed
// "<store>-journal.orphan-<time>", never deleted, never over another file. A journal beside an SQLite
// store is that store's own and stays. Returns the new name, or an empty string when nothing moved.
QString moveOrphanJournal(const QString& storePath);
// The sentence of the start-up message that says where it went.
QString orphanJournalMessage(const QString& movedTo);

// The store's name in messages: the native path in Chinese quotation marks.
QString quotedPath(const QString& path);
// The message for a store file that cannot be used, with the reason found. The file is left as it is.
QString unusableMessage(const QString& path, const QString& reason);

} // namespace store
