// The list read from a real store: every entry in the store's name order, entries and cards that
// lack the other row, and the head of the list read apart from the window.
#include "CardStoreFixture.h"
#include "CardStoreSeam.h"
#include "StoreProbe.h"
#include "list/ListHead.h"
#include "store/CardStore.h"

#include <QTest>

using namespace cardstore;

class TestCardStoreList : public QObject, public Fixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listInNameOrder_data();
    void listInNameOrder();
};

void TestCardStoreList::init()
{
    Fixture::init();
}

void TestCardStoreList::cleanup()
{
    Fixture::cleanup();
}

void TestCardStoreList::listInNameOrder_data()
{
    QTest::addColumn<bool>("otherLibrary");
    QTest::newRow("through the linked library") << false;
    // Where Qt's driver brings a SQLite library of its own, the scan reads through the driver.
    QTest::newRow("through the driver") << true;
}

void TestCardStoreList::listInNameOrder()
{
    QFETCH(bool, otherLibrary);
    store::CardStoreSeam::takeOtherSqliteLibrary(*m_store, otherLibrary);
    store::ListResult listed = m_store->list();
    QVERIFY(listed.ok);
    QVERIFY(listed.entries.isEmpty());

    const QStringList added = {QStringLiteral("Carl"), QStringLiteral("Bob"), QStringLiteral("Anna"),
                               QStringLiteral("Ann"), QStringLiteral("羽笔 🖋")};
    for (const QString& n : added)
        QVERIFY(m_store->add(cardSheet(n)).ok());
    // A list entry with empty columns, and a card without an entry (it stays off the list).
    QVERIFY(execute(m_path, {QStringLiteral("INSERT INTO lstt (Nam) VALUES ('Dora')"),
                             QStringLiteral("INSERT INTO card (Nae, Info, Chk) VALUES ('Abe', '', '')")}));
    listed = m_store->list();
    QVERIFY(listed.ok);
    const QList<card::ListEntry> expected = {card::toListEntry(cardSheet(QStringLiteral("Ann"))),
                                             card::toListEntry(cardSheet(QStringLiteral("Anna"))),
                                             card::toListEntry(cardSheet(QStringLiteral("Bob"))),
                                             card::toListEntry(cardSheet(QStringLiteral("Carl"))),
                                             card::ListEntry{QStringLiteral("Dora"), {}, {}, {}, {}},
                                             card::toListEntry(cardSheet(QStringLiteral("羽笔 🖋")))};
    QCOMPARE(listed.entries.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(listed.entries.at(i), expected.at(i));

    // The first names in name order, read on a thread of their own beside the driver's connection:
    // only where the driver runs on the linked library; a store with fewer names is left alone.
    QCOMPARE(m_store->canScanAlone(), !otherLibrary);
    if (otherLibrary)
        return;
    QVERIFY(execute(m_path, {QStringLiteral("INSERT INTO lstt (Nam) VALUES ('bob'), ('ｂｏｂ'), ('阿'), "
                                            "('\uFEFFZed'), ('ann')")}));
    QList<card::ListEntry> all = m_store->list().entries;
    list::sortByName(all, list::NameOrder());
    QStringList first;
    for (int i = 0; i < 4; ++i)
        first << all.at(i).nam;
    list::ListHeadRead head(m_path, all.size(), 4);
    const list::ListHeadRead::Result read = head.take();
    QVERIFY2(read.ok, qPrintable(read.error));
    QVERIFY(read.large);
    QCOMPARE(read.names, first);
    const list::ListHeadRead::Result small = list::ListHeadRead(m_path, all.size() + 1, 4).take();
    QVERIFY(small.ok && !small.large && small.names.isEmpty());
    const list::ListHeadRead::Result none =
        list::ListHeadRead(m_dir->filePath(QStringLiteral("none.qlk")), 1, 4).take();
    QVERIFY(!none.ok && !none.error.isEmpty());
}

QTEST_GUILESS_MAIN(TestCardStoreList)
#include "testCardStoreList.moc"
