#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace bench {

// Runs in a child process of its own (offscreen, message boxes answered): opens the main window on
// each store and times the card operations through the window's own handlers, beside the bare
// floors, for `reps` rounds. Prints its figures, keyed by the number of cards, on standard output.
int runOperations(const QList<QPair<QString, int>>& stores, int reps);

// Our save beside the old whole-table save and the bare durable transaction, for `reps` rounds.
int runSaves(const QString& storeDir, int cards, int reps);

} // namespace bench
