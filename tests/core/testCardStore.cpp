// The card operations against a real store file: add, save, delete, load and list, names of every
// shape, and what is left behind when a write fails (injected fault, a lock held by another
// connection, a read-only file).
#include "CardStoreSeam.h"
#include "RawDb.h"
#include "StoreProbe.h"
#include "list/ListHead.h"
#include "store/CardStore.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

using card::Sheet;
using probe::blankSheet;
using probe::dump;
using probe::Dump;
using probe::execute;
using probe::renderCard;
using probe::renderEntry;
using store::OpStatus;

namespace {

// A card whose values all tell which card and which version they belong to.
Sheet cardSheet(const QString& name, int version = 1)
{
    Sheet s = blankSheet();
    const QString v = QString::number(version);
    s.text[0] = name;
    s.text[1] = QStringLiteral("职业") + v;
    s.text[2] = QStringLiteral("阵营") + v;
    s.text[6] = v;
    s.text[8] = QStringLiteral("种族 ") + name;
    s.text[24] = QStringLiteral("v24 ") + v;
    s.text[26] = QStringLiteral("v26 ") + name;
    s.text[288] = QStringLiteral(" coins\u00a0") + v + QLatin1Char('\t');
    s.text[25] = QStringLiteral("racial\r\n") + name + QStringLiteral("\r\n");
    s.text[300] = QStringLiteral("blog 😀 ") + v;
    s.checkF[(version * 7) % 30] = true;
    s.checkWN[(version * 11) % 57] = true;
    return s;
}

// Every field distinct, with Chinese, CR LF line breaks, blanks, NBSP, tabs and non-BMP text.
Sheet fullSheet()
{
    Sheet s = blankSheet();
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i == card::ReferenceField)
            continue;
        s.text[i] = card::isMultiLine(i) ? QStringLiteral(" 第%1栏\r\n\t第二行\u00a0\r\n\r\n𠀀 ").arg(i)
                                         : QStringLiteral(" 字段\u00a0%1\t😀 ").arg(i);
    }
    for (int i = 0; i < card::CheckFCount; ++i)
        s.checkF[i] = (i * i) % 7 < 3;
    for (int i = 0; i < card::CheckWNCount; ++i)
        s.checkWN[i] = (i * i + 1) % 5 < 2;
    return s;
}

const QFile::Permissions ReadWrite = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

} // namespace

class TestCardStore : public QObject
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
    void listInNameOrder_data();
    void listInNameOrder();
    void loadMissingOrIncomplete();
    void faultBetweenRows_data();
    void faultBetweenRows();
    void lockedByAnotherConnection_data();
    void lockedByAnotherConnection();
    void readOnlyFile();
    void readOnlyFolder();

private:
    store::Outcome run(const QString& op);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<store::Module1> m_db;
    std::unique_ptr<store::CardStore> m_store;
    QString m_path;
};

void TestCardStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("Sav.qlk"));
    m_db = std::make_unique<store::Module1>(m_path);
    QCOMPARE(m_db->prepare().status, store::Module1::PrepareStatus::Created);
    m_store = std::make_unique<store::CardStore>(*m_db);
}

void TestCardStore::cleanup()
{
    m_store.reset();
    m_db.reset();
    if (m_dir)
        QFile::setPermissions(m_dir->path(), ReadWrite);
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    m_dir.reset();
}

// One write of each kind, on the cards Ann and Bob that the fault tests set up.
store::Outcome TestCardStore::run(const QString& op)
{
    if (op == QLatin1String("add"))
        return m_store->add(cardSheet(QStringLiteral("Carl")));
    if (op == QLatin1String("save"))
        return m_store->save(QStringLiteral("Ann"), cardSheet(QStringLiteral("Ann"), 2));
    return m_store->remove(QStringLiteral("Ann"));
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

void TestCardStore::listInNameOrder_data()
{
    QTest::addColumn<bool>("otherLibrary");
    QTest::newRow("through the linked library") << false;
    // Where Qt's driver brings a SQLite library of its own, the scan reads through the driver.
    QTest::newRow("through the driver") << true;
}

void TestCardStore::listInNameOrder()
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

void TestCardStore::faultBetweenRows_data()
{
    QTest::addColumn<QString>("op");
    QTest::newRow("add") << QStringLiteral("add");
    QTest::newRow("save") << QStringLiteral("save");
    QTest::newRow("delete") << QStringLiteral("delete");
}

void TestCardStore::faultBetweenRows()
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

void TestCardStore::lockedByAnotherConnection_data()
{
    QTest::addColumn<QString>("lock");
    QTest::addColumn<QString>("op");
    for (const char* op : {"add", "save", "delete"})
        QTest::addRow("writer, %s", op) << QStringLiteral("IMMEDIATE") << QString::fromLatin1(op);
    QTest::newRow("exclusive, save") << QStringLiteral("EXCLUSIVE") << QStringLiteral("save");
    QTest::newRow("exclusive, load") << QStringLiteral("EXCLUSIVE") << QStringLiteral("load");
    QTest::newRow("exclusive, list") << QStringLiteral("EXCLUSIVE") << QStringLiteral("list");
}

void TestCardStore::lockedByAnotherConnection()
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

void TestCardStore::readOnlyFile()
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

void TestCardStore::readOnlyFolder()
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

QTEST_GUILESS_MAIN(TestCardStore)
#include "testCardStore.moc"
