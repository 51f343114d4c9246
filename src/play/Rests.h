#pragma once

// The two rests, as plain functions over the sheet. Both work on the sheet as it stands and are
// never refused; the notice names the card and what was left as it was.
#include "play/PlaySheet.h"

namespace play {

// "短休": clears the used ticks of at-will and encounter powers and of second wind, and empties the
// temporary hit points and the death-save failures. Utility powers and magic items may be per
// encounter or per day, which the sheet cannot tell: their ticks stay, and the notice says so.
Outcome shortRest(const card::Sheet& sheet);

// "长休": clears every power and item tick and every tick of the player's combat card and of second
// wind (the monster's card keeps its ticks); sets current hit points to the maximum and current
// surges to surges per day; empties the temporary hit points and the death-save failures; sets the
// action points to 1; then sets the bloodied tick as the hit-point steps do. Where a source field
// holds no plain whole number, its target is left as it was and the notice names both.
Outcome extendedRest(const card::Sheet& sheet);

} // namespace play
