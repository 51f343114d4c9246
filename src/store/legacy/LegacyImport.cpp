#include "store/legacy/LegacyImport.h"

#include "store/Module1.h"
#include "store/StoreFile.h"
#include "store/legacy/ReaderOutputCap.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>

namespace store {

namespace {

constexpr int StderrKept = 4096; // the reader's last words are all the message needs

QString legacyCopyBase(const QString& storePath)
{
    return storePath + QStringLiteral(".legacy-mdb");
}

QString overCapMessage(qint64 cap)
{
    return QStringLiteral("读取结果超过了上限（%1 字节，按旧文件的大小算出），文件可能已损坏，已中止")
        .arg(cap);
}

// The last lines the reader wrote to standard error: its reason for failing.
QString readerReason(const QByteArray& stderrBytes)
{
    const QStringList lines = QString::fromUtf8(stderrBytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString()
                           : lines.mid(qMax(0, lines.size() - 2)).join(QStringLiteral("；")).trimmed();
}

void stop(QProcess& process)
{
    process.kill();
    process.waitForFinished(1000);
}

bool runReader(const QString& reader, const QString& file, int timeoutMs, QByteArray* output, QString* error)
{
    if (reader.isEmpty() || !QFileInfo(reader).isExecutable()) {
        *error = QStringLiteral("缺少读取旧版数据库的辅助程序%1").arg(quotedPath(reader));
        return false;
    }
    const qint64 cap = legacyOutputCap(QFileInfo(file).size());
    const QDeadlineTimer deadline(timeoutMs);
    QProcess process;
    process.setProgram(reader);
    process.setArguments(QStringList{file} + legacyReaderTableArguments());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(int(qMax<qint64>(1, deadline.remainingTime())))) {
        *error = QStringLiteral("无法启动读取程序（%1）").arg(process.errorString());
        stop(process);
        return false;
    }
    // Read as it comes, so that a reader that floods is stopped at the cap, not when its output is all
    // in memory.
    QByteArray out;
    QByteArray err;
    const auto collect = [&] {
        out += process.readAllStandardOutput();
        err = QByteArray(err + process.readAllStandardError()).right(StderrKept);
    };
    bool outputClosed = false;
    QObject::connect(&process, &QProcess::readChannelFinished, [&outputClosed] { outputClosed = true; });
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired() && out.size() <= cap) {
        const int wait = int(qMax<qint64>(1, qMin<qint64>(deadline.remainingTime(), 200)));
        // Once the reader has closed its output nothing more can come: wait for its end.
        if (outputClosed)
            process.waitForFinished(wait);
        else
            process.waitForReadyRead(wait);
        collect();
    }
    if (out.size() > cap) {
        stop(process);
        *error = overCapMessage(cap);
        return false;
    }
    if (process.state() != QProcess::NotRunning) {
        stop(process);
        *error = QStringLiteral("读取超时（超过 %1 秒），已中止").arg(timeoutMs / 1000.0);
        return false;
    }
    collect();
    if (out.size() > cap) {
        *error = overCapMessage(cap);
        return false;
    }
    const QString reason = readerReason(err);
    if (process.exitStatus() != QProcess::NormalExit) {
        *error = QStringLiteral("读取程序意外终止") +
                 (reason.isEmpty() ? QString() : QStringLiteral("（%1）").arg(reason));
        return false;
    }
    if (process.exitCode() != 0) {
        *error = reason.isEmpty() ? QStringLiteral("读取程序报告失败（代码 %1）").arg(process.exitCode())
                                  : QStringLiteral("读取程序报告：") + reason;
        return false;
    }
    *output = out;
    return true;
}

QByteArray fileBytes(const QString& path, bool* ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    QByteArray bytes = *ok ? file.readAll() : QByteArray();
    *ok = *ok && file.error() == QFileDevice::NoError;
    return bytes;
}

// Files an import makes on its way: "<store>.importing-XXXXXX.qlk" (and its journal) or ".mdb".
QRegularExpression leftoverPattern(const QString& storePath)
{
    return QRegularExpression(QStringLiteral("^%1\\.importing-[A-Za-z0-9]{6}\\.(qlk(-journal)?|mdb)$")
                                  .arg(QRegularExpression::escape(QFileInfo(storePath).fileName())));
}

QStringList leftovers(const QString& storePath)
{
    const QDir folder = QFileInfo(storePath).absoluteDir();
    const QRegularExpression pattern = leftoverPattern(storePath);
    QStringList found;
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (pattern.match(name).hasMatch())
            found << folder.filePath(name);
    }
    return found;
}

void removeFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        QFile::remove(path);
}

QString lockName(const QString& storePath)
{
    return storePath + QStringLiteral(".import-lock");
}

// Takes the import's lock, waiting up to waitMs for an import that runs. The lock of a process that is
// gone is taken over at once. A lock file without its owner's details was left by a process killed
// while it made the file (which takes microseconds): one older than a few seconds is taken over too.
bool takeImportLock(QLockFile& lock, int waitMs)
{
    constexpr int UnreadableAfterMs = 3000;
    lock.setStaleLockTime(0); // an import that runs long keeps its lock
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (lock.tryLock(int(qMin<qint64>(deadline.remainingTime(), 200))))
            return true;
        if (lock.error() != QLockFile::LockFailedError)
            return false;
        qint64 pid = 0;
        QString host;
        QString app;
        const QFileInfo file(lock.fileName());
        if (!lock.getLockInfo(&pid, &host, &app) &&
            file.lastModified().msecsTo(QDateTime::currentDateTime()) > UnreadableAfterMs)
            lock.removeStaleLockFile();
        else if (deadline.hasExpired())
            return false;
    }
}

// Keeps the old file's bytes under a ".legacy-mdb" name: an identical copy already there (left by an
// import that was interrupted after it) is used as it is; otherwise a new copy is written under a
// temporary name, synced, and renamed to a name no file has. `made` tells whether the copy is new.
bool keepLegacyCopy(const QString& storePath, const QByteArray& bytes, QString* copy, bool* made,
                    QString* error)
{
    *made = false;
    const QString base = legacyCopyBase(storePath);
    for (int n = 0;; ++n) {
        const QString name = n == 0 ? base : base + QLatin1Char('.') + QString::number(n);
        const QFileInfo info(name);
        if (!info.exists() && !info.isSymLink())
            break;
        bool ok = false;
        if (info.isFile() && !info.isSymLink() && info.size() == bytes.size() &&
            fileBytes(name, &ok) == bytes && ok) {
            *copy = name;
            return true;
        }
    }
    const QString temp = createUniqueFile(storePath + QStringLiteral(".importing-XXXXXX.mdb"), error);
    if (temp.isEmpty())
        return false;
    QFile file(temp);
    bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && syncFile(file);
    if (!ok)
        *error = file.errorString();
    file.close();
    const QString name = legacyFileName(storePath);
    if (ok && !renameNoReplace(temp, name)) {
        *error = QStringLiteral("无法建立文件%1").arg(quotedPath(name));
        ok = false;
    }
    if (!ok) {
        QFile::remove(temp);
        return false;
    }
    syncFolder(QFileInfo(storePath).absolutePath());
    *copy = name;
    *made = true;
    return true;
}

// The steps under the lock, with the Access file known to be at storePath.
void importLocked(const QString& storePath, const QString& reader, int timeoutMs, LegacyImportResult& result)
{
    bool ok = false;
    const QByteArray original = fileBytes(storePath, &ok);
    if (!ok) {
        result.status = LegacyImportResult::ReadFailed;
        result.error = QStringLiteral("文件无法读取");
        return;
    }
    LegacyTables tables;
    if (!readLegacyFile(storePath, reader, timeoutMs, &tables, &result.error)) {
        result.status = LegacyImportResult::ReadFailed;
        return;
    }
    result.status = LegacyImportResult::WriteFailed;
    const QString temp = createUniqueFile(storePath + QStringLiteral(".importing-XXXXXX.qlk"), &result.error);
    if (temp.isEmpty())
        return;
    QString copy;
    bool madeCopy = false;
    ok = writeStoreFile(temp, tables, &result.error) &&
         keepLegacyCopy(storePath, original, &copy, &madeCopy, &result.error);
    if (ok) {
        // Whatever stands at the store's name now is replaced: it must still be the file just read.
        bool same = false;
        ok = fileBytes(storePath, &same) == original && same;
        if (!ok)
            result.error = QStringLiteral("导入期间旧文件被改动了");
    }
    if (ok) {
        result.orphanJournal = moveOrphanJournal(storePath);
        ok = !QFileInfo::exists(storePath + QStringLiteral("-journal"));
        if (!ok)
            result.error = QStringLiteral("无法移开不属于新数据库的日志文件%1")
                               .arg(quotedPath(storePath + QStringLiteral("-journal")));
    }
    ok = ok && replaceFile(temp, storePath, &result.error);
    removeFiles({temp, temp + QStringLiteral("-journal")});
    if (!ok) {
        if (madeCopy)
            QFile::remove(copy);
        return;
    }
    result.status = LegacyImportResult::Imported;
    result.cards = int(tables.cards.size());
    result.legacyPath = copy;
}

} // namespace

QString legacyFileName(const QString& storePath)
{
    const QString base = legacyCopyBase(storePath);
    QString name = base;
    for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('.') + QString::number(n);
    return name;
}

qint64 legacyOutputCap(qint64 fileSize)
{
    return qint64(legacyReaderOutputCap(std::uint64_t(qMax<qint64>(0, fileSize))));
}

bool readLegacyFile(const QString& path, const QString& readerExecutable, int timeoutMs, LegacyTables* tables,
                    QString* error)
{
    QByteArray output;
    QString duplicate;
    if (!runReader(readerExecutable, path, timeoutMs, &output, error) ||
        !parseLegacyDump(output, *tables, error))
        return false;
    if (findDuplicateCardName(tables->cards, &duplicate)) {
        *error = QStringLiteral("旧数据库中有多张名为“%1”的角色卡").arg(duplicate);
        return false;
    }
    *tables = repairLegacyTables(*tables);
    return true;
}

LegacyImportResult importLegacyStore(const QString& storePath, const QString& readerExecutable, int timeoutMs)
{
    LegacyImportResult result;
    result.legacyPath = storePath;
    QLockFile lock(lockName(storePath));
    if (!takeImportLock(lock, timeoutMs + 60000)) {
        if (lock.error() == QLockFile::LockFailedError) {
            result.status = LegacyImportResult::WriteFailed;
            result.error = QStringLiteral("另一个程序正在导入这个文件");
        } else {
            result.status = LegacyImportResult::FolderFailed;
            const QFileInfo folder(QFileInfo(storePath).absolutePath());
            result.error = QStringLiteral("文件夹%1不可写入").arg(quotedPath(folder.absoluteFilePath()));
        }
        return result;
    }
    removeFiles(leftovers(storePath));
    if (inspectStoreFile(storePath).kind != StoreFileKind::Jet) {
        result.status = LegacyImportResult::NotNeeded;
        return result;
    }
    importLocked(storePath, readerExecutable, timeoutMs, result);
    return result;
}

void removeImportLeftovers(const QString& storePath)
{
    // A lock file left by a killed import goes too: taking the lock over removes it.
    if (leftovers(storePath).isEmpty() && !QFileInfo::exists(lockName(storePath)))
        return;
    QLockFile lock(lockName(storePath));
    if (takeImportLock(lock, 0))
        removeFiles(leftovers(storePath));
}

QString legacyImportMessage(const LegacyImportResult& result)
{
    const QString where = result.legacyPath.isEmpty() ? QString() : quotedPath(result.legacyPath);
    const QString journal =
        result.orphanJournal.isEmpty() ? QString() : orphanJournalMessage(result.orphanJournal);
    switch (result.status) {
    case LegacyImportResult::Imported:
        return QStringLiteral("已从旧版数据库导入 %1 张角色卡；旧文件已原样保存为%2。")
                   .arg(result.cards)
                   .arg(where) +
               journal;
    case LegacyImportResult::NotNeeded:
        return journal;
    case LegacyImportResult::FolderFailed:
        return QStringLiteral(
                   "发现旧版（Access）数据库文件%1，但无法在它所在的文件夹中建立文件（%2），因此没有导入任何"
                   "角色卡，旧文件保持原样。请确认程序所在的文件夹可以写入，然后重新启动程序。")
            .arg(where, result.error);
    case LegacyImportResult::ReadFailed:
        return QStringLiteral(
                   "无法完整读取旧版（Access）数据库：%1。没有导入任何角色卡，旧文件现位于%2，未作任何改动。")
                   .arg(result.error, where) +
               journal;
    case LegacyImportResult::WriteFailed:
        return QStringLiteral("无法建立新的数据库：%1。没有导入任何角色卡，旧文件现位于%2，未作任何改动。")
                   .arg(result.error, where) +
               journal;
    }
    return QString();
}

} // namespace store
