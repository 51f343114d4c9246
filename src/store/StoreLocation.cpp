#include "store/StoreLocation.h"

#include "store/StoreFile.h"
#include "store/StoreFileKind.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace store {

namespace {

QString besideInUse(const QString& beside, const QString& other)
{
    return QStringLiteral("发现两个数据库文件：正在使用程序所在文件夹中的%1；用户数据文件夹中的%2未被使用，"
                          "其中的角色卡不会显示在列表中。")
        .arg(quotedPath(beside), quotedPath(other));
}

QString dataInUse(const QString& data, const QString& beside)
{
    return QStringLiteral("发现两个数据库文件：程序所在文件夹中的%1无法由当前用户写入，因此正在使用用户数据"
                          "文件夹中的%2。")
        .arg(quotedPath(beside), quotedPath(data));
}

} // namespace

bool folderWritable(const QString& dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".quillmark-probe-XXXXXX")));
    return probe.open();
}

bool fileWritable(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly);
}

bool storeWritable(const QString& path)
{
    return fileWritable(path) && folderWritable(QFileInfo(path).absolutePath());
}

StoreLocation locateStore(const QString& folder)
{
    const QString beside = QDir(folder).filePath(storeFileName());
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const bool sameFolder = !dataDir.isEmpty() && QDir(folder) == QDir(dataDir);
    const QString data =
        dataDir.isEmpty() || sameFolder ? QString() : QDir(dataDir).filePath(storeFileName());
    const bool besideFound = QFileInfo::exists(beside);
    const bool dataFound = !data.isEmpty() && QFileInfo::exists(data);
    if (besideFound && dataFound) {
        if (storeWritable(beside))
            return {beside, besideInUse(beside, data)};
        return {data, dataInUse(data, beside)};
    }
    if (besideFound)
        return {beside, {}};
    if (dataFound)
        return {data, {}};
    if (sameFolder || folderWritable(folder) || dataDir.isEmpty() || !QDir().mkpath(dataDir))
        return {beside, {}};
    return {data, {}};
}

QString storeUri(const QString& absolutePath)
{
    const QByteArray path = QDir::fromNativeSeparators(absolutePath).toUtf8();
    QString uri = QStringLiteral("file://");
    if (!path.startsWith('/'))
        uri += QLatin1Char('/'); // a drive letter: file:///C:/...
    static const char hex[] = "0123456789ABCDEF";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                           byte == '~' || byte == '/' || byte == ':';
        if (plain) {
            uri += QLatin1Char(c);
        } else {
            uri += QLatin1Char('%');
            uri += QLatin1Char(hex[byte >> 4]);
            uri += QLatin1Char(hex[byte & 0x0f]);
        }
    }
    return uri;
}

} // namespace store
