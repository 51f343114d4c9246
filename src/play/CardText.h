#pragma once

// The stored card as plain text for a chat or a forum.
#include "card/Sheet.h"

#include <QString>

namespace play {

// A readable summary, lines separated by "\n": first "名字 — 职业 N级 种族 阵营", then the ability
// scores, the defenses, hit points and surges, speed and initiative, then the powers and magic items
// section by section, "（已使用）" after each one whose used tick is set. Captions are the sheet's
// own; values are trimmed; a line or section with nothing in it is left out, so a card with only a
// name gives only the name.
QString cardText(const card::Sheet& sheet);

} // namespace play
