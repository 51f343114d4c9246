#include "store/InstallPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

// The build passes the install folders of its rules; these are the usual ones.
#ifndef QUILLMARK_INSTALL_BINDIR
#define QUILLMARK_INSTALL_BINDIR "bin"
#endif
#ifndef QUILLMARK_INSTALL_DATADIR
#define QUILLMARK_INSTALL_DATADIR "share/quillmark"
#endif
#ifndef QUILLMARK_INSTALL_HELPERDIR
#define QUILLMARK_INSTALL_HELPERDIR "libexec/quillmark"
#endif

namespace store {

InstallPaths installPaths()
{
    return {QStringLiteral(QUILLMARK_INSTALL_BINDIR), QStringLiteral(QUILLMARK_INSTALL_DATADIR),
            QStringLiteral(QUILLMARK_INSTALL_HELPERDIR)};
}

QString installPrefix(const QString& programDir, const InstallPaths& layout)
{
    if (programDir.isEmpty() || layout.binDir.isEmpty() || QDir::isAbsolutePath(layout.binDir))
        return {};
    const QString program = QDir::cleanPath(QDir(programDir).absolutePath());
    const QString bin = QDir::cleanPath(layout.binDir);
    // Whole folder names only: "/opt/xbin" does not end in the folder "bin".
    if (!program.endsWith(QLatin1Char('/') + bin))
        return {};
    QString prefix = program.left(program.size() - bin.size() - 1);
    if (prefix.isEmpty())
        prefix = QStringLiteral("/");
    if (!QFileInfo(QDir(prefix).filePath(layout.dataDir)).isDir())
        return {};
    return prefix;
}

bool isInstalled(const QString& programDir, const InstallPaths& layout)
{
    return !installPrefix(programDir, layout).isEmpty();
}

QString storeFolder(const QString& programDir, const InstallPaths& layout)
{
    if (!isInstalled(programDir, layout))
        return programDir;
    // Never the prefix, even when it could be written: a folder that cannot be made shows up as the
    // store's own failure at start-up.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

QStringList languagePackFolders(const QString& programDir, const InstallPaths& layout)
{
    QStringList folders{QDir(programDir).filePath(QStringLiteral("lngs"))};
    const QString prefix = installPrefix(programDir, layout);
    if (!prefix.isEmpty())
        folders.append(QDir(QDir(prefix).filePath(layout.dataDir)).filePath(QStringLiteral("lngs")));
    return folders;
}

QString helperProgram(const QString& programDir, const QString& name, const InstallPaths& layout)
{
    QStringList folders{programDir};
    const QString prefix = installPrefix(programDir, layout);
    if (!prefix.isEmpty())
        folders.append(QDir(prefix).filePath(layout.helperDir));
    const QString found = QStandardPaths::findExecutable(name, folders);
    return found.isEmpty() ? QDir(programDir).filePath(name) : found;
}

} // namespace store
