// The files around an import of an old Access store: an old copy is never overwritten, only what an
// import left is cleaned up, an orphan journal is moved aside, and the Access file is put back when
// the new store fails or left where it is when it cannot be moved.
#include "LegacyFixture.h"
#include "StoreProbe.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/legacy/LegacyImport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using legacy::contents;
using legacy::folderEntries;
using legacy::Reader;
using legacy::writeFixture;

class TestLegacyImportFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void neverOverwritesAnOldCopy();
    void cleansUpOnlyWhatAnImportLeft();
    void movesAnOrphanJournalAside();
    void putsTheFileBackWhenTheNewStoreFails();
    void leavesTheFileWhenItCannotBeMoved();
};

void TestLegacyImportFiles::initTestCase()
{
    QVERIFY(QFileInfo(Reader).isExecutable());
}

void TestLegacyImportFiles::neverOverwritesAnOldCopy()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
    QJsonObject report;
    QVERIFY(writeFixture(QStringLiteral("full"), store, &report));
    const QByteArray original = contents(store);
    for (const char* name : {"Sav.qlk.legacy-mdb", "Sav.qlk.legacy-mdb.1"}) {
        QFile old(dir.filePath(QLatin1String(name)));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(name);
    }
    QCOMPARE(store::legacyFileName(store), store + QStringLiteral(".legacy-mdb.2"));

    const store::LegacyImportResult result = store::importLegacyStore(store, Reader);
    QCOMPARE(result.status, store::LegacyImportResult::Imported);
    QCOMPARE(result.legacyPath, store + QStringLiteral(".legacy-mdb.2"));
    QCOMPARE(contents(result.legacyPath), original);
    QCOMPARE(contents(store + QStringLiteral(".legacy-mdb")), QByteArray("Sav.qlk.legacy-mdb"));
    QCOMPARE(contents(store + QStringLiteral(".legacy-mdb.1")), QByteArray("Sav.qlk.legacy-mdb.1"));
}

void TestLegacyImportFiles::cleansUpOnlyWhatAnImportLeft()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
    QJsonObject report;
    QVERIFY(writeFixture(QStringLiteral("full"), store, &report));
    const QByteArray original = contents(store);
    // What an import killed part-way leaves, beside files of other names and the copy it had already kept.
    const QStringList leftovers{QStringLiteral("Sav.qlk.importing-a1B2c3.mdb"),
                                QStringLiteral("Sav.qlk.importing-a1B2c3.qlk"),
                                QStringLiteral("Sav.qlk.importing-a1B2c3.qlk-journal")};
    const QStringList others{QStringLiteral("Sav.qlk.importing-notes.txt"), QStringLiteral("Sav.qlk.new"),
                             QStringLiteral("Sav.qlk.new-journal")};
    for (const QString& name : leftovers + others) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(name.toUtf8());
    }
    // A lock file without its owner's details: its maker was killed while writing it, long ago.
    QFile lock(store + QStringLiteral(".import-lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    lock.close();
    QFile kept(store + QStringLiteral(".legacy-mdb"));
    QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write(original) == original.size());
    kept.close();

    const store::LegacyImportResult result = store::importLegacyStore(store, Reader);
    QVERIFY2(result.status == store::LegacyImportResult::Imported, qPrintable(result.error));
    QCOMPARE(result.legacyPath, store + QStringLiteral(".legacy-mdb")); // the identical copy, no second one
    QStringList expected =
        QStringList{QStringLiteral("Sav.qlk"), QStringLiteral("Sav.qlk.legacy-mdb")} + others;
    expected.sort();
    QCOMPARE(folderEntries(dir.path()), expected);
    for (const QString& name : others)
        QCOMPARE(contents(dir.filePath(name)), name.toUtf8());
    QCOMPARE(store::inspectStoreFile(store).kind, store::StoreFileKind::SQLite);

    // With the store in place a start removes such files only.
    for (const QString& name : leftovers.mid(0, 2)) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    store::removeImportLeftovers(store);
    QCOMPARE(folderEntries(dir.path()), expected);
}

void TestLegacyImportFiles::movesAnOrphanJournalAside()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
    QJsonObject report;
    QVERIFY(writeFixture(QStringLiteral("full"), store, &report));
    const QString journal = store + QStringLiteral("-journal");
    const QByteArray orphan = probe::makeOrphanJournal(dir.path(), journal);
    QVERIFY(!orphan.isEmpty());

    const store::LegacyImportResult result = store::importLegacyStore(store, Reader);
    QVERIFY2(result.status == store::LegacyImportResult::Imported, qPrintable(result.error));
    QVERIFY(!QFileInfo::exists(journal));
    QVERIFY(result.orphanJournal.startsWith(journal + QStringLiteral(".orphan-")));
    QCOMPARE(contents(result.orphanJournal), orphan);
    QVERIFY(store::legacyImportMessage(result).contains(QDir::toNativeSeparators(result.orphanJournal)));
    // The new store holds the imported cards, whole.
    store::Module1 db(store);
    QCOMPARE(db.prepare().status, store::Module1::PrepareStatus::Ready);
    QCOMPARE(probe::rows(store, QStringLiteral("PRAGMA integrity_check")),
             QList<QStringList>{{QStringLiteral("ok")}});
    QCOMPARE(store::CardStore(db).list().entries.size(), result.cards);
}

void TestLegacyImportFiles::putsTheFileBackWhenTheNewStoreFails()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
    QJsonObject report;
    QVERIFY(writeFixture(QStringLiteral("full"), store, &report));
    const QByteArray original = contents(store);

    // No file of this process may grow past 64 KiB: the new store cannot be written.
    rlimit before{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &before) == 0);
    rlimit small = before;
    small.rlim_cur = 64 * 1024;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const store::LegacyImportResult result = store::importLegacyStore(store, Reader);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(result.status, store::LegacyImportResult::WriteFailed);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(result.legacyPath, store);
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("Sav.qlk")});
    QCOMPARE(contents(store), original);
    QVERIFY(store::legacyImportMessage(result).contains(QStringLiteral("无法建立新的数据库")));
}

void TestLegacyImportFiles::leavesTheFileWhenItCannotBeMoved()
{
    if (geteuid() == 0)
        QSKIP("root ignores folder permissions; the nobody run of this test covers it");
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
    QJsonObject report;
    QVERIFY(writeFixture(QStringLiteral("full"), store, &report));
    const QByteArray original = contents(store);
    QFile folder(dir.path());
    const QFile::Permissions writable = folder.permissions();
    QVERIFY(folder.setPermissions(QFile::ReadOwner | QFile::ExeOwner));

    const store::LegacyImportResult result = store::importLegacyStore(store, Reader);
    const QStringList entries = folderEntries(dir.path());
    QVERIFY(folder.setPermissions(writable));
    QCOMPARE(result.status, store::LegacyImportResult::FolderFailed);
    QCOMPARE(result.legacyPath, store);
    QCOMPARE(entries, QStringList{QStringLiteral("Sav.qlk")});
    QCOMPARE(contents(store), original);
    const QString message = store::legacyImportMessage(result);
    QVERIFY(message.contains(result.error) && message.contains(QStringLiteral("旧文件保持原样")));
}

QTEST_GUILESS_MAIN(TestLegacyImportFiles)
#include "testLegacyImportFiles.moc"
