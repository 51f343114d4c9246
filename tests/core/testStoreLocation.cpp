// Where the store lives: beside the program when that folder is writable, else in the user's data
// folder; how a folder is found writable; the address the connection opens, in folders of any name.
#include "StoreProbe.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/StoreLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using probe::listing;
using probe::namedSheet;
using probe::writeAll;
using store::Module1;

class TestStoreLocation : public QObject
{
    Q_OBJECT

private slots:
    void storeUriForms();
    void storeInOddlyNamedFolders_data();
    void storeInOddlyNamedFolders();
    void folderWritableLeavesNothing();
    void locateExistingStore();
    void locateMissingStoreInWritableFolder();
    void locateMissingStoreInReadOnlyFolder();
    void locateDataFolderStore();
};

void TestStoreLocation::storeUriForms()
{
    // An empty authority in every form: a drive letter, a network path, characters that mean
    // something in a URI, and text beyond ASCII.
    QCOMPARE(store::storeUri(QStringLiteral("/home/ann/Sav.qlk")),
             QStringLiteral("file:///home/ann/Sav.qlk"));
    QCOMPARE(store::storeUri(QStringLiteral("C:/Program Files/qlmk/Sav.qlk")),
             QStringLiteral("file:///C:/Program%20Files/qlmk/Sav.qlk"));
    QCOMPARE(store::storeUri(QStringLiteral("//server/share/Sav.qlk")),
             QStringLiteral("file:////server/share/Sav.qlk"));
    QCOMPARE(store::storeUri(QStringLiteral("/a?b#c%d/Sav.qlk")),
             QStringLiteral("file:///a%3Fb%23c%25d/Sav.qlk"));
    QCOMPARE(store::storeUri(QStringLiteral("/卷宗/Sav.qlk")),
             QStringLiteral("file:///%E5%8D%B7%E5%AE%97/Sav.qlk"));
}

void TestStoreLocation::storeInOddlyNamedFolders_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("question mark") << QStringLiteral("a?mode=ro");
    QTest::newRow("hash") << QStringLiteral("b#c");
    QTest::newRow("percent") << QStringLiteral("d%41e%");
    QTest::newRow("spaces") << QStringLiteral(" my cards ");
    QTest::newRow("Chinese") << QStringLiteral("羽笔 卷宗");
    QTest::newRow("all of them") << QStringLiteral("?#% 卷宗%2F..");
}

void TestStoreLocation::storeInOddlyNamedFolders()
{
    QFETCH(QString, folder);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(folder));
    const QString where = QDir(dir.path()).filePath(folder);
    const QString path = where + QStringLiteral("/Sav.qlk");
    Module1 db(path);
    QCOMPARE(db.prepare().status, Module1::PrepareStatus::Created);
    store::CardStore cards(db);
    const store::Outcome added = cards.add(namedSheet(QStringLiteral("Ann")));
    QVERIFY2(added.ok(), qPrintable(added.error));
    const store::ListResult listed = cards.list();
    QVERIFY2(listed.ok, qPrintable(listed.error));
    QCOMPARE(listed.entries.size(), 1);
    QCOMPARE(listing(where), QStringList{QStringLiteral("Sav.qlk")});
    QCOMPARE(probe::rows(path, QStringLiteral("SELECT Nam FROM lstt")),
             QList<QStringList>{{QStringLiteral("Ann")}});
}

void TestStoreLocation::folderWritableLeavesNothing()
{
    QTemporaryDir dir;
    QVERIFY(store::folderWritable(dir.path()));
    QVERIFY(listing(dir.path()).isEmpty());
    QVERIFY(!store::folderWritable(dir.filePath(QStringLiteral("missing"))));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("plain")), "x"));
    QVERIFY(!store::folderWritable(dir.filePath(QStringLiteral("plain"))));
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("plain")});
}

void TestStoreLocation::locateExistingStore()
{
    QTemporaryDir dir;
    const QString beside = QDir(dir.path()).filePath(QStringLiteral("Sav.qlk"));
    QVERIFY(writeAll(beside, "anything"));
    QCOMPARE(store::locateStore(dir.path()).path, beside);
    // Also when the folder cannot be written: an existing store is always the store.
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const QString found = store::locateStore(dir.path()).path;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(found, beside);
}

void TestStoreLocation::locateMissingStoreInWritableFolder()
{
    QTemporaryDir dir;
    QCOMPARE(store::locateStore(dir.path()).path, QDir(dir.path()).filePath(QStringLiteral("Sav.qlk")));
    QVERIFY(listing(dir.path()).isEmpty());
}

void TestStoreLocation::locateMissingStoreInReadOnlyFolder()
{
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool stillWritable = QFileInfo(dir.path()).isWritable();
    if (stillWritable) {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("a read-only folder is still writable for this user (root)");
    }
    QStandardPaths::setTestModeEnabled(true);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(!data.isEmpty());
    const bool existed = QFileInfo::exists(data);
    const QString located = store::locateStore(dir.path()).path;
    const bool created = QFileInfo(data).isDir();
    if (!existed)
        QDir().rmdir(data);
    QStandardPaths::setTestModeEnabled(false);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(located, QDir(data).filePath(QStringLiteral("Sav.qlk")));
    QVERIFY(created);
}

void TestStoreLocation::locateDataFolderStore()
{
    QTemporaryDir programDir;
    QStandardPaths::setTestModeEnabled(true);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(!data.isEmpty());
    const bool existed = QFileInfo::exists(data);
    QVERIFY(QDir().mkpath(data));
    const QString dataStore = QDir(data).filePath(QStringLiteral("Sav.qlk"));
    const QString beside = QDir(programDir.path()).filePath(QStringLiteral("Sav.qlk"));
    const bool made = !QFileInfo::exists(dataStore) && writeAll(dataStore, "the user's cards");

    // Only the data folder holds a store: that one, although the program's folder could take a new
    // one, and nothing is created beside the program.
    const store::StoreLocation alone = store::locateStore(programDir.path());
    const QStringList besideFiles = listing(programDir.path());
    // An installed copy looks in the data folder first: one store, nothing to say.
    const store::StoreLocation installed = store::locateStore(data);

    // Both hold one (root writes anything: the read-only case runs as an unprivileged user in
    // testWindowFaults): the one beside the program, and the note names both.
    const bool madeBeside = writeAll(beside, "another account's cards");
    const store::StoreLocation both = store::locateStore(programDir.path());

    if (made)
        QFile::remove(dataStore);
    if (!existed)
        QDir().rmdir(data);
    QStandardPaths::setTestModeEnabled(false);
    QVERIFY(made);
    QVERIFY(madeBeside);
    QCOMPARE(alone.path, dataStore);
    QVERIFY(alone.note.isEmpty());
    QVERIFY(besideFiles.isEmpty());
    QCOMPARE(installed.path, dataStore);
    QVERIFY(installed.note.isEmpty());
    QCOMPARE(both.path, beside);
    QVERIFY2(both.note.contains(QDir::toNativeSeparators(dataStore)), qPrintable(both.note));
    QVERIFY2(both.note.contains(QDir::toNativeSeparators(beside)), qPrintable(both.note));
}

QTEST_GUILESS_MAIN(TestStoreLocation)
#include "testStoreLocation.moc"
