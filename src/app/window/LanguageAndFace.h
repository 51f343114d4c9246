#pragma once

#include <QFont>

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

} // namespace app
