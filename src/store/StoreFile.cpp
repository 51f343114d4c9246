#include "store/StoreFile.h"

#include "store/Schema.h"
#include "store/StoreFileKind.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace store {

namespace {

QString connectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("quillmark-new-store-%1").arg(counter.fetchAndAddRelaxed(1));
}

bool execRow(QSqlQuery& q, const QVariantList& values, QString* error)
{
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (q.exec() && q.numRowsAffected() == 1)
        return true;
    *error = q.lastError().text().isEmpty() ? QStringLiteral("写入的行数不符") : q.lastError().text();
    return false;
}

bool writeRows(QSqlQuery& q, const StoreRows& t, QString* error)
{
    bool ok = q.prepare(schema::insertStatement(schema::cardTable()));
    for (qsizetype i = 0; ok && i < t.cards.size(); ++i) {
        const card::CardRecord& c = t.cards[i];
        QVariantList values{c.nae, c.info, c.chk};
        for (const QString& note : c.notes)
            values << note;
        ok = execRow(q, values, error);
    }
    ok = ok && q.prepare(schema::insertStatement(schema::listTable()));
    for (qsizetype i = 0; ok && i < t.lists.size(); ++i) {
        const card::ListEntry& e = t.lists[i];
        ok = execRow(q, {e.nam, e.lv, e.race, e.tra, e.cmp}, error);
    }
    ok = ok && q.prepare(schema::insertStatement(schema::setsTable()));
    bool hasSettingsRow = false;
    for (qsizetype i = 0; ok && i < t.sets.size(); ++i) {
        const SetsRow& s = t.sets[i];
        hasSettingsRow = hasSettingsRow || s.btips == schema::settingsRowKey();
        ok = execRow(q, {s.btips, s.magw.isNull() ? QVariant(QMetaType::fromType<int>()) : s.magw, s.lng},
                     error);
    }
    // The program relies on its settings row: a store without one gets the default.
    if (ok && !hasSettingsRow)
        ok = execRow(q, schema::defaultSettingsRow(), error);
    return ok;
}

} // namespace

bool syncFile(QFileDevice& file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))) != 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

bool syncFolder(const QString& folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    return true;
#else
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#endif
}

QString newStoreTemplate(const QString& storePath)
{
    return storePath + QStringLiteral(".new-") + QLatin1String(UniquePlaceholder);
}

QString createUniqueFile(const QString& pattern, QString* error)
{
    QTemporaryFile file(pattern);
    file.setAutoRemove(false);
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return QString();
    }
    // Readable by others as a file SQLite creates is (QTemporaryFile makes it the owner's alone).
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    return file.fileName();
}

bool writeStoreFile(const QString& path, const StoreRows& rows, QString* error)
{
    const QString connection = connectionName();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(QStringLiteral("PRAGMA synchronous=FULL")) &&
                 q.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) &&
                 q.exec(QStringLiteral("BEGIN IMMEDIATE"));
            if (!ok)
                *error = q.lastError().text();
            for (const QString& statement : schema::createStatements()) {
                if (ok && !q.exec(statement)) {
                    *error = q.lastError().text();
                    ok = false;
                }
            }
            ok = ok && writeRows(q, rows, error);
            if (ok && !q.exec(QStringLiteral("COMMIT"))) {
                *error = q.lastError().text();
                ok = false;
            }
            if (!ok)
                q.exec(QStringLiteral("ROLLBACK"));
            q.finish();
        } else {
            *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!ok && error->isEmpty())
        *error = QStringLiteral("无法写入文件%1").arg(quotedPath(path));
    return ok;
}

bool replaceFile(const QString& source, const QString& target, QString* error)
{
    QFile in(source);
    QSaveFile out(target);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            *error = out.errorString();
            out.cancelWriting();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        *error = in.errorString();
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    syncFolder(QFileInfo(target).absolutePath());
    return true;
}

QString moveOrphanJournal(const QString& storePath)
{
    const QString journal = storePath + QStringLiteral("-journal");
    if (!QFileInfo::exists(journal))
        return QString();
    const StoreFileKind kind = inspectStoreFile(storePath).kind;
    if (kind != StoreFileKind::Missing && kind != StoreFileKind::Jet)
        return QString();
    return moveAside(journal, QStringLiteral("orphan"));
}

QString moveAside(const QString& path, const QString& tag)
{
    const QString base = path + QLatin1Char('.') + tag + QLatin1Char('-') +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString name = base;
    for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('.') + QString::number(n);
    if (!renameNoReplace(path, name))
        return QString();
    syncFolder(QFileInfo(path).absolutePath());
    return name;
}

bool renameNoReplace(const QString& from, const QString& to)
{
    namespace fs = std::filesystem;
    const fs::path source(from.toStdU16String());
    const fs::path target(to.toStdU16String());
    std::error_code error;
    fs::create_hard_link(source, target, error);
    if (!error) {
        fs::remove(source, error);
        return true;
    }
    if (error == std::errc::file_exists ||
        fs::symlink_status(target, error).type() != fs::file_type::not_found)
        return false;
    // No hard links on this file system: check, then rename.
    error.clear();
    fs::rename(source, target, error);
    return !error;
}

QString orphanJournalMessage(const QString& movedTo)
{
    return QStringLiteral("数据库旁有一个不属于它的日志文件，已改名保存为%1，未作任何改动。")
        .arg(quotedPath(movedTo));
}

QString quotedPath(const QString& path)
{
    return QStringLiteral("“") + QDir::toNativeSeparators(path) + QStringLiteral("”");
}

QString unusableMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("数据库文件%1无法使用：%2。为保护其中的数据，程序不会改动它。")
        .arg(quotedPath(path), reason);
}

} // namespace store
