#include "store/recovery/RecoveryPlace.h"

#include "store/StoreFile.h"
#include "store/StoreLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace store {

namespace {

const char* const StampFormat = "yyyyMMdd-HHmmss";

} // namespace

QDateTime clockNow(const RecoveryClock& clock)
{
    return clock ? clock() : QDateTime::currentDateTime();
}

RecoveryPlace recoveryPlace(const QString& storePath)
{
    const QFileInfo store(storePath);
    QString folder = store.absolutePath();
    if (!folderWritable(folder)) {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!data.isEmpty() && QDir().mkpath(data))
            folder = data;
    }
    const QDir dir(folder);
    return {dir.filePath(store.fileName() + QStringLiteral(".recovery")),
            dir.filePath(store.fileName() + QStringLiteral(".backups"))};
}

QString fileStamp(const QDateTime& time)
{
    return time.toString(QLatin1String(StampFormat));
}

QDateTime stampTime(const QString& text)
{
    return QDateTime::fromString(text, QLatin1String(StampFormat));
}

QString stampPattern()
{
    return QStringLiteral("\\d{8}-\\d{6}");
}

QString freeName(const QString& base, const QString& suffix)
{
    QString name = base + suffix;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral("-%1").arg(n) + suffix;
    return name;
}

QString recoveryStoreTemplate(const QString& recoveryFile)
{
    return recoveryFile + QLatin1Char('.') + QLatin1String(UniquePlaceholder) + QStringLiteral(".tmp");
}

QString backupTemplate(const QString& storePath, const QString& backupsDir)
{
    return QDir(backupsDir)
        .filePath(QFileInfo(storePath).fileName() + QLatin1Char('.') + QLatin1String(UniquePlaceholder) +
                  QStringLiteral(".tmp"));
}

QString keptCopyTemplate(const QString& base)
{
    return base + QLatin1Char('-') + QLatin1String(UniquePlaceholder) + QStringLiteral(".tmp");
}

QString backupBase(const QString& storePath, const QString& backupsDir, const QString& stamp)
{
    return QDir(backupsDir).filePath(QFileInfo(storePath).fileName() + QLatin1Char('.') + stamp);
}

QString damagedStoreBase(const QString& storePath, const QString& stamp)
{
    return storePath + QStringLiteral(".damaged-") + stamp;
}

} // namespace store
