// The store's connection: how a missing store is created, how an existing one is prepared without
// change, and how the connection is opened, closed and shared.
#include "RawDb.h"
#include "StoreProbe.h"
#include "store/CardStore.h"
#include "store/Module1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

using probe::listing;
using probe::namedSheet;
using probe::readAll;
using probe::writeAll;
using store::Module1;

class TestModule1 : public QObject
{
    Q_OBJECT

private slots:
    void createsMissingStore();
    void preparesExistingStoreWithoutChange();
    void replacedFileIsNotOverwritten();
    void creationLeavesOtherFilesAlone();
    void lockedStoreAtStartStaysUsable();
    void nestedOpenAndClose();
    void deletedStoreIsNotRecreated();
    void connectionSettings();
    void twoInstancesOnTwoFiles();
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

QTEST_GUILESS_MAIN(TestModule1)
#include "testModule1.moc"
