#pragma once

// What the legacy import suites share: the reader helper, Access files written by our own fixture
// writer, and the bytes and names of files as they are.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

namespace legacy {

inline const QString Reader = QStringLiteral(MDB_READER);

inline bool writeFixture(const QString& variant, const QString& mdb, QJsonObject* report)
{
    const QString json = mdb + QStringLiteral(".json");
    QProcess writer;
    writer.start(QStringLiteral(PYTHON3), {QStringLiteral(JET_WRITER), variant, mdb, json});
    if (!writer.waitForFinished(120000) || writer.exitCode() != 0) {
        qWarning() << writer.readAllStandardError();
        return false;
    }
    QFile file(json);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *report = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    return file.remove();
}

inline QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList folderEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace legacy
