#include "store/StoreFileKind.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace store {

namespace {

quint32 bigEndian(const QByteArray& bytes, int offset, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | static_cast<quint8>(bytes.at(offset + i));
    return value;
}

} // namespace

StoreFileCheck inspectStoreFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return {StoreFileKind::Missing, {}};
    if (!file.open(QIODevice::ReadOnly))
        return {StoreFileKind::NotDatabase, QStringLiteral("文件无法读取：") + file.errorString()};
    const qint64 size = file.size();
    const QByteArray header = file.read(100);
    if (header.size() >= 20 && (header.mid(4, 16) == QByteArray("Standard Jet DB\0", 16) ||
                                header.mid(4, 16) == QByteArray("Standard ACE DB\0", 16)))
        return {StoreFileKind::Jet, {}};
    if (header.size() < 16 || header.left(16) != QByteArray("SQLite format 3\0", 16)) {
        if (size == 0)
            return {StoreFileKind::NotDatabase, QStringLiteral("文件是空的")};
        return {StoreFileKind::NotDatabase, QStringLiteral("文件不是本程序的数据库")};
    }
    if (header.size() < 100)
        return {StoreFileKind::Truncated, QStringLiteral("文件不完整（已被截断）")};
    // A hot journal beside the file means an interrupted write: SQLite rolls it back on the first
    // read, and until then the file's size may legitimately disagree with its header.
    const QFileInfo journal(path + QStringLiteral("-journal"));
    if (journal.exists() && journal.size() > 0)
        return {StoreFileKind::SQLite, {}};
    quint32 pageSize = bigEndian(header, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    const bool pageSizeValid = pageSize >= 512 && (pageSize & (pageSize - 1)) == 0;
    if (!pageSizeValid)
        return {StoreFileKind::NotDatabase, QStringLiteral("文件头已损坏")};
    const quint32 changeCounter = bigEndian(header, 24, 4);
    const quint32 pageCount = bigEndian(header, 28, 4);
    const quint32 validFor = bigEndian(header, 92, 4);
    if (size % pageSize != 0 ||
        (changeCounter == validFor && pageCount > 0 && quint64(size) < quint64(pageCount) * pageSize))
        return {StoreFileKind::Truncated, QStringLiteral("文件不完整（已被截断）")};
    return {StoreFileKind::SQLite, {}};
}

QString storeFileName()
{
    return QStringLiteral("Sav.qlk");
}

} // namespace store
