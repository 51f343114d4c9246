// The card operations against a real store file: add, save, delete and load, with names of every
// shape.
#include "CardStoreFixture.h"
#include "StoreProbe.h"
#include "store/CardStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace cardstore;

class TestCardStore : public QObject, public Fixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addEmptyName();
    void addDuplicate();
    void addWritesBothRows();
    void roundTripThroughStore();
    void exactNames_data();
    void exactNames();
    void saveRewritesBothRows();
    void saveNameChanged();
    void saveCardMissing();
    void saveRecreatesListEntry();
    void saveAfterStoreDeleted();
    void removeBothRows();
    void removeLoneRows();
    void removeNothing();
    void loadMissingOrIncomplete();
};

void TestCardStore::init()
{
    Fixture::init();
}

void TestCardStore::cleanup()
{
    Fixture::cleanup();
}

void TestCardStore::addEmptyName()
{
    const QByteArray before = probe::readAll(m_path);
    Sheet sheet = cardSheet(QString());
    QCOMPARE(m_store->add(sheet).status, OpStatus::EmptyName);
    QVERIFY(probe::readAll(m_path) == before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("Sav.qlk")});
}

void TestCardStore::addDuplicate()
{
    QCOMPARE(m_store->add(cardSheet(QStringLiteral("Ann"), 1)).status, OpStatus::Done);
    QVERIFY(execute(m_path, {QStringLiteral("INSERT INTO lstt VALUES ('Ghost', '1', '', '', '')"),
                             QStringLiteral("INSERT INTO card (Nae, Info, Chk) VALUES ('Lone', '', '')")}));
    const Dump before = dump(m_path);
    for (const QString& name : {QStringLiteral("Ann"), QStringLiteral("Ghost"), QStringLiteral("Lone")}) {
        const store::Outcome outcome = m_store->add(cardSheet(name, 2));
        QVERIFY2(outcome.status == OpStatus::Duplicate, qPrintable(name));
        COMPARE_STORE(m_path, before);
    }
    // Nothing was left open: the next add goes through.
    QCOMPARE(m_store->add(cardSheet(QStringLiteral("Bob"))).status, OpStatus::Done);
}

void TestCardStore::addWritesBothRows()
{
    Dump expected = dump(m_path);
    QVERIFY(expected.card.isEmpty() && expected.lstt.isEmpty() && expected.sets.size() == 1);

    Sheet onlyName = blankSheet();
    onlyName.text[0] = QStringLiteral(" Ann ");
    QCOMPARE(m_store->add(onlyName).status, OpStatus::Done);
    QString row = QStringLiteral("text: Ann |text:") + QString(286, QLatin1Char('@')) +
                  QStringLiteral("|text:") + QString(87, QLatin1Char('0')) + QLatin1Char('|') +
                  QStringLiteral("text:|").repeated(12);
    expected.card.insert(QStringLiteral(" Ann "), row);
    expected.lstt.insert(QStringLiteral(" Ann "), QStringLiteral("text: Ann |text:|text:|text:|text:|"));
    COMPARE_STORE(m_path, expected);

    const Sheet full = fullSheet();
    QCOMPARE(m_store->add(full).status, OpStatus::Done);
    expected.card.insert(full.text[0], renderCard(card::toCardRecord(full)));
    expected.lstt.insert(full.text[0],
                         QStringLiteral("text:%1|text:%2|text:%3|text:%4|text:%5|")
                             .arg(full.text[0], full.text[6], full.text[8], full.text[1], full.text[2]));
    COMPARE_STORE(m_path, expected);
}

void TestCardStore::roundTripThroughStore()
{
    const Sheet full = fullSheet();
    QCOMPARE(m_store->add(full).status, OpStatus::Done);
    const store::LoadResult loaded = m_store->load(full.text[0]);
    QVERIFY(loaded.ok);
    QVERIFY(loaded.found);
    Sheet sheet = blankSheet();
    card::applyCardRecord(loaded.record, sheet);
    for (int i = 0; i < card::FieldCount; ++i)
        QVERIFY2(sheet.text[i] == full.text[i],
                 qPrintable(QStringLiteral("field %1: %2").arg(i).arg(sheet.text[i])));
    QVERIFY(sheet.checkF == full.checkF);
    QVERIFY(sheet.checkWN == full.checkWN);

    // Saved unchanged, it stays the same.
    const Dump before = dump(m_path);
    QCOMPARE(m_store->save(full.text[0], sheet).status, OpStatus::Done);
    COMPARE_STORE(m_path, before);
}

void TestCardStore::exactNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("O'Brien") << QStringLiteral("O'Brien");
    QTest::newRow("lone quote") << QStringLiteral("'");
    QTest::newRow("two quotes") << QStringLiteral("''");
    QTest::newRow("double quotes") << QStringLiteral("\"Ann\"");
    QTest::newRow("blanks only") << QStringLiteral("   ");
    QTest::newRow("blank behind") << QStringLiteral("Ann ");
    QTest::newRow("blank before") << QStringLiteral(" Ann");
    QTest::newRow("other case") << QStringLiteral("ann");
    QTest::newRow("percent") << QStringLiteral("%");
    QTest::newRow("underscore") << QStringLiteral("_");
    QTest::newRow("wildcards") << QStringLiteral("A%_");
    QTest::newRow("injection") << QStringLiteral("x' OR '1'='1");
    QTest::newRow("statement") << QStringLiteral("Ann'; DROP TABLE card;--");
    QTest::newRow("keywords") << QStringLiteral("SELECT * FROM lstt");
    QTest::newRow("NULL") << QStringLiteral("NULL");
    QTest::newRow("Chinese") << QStringLiteral("张三");
    QTest::newRow("emoji") << QStringLiteral("🎲😀");
    QTest::newRow("backslash") << QStringLiteral("C:\\cards");
}

void TestCardStore::exactNames()
{
    QFETCH(QString, name);
    // Neighbours that a loose comparison would confuse with the name.
    QStringList names = {QStringLiteral("Ann"),   QStringLiteral("OBrien"), QStringLiteral("O"),
                         QStringLiteral("Brien"), QStringLiteral("x"),      QStringLiteral("A"),
                         QStringLiteral("Ab"),    QStringLiteral("张"),     QStringLiteral("🎲")};
    names.removeAll(name);
    names.append(name); // last, so that a loose match finds a neighbour first
    for (const QString& n : names)
        QVERIFY2(m_store->add(cardSheet(n)).ok(), qPrintable(n));
    const Dump before = dump(m_path);
    QCOMPARE(before.card.size(), names.size());
    QCOMPARE(before.lstt.size(), names.size());
    QCOMPARE(before.card.value(name), renderCard(card::toCardRecord(cardSheet(name))));

    // A second add of the same name is refused.
    QCOMPARE(m_store->add(cardSheet(name, 5)).status, OpStatus::Duplicate);
    COMPARE_STORE(m_path, before);

    const store::LoadResult loaded = m_store->load(name);
    QVERIFY(loaded.ok && loaded.found);
    QCOMPARE(loaded.record, card::toCardRecord(cardSheet(name)));

    const store::ListResult listed = m_store->list();
    QVERIFY(listed.ok);
    QCOMPARE(listed.entries.size(), names.size());
    QVERIFY(listed.entries.contains(card::toListEntry(cardSheet(name))));

    const Sheet changed = cardSheet(name, 2);
    QCOMPARE(m_store->save(name, changed).status, OpStatus::Done);
    Dump expected = before;
    expected.card[name] = renderCard(card::toCardRecord(changed));
    expected.lstt[name] = renderEntry(card::toListEntry(changed));
    COMPARE_STORE(m_path, expected);

    QCOMPARE(m_store->remove(name).status, OpStatus::Done);
    expected.card.remove(name);
    expected.lstt.remove(name);
    COMPARE_STORE(m_path, expected);
}

void TestCardStore::saveRewritesBothRows()
{
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Bob"))).ok());
    Dump expected = dump(m_path);

    // Only a tick changed: Chk changes, every other column keeps its value.
    Sheet ticked = cardSheet(QStringLiteral("Ann"));
    ticked.checkWN[56] = true;
    QCOMPARE(m_store->save(QStringLiteral("Ann"), ticked).status, OpStatus::Done);
    expected.card[QStringLiteral("Ann")] = renderCard(card::toCardRecord(ticked));
    COMPARE_STORE(m_path, expected);

    // Level, race, class and alignment changed: the list entry follows.
    Sheet changed = cardSheet(QStringLiteral("Ann"), 3);
    changed.text[8] = QStringLiteral("半精灵");
    QCOMPARE(m_store->save(QStringLiteral("Ann"), changed).status, OpStatus::Done);
    expected.card[QStringLiteral("Ann")] = renderCard(card::toCardRecord(changed));
    expected.lstt[QStringLiteral("Ann")] = renderEntry(card::toListEntry(changed));
    COMPARE_STORE(m_path, expected);
    const store::ListResult listed = m_store->list();
    QVERIFY(listed.ok);
    QCOMPARE(listed.entries.value(0), card::toListEntry(changed));
}

void TestCardStore::saveNameChanged()
{
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Bob"))).ok());
    QVERIFY(m_store->add(cardSheet(QStringLiteral("ann"))).ok());
    const Dump before = dump(m_path);
    // Field 0 now names another stored card, or differs only in case or blanks.
    for (const QString& typed : {QStringLiteral("Bob"), QStringLiteral("ann"), QStringLiteral("Ann "),
                                 QStringLiteral("Carl"), QString()}) {
        const store::Outcome outcome = m_store->save(QStringLiteral("Ann"), cardSheet(typed, 4));
        QVERIFY2(outcome.status == OpStatus::NameChanged, qPrintable(typed));
        COMPARE_STORE(m_path, before);
    }
}

void TestCardStore::saveCardMissing()
{
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Bob"))).ok());
    QVERIFY(execute(m_path, {QStringLiteral("DELETE FROM card WHERE Nae = 'Ann'")}));
    const Dump before = dump(m_path);
    QVERIFY(!before.card.contains(QStringLiteral("Ann")));
    QCOMPARE(m_store->save(QStringLiteral("Ann"), cardSheet(QStringLiteral("Ann"), 2)).status,
             OpStatus::CardMissing);
    COMPARE_STORE(m_path, before);
    // Nothing was left open.
    QCOMPARE(m_store->save(QStringLiteral("Bob"), cardSheet(QStringLiteral("Bob"), 2)).status,
             OpStatus::Done);
}

void TestCardStore::saveRecreatesListEntry()
{
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Bob"))).ok());
    QVERIFY(execute(m_path, {QStringLiteral("DELETE FROM lstt WHERE Nam = 'Ann'")}));
    Dump expected = dump(m_path);
    const Sheet changed = cardSheet(QStringLiteral("Ann"), 2);
    QCOMPARE(m_store->save(QStringLiteral("Ann"), changed).status, OpStatus::Done);
    expected.card[QStringLiteral("Ann")] = renderCard(card::toCardRecord(changed));
    expected.lstt[QStringLiteral("Ann")] = renderEntry(card::toListEntry(changed));
    COMPARE_STORE(m_path, expected);
}

void TestCardStore::saveAfterStoreDeleted()
{
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(m_store->load(QStringLiteral("Ann")).found);
    QVERIFY(QFile::remove(m_path));
    const store::Outcome outcome = m_store->save(QStringLiteral("Ann"), cardSheet(QStringLiteral("Ann"), 2));
    // A store that cannot be reached is a failure with its cause, not a renamed or missing card.
    QCOMPARE(outcome.status, OpStatus::Failed);
    QVERIFY2(outcome.error.contains(QLatin1String("Sav.qlk")), qPrintable(outcome.error));
    QCOMPARE(m_store->remove(QStringLiteral("Ann")).status, OpStatus::Failed);
    QVERIFY(!QFileInfo::exists(m_path));
}

void TestCardStore::removeBothRows()
{
    for (const QString& n : {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Carl")})
        QVERIFY(m_store->add(cardSheet(n)).ok());
    Dump expected = dump(m_path);
    QCOMPARE(m_store->remove(QStringLiteral("Bob")).status, OpStatus::Done);
    expected.card.remove(QStringLiteral("Bob"));
    expected.lstt.remove(QStringLiteral("Bob"));
    COMPARE_STORE(m_path, expected);
}

void TestCardStore::removeLoneRows()
{
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    QVERIFY(execute(m_path, {QStringLiteral("INSERT INTO lstt VALUES ('Ghost', '1', '', '', '')"),
                             QStringLiteral("INSERT INTO card (Nae, Info, Chk) VALUES ('Lone', '', '')")}));
    Dump expected = dump(m_path);
    QCOMPARE(m_store->remove(QStringLiteral("Ghost")).status, OpStatus::Done);
    expected.lstt.remove(QStringLiteral("Ghost"));
    COMPARE_STORE(m_path, expected);
    QCOMPARE(m_store->remove(QStringLiteral("Lone")).status, OpStatus::Done);
    expected.card.remove(QStringLiteral("Lone"));
    COMPARE_STORE(m_path, expected);
}

void TestCardStore::removeNothing()
{
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    const Dump before = dump(m_path);
    for (const QString& name :
         {QStringLiteral("Nobody"), QStringLiteral("ann"), QStringLiteral("%"), QString()}) {
        QVERIFY2(m_store->remove(name).status == OpStatus::Done, qPrintable(name));
        COMPARE_STORE(m_path, before);
    }
}

void TestCardStore::loadMissingOrIncomplete()
{
    QVERIFY(m_store->add(cardSheet(QStringLiteral("Ann"))).ok());
    for (const QString& name :
         {QStringLiteral("Nobody"), QStringLiteral("ann"), QStringLiteral("Ann "), QString()}) {
        const store::LoadResult missing = m_store->load(name);
        QVERIFY2(missing.ok, qPrintable(missing.error));
        QVERIFY2(!missing.found, qPrintable(name));
    }
    // A row with only the name: every other column is null and reads as an empty field.
    QVERIFY(execute(m_path, {QStringLiteral("INSERT INTO card (Nae) VALUES ('Lone')")}));
    const store::LoadResult lone = m_store->load(QStringLiteral("Lone"));
    QVERIFY(lone.ok && lone.found);
    Sheet sheet = blankSheet();
    card::applyCardRecord(lone.record, sheet);
    Sheet expected = blankSheet();
    expected.text[0] = QStringLiteral("Lone");
    QVERIFY(sheet == expected);
}

QTEST_GUILESS_MAIN(TestCardStore)
#include "testCardStore.moc"
