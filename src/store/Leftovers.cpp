#include "store/Leftovers.h"

#include "store/recovery/BackupFiles.h"
#include "store/recovery/Recovery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace store {

namespace {

constexpr qint64 AgeOfTheDeadSecs = 3600;

const QString Placeholder = QStringLiteral("XXXXXX");
// Stands for any time stamp in the bases of the kept copies.
const QString AnyStamp = QStringLiteral("STAMP");

// The names a template gives, and their journals. AnyStamp in front of the placeholder matches any
// time stamp.
QRegularExpression namesOf(const QString& fileTemplate)
{
    const QString name = QFileInfo(fileTemplate).fileName();
    const qsizetype at = name.lastIndexOf(Placeholder);
    QString head = QRegularExpression::escape(name.left(at));
    const qsizetype stamp = head.lastIndexOf(AnyStamp);
    if (stamp >= 0)
        head.replace(stamp, AnyStamp.size(), stampPattern());
    return QRegularExpression(QStringLiteral("^%1[A-Za-z0-9]{6}%2(-journal)?$")
                                  .arg(head, QRegularExpression::escape(name.mid(at + Placeholder.size()))));
}

int removeOld(const QString& fileTemplate, const QDateTime& before)
{
    const QDir folder = QFileInfo(fileTemplate).absoluteDir();
    const QRegularExpression pattern = namesOf(fileTemplate);
    int removed = 0;
    const QFileInfoList found = folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& file : found) {
        if (pattern.match(file.fileName()).hasMatch() && file.lastModified() < before &&
            QFile::remove(file.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace

QString newStoreTemplate(const QString& storePath)
{
    return storePath + QStringLiteral(".new-") + Placeholder;
}

QString recoveryStoreTemplate(const QString& recoveryFile)
{
    return recoveryFile + QLatin1Char('.') + Placeholder + QStringLiteral(".tmp");
}

QString backupTemplate(const QString& storePath, const QString& backupsDir)
{
    return QDir(backupsDir)
        .filePath(QFileInfo(storePath).fileName() + QLatin1Char('.') + Placeholder + QStringLiteral(".tmp"));
}

QString keptCopyTemplate(const QString& base)
{
    return base + QLatin1Char('-') + Placeholder + QStringLiteral(".tmp");
}

QString backupBase(const QString& storePath, const QString& backupsDir, const QString& stamp)
{
    return QDir(backupsDir).filePath(QFileInfo(storePath).fileName() + QLatin1Char('.') + stamp);
}

QString damagedStoreBase(const QString& storePath, const QString& stamp)
{
    return storePath + QStringLiteral(".damaged-") + stamp;
}

int removeLeftoverTemporaries(const QString& storePath)
{
    const RecoveryPlace place = recoveryPlace(storePath);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-AgeOfTheDeadSecs);
    return removeOld(newStoreTemplate(storePath), before) +
           removeOld(recoveryStoreTemplate(place.recoveryFile), before) +
           removeOld(backupTemplate(storePath, place.backupsDir), before) +
           removeOld(keptCopyTemplate(backupBase(storePath, place.backupsDir, AnyStamp)), before) +
           removeOld(keptCopyTemplate(damagedStoreBase(storePath, AnyStamp)), before);
}

} // namespace store
