#pragma once

#include "store/Module1.h"

#include <QString>

#include <functional>

namespace store {

// What start-up has to tell the user about the store, once the window is up.
struct StartUpNotice
{
    QString text;         // empty: nothing to say
    bool isError = false; // a failure (warning) rather than news (information)
};

// Everything start-up does to the store file before the window fills: an Access file is imported
// (through the reader helper), what an interrupted import left is removed, a missing store is
// created (an orphan journal moved aside first), an existing one is checked, and the temporary files
// a killed run left are removed.
// The import of an Access file, which may take long, goes through runLong (run at once without it):
// the window runs it on a thread of its own with a sign of progress.
using LongStep = std::function<void(const std::function<void()>& step)>;
StartUpNotice prepareStoreAtStartUp(Module1& db, const QString& readerExecutable,
                                    const LongStep& runLong = {});

} // namespace store
