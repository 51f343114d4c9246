#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;
class QWidget;

namespace app {

// The file dialogs of the card transfers (Qt's own dialogs, the same on every platform) and the one
// way they write: a new file only, through a temporary file renamed into place.
namespace files {

// The dialogs return an empty answer when cancelled.
QString chooseSaveFile(QWidget* parent, const QString& title, const QString& suggestedPath,
                       const QString& filter);
QStringList chooseOpenFiles(QWidget* parent, const QString& title, const QString& folder,
                            const QString& filter);
QString chooseFolder(QWidget* parent, const QString& title, const QString& folder);

// fileName in folder, or "name (2).ext", "name (3).ext"... when it is taken (by a file or a link).
QString freePath(const QString& folder, const QString& fileName);

// Writes a file that does not exist yet: fill writes the content into a new temporary file in the same
// folder, which is synced and then renamed into place while the name is still free. An existing file or
// link (even one to nowhere) is never replaced nor written through. On failure error says why and
// nothing is left behind.
bool writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& fill, QString* error);

} // namespace files

} // namespace app
