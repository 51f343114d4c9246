// The first names of a large list kept beside the store: read back only while they are the store's.
#include "list/HeadCache.h"
#include "list/ListHead.h"
#include "store/Module1.h"

#include "RawDb.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <algorithm>
#include <memory>

class TestHeadCache : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void keptNamesHoldUntilAnotherProgramWrites();
    void aRestoreThroughSqliteDropsThem();
    void aDamagedFileIsNeverTrusted();

private:
    // The first names of these, in name order.
    QStringList first(QStringList names, int count = 3) const
    {
        std::sort(names.begin(), names.end(),
                  [this](const QString& a, const QString& b) { return m_order.less(a, b); });
        return names.mid(0, count);
    }
    QStringList head() const { return first(m_names); }

    const QStringList m_names{QStringLiteral("阿明"), QStringLiteral("Bob"), QStringLiteral("陈"),
                              QStringLiteral("戴"), QStringLiteral("Eve")};
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    list::NameOrder m_order;
};

void TestHeadCache::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("Sav.qlk"));
    store::Module1 db(m_path);
    QCOMPARE(db.prepare().status, store::Module1::PrepareStatus::Created);
    kit::RawDb raw(m_path);
    for (const QString& name : m_names)
        QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES (?, '1', '', '', '')"), {name}));
}

void TestHeadCache::keptNamesHoldUntilAnotherProgramWrites()
{
    QVERIFY(!list::cachedHead(m_path, 3, m_order));
    QVERIFY(list::keepHead(m_path, head(), m_order));
    QCOMPARE(list::cachedHead(m_path, 3, m_order).value_or(QStringList()), head());
    // Kept for another number of lines, they are not the first screenful asked for.
    QVERIFY(!list::cachedHead(m_path, 4, m_order));
    // The thread that reads the first names at start-up takes them and makes no pass.
    const list::ListHeadRead::Result read = list::ListHeadRead(m_path, 5, 3).take();
    QVERIFY(read.ok && read.large && read.kept);
    QCOMPARE(read.names, head());

    // Another program changes a card without changing their number, then adds one.
    {
        kit::RawDb raw(m_path);
        QVERIFY(raw.exec(QStringLiteral("UPDATE lstt SET lv = '2' WHERE Nam = 'Eve'")));
    }
    QVERIFY(!list::cachedHead(m_path, 3, m_order));
    const list::ListHeadRead::Result full = list::ListHeadRead(m_path, 5, 3).take();
    QVERIFY(full.ok && full.large && !full.kept);
    QCOMPARE(full.names, head());
    QVERIFY(list::keepHead(m_path, head(), m_order));
    {
        kit::RawDb raw(m_path);
        QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES ('Abe', '1', '', '', '')")));
    }
    QVERIFY(!list::cachedHead(m_path, 3, m_order));
    QCOMPARE(list::ListHeadRead(m_path, 5, 3).take().names,
             first(m_names + QStringList{QStringLiteral("Abe")}));
}

void TestHeadCache::aRestoreThroughSqliteDropsThem()
{
    // A copy of the store as it is now, then one write, then the names kept for the store after it.
    const QString copy = m_dir->filePath(QStringLiteral("copy.qlk"));
    QVERIFY(QFile::copy(m_path, copy));
    {
        kit::RawDb raw(m_path);
        QVERIFY(raw.exec(QStringLiteral("UPDATE lstt SET Nam = 'Aaron' WHERE Nam = 'Bob'")));
    }
    const QStringList renamed =
        first(QStringList(m_names).replaceInStrings(QStringLiteral("Bob"), QStringLiteral("Aaron")));
    QVERIFY(list::keepHead(m_path, renamed, m_order));
    QVERIFY(list::cachedHead(m_path, 3, m_order));

    // The copy goes back in through SQLite's online backup, as a restore puts it: the store then has
    // as many cards as the kept names were made for, and other first names.
    sqlite3* from = nullptr;
    sqlite3* into = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(copy).constData(), &from, SQLITE_OPEN_READONLY, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &into, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    sqlite3_backup* backup = sqlite3_backup_init(into, "main", from, "main");
    QVERIFY(backup);
    QCOMPARE(sqlite3_backup_step(backup, -1), SQLITE_DONE);
    QCOMPARE(sqlite3_backup_finish(backup), SQLITE_OK);
    sqlite3_close(into);
    sqlite3_close(from);
    QVERIFY(!list::cachedHead(m_path, 3, m_order));
    QCOMPARE(list::ListHeadRead(m_path, 5, 3).take().names, head());

    // The program also removes them by name after its own restore.
    QVERIFY(list::keepHead(m_path, head(), m_order));
    list::dropHead(m_path);
    QVERIFY(!QFile::exists(list::headCachePath(m_path)));
}

void TestHeadCache::aDamagedFileIsNeverTrusted()
{
    QVERIFY(list::keepHead(m_path, head(), m_order));
    QFile file(list::headCachePath(m_path));
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray bytes = file.readAll();
    for (const QByteArray& damaged :
         {bytes.left(bytes.size() - 3), QByteArray(bytes + "x"), QByteArray("QLHD")}) {
        QVERIFY(file.resize(0) && file.seek(0) && file.write(damaged) == damaged.size() && file.flush());
        QVERIFY(!list::cachedHead(m_path, 3, m_order));
    }
}

QTEST_GUILESS_MAIN(TestHeadCache)
#include "testHeadCache.moc"
