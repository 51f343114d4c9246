#pragma once

#include <QFont>

#include <thread>

class QCoreApplication;

namespace app {

// Loads Qt's own Simplified Chinese texts, so that the standard buttons, dialogs and the fields'
// context menus read in Chinese like the program's own texts, with the kinds of entry of the file
// dialog that they leave out ("Folder"). Returns false where the translation files are not
// installed: the standard texts then stay English.
bool loadQtTranslations(QCoreApplication* application);

// The one face of the whole interface: a sans-serif CJK family for Chinese, Latin letters and
// digits alike, with the usual sans-serif CJK families of other systems behind it.
QFont interfaceFont();

// Qt's list of the installed faces, read on a thread of its own. The first text the window measures
// needs it, and reading it (the system's font configuration parsed, every face registered) is the
// largest single part of a start; begun as soon as the application object exists, it runs beside
// the opening of the store and the first controls. Qt keeps the list under its own lock, so the
// main thread's first text takes it when it is done, or waits for the rest. The returned thread is
// waited for when it ends, which must be before the application object's end.
std::jthread readFontList();

} // namespace app
