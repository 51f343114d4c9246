#pragma once

#include "card/CardRecord.h"

#include <QString>

namespace list {

// The display modes, the items of Combo1 in order. The empty mode lays entries out like "名字".
QString modeName();
QString modeLevel();
QString modeRace();
QString modeClass();
QString modeAlignment();

// The text of one card-list line for the given display mode.
QString entryText(const QString& mode, const card::ListEntry& entry);

// Where the card name stands in that text: the number of characters before it.
qsizetype nameOffset(const QString& mode, const card::ListEntry& entry);

// Takes the card name back out of an entry text laid out in the given mode.
QString selectedName(const QString& mode, const QString& text);

} // namespace list
