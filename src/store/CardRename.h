#pragma once

#include "store/CardStore.h"

#include <QString>

namespace store {

class Module1;
class Recovery;

// Gives a stored card another name: its card row, its list entry and, with a recovery, the draft of
// its unsaved edits and its sheet before play, all in one transaction, so a failure or a kill leaves the old
// name everywhere. EmptyName for an empty name, Failed (with the reason) for a name holding a character the
// name field refuses, Duplicate where a card or list entry of the new name exists, CardMissing where the card
// is gone; nothing is changed then.
Outcome renameCard(Module1& db, Recovery* recovery, const QString& from, const QString& to);

// Why the name field would not take that name, or nothing where it would.
QString nameRefusal(const QString& name);

} // namespace store
