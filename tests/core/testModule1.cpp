// The store's connection: where the store lives, how a missing store is created, how a file that
// is not a usable store is left alone, and how the connection is opened and closed.
#include "RawDb.h"
#include "StoreProbe.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/StartUp.h"
#include "store/StoreLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using probe::listing;
using probe::readAll;
using probe::writeAll;
using store::Module1;

namespace {

card::Sheet namedSheet(const QString& name)
{
    card::Sheet sheet;
    sheet.text[0] = name;
    sheet.text[6] = QStringLiteral("3");
    return sheet;
}

// A real store holding enough rows to span many pages.
bool writeBigStore(const QString& path)
{
    Module1 db(path);
    if (db.prepare().status != Module1::PrepareStatus::Created)
        return false;
    store::CardStore cards(db);
    for (int i = 0; i < 30; ++i) {
        card::Sheet sheet = namedSheet(QStringLiteral("card %1").arg(i));
        sheet.text[300] = QString(3000, QLatin1Char('a' + i % 26));
        if (!cards.add(sheet).ok())
            return false;
    }
    return true;
}

} // namespace

class TestModule1 : public QObject
{
    Q_OBJECT

private slots:
    void createsMissingStore();
    void preparesExistingStoreWithoutChange();
    void refusesUnusableFile_data();
    void refusesUnusableFile();
    void replacedFileIsNotOverwritten();
    void orphanJournalIsMovedAsideBeforeCreation();
    void creationLeavesOtherFilesAlone();
    void lockedStoreAtStartStaysUsable();
    void nestedOpenAndClose();
    void deletedStoreIsNotRecreated();
    void connectionSettings();
    void twoInstancesOnTwoFiles();
    void storeUriForms();
    void storeInOddlyNamedFolders_data();
    void storeInOddlyNamedFolders();
    void folderWritableLeavesNothing();
    void locateExistingStore();
    void locateMissingStoreInWritableFolder();
    void locateMissingStoreInReadOnlyFolder();
    void locateDataFolderStore();
};

void TestModule1::createsMissingStore()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    Module1 db(path);
    const Module1::Prepared prepared = db.prepare();
    QCOMPARE(prepared.status, Module1::PrepareStatus::Created);
    QVERIFY(db.isUsable());
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("Sav.qlk")});

    QCOMPARE(
        probe::rows(path, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                         "ORDER BY name")),
        (QList<QStringList>{{QStringLiteral("card")}, {QStringLiteral("lstt")}, {QStringLiteral("sets")}}));

    const struct
    {
        const char* table;
        QString columns;
    } expected[] = {
        {"card", QStringLiteral("Nae Info Chk ZhongZu ZhuanChang TeZheng Lang YiShi QiTa WuPin GeXing WaiMao "
                                "MengYou BeiJing Blog")},
        {"lstt", QStringLiteral("Nam lv race tra cmp")},
        {"sets", QStringLiteral("Btips magw Lng")},
    };
    for (const auto& table : expected) {
        QStringList names;
        for (const QStringList& row :
             probe::rows(path, QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(table.table)))) {
            names << row.value(1);
            const QString type = row.value(2).toUpper();
            const QString want =
                row.value(1) == QLatin1String("magw") ? QStringLiteral("INTEGER") : QStringLiteral("TEXT");
            QVERIFY2(type == want, qPrintable(row.join(QLatin1Char(' '))));
        }
        QCOMPARE(names, table.columns.split(QLatin1Char(' ')));
    }

    QCOMPARE(probe::rows(path, QStringLiteral("SELECT Btips, magw, typeof(magw), Lng FROM sets")),
             (QList<QStringList>{{QStringLiteral("XD"), QStringLiteral("0"), QStringLiteral("integer"),
                                  QStringLiteral("简体中文(内置)")}}));
    QCOMPARE(probe::rows(path, QStringLiteral("SELECT COUNT(*) FROM card")),
             QList<QStringList>{{QStringLiteral("0")}});
    QCOMPARE(probe::rows(path, QStringLiteral("SELECT COUNT(*) FROM lstt")),
             QList<QStringList>{{QStringLiteral("0")}});

    // The name is the key of both tables.
    QVERIFY(probe::execute(path, {QStringLiteral("INSERT INTO card (Nae) VALUES ('Ann')")}));
    QVERIFY(!probe::execute(path, {QStringLiteral("INSERT INTO card (Nae) VALUES ('Ann')")}));
    QVERIFY(probe::execute(path, {QStringLiteral("INSERT INTO lstt (Nam) VALUES ('Ann')")}));
    QVERIFY(!probe::execute(path, {QStringLiteral("INSERT INTO lstt (Nam) VALUES ('Ann')")}));
}

void TestModule1::preparesExistingStoreWithoutChange()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    {
        Module1 db(path);
        QCOMPARE(db.prepare().status, Module1::PrepareStatus::Created);
        store::CardStore cards(db);
        QVERIFY(cards.add(namedSheet(QStringLiteral("Ann"))).ok());
    }
    const QByteArray before = readAll(path);
    Module1 db(path);
    const Module1::Prepared prepared = db.prepare();
    QCOMPARE(prepared.status, Module1::PrepareStatus::Ready);
    QVERIFY(db.isUsable());
    QCOMPARE(readAll(path), before);
    QCOMPARE(probe::rows(path, QStringLiteral("SELECT COUNT(*) FROM sets")),
             QList<QStringList>{{QStringLiteral("1")}});
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("Sav.qlk")});
}

void TestModule1::refusesUnusableFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("zero-length") << QStringLiteral("empty");
    QTest::newRow("text file") << QStringLiteral("text");
    QTest::newRow("random bytes") << QStringLiteral("random");
    QTest::newRow("Access file") << QStringLiteral("jet");
    QTest::newRow("header only") << QStringLiteral("header");
    QTest::newRow("cut inside a page") << QStringLiteral("cutInPage");
    QTest::newRow("cut at a page boundary") << QStringLiteral("cutAtPage");
    QTest::newRow("table missing") << QStringLiteral("noTable");
    QTest::newRow("column missing") << QStringLiteral("noColumn");
}

void TestModule1::refusesUnusableFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));

    if (kind == QLatin1String("empty")) {
        QVERIFY(writeAll(path, {}));
    } else if (kind == QLatin1String("text")) {
        QVERIFY(writeAll(path, "Ann,3,Elf,Wizard,Good\nBob,1,Dwarf,Fighter,Lawful\n"));
    } else if (kind == QLatin1String("random")) {
        QByteArray bytes;
        quint32 x = 12345;
        for (int i = 0; i < 8192; ++i) {
            x = x * 1103515245u + 12345u;
            bytes.append(static_cast<char>(x >> 24));
        }
        QVERIFY(writeAll(path, bytes));
    } else if (kind == QLatin1String("jet")) {
        QByteArray bytes(4096, '\0');
        bytes.replace(4, 16, QByteArray("Standard Jet DB\0", 16));
        QVERIFY(writeAll(path, bytes));
    } else if (kind == QLatin1String("header")) {
        QVERIFY(writeAll(path, QByteArray("SQLite format 3\0", 16) + QByteArray(40, '\x01')));
    } else if (kind.startsWith(QLatin1String("cut"))) {
        QVERIFY(writeBigStore(path));
        const QByteArray whole = readAll(path);
        const int pageSize = (static_cast<quint8>(whole.at(16)) << 8) | static_cast<quint8>(whole.at(17));
        QVERIFY(whole.size() > 8 * pageSize);
        const int keep = kind == QLatin1String("cutInPage") ? 3 * pageSize + pageSize / 2 : 3 * pageSize;
        QVERIFY(writeAll(path, whole.left(keep)));
    } else {
        const QString blog = kind == QLatin1String("noColumn") ? QString() : QStringLiteral(", Blog TEXT");
        QStringList statements = {
            QStringLiteral("CREATE TABLE card (Nae TEXT, Info TEXT, Chk TEXT, ZhongZu TEXT, ZhuanChang TEXT, "
                           "TeZheng TEXT, Lang TEXT, YiShi TEXT, QiTa TEXT, WuPin TEXT, GeXing TEXT, "
                           "WaiMao TEXT, MengYou TEXT, BeiJing TEXT%1)")
                .arg(blog),
            QStringLiteral("CREATE TABLE lstt (Nam TEXT, lv TEXT, race TEXT, tra TEXT, cmp TEXT)"),
            QStringLiteral("INSERT INTO lstt VALUES ('Ann', '3', 'Elf', 'Wizard', 'Good')")};
        if (kind == QLatin1String("noColumn"))
            statements << QStringLiteral("CREATE TABLE sets (Btips TEXT, magw INTEGER, Lng TEXT)");
        QVERIFY(probe::execute(path, statements));
    }
    const QByteArray before = readAll(path);
    const QStringList files = listing(dir.path());

    Module1 db(path);
    const Module1::Prepared prepared = db.prepare();
    QCOMPARE(prepared.status, Module1::PrepareStatus::Unusable);
    QVERIFY(!db.isUsable());
    QVERIFY2(prepared.error.contains(QLatin1String("Sav.qlk")), qPrintable(prepared.error));
    const QString reason = db.unusableReason();
    QCOMPARE(reason, prepared.error);

    // Every later operation refuses with that reason and never opens the file.
    QString error;
    QVERIFY(!db.OpenDb(&error));
    QCOMPARE(error, reason);
    QVERIFY(!db.isOpen());
    store::CardStore cards(db);
    const store::Outcome added = cards.add(namedSheet(QStringLiteral("Carl")));
    QCOMPARE(added.status, store::OpStatus::Failed);
    QCOMPARE(added.error, reason);
    const store::Outcome saved = cards.save(QStringLiteral("Ann"), namedSheet(QStringLiteral("Ann")));
    QCOMPARE(saved.status, store::OpStatus::Failed);
    QCOMPARE(saved.error, reason);
    const store::Outcome removed = cards.remove(QStringLiteral("Ann"));
    QCOMPARE(removed.status, store::OpStatus::Failed);
    QCOMPARE(removed.error, reason);
    const store::LoadResult loaded = cards.load(QStringLiteral("Ann"));
    QVERIFY(!loaded.ok);
    QVERIFY(!loaded.found);
    QCOMPARE(loaded.error, reason);
    const store::ListResult listed = cards.list();
    QVERIFY(!listed.ok);
    QVERIFY(listed.entries.isEmpty());
    QCOMPARE(listed.error, reason);

    // A second start-up finds the same file and refuses again.
    QCOMPARE(Module1(path).prepare().status, Module1::PrepareStatus::Unusable);

    QVERIFY(readAll(path) == before);
    QCOMPARE(listing(dir.path()), files);
}

void TestModule1::replacedFileIsNotOverwritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    Module1 db(path);
    QCOMPARE(db.prepare().status, Module1::PrepareStatus::Created);
    // Another program puts something else in its place while the program runs.
    const QByteArray other = QByteArray("not a store at all\n").repeated(300);
    QVERIFY(writeAll(path, other));
    store::CardStore cards(db);
    const store::Outcome added = cards.add(namedSheet(QStringLiteral("Ann")));
    QCOMPARE(added.status, store::OpStatus::Failed);
    QVERIFY(!added.error.isEmpty());
    QCOMPARE(cards.remove(QStringLiteral("Ann")).status, store::OpStatus::Failed);
    QVERIFY(!cards.list().ok);
    QVERIFY(!db.isOpen());
    QVERIFY(readAll(path) == other);
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("Sav.qlk")});
}

void TestModule1::orphanJournalIsMovedAsideBeforeCreation()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    const QString journal = path + QStringLiteral("-journal");
    const QByteArray orphan = probe::makeOrphanJournal(dir.path(), journal);
    QVERIFY(!orphan.isEmpty());

    // The whole start-up routine: no Access file, so no reader is needed.
    Module1 db(path);
    const store::StartUpNotice notice = store::prepareStoreAtStartUp(db, QString());
    const QStringList files = listing(dir.path());
    QCOMPARE(files.size(), 2);
    QCOMPARE(files.value(0), QStringLiteral("Sav.qlk"));
    QVERIFY2(files.value(1).startsWith(QStringLiteral("Sav.qlk-journal.orphan-")),
             qPrintable(files.join(' ')));
    QVERIFY(readAll(dir.filePath(files.value(1))) == orphan); // kept, never changed
    QVERIFY(notice.text.contains(QDir::toNativeSeparators(dir.filePath(files.value(1)))));
    QVERIFY(!notice.isError && db.isUsable());
    // The new store is whole and stays so when opened again.
    QCOMPARE(probe::rows(path, QStringLiteral("PRAGMA integrity_check")),
             QList<QStringList>{{QStringLiteral("ok")}});
    QCOMPARE(Module1(path).prepare().status, Module1::PrepareStatus::Ready);
    QCOMPARE(probe::rows(path, QStringLiteral("SELECT Btips FROM sets")),
             QList<QStringList>{{QStringLiteral("XD")}});

    // A journal beside an existing store is that store's own: it stays where SQLite looks for it.
    QVERIFY(writeAll(journal, QByteArray()));
    QCOMPARE(Module1(path).prepare().status, Module1::PrepareStatus::Ready);
    QVERIFY(QFileInfo::exists(journal));
}

void TestModule1::creationLeavesOtherFilesAlone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    // Files of other names beside the store, such as another copy's half-made store, are not ours.
    const QStringList others{QStringLiteral("Sav.qlk.new"), QStringLiteral("Sav.qlk.new-a1B2c3"),
                             QStringLiteral("Sav.qlk.new-journal")};
    for (const QString& name : others)
        QVERIFY(writeAll(dir.filePath(name), name.toUtf8()));
    QCOMPARE(Module1(path).prepare().status, Module1::PrepareStatus::Created);
    QCOMPARE(listing(dir.path()), QStringList({QStringLiteral("Sav.qlk")}) + others);
    for (const QString& name : others)
        QCOMPARE(readAll(dir.filePath(name)), name.toUtf8());

    // A store that another program put in place first is never replaced.
    QString error;
    QVERIFY(!Module1::createStore(path, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(listing(dir.path()), QStringList({QStringLiteral("Sav.qlk")}) + others);

    // Nor is a name that turns out to be taken only when the new store is renamed to it (here a link
    // to nowhere, which looks free): nothing is written through it.
    QTemporaryDir linked;
    const QString target = linked.filePath(QStringLiteral("elsewhere"));
    QVERIFY(QFile::link(target, linked.filePath(QStringLiteral("Sav.qlk"))));
    QVERIFY(!Module1::createStore(linked.filePath(QStringLiteral("Sav.qlk")), &error));
    QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(
        QDir(linked.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{QStringLiteral("Sav.qlk")});
}

void TestModule1::lockedStoreAtStartStaysUsable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    {
        Module1 db(path);
        QCOMPARE(db.prepare().status, Module1::PrepareStatus::Created);
        QVERIFY(store::CardStore(db).add(namedSheet(QStringLiteral("Ann"))).ok());
    }
    // Another program holds the store while the program starts: that passes, the file is fine.
    Module1 db(path);
    Module1::Prepared prepared;
    {
        kit::RawDb locker(path);
        QVERIFY(locker.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        prepared = db.prepare();
        QVERIFY(locker.exec(QStringLiteral("ROLLBACK")));
    }
    QVERIFY2(prepared.status != Module1::PrepareStatus::Unusable, qPrintable(prepared.error));
    QVERIFY(db.isUsable());
    store::CardStore cards(db);
    const store::ListResult listed = cards.list();
    QVERIFY2(listed.ok, qPrintable(listed.error));
    QCOMPARE(listed.entries.size(), 1);
    QVERIFY(cards.add(namedSheet(QStringLiteral("Bob"))).ok());
}

void TestModule1::nestedOpenAndClose()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    Module1 db(path);
    QCOMPARE(db.prepare().status, Module1::PrepareStatus::Created);

    // CloseDb with nothing open does nothing.
    QVERIFY(!db.isOpen());
    db.CloseDb();
    db.CloseDb();
    QVERIFY(!db.isOpen());

    QVERIFY(db.OpenDb());
    QVERIFY(db.isOpen());
    {
        // A temporary table lives as long as its connection: it tells whether OpenDb reopened it.
        QSqlQuery q(db.DbConnection());
        QVERIFY(q.exec(QStringLiteral("CREATE TEMP TABLE marker (x INTEGER)")));
    }
    // OpenDb while open keeps the open connection, and it stays usable.
    QString error;
    QVERIFY(db.OpenDb(&error));
    QVERIFY(db.isOpen());
    {
        QSqlQuery q(db.DbConnection());
        QVERIFY2(q.exec(QStringLiteral("SELECT COUNT(*) FROM temp.marker")),
                 qPrintable(q.lastError().text()));
        QVERIFY(q.exec(QStringLiteral("SELECT Btips FROM sets")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("XD"));
    }

    // The nested refresh: the list finds the connection open, reads on it and leaves it open (a
    // session closes only what it opened); the caller's own CloseDb closes it.
    QVERIFY(probe::execute(
        path, {QStringLiteral("INSERT INTO lstt VALUES ('Ann', '3', 'Elf', 'Wizard', 'Good')")}));
    store::CardStore cards(db);
    const store::ListResult listed = cards.list();
    QVERIFY(listed.ok);
    QCOMPARE(listed.entries.size(), 1);
    QVERIFY(db.isOpen());
    {
        QSqlQuery q(db.DbConnection());
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM temp.marker")));
    }
    db.CloseDb();
    QVERIFY(!db.isOpen());

    // Two operations in a row: nothing carries over from the first.
    QVERIFY(cards.list().ok);
    QVERIFY(!db.isOpen());
    QVERIFY(db.OpenDb());
    db.CloseDb();
    QVERIFY(!db.isOpen());
}

void TestModule1::deletedStoreIsNotRecreated()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    Module1 db(path);
    QCOMPARE(db.prepare().status, Module1::PrepareStatus::Created);
    QVERIFY(QFile::remove(path));

    QString error;
    QVERIFY(!db.OpenDb(&error));
    QVERIFY2(error.contains(QLatin1String("Sav.qlk")), qPrintable(error));
    QVERIFY(!db.isOpen());
    store::CardStore cards(db);
    const store::Outcome added = cards.add(namedSheet(QStringLiteral("Ann")));
    QCOMPARE(added.status, store::OpStatus::Failed);
    QVERIFY2(added.error.contains(QLatin1String("Sav.qlk")), qPrintable(added.error));
    QCOMPARE(cards.save(QStringLiteral("Ann"), namedSheet(QStringLiteral("Ann"))).status,
             store::OpStatus::Failed);
    QCOMPARE(cards.remove(QStringLiteral("Ann")).status, store::OpStatus::Failed);
    QVERIFY(!cards.load(QStringLiteral("Ann")).ok);
    QVERIFY(!cards.list().ok);
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(listing(dir.path()).isEmpty());
}

void TestModule1::connectionSettings()
{
    QTemporaryDir dir;
    Module1 db(dir.filePath(QStringLiteral("Sav.qlk")));
    QCOMPARE(db.prepare().status, Module1::PrepareStatus::Created);
    QVERIFY(db.OpenDb());
    QSqlQuery q(db.DbConnection());
    QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
    QCOMPARE(q.value(0).toString().toLower(), QStringLiteral("delete"));
    QVERIFY(q.exec(QStringLiteral("PRAGMA synchronous")) && q.next());
    QCOMPARE(q.value(0).toInt(), 3); // EXTRA: FULL, and the folder synced after each commit
    QVERIFY(q.exec(QStringLiteral("PRAGMA busy_timeout")) && q.next());
    QCOMPARE(q.value(0).toInt(), Module1::BusyTimeoutMs);
    QCOMPARE(Module1::BusyTimeoutMs, 1500);
    q.finish();
    db.CloseDb();
}

void TestModule1::twoInstancesOnTwoFiles()
{
    QTemporaryDir dir;
    const QString pathA = dir.filePath(QStringLiteral("a.qlk"));
    const QString pathB = dir.filePath(QStringLiteral("b.qlk"));
    Module1 a(pathA);
    Module1 b(pathB);
    QCOMPARE(a.prepare().status, Module1::PrepareStatus::Created);
    QCOMPARE(b.prepare().status, Module1::PrepareStatus::Created);

    // While a holds its connection open, each instance writes to its own file, and b's operation
    // leaves a's connection open.
    QVERIFY(a.OpenDb());
    store::CardStore cardsB(b);
    QVERIFY(cardsB.add(namedSheet(QStringLiteral("Bob"))).ok());
    QVERIFY(a.isOpen());
    QVERIFY(!b.isOpen());
    store::CardStore cardsA(a);
    QVERIFY(cardsA.add(namedSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(a.isOpen());
    a.CloseDb();
    QVERIFY(!a.isOpen());

    QCOMPARE(probe::rows(pathA, QStringLiteral("SELECT Nae FROM card")),
             QList<QStringList>{{QStringLiteral("Ann")}});
    QCOMPARE(probe::rows(pathB, QStringLiteral("SELECT Nae FROM card")),
             QList<QStringList>{{QStringLiteral("Bob")}});
    QCOMPARE(probe::rows(pathA, QStringLiteral("SELECT Nam FROM lstt")),
             QList<QStringList>{{QStringLiteral("Ann")}});
    QCOMPARE(probe::rows(pathB, QStringLiteral("SELECT Nam FROM lstt")),
             QList<QStringList>{{QStringLiteral("Bob")}});
}

void TestModule1::storeUriForms()
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

void TestModule1::storeInOddlyNamedFolders_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("question mark") << QStringLiteral("a?mode=ro");
    QTest::newRow("hash") << QStringLiteral("b#c");
    QTest::newRow("percent") << QStringLiteral("d%41e%");
    QTest::newRow("spaces") << QStringLiteral(" my cards ");
    QTest::newRow("Chinese") << QStringLiteral("羽笔 卷宗");
    QTest::newRow("all of them") << QStringLiteral("?#% 卷宗%2F..");
}

void TestModule1::storeInOddlyNamedFolders()
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

void TestModule1::folderWritableLeavesNothing()
{
    QTemporaryDir dir;
    QVERIFY(store::folderWritable(dir.path()));
    QVERIFY(listing(dir.path()).isEmpty());
    QVERIFY(!store::folderWritable(dir.filePath(QStringLiteral("missing"))));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("plain")), "x"));
    QVERIFY(!store::folderWritable(dir.filePath(QStringLiteral("plain"))));
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("plain")});
}

void TestModule1::locateExistingStore()
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

void TestModule1::locateMissingStoreInWritableFolder()
{
    QTemporaryDir dir;
    QCOMPARE(store::locateStore(dir.path()).path, QDir(dir.path()).filePath(QStringLiteral("Sav.qlk")));
    QVERIFY(listing(dir.path()).isEmpty());
}

void TestModule1::locateMissingStoreInReadOnlyFolder()
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

void TestModule1::locateDataFolderStore()
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

QTEST_GUILESS_MAIN(TestModule1)
#include "testModule1.moc"
