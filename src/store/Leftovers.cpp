#include "store/Leftovers.h"

#include "store/StoreFile.h"
#include "store/recovery/RecoveryPlace.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace store {

namespace {

constexpr qint64 AgeOfTheDeadSecs = 3600;

// Stands for any time stamp in the bases of the kept copies.
const QString AnyStamp = QStringLiteral("STAMP");

// The names a template gives, and their journals. AnyStamp in front of the placeholder matches any
// time stamp.
QRegularExpression namesOf(const QString& fileTemplate)
{
    const QString placeholder = QLatin1String(UniquePlaceholder);
    const QString name = QFileInfo(fileTemplate).fileName();
    const qsizetype at = name.lastIndexOf(placeholder);
    QString head = QRegularExpression::escape(name.left(at));
    const qsizetype stamp = head.lastIndexOf(AnyStamp);
    if (stamp >= 0)
        head.replace(stamp, AnyStamp.size(), stampPattern());
    return QRegularExpression(QStringLiteral("^%1[A-Za-z0-9]{6}%2(-journal)?$")
                                  .arg(head, QRegularExpression::escape(name.mid(at + placeholder.size()))));
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
