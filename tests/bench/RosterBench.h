#pragma once

#include <QString>

namespace bench {

// Runs in a child process of its own (offscreen): the roster ("角色卡总览") on one store, opened until
// its table holds every card in name order, and sorted again by level and by race, each beside its
// bare floor (Floors: bareRosterRead), for `reps` rounds. Prints its figures on standard output.
int runRoster(const QString& storeDir, int cards, int reps);

} // namespace bench
