#pragma once

#include <QString>

// Start-up finds the store in the old Access (Jet 4) format: its cards are carried over into a new
// store once, and the old file is kept, renamed, never written to.
namespace store {

struct LegacyImportResult
{
    enum Status {
        Imported,     // every row carried over; the old file now lies at legacyPath
        RenameFailed, // the old file could not be moved aside: nothing done, the file untouched
        ReadFailed,   // the old file could not be read completely: nothing imported, file put back
        WriteFailed,  // the new store could not be written: nothing imported, file put back
    };
    Status status = ReadFailed;
    int cards = 0;      // cards in the new store (Imported)
    QString legacyPath; // where the old file is now
    QString error;      // the cause, for the failures
};

// The name the old file is renamed to: "<store>.legacy-mdb", or with ".1", ".2" ... behind it when
// that name is taken. Never the name of an existing file.
QString legacyFileName(const QString& storePath);

// Renames the Jet file at storePath aside, reads it with the reader helper (a child process, killed
// after timeoutMs), creates the new store at storePath and copies every card, list entry and settings
// row in one transaction. On any failure the new store is removed and the old file put back under its
// own name.
LegacyImportResult importLegacyStore(const QString& storePath, const QString& readerExecutable,
                                     int timeoutMs = 60000);

// The message the user sees once after the attempt, in Chinese.
QString legacyImportMessage(const LegacyImportResult& result);

} // namespace store
