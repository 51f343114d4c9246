#include "store/LegacyImport.h"

#include "store/LegacyDump.h"
#include "store/Module1.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace store {

namespace {

const char* const ImportConnection = "quillmark-legacy-import";

QString quoted(const QString& path)
{
    return QStringLiteral("“") + QDir::toNativeSeparators(path) + QStringLiteral("”");
}

// The last lines the reader wrote to standard error: its reason for failing.
QString readerReason(const QByteArray& stderrBytes)
{
    const QStringList lines = QString::fromUtf8(stderrBytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString()
                           : lines.mid(qMax(0, lines.size() - 2)).join(QStringLiteral("；")).trimmed();
}

bool runReader(const QString& reader, const QString& file, int timeoutMs, QByteArray* output, QString* error)
{
    if (!QFileInfo(reader).isExecutable()) {
        *error = QStringLiteral("缺少读取旧版数据库的辅助程序%1").arg(quoted(reader));
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    QProcess process;
    process.setProgram(reader);
    process.setArguments(QStringList{file} + legacyReaderTableArguments());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(int(qMax<qint64>(1, deadline.remainingTime())))) {
        *error = QStringLiteral("无法启动读取程序（%1）").arg(process.errorString());
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    QByteArray out;
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        process.waitForFinished(int(qMax<qint64>(1, qMin<qint64>(deadline.remainingTime(), 200))));
        out += process.readAllStandardOutput();
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        *error = QStringLiteral("读取超时（超过 %1 秒），已中止").arg(timeoutMs / 1000.0);
        return false;
    }
    out += process.readAllStandardOutput();
    const QString reason = readerReason(process.readAllStandardError());
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

bool execBound(QSqlQuery& q, const QVariantList& values, QString* error)
{
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (q.exec() && q.numRowsAffected() == 1)
        return true;
    *error = q.lastError().text().isEmpty() ? QStringLiteral("写入的行数不符") : q.lastError().text();
    return false;
}

bool writeTables(QSqlDatabase& db, const LegacyTables& t, QString* error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")) || !q.exec(QStringLiteral("DELETE FROM sets"))) {
        *error = q.lastError().text();
        return false;
    }
    bool ok = q.prepare(
        QStringLiteral("INSERT INTO card (Nae, Info, Chk, ZhongZu, ZhuanChang, TeZheng, Lang, YiShi,"
                       " QiTa, WuPin, GeXing, WaiMao, MengYou, BeiJing, Blog)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (qsizetype i = 0; ok && i < t.cards.size(); ++i) {
        const card::CardRecord& c = t.cards[i];
        QVariantList values{c.nae, c.info, c.chk};
        for (const QString& note : c.notes)
            values << note;
        ok = execBound(q, values, error);
    }
    ok = ok && q.prepare(QStringLiteral("INSERT INTO lstt (Nam, lv, race, tra, cmp) VALUES (?, ?, ?, ?, ?)"));
    for (qsizetype i = 0; ok && i < t.lists.size(); ++i) {
        const card::ListEntry& e = t.lists[i];
        ok = execBound(q, {e.nam, e.lv, e.race, e.tra, e.cmp}, error);
    }
    ok = ok && q.prepare(QStringLiteral("INSERT INTO sets (Btips, magw, Lng) VALUES (?, ?, ?)"));
    bool hasSettingsRow = false;
    for (qsizetype i = 0; ok && i < t.sets.size(); ++i) {
        const SetsRow& s = t.sets[i];
        hasSettingsRow = hasSettingsRow || s.btips == QLatin1String("XD");
        ok = execBound(q, {s.btips, s.magw.isNull() ? QVariant(QMetaType::fromType<int>()) : s.magw, s.lng},
                       error);
    }
    // The program relies on its settings row: a file without one gets the default.
    if (ok && !hasSettingsRow)
        ok = execBound(q, {QStringLiteral("XD"), 0, QStringLiteral("简体中文(内置)")}, error);
    if (ok && !q.exec(QStringLiteral("COMMIT"))) {
        *error = q.lastError().text();
        ok = false;
    }
    if (!ok && error->isEmpty())
        *error = q.lastError().text();
    if (!ok)
        q.exec(QStringLiteral("ROLLBACK"));
    return ok;
}

bool writeStore(const QString& storePath, const LegacyTables& tables, QString* error)
{
    if (!Module1::createStore(storePath, error))
        return false;
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(ImportConnection));
        db.setDatabaseName(storePath);
        if (db.open()) {
            QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
            ok = writeTables(db, tables, error);
        } else {
            *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(ImportConnection));
    return ok;
}

// Undoes everything: the new store goes, the old file comes back under its own name.
void restore(const QString& storePath, LegacyImportResult& result)
{
    QFile::remove(storePath + QStringLiteral("-journal"));
    if (QFileInfo::exists(storePath) && !QFile::remove(storePath))
        return; // the old file stays where it is; the message names that place
    if (QFile::rename(result.legacyPath, storePath))
        result.legacyPath = storePath;
}

} // namespace

QString legacyFileName(const QString& storePath)
{
    const QString base = storePath + QStringLiteral(".legacy-mdb");
    QString name = base;
    for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('.') + QString::number(n);
    return name;
}

LegacyImportResult importLegacyStore(const QString& storePath, const QString& readerExecutable, int timeoutMs)
{
    LegacyImportResult result;
    result.legacyPath = storePath;
    const QString aside = legacyFileName(storePath);
    QFile file(storePath);
    if (!file.rename(aside)) {
        result.status = LegacyImportResult::RenameFailed;
        const QFileInfo folder(QFileInfo(storePath).absolutePath());
        result.error = !folder.isWritable()
                           ? QStringLiteral("文件夹%1不可写入").arg(quoted(folder.absoluteFilePath()))
                           : file.errorString();
        return result;
    }
    result.legacyPath = aside;

    QByteArray output;
    LegacyTables tables;
    QString error;
    QString duplicate;
    if (!runReader(readerExecutable, aside, timeoutMs, &output, &error) ||
        !parseLegacyDump(output, tables, &error)) {
        result.status = LegacyImportResult::ReadFailed;
    } else if (findDuplicateCardName(tables.cards, &duplicate)) {
        result.status = LegacyImportResult::ReadFailed;
        error = QStringLiteral("旧数据库中有多张名为%1的角色卡").arg(quoted(duplicate));
    } else {
        tables = repairLegacyTables(tables);
        if (writeStore(storePath, tables, &error)) {
            result.status = LegacyImportResult::Imported;
            result.cards = int(tables.cards.size());
            return result;
        }
        result.status = LegacyImportResult::WriteFailed;
    }
    result.error = error;
    restore(storePath, result);
    return result;
}

QString legacyImportMessage(const LegacyImportResult& result)
{
    const QString where = result.legacyPath.isEmpty() ? QString() : quoted(result.legacyPath);
    switch (result.status) {
    case LegacyImportResult::Imported:
        return QStringLiteral("已从旧版数据库导入 %1 张角色卡；旧文件已改名保存为%2。")
            .arg(result.cards)
            .arg(where);
    case LegacyImportResult::RenameFailed:
        return QStringLiteral("发现旧版（Access）数据库文件%1，但无法将它改名（%2），因此没有导入任何角色卡，"
                              "旧文件保持原样。请确认程序所在的文件夹可以写入，然后重新启动程序。")
            .arg(where, result.error);
    case LegacyImportResult::ReadFailed:
        return QStringLiteral(
                   "无法完整读取旧版（Access）数据库：%1。没有导入任何角色卡，旧文件现位于%2，未作任何改动。")
            .arg(result.error, where);
    case LegacyImportResult::WriteFailed:
        return QStringLiteral("无法建立新的数据库：%1。没有导入任何角色卡，旧文件现位于%2，未作任何改动。")
            .arg(result.error, where);
    }
    return QString();
}

} // namespace store
