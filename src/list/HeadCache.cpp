#include "list/HeadCache.h"

#include "store/StoreFile.h"
#include "store/StoreStamp.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace list {

namespace {

constexpr quint32 Magic = 0x514C4844; // "QLHD"
constexpr quint32 Version = 1;
constexpr qint64 LargestFile = 1 << 20;

struct Kept
{
    store::StoreStamp stamp;
    QString collation;
    QStringList names;
};

std::optional<Kept> readKept(const QString& storePath)
{
    QFile file(headCachePath(storePath));
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestFile)
        return std::nullopt;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint32 version = 0;
    Kept kept;
    in >> magic >> version;
    if (magic != Magic || version != Version)
        return std::nullopt;
    in >> kept.stamp.changes >> kept.stamp.schema >> kept.stamp.cards >> kept.collation >> kept.names;
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return kept;
}

} // namespace

QString headCachePath(const QString& storePath)
{
    return storePath + QStringLiteral(".list-head");
}

std::optional<QStringList> cachedHead(const QString& storePath, int count, const NameOrder& order)
{
    const std::optional<Kept> kept = readKept(storePath);
    if (!kept)
        return std::nullopt;
    store::StoreStamp now;
    QString error;
    if (!store::readStoreStamp(storePath, &now, &error) || now != kept->stamp ||
        kept->collation != order.identity() || kept->names.size() != std::min<qint64>(count, now.cards))
        return std::nullopt;
    return kept->names;
}

bool keepHead(const QString& storePath, const QStringList& names, const NameOrder& order)
{
    Kept kept;
    QString error;
    if (!store::readStoreStamp(storePath, &kept.stamp, &error))
        return false;
    kept.collation = order.identity();
    kept.names = names;
    if (const std::optional<Kept> old = readKept(storePath);
        old && old->stamp == kept.stamp && old->collation == kept.collation && old->names == names)
        return true;
    QSaveFile file(headCachePath(storePath));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_0);
    out << Magic << Version << kept.stamp.changes << kept.stamp.schema << kept.stamp.cards << kept.collation
        << kept.names;
    if (out.status() != QDataStream::Ok || !file.commit())
        return false;
    store::syncFolder(QFileInfo(storePath).absolutePath());
    return true;
}

void dropHead(const QString& storePath)
{
    QFile::remove(headCachePath(storePath));
}

} // namespace list
