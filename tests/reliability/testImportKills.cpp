// A start that imports an old Access store is killed with SIGKILL at random moments, over and over:
// half of the kills are aimed at the import's file steps (the new store written, the old file's copy
// kept, the store put in place). After every kill a normal start must end with the store a complete
// import gives, the Access bytes kept under a ".legacy-mdb" name and nothing of the import left over.
// The same loop over the old order of steps (the Access file renamed aside before reading, an empty
// store committed before the rows) must find starts that lost the cards.
#include "ReliabilityKit.h"
#include "WriterProcess.h"
#include "store/Module1.h"
#include "store/Schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

const QString Driver = QStringLiteral(IMPORT_DRIVER);
const QString Reader = QStringLiteral(MDB_READER);
const QString StoreName = QStringLiteral("Sav.qlk");

bool writeFixture(const QString& variant, const QString& mdb)
{
    QProcess writer;
    writer.start(QStringLiteral(PYTHON3),
                 {QStringLiteral(JET_WRITER), variant, mdb, mdb + QStringLiteral(".json")});
    return writer.waitForFinished(120000) && writer.exitCode() == 0 &&
           QFile::remove(mdb + QStringLiteral(".json"));
}

// Every row of the three tables in stored order, each value quoted with its type; then the check.
QStringList snapshot(const QString& path)
{
    kit::RawDb db(path);
    QStringList rows = db.column(QStringLiteral("PRAGMA integrity_check"));
    for (const store::schema::Table& table : store::schema::tables()) {
        QStringList quoted;
        for (const QString& column : store::schema::columnNames(table))
            quoted << QStringLiteral("quote(%1)").arg(column);
        const QStringList found =
            db.column(QStringLiteral("SELECT '%1 ' || %2 FROM %1 ORDER BY rowid")
                          .arg(QLatin1String(table.name), quoted.join(QStringLiteral(" || ',' || "))));
        rows << (found.isEmpty() ? QStringList{QStringLiteral("%1 is empty").arg(QLatin1String(table.name))}
                                 : found);
    }
    return rows;
}

QStringList importFiles(const QString& folder)
{
    return QDir(folder).entryList({StoreName + QStringLiteral(".importing-*")}, QDir::Files | QDir::Hidden);
}

// The slowed reader: the real one, its output passed on in 64 KiB pieces 10 ms apart.
QString writeSlowReader(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("slowReader.sh"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("#!/bin/sh\n'" + Reader.toUtf8() +
               "' \"$@\" | { for i in 1 2 3 4 5 6 7 8; do sleep 0.01;"
               " dd bs=65536 count=1 iflag=fullblock 2>/dev/null; done; cat; }\n");
    file.close();
    return file.setPermissions(file.permissions() | QFile::ExeOwner) ? path : QString();
}

struct Tally
{
    int kills = 0;
    int inFileSteps = 0; // a temporary file of the import was there after the kill
    int beforeFiles = 0; // the Access file in place and nothing of the import yet
    int afterFiles = 0;  // the new store in place, the import's files gone
    int noStore = 0;     // nothing under the store's name (the old order's file renamed aside)
    int finishedFirst = 0;
    int failedStarts = 0; // kills after which the next start did not end as it must
    QStringList problems;
};

} // namespace

class TestImportKills : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tools;
    QByteArray m_fixture;
    QStringList m_expected;
    QString m_slowReader;
    qint64 m_runMs = 0;  // a whole start with the slowed reader
    qint64 m_fileMs = 0; // from the first file of the import to the end

    // A normal start after the kill, then the check of everything it must have left.
    QStringList recoveryProblems(const QString& folder)
    {
        QStringList problems;
        const QString store = QDir(folder).filePath(StoreName);
        rel::WriterProcess start(Driver);
        if (!start.start({QStringLiteral("start"), store, Reader}) || !start.finish())
            return {QStringLiteral("the next start did not end (%1; files: %2)")
                        .arg(QString::fromUtf8(start.lines().join(' ')),
                             QDir(folder).entryList(QDir::Files | QDir::Hidden).join(QLatin1Char(' ')))};
        for (const QByteArray& line : start.lines()) {
            if (line.startsWith("notice 1"))
                problems << QStringLiteral("the next start failed: ") +
                                QString::fromUtf8(QByteArray::fromHex(line.mid(9)));
        }
        const QStringList found = snapshot(store);
        if (found != m_expected) {
            const qsizetype cards =
                found.filter(QRegularExpression(QStringLiteral("^card (?!is empty)"))).size();
            problems << QStringLiteral("the store differs from a complete import (%1 cards, integrity %2)")
                            .arg(cards)
                            .arg(found.value(0));
        }
        bool kept = false;
        for (const QString& name :
             QDir(folder).entryList({StoreName + QStringLiteral(".legacy-mdb*")}, QDir::Files))
            kept = kept || rel::fileBytes(QDir(folder).filePath(name)) == m_fixture;
        if (!kept)
            problems << QStringLiteral("the Access bytes are under no .legacy-mdb name");
        const QStringList left =
            importFiles(folder) + QDir(folder).entryList({StoreName + QStringLiteral(".import-lock*")});
        if (!left.isEmpty())
            problems << QStringLiteral("left over: ") + left.join(QLatin1Char(' '));
        return problems;
    }

    bool resetFolder(const QString& folder)
    {
        QDir(folder).removeRecursively();
        return QDir().mkpath(folder) && rel::writeFile(QDir(folder).filePath(StoreName), m_fixture);
    }

    Tally killLoop(bool oldOrder, int minKills, int maxKills)
    {
        Tally tally;
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run"));
        const QString store = QDir(folder).filePath(StoreName);
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("kill moments drawn from seed %u", seed);
        QRandomGenerator moments(seed);
        while (tally.kills < maxKills) {
            if (oldOrder ? tally.kills >= minKills
                         : tally.kills >= minKills && tally.inFileSteps * 3 >= tally.kills)
                break;
            if (!resetFolder(folder)) {
                tally.problems << QStringLiteral("cannot set up %1").arg(folder);
                break;
            }
            rel::WriterProcess driver(Driver);
            if (!driver.start({oldOrder ? QStringLiteral("old-order") : QStringLiteral("start"), store,
                               m_slowReader})) {
                tally.problems << QStringLiteral("the driver did not start");
                break;
            }
            QElapsedTimer clock;
            clock.start();
            if (!oldOrder && moments.bounded(2) == 0) {
                // Aimed at the file steps: wait for the import's first file, then somewhere before the end.
                while (importFiles(folder).isEmpty() && clock.elapsed() < 20 * m_runMs && driver.isRunning())
                    QThread::usleep(300);
                QThread::usleep(moments.bounded(quint32(m_fileMs * 1000) + 1));
            } else {
                QThread::usleep(moments.bounded(quint32(m_runMs * 1000) + 1));
            }
            driver.killHard();
            if (driver.lines().contains("end")) {
                ++tally.finishedFirst;
                continue;
            }
            ++tally.kills;
            if (!importFiles(folder).isEmpty())
                ++tally.inFileSteps;
            else if (store::inspectStoreFile(store).kind == store::StoreFileKind::Jet)
                ++tally.beforeFiles;
            else if (QFileInfo::exists(store))
                ++tally.afterFiles;
            else
                ++tally.noStore;
            const QStringList problems = recoveryProblems(folder);
            if (!problems.isEmpty()) {
                ++tally.failedStarts;
                tally.problems << QStringLiteral("kill %1: %2")
                                      .arg(tally.kills)
                                      .arg(problems.join(QStringLiteral("; ")));
            }
        }
        qInfo("%s: kills %d, inside the file steps %d, before them %d, after them %d, with no store %d, runs"
              " that ended before the kill %d, failed next starts %d",
              oldOrder ? "old order" : "import", tally.kills, tally.inFileSteps, tally.beforeFiles,
              tally.afterFiles, tally.noStore, tally.finishedFirst, tally.failedStarts);
        return tally;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QFileInfo(Driver).isExecutable() && QFileInfo(Reader).isExecutable());
        const QString mdb = m_tools.filePath(QStringLiteral("fixture.mdb"));
        QVERIFY(writeFixture(QStringLiteral("full"), mdb));
        m_fixture = rel::fileBytes(mdb);
        QVERIFY(!m_fixture.isEmpty());
        m_slowReader = writeSlowReader(m_tools.path());
        QVERIFY(!m_slowReader.isEmpty());

        // The reference: an uninterrupted start with the slowed reader, timed, its file steps too.
        const QString folder = m_tools.filePath(QStringLiteral("reference"));
        QVERIFY(resetFolder(folder));
        rel::WriterProcess start(Driver);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(start.start({QStringLiteral("start"), QDir(folder).filePath(StoreName), m_slowReader}));
        qint64 firstFile = -1;
        while (start.isRunning() && clock.elapsed() < 60000) {
            if (firstFile < 0 && !importFiles(folder).isEmpty())
                firstFile = clock.elapsed();
            QThread::usleep(300);
        }
        QVERIFY(start.finish());
        m_runMs = clock.elapsed();
        QVERIFY(firstFile >= 0);
        m_fileMs = qMax<qint64>(1, m_runMs - firstFile);
        m_expected = snapshot(QDir(folder).filePath(StoreName));
        QCOMPARE(m_expected.value(0), QStringLiteral("ok"));
        QVERIFY(m_expected.filter(QRegularExpression(QStringLiteral("^card "))).size() > 500);
        QCOMPARE(recoveryProblems(folder), QStringList());
        qInfo("a start takes %lld ms, %lld of them from the first file of the import on", m_runMs, m_fileMs);
    }

    void killedImportLosesNothing()
    {
        const Tally tally = killLoop(false, 100, 300);
        if (!tally.problems.isEmpty())
            QFAIL(qPrintable(tally.problems.mid(0, 10).join(QLatin1Char('\n'))));
        QVERIFY(tally.kills >= 100);
        QVERIFY2(tally.inFileSteps * 3 >= tally.kills,
                 qPrintable(QStringLiteral("only %1 of %2 kills inside the file steps")
                                .arg(tally.inFileSteps)
                                .arg(tally.kills)));
        QVERIFY(tally.beforeFiles > 0);
    }

    void theOldOrderLosesCards()
    {
        const Tally tally = killLoop(true, 10, 10);
        QCOMPARE(tally.kills, 10);
        QVERIFY2(tally.failedStarts > 0, "no kill of the old order lost anything");
        qInfo("first finding: %s", qPrintable(tally.problems.value(0)));
    }
};

QTEST_GUILESS_MAIN(TestImportKills)
#include "testImportKills.moc"
