// What a failed write leaves behind in a real store file: an injected fault between the rows, a
// lock held by another connection, a read-only file or folder.
#include "CardStoreFixture.h"
#include "CardStoreSeam.h"
#include "RawDb.h"
#include "StoreProbe.h"
#include "store/CardStore.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <unistd.h>

using namespace cardstore;

class TestCardStoreFaults : public QObject, public Fixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void faultBetweenRows_data();
    void faultBetweenRows();
    void lockedByAnotherConnection_data();
    void lockedByAnotherConnection();
    void readOnlyFile();
    void readOnlyFolder();

private:
    store::Outcome run(const QString& op);
};

void TestCardStoreFaults::init()
{
    Fixture::init();
}

void TestCardStoreFaults::cleanup()
{
    Fixture::cleanup();
}

// One write of each kind, on the cards Ann and Bob that the fault tests set up.
store::Outcome TestCardStoreFaults::run(const QString& op)
{
    if (op == QLatin1String("add"))
        return m_store->add(cardSheet(QStringLiteral("Carl")));
    if (op == QLatin1String("save"))
        return m_store->save(QStringLiteral("Ann"), cardSheet(QStringLiteral("Ann"), 2));
    return m_store->remove(QStringLiteral("Ann"));
}

void TestCardStoreFaults::faultBetweenRows_data()
{
    QTest::addColumn<QString>("op");
    QTest::newRow("add") << QStringLiteral("add");
    QTest::newRow("save") << QStringLiteral("save");
    QTest::newRow("delete") << QStringLiteral("delete");
}

void TestCardStoreFaults::faultBetweenRows()
{
    QFETCH(QString, op);
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Bob"))).ok());
    const Dump before = dump(m_path);

    store::CardStoreSeam::failBetweenRows(*m_store, true);
    const store::Outcome outcome = run(op);
    QCOMPARE(outcome.status, OpStatus::Failed);
    QVERIFY(!outcome.error.isEmpty());
    COMPARE_STORE(m_path, before);

    // The failed write left nothing open or locked.
    store::CardStoreSeam::failBetweenRows(*m_store, false);
    QCOMPARE(run(op).status, OpStatus::Done);
    QVERIFY(probe::difference(dump(m_path), before) != QString());
}

void TestCardStoreFaults::lockedByAnotherConnection_data()
{
    QTest::addColumn<QString>("lock");
    QTest::addColumn<QString>("op");
    for (const char* op : {"add", "save", "delete"})
        QTest::addRow("writer, %s", op) << QStringLiteral("IMMEDIATE") << QString::fromLatin1(op);
    QTest::newRow("exclusive, save") << QStringLiteral("EXCLUSIVE") << QStringLiteral("save");
    QTest::newRow("exclusive, load") << QStringLiteral("EXCLUSIVE") << QStringLiteral("load");
    QTest::newRow("exclusive, list") << QStringLiteral("EXCLUSIVE") << QStringLiteral("list");
}

void TestCardStoreFaults::lockedByAnotherConnection()
{
    QFETCH(QString, lock);
    QFETCH(QString, op);
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Bob"))).ok());
    const Dump before = dump(m_path);

    {
        kit::RawDb locker(m_path);
        QVERIFY2(locker.exec(QStringLiteral("BEGIN ") + lock), qPrintable(locker.lastError()));
        if (lock == QLatin1String("EXCLUSIVE"))
            QVERIFY(locker.exec(QStringLiteral("UPDATE sets SET magw = magw")));

        bool refused = false;
        QString error;
        if (op == QLatin1String("load")) {
            const store::LoadResult r = m_store->load(QStringLiteral("Ann"));
            refused = !r.ok && !r.found;
            error = r.error;
        } else if (op == QLatin1String("list")) {
            const store::ListResult r = m_store->list();
            refused = !r.ok && r.entries.isEmpty();
            error = r.error;
        } else {
            const store::Outcome r = run(op);
            refused = r.status == OpStatus::Failed;
            error = r.error;
        }
        QVERIFY2(locker.exec(QStringLiteral("ROLLBACK")), qPrintable(locker.lastError()));
        QVERIFY2(refused, qPrintable(error));
        QVERIFY2(error.contains(QLatin1String("Sav.qlk")), qPrintable(error));
    }
    COMPARE_STORE(m_path, before);
    QVERIFY(!m_db->isOpen());

    // Once the other program lets go, the same operation goes through.
    if (op == QLatin1String("load"))
        QVERIFY(m_store->load(QStringLiteral("Ann")).found);
    else if (op == QLatin1String("list"))
        QCOMPARE(m_store->list().entries.size(), 2);
    else
        QCOMPARE(run(op).status, OpStatus::Done);
}

void TestCardStoreFaults::readOnlyFile()
{
    if (geteuid() == 0)
        QSKIP("file permissions do not bind root; run as an ordinary user");
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Bob"))).ok());
    const Dump before = dump(m_path);
    QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    for (const QString& op : {QStringLiteral("add"), QStringLiteral("save"), QStringLiteral("delete")}) {
        const store::Outcome outcome = run(op);
        QVERIFY2(outcome.status == OpStatus::Failed, qPrintable(op));
        QVERIFY2(outcome.error.contains(QLatin1String("Sav.qlk")), qPrintable(outcome.error));
    }
    // Reading goes on as usual.
    QVERIFY(m_store->load(QStringLiteral("Ann")).found);
    QCOMPARE(m_store->list().entries.size(), 2);
    COMPARE_STORE(m_path, before);
}

void TestCardStoreFaults::readOnlyFolder()
{
    if (geteuid() == 0)
        QSKIP("folder permissions do not bind root; run as an ordinary user");
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Bob"))).ok());
    const Dump before = dump(m_path);
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    // The rollback journal cannot be made beside the file: every write refuses, naming the folder.
    const QString folder = QDir::toNativeSeparators(QFileInfo(m_dir->path()).absoluteFilePath());
    for (const QString& op : {QStringLiteral("add"), QStringLiteral("save"), QStringLiteral("delete")}) {
        const store::Outcome outcome = run(op);
        QVERIFY2(outcome.status == OpStatus::Failed, qPrintable(op));
        QVERIFY2(outcome.error.contains(folder), qPrintable(outcome.error));
    }
    QVERIFY(m_store->load(QStringLiteral("Ann")).found);
    QCOMPARE(m_store->list().entries.size(), 2);
    COMPARE_STORE(m_path, before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("Sav.qlk")});
}

QTEST_GUILESS_MAIN(TestCardStoreFaults)
#include "testCardStoreFaults.moc"
