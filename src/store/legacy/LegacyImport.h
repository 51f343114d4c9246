#pragma once

#include "store/legacy/LegacyDump.h"

#include <QString>

// Start-up finds the store in the old Access (Jet 4) format: its cards are carried over into a new
// store once, and the old file's bytes are kept under another name, never written to.
//
// At every instant the folder holds either the Access file under the store's name (a start imports
// it again, from the beginning) or the complete new store with the copy of the Access file beside
// it. Every file the import makes on the way has a name of the form "<store>.importing-XXXXXX.qlk"
// or ".mdb" (with a "-journal" of the former); a later import removes such files, and nothing else.
// One import runs at a time on a store: "<store>.import-lock" (a QLockFile) is held throughout.
namespace store {

struct LegacyImportResult
{
    enum Status {
        Imported,     // every row carried over; the old file's bytes now lie at legacyPath
        NotNeeded,    // another start imported the file meanwhile: nothing to do
        FolderFailed, // no file could be made in the store's folder: nothing done, the file untouched
        ReadFailed,   // the old file could not be read completely: nothing imported, file untouched
        WriteFailed,  // the new store could not be put in place: nothing imported, file untouched
    };
    Status status = ReadFailed;
    int cards = 0;         // cards in the new store (Imported)
    QString legacyPath;    // where the old file's bytes are now
    QString error;         // the cause, for the failures
    QString orphanJournal; // where a journal that did not belong to the new store went, if one was there
};

// The name the copy of the old file gets: "<store>.legacy-mdb", or with ".1", ".2" ... behind it when
// that name is taken. Never the name of an existing file.
QString legacyFileName(const QString& storePath);

// The most output the reader may give for an Access file of `fileSize` bytes (legacyReaderOutputCap).
qint64 legacyOutputCap(qint64 fileSize);

// Reads the Access file through the reader helper (a child process, killed after timeoutMs or once
// its output passes legacyOutputCap) and returns the rows the new store gets.
bool readLegacyFile(const QString& path, const QString& readerExecutable, int timeoutMs, LegacyTables* tables,
                    QString* error);

// Imports the Access file at storePath: reads it, builds the new store under a temporary name, keeps a
// copy of the old file's bytes (an identical copy already there is used as it is), then replaces the
// Access file by the new store in one atomic rename. A journal beside the Access file is moved aside
// first. On any failure only the files this import made are removed; the Access file stays in place.
LegacyImportResult importLegacyStore(const QString& storePath, const QString& readerExecutable,
                                     int timeoutMs = 60000);

// Removes what an interrupted import left beside the store, unless an import is running right now.
void removeImportLeftovers(const QString& storePath);

// The message the user sees once after the attempt, in Chinese.
QString legacyImportMessage(const LegacyImportResult& result);

} // namespace store
