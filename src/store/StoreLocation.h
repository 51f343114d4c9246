#pragma once

#include <QString>

namespace store {

// Where start-up found the store, and what the user should hear about it, once.
struct StoreLocation
{
    QString path;
    QString note; // set when a second store exists: which one is in use and where the other lies
};

// The store "Sav.qlk" in the folder where it is looked for first (beside the program, see
// storeFolder), or the one in the user's data folder:
// - one of the two exists: that one, so that cards kept in the data folder never drop out of sight;
// - both exist: the first one, unless this user cannot write it (then the data folder's);
// - neither exists: in the first folder when it can be written, else in the data folder.
// When the first folder is the data folder there is one store only. Nothing is created but the data
// folder itself, when the store is to be made there.
StoreLocation locateStore(const QString& folder);

// Whether this user may create files in the folder. Found out by creating (and removing) a temporary
// file there: permission bits say nothing about access-control lists.
bool folderWritable(const QString& dir);

// Whether this user can write an existing file: it is opened for writing, never written.
bool fileWritable(const QString& path);
// Whether this user can write the store file and the journal SQLite puts beside it.
bool storeWritable(const QString& path);

// The SQLite URI of a store file given by its absolute path, with an empty authority: "file://", then
// the path with '/' separators, led by '/'. A network path keeps its two leading slashes inside the
// path ("file:////server/share/..."), where SQLite takes it as a path, never as a host. Every byte
// of the UTF-8 path other than letters, digits, "-._~" and the separators is percent-encoded, so
// '?', '#' and '%' in a folder name stay part of the path.
QString storeUri(const QString& absolutePath);

} // namespace store
