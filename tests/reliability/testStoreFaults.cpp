// The card operations against a store file that misbehaves: read-only, in a read-only folder,
// deleted, held by another program, not a database, cut short. Each time: a clear reason, the file
// byte for byte as it was, and every stored card still whole. Run as an unprivileged user, since
// root ignores file modes.
#include "ReliabilityKit.h"
#include "WriterProcess.h"
#include "store/CardStore.h"
#include "store/StoreLocation.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using store::OpStatus;

namespace {

const QString Ann = QStringLiteral("Ann");
const QString Bob = QStringLiteral("O'Brien");

} // namespace

class TestStoreFaults : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<store::Module1> m_db;
    std::unique_ptr<store::CardStore> m_cards;

    QString path() const { return m_dir->filePath(QStringLiteral("Sav.qlk")); }
    store::CardStore& cards() { return *m_cards; }
    void open()
    {
        m_cards.reset();
        m_db = std::make_unique<store::Module1>(path());
        m_cards = std::make_unique<store::CardStore>(*m_db);
    }
    // Ann and O'Brien in version 0; Ann large enough to span many pages.
    void seed()
    {
        QCOMPARE(cards().add(rel::makeSheet(Ann, 0)).status, OpStatus::Done);
        QCOMPARE(cards().add(rel::makeSheet(Bob, 0)).status, OpStatus::Done);
        card::Sheet big = rel::makeSheet(Ann, 0);
        big.text[300] = QString(200000, QChar(u'羽'));
        QCOMPARE(cards().save(Ann, big).status, OpStatus::Done);
        QCOMPARE(cards().save(Ann, rel::makeSheet(Ann, 0)).status, OpStatus::Done);
    }
    // Every write refused with a reason that contains `cause`; nothing changed on disk.
    void everyWriteRefused(const QString& cause)
    {
        const QByteArray before = rel::fileBytes(path());
        const store::Outcome outcomes[] = {
            cards().save(Ann, rel::makeSheet(Ann, 1)),
            cards().add(rel::makeSheet(QStringLiteral("Carl"), 0)),
            cards().remove(Bob),
        };
        for (const store::Outcome& outcome : outcomes) {
            QCOMPARE(outcome.status, OpStatus::Failed);
            QVERIFY2(outcome.error.contains(cause), qPrintable(outcome.error));
        }
        QCOMPARE(rel::fileBytes(path()), before);
        QVERIFY(!QFileInfo::exists(path() + QStringLiteral("-journal")));
    }
    void cardsAreAsSeeded()
    {
        const rel::StoreCheck check = rel::checkStore(path(), {{Ann, 0}, {Bob, 0}});
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
    }
    static bool modesIgnored() { return ::geteuid() == 0; }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(rel::makeStore(path()));
        open();
        QCOMPARE(m_db->prepare().status, store::Module1::PrepareStatus::Ready);
    }
    void cleanup()
    {
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
        m_cards.reset();
        m_db.reset();
        m_dir.reset();
    }

    void readOnlyFileRefusesWritesAndStillReads()
    {
        if (modesIgnored())
            QSKIP("root ignores file modes; run this test as another user");
        seed();
        QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(!store::storeWritable(path()));
        QVERIFY(store::folderWritable(m_dir->path()));
        everyWriteRefused(QStringLiteral("只读"));
        const store::LoadResult loaded = cards().load(Ann);
        QVERIFY(loaded.ok && loaded.found);
        QCOMPARE(loaded.record, card::toCardRecord(rel::makeSheet(Ann, 0)));
        QCOMPARE(cards().list().entries.size(), 2);
        cardsAreAsSeeded();
    }

    void readOnlyFolderRefusesWritesAndStillReads()
    {
        if (modesIgnored())
            QSKIP("root ignores file modes; run this test as another user");
        seed();
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!store::folderWritable(m_dir->path()));
        QVERIFY(!store::storeWritable(path()));
        everyWriteRefused(QStringLiteral("文件夹"));
        QVERIFY(cards().load(Bob).found);
        cardsAreAsSeeded();
    }

    void deletedFileIsReportedAndNeverRecreated()
    {
        seed();
        const QByteArray saved = rel::fileBytes(path());
        QVERIFY(QFile::remove(path()));
        for (const store::Outcome& outcome :
             {cards().save(Ann, rel::makeSheet(Ann, 1)),
              cards().add(rel::makeSheet(QStringLiteral("Carl"), 0)), cards().remove(Bob)}) {
            QCOMPARE(outcome.status, OpStatus::Failed);
            QVERIFY2(outcome.error.contains(QStringLiteral("找不到数据库文件")), qPrintable(outcome.error));
            QVERIFY(!QFileInfo::exists(path()));
        }
        const store::ListResult listed = cards().list();
        QVERIFY(!listed.ok && listed.error.contains(QStringLiteral("找不到数据库文件")));
        QVERIFY(!cards().load(Ann).ok);
        QVERIFY(!QFileInfo::exists(path()));
        // The file put back is used again as it is.
        QVERIFY(rel::writeFile(path(), saved));
        QCOMPARE(cards().save(Ann, rel::makeSheet(Ann, 1)).status, OpStatus::Done);
        const rel::StoreCheck check = rel::checkStore(path(), {{Ann, 1}, {Bob, 0}});
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
    }

    void writeTransactionOfAnotherProgramMakesWritesWaitThenFail()
    {
        seed();
        rel::WriterProcess holder;
        QVERIFY(holder.start({QStringLiteral("hold"), path(), QStringLiteral("immediate")}));
        QVERIFY(holder.waitForLine("holding"));
        const QByteArray before = rel::fileBytes(path());
        for (const store::Outcome& outcome :
             {cards().save(Ann, rel::makeSheet(Ann, 1)),
              cards().add(rel::makeSheet(QStringLiteral("Carl"), 0)), cards().remove(Bob)}) {
            QCOMPARE(outcome.status, OpStatus::Failed);
            QVERIFY2(outcome.error.contains(QStringLiteral("其他程序")), qPrintable(outcome.error));
        }
        QCOMPARE(rel::fileBytes(path()), before);
        QVERIFY(cards().load(Ann).found); // readers are not kept out by a pending write
        holder.send("release");
        QVERIFY(holder.waitForLine("released"));
        QVERIFY(holder.finish());
        cardsAreAsSeeded();
        QCOMPARE(cards().save(Ann, rel::makeSheet(Ann, 1)).status, OpStatus::Done);
    }

    void exclusiveLockMakesReadsFailWithTheSameReason()
    {
        seed();
        rel::WriterProcess holder;
        QVERIFY(holder.start({QStringLiteral("hold"), path(), QStringLiteral("exclusive")}));
        QVERIFY(holder.waitForLine("holding"));
        const store::LoadResult loaded = cards().load(Ann);
        QVERIFY(!loaded.ok);
        QVERIFY2(loaded.error.contains(QStringLiteral("其他程序")), qPrintable(loaded.error));
        const store::ListResult listed = cards().list();
        QVERIFY(!listed.ok && listed.error.contains(QStringLiteral("其他程序")));
        holder.send("release");
        QVERIFY(holder.finish());
        cardsAreAsSeeded();
    }

    void briefLockIsWaitedOut()
    {
        seed();
        rel::WriterProcess holder;
        QVERIFY(holder.start(
            {QStringLiteral("hold"), path(), QStringLiteral("immediate"), QStringLiteral("100")}));
        QVERIFY(holder.waitForLine("holding"));
        // The busy wait outlasts the other program's short write.
        QCOMPARE(cards().save(Ann, rel::makeSheet(Ann, 1)).status, OpStatus::Done);
        QVERIFY(holder.finish());
        const rel::StoreCheck check = rel::checkStore(path(), {{Ann, 1}, {Bob, 0}});
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestStoreFaults)
#include "testStoreFaults.moc"
