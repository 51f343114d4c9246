#pragma once

// The steps of the hit-point dialog, as plain functions over the sheet. Each step works on the sheet
// as it stands and, after its change, ticks the bloodied box when current hit points are at or below
// the bloodied value and clears it otherwise (temporary hit points do not count). A step that needs
// a field holding no plain whole number is refused and changes nothing, and so is a negative amount.
#include "play/PlaySheet.h"

#include <optional>

namespace play {

// Temporary hit points absorb the damage first; current hit points may fall below 0.
Outcome takeDamage(const card::Sheet& sheet, int amount);
// Healing from below 0 starts at 0, and never goes past the maximum.
Outcome heal(const card::Sheet& sheet, int amount);
// Temporary hit points do not add up: the larger of the old and the new value stays.
Outcome gainTemporaryHitPoints(const card::Sheet& sheet, int amount);
// Heals by the surge value as healing does, takes one surge off the current surges and ticks the
// first clear surge box of the combat card. Refused when no surge is left.
Outcome useHealingSurge(const card::Sheet& sheet);

// Whether current hit points are at or below the bloodied value; nothing when either field holds no
// plain whole number.
std::optional<bool> isBloodied(const card::Sheet& sheet);

} // namespace play
