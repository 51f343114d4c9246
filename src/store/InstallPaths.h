#pragma once

#include <QString>
#include <QStringList>

// Two ways to run: from an installed prefix (<prefix>/bin/quillmark beside <prefix>/share/quillmark),
// where the program writes nothing and keeps the store in the user's data folder; or from any other
// folder (a build folder, an unpacked portable folder), where everything lives beside the program.
namespace store {

// The installed folders, relative to the prefix, as the build's install rules place them.
struct InstallPaths
{
    QString binDir;    // the program
    QString dataDir;   // read-only data: "<dataDir>/lngs" holds the built-in language packs
    QString helperDir; // helper programs such as the Access reader
};

// The layout of this build.
InstallPaths installPaths();

// The prefix the program folder was installed into, or an empty text when the folder is not an
// installed one: it must end in the layout's bin folder and the prefix must hold the data folder.
QString installPrefix(const QString& programDir, const InstallPaths& layout = installPaths());
bool isInstalled(const QString& programDir, const InstallPaths& layout = installPaths());

// Where the store is looked for: beside the program, or the user's data folder when installed
// (created when missing).
QString storeFolder(const QString& programDir, const InstallPaths& layout = installPaths());

// The folders that may hold language packs: "lngs" beside the program first, then, when installed,
// the built-in packs of the prefix.
QStringList languagePackFolders(const QString& programDir, const InstallPaths& layout = installPaths());

// A helper program by name: beside the program first, then, when installed, in the prefix's helper
// folder. When neither has it, the path beside the program (so that a failure names it).
QString helperProgram(const QString& programDir, const QString& name,
                      const InstallPaths& layout = installPaths());

} // namespace store
