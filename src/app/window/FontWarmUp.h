#pragma once

#include <thread>

namespace app {

// Qt's list of the installed faces, read on a thread of its own. The first text the window measures
// needs it, and reading it (the system's font configuration parsed, every face registered) is the
// largest single part of a start; begun as soon as the application object exists, it runs beside
// the opening of the store and the first controls. Qt keeps the list under its own lock, so the
// main thread's first text takes it when it is done, or waits for the rest. The returned thread is
// waited for when it ends, which must be before the application object's end.
std::jthread readFontList();

} // namespace app
