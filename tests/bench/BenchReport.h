#pragma once

#include "BenchStats.h"

#include <QList>
#include <QString>

namespace bench {

// The one table of a run: every figure as median (min–max) in ms, MB or %, every ratio from medians
// of this run, each target with whether it was met. With startupOnly, the start-up rows alone.
QString report(const Results& results, const QList<int>& sizes, int opsReps, int startupReps,
               bool startupOnly = false);

} // namespace bench
