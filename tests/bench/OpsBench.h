#pragma once

#include <QString>

namespace bench {

// Runs in a child process of its own (offscreen, message boxes answered): builds the main window on
// the store in storeDir and times the card operations through the window's own handlers, beside the
// bare floors, for `reps` rounds. Prints its figures, keyed by `cards`, on standard output.
int runOperations(const QString& storeDir, int cards, int reps);

// Our save beside the old whole-table save and the bare durable transaction, for `reps` rounds.
int runSaves(const QString& storeDir, int cards, int reps);

} // namespace bench
