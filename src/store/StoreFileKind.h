#pragma once

#include <QString>

namespace store {

// What start-up finds where the store belongs.
enum class StoreFileKind {
    Missing,     // no file: a new store may be created
    SQLite,      // an SQLite file whose header and size look whole
    Jet,         // a Microsoft Jet (Access) file
    NotDatabase, // some other file
    Truncated,   // an SQLite file cut short
};

struct StoreFileCheck
{
    StoreFileKind kind = StoreFileKind::Missing;
    QString reason; // for NotDatabase and Truncated
};

// Reads the header of the file (and its size) without opening it as a database.
StoreFileCheck inspectStoreFile(const QString& path);

// The file name of the store; locateStore (StoreLocation.h) says in which folder it lives.
QString storeFileName();

} // namespace store
