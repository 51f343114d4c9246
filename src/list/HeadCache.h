#pragma once

#include "list/NameOrder.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace list {

// The first names of a large list in name order, kept in a file beside the store, so that the next
// start shows the first screenful without a pass over every name. A cache and nothing more: it holds
// the store's stamp and the collation it was made with, and is used only while both are those of the
// store and the collation at hand; the full order read afterwards has the last word. Only the program
// writes it (a whole new file under a temporary name, synced, then renamed over the old one), and
// removes it by its name.

// "<store>.list-head".
QString headCachePath(const QString& storePath);

// The `count` first names kept for the store as it is now, or nothing when none are kept, or they were
// kept for another state of the store or another collation. Any thread may call it.
std::optional<QStringList> cachedHead(const QString& storePath, int count, const NameOrder& order);

// Keeps the first names of the store as it is now (the list read from it, in name order); does
// nothing when the same are kept already. False when the file could not be written.
bool keepHead(const QString& storePath, const QStringList& names, const NameOrder& order);

// Removes the kept names: the store was replaced.
void dropHead(const QString& storePath);

} // namespace list
