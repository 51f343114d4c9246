// Daily whole-store backups: made before the first change of a day, checked and pruned, restored
// without touching the other backups; a damaged store is kept as it was. The clock is the test's.
#include "RecoveryFixture.h"
#include "StoreProbe.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/RecoveryEntries.h"
#include "store/recovery/Recovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using recovery::namedSheet;
using recovery::paths;
using store::OpStatus;

class TestBackups : public QObject, public recovery::Fixture
{
    Q_OBJECT

private slots:
    void init() { Fixture::init(); }
    void cleanup() { Fixture::cleanup(); }

    void backupBeforeTheFirstChangeOfEachDayCheckedAndPruned()
    {
        QVERIFY(m_cards->add(namedSheet(QStringLiteral("Ann"), QStringLiteral("1"))).ok());
        QCOMPARE(m_recovery->backups().daily().size(), 1);
        // The backup holds the store as it was before the change: no card yet.
        QCOMPARE(store::checkStoreFile(m_recovery->backups().daily().first().path).cards, 0);
        QVERIFY(m_cards->save(QStringLiteral("Ann"), namedSheet(QStringLiteral("Ann"), QStringLiteral("2")))
                    .ok());
        QCOMPARE(m_recovery->backups().daily().size(), 1);
        for (int day = 1; day <= store::Backups::DailyKept + 2; ++day) {
            m_now = m_now.addDays(1);
            QVERIFY(
                m_cards->save(QStringLiteral("Ann"), namedSheet(QStringLiteral("Ann"), QString::number(day)))
                    .ok());
        }
        const QList<store::BackupFile> backups = m_recovery->backups().daily();
        QCOMPARE(backups.size(), store::Backups::DailyKept);
        QCOMPARE(backups.first().madeAt, m_now);
        const store::FileCheck newest = store::checkStoreFile(backups.first().path, true, true);
        QVERIFY2(newest.ok, qPrintable(newest.error));
        QCOMPARE(newest.names, QStringList{QStringLiteral("Ann")});
        QCOMPARE(QDir(m_recovery->backupsDir()).entryList(QDir::Files).size(), store::Backups::DailyKept);
    }

    void restoreReplacesTheStoreAndKeepsItApart()
    {
        QVERIFY(m_cards->add(namedSheet(QStringLiteral("Ann"), QStringLiteral("1"))).ok());
        const QString empty = m_recovery->backups().daily().first().path;
        m_now = m_now.addSecs(60);
        const probe::Dump withAnn = probe::dump(m_path);
        const store::BackupOutcome restored = m_recovery->backups().restore(empty);
        QVERIFY2(restored.ok, qPrintable(restored.error));
        QVERIFY(probe::dump(m_path).card.isEmpty());
        // The store it replaced is a copy of its own kind, not one of the daily backups.
        QCOMPARE(m_recovery->backups().daily().size(), 1);
        const QList<store::BackupFile> kept = m_recovery->backups().beforeRestoreCopies();
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept.first().madeAt, m_now);
        COMPARE_STORE(kept.first().path, withAnn);
        // "恢复" lists it apart: after the daily backup, though it is newer.
        const QList<store::RecoveryEntry> entries = store::recoveryEntries(*m_recovery, *m_cards).entries;
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.first().kind, store::RecoveryEntry::Kind::Backup);
        QCOMPARE(entries.last().backup.path, kept.first().path);
        QCOMPARE(store::kindText(entries.last().kind), QStringLiteral("恢复前的备份"));
        // A damaged backup is refused and the store stays as it is.
        QFile damaged(kept.first().path);
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        damaged.seek(100);
        damaged.write(QByteArray(4096, 'x'));
        damaged.close();
        QVERIFY(!m_recovery->backups().restore(kept.first().path).ok);
        QVERIFY(probe::dump(m_path).card.isEmpty());
        QCOMPARE(m_recovery->backups().beforeRestoreCopies().size(), 1);
    }

    void restoringTheOldestOfTenBackupsLeavesEveryBackupInPlace()
    {
        // A change on each of ten days: ten daily backups, the oldest made before the first card.
        for (int day = 0; day < store::Backups::DailyKept; ++day) {
            QVERIFY(m_cards->add(namedSheet(QStringLiteral("Day %1").arg(day), QStringLiteral("1"))).ok());
            m_now = m_now.addDays(1);
        }
        const QStringList daily = paths(m_recovery->backups().daily());
        QCOMPARE(daily.size(), store::Backups::DailyKept);
        const probe::Dump oldest = probe::dump(daily.last());
        QVERIFY(oldest.ok && oldest.card.isEmpty());
        const probe::Dump before = probe::dump(m_path);
        const store::BackupOutcome restored = m_recovery->backups().restore(daily.last());
        QVERIFY2(restored.ok, qPrintable(restored.error));
        COMPARE_STORE(m_path, oldest);
        QCOMPARE(paths(m_recovery->backups().daily()), daily);
        COMPARE_STORE(m_recovery->backups().beforeRestoreCopies().value(0).path, before);
        // Of the copies restores keep, the three newest stay...
        for (int i = 0; i < store::Backups::BeforeRestoreKept; ++i) {
            m_now = m_now.addSecs(1);
            QVERIFY(m_recovery->backups().restore(daily.at(i)).ok);
        }
        const QList<store::BackupFile> kept = m_recovery->backups().beforeRestoreCopies();
        QCOMPARE(kept.size(), store::Backups::BeforeRestoreKept);
        QCOMPARE(kept.first().madeAt, m_now);
        // ...and the one chosen is never pruned by the restore that reads it.
        const probe::Dump chosen = probe::dump(kept.last().path);
        m_now = m_now.addSecs(1);
        const store::BackupOutcome again = m_recovery->backups().restore(kept.last().path);
        QVERIFY2(again.ok, qPrintable(again.error));
        COMPARE_STORE(m_path, chosen);
        QVERIFY(paths(m_recovery->backups().beforeRestoreCopies()).contains(kept.last().path));
        QCOMPARE(paths(m_recovery->backups().daily()), daily);
    }

    void damagedStoreIsKeptAsItWasAndReplaced_data()
    {
        QTest::addColumn<bool>("readable");
        QTest::newRow("a page of the card table broken") << true;
        QTest::newRow("no database at all, with a journal") << false;
    }

    void damagedStoreIsKeptAsItWasAndReplaced()
    {
        QFETCH(bool, readable);
        for (int k = 0; k < 6; ++k) {
            card::Sheet sheet = namedSheet(QStringLiteral("Card %1").arg(k), QStringLiteral("1"));
            sheet.text[299] = QString(3000, QChar(u'书'));
            QVERIFY(m_cards->add(sheet).ok());
        }
        const QString backup = m_recovery->backups().daily().first().path;
        const int root =
            probe::rows(m_path, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'card'"))
                .value(0)
                .value(0)
                .toInt();
        QByteArray bytes = probe::readAll(m_path);
        QVERIFY(root > 1 && bytes.size() >= root * 4096);
        if (readable)
            bytes.replace((root - 1) * 4096, 4096, QByteArray(4096, 'x'));
        else
            bytes.replace(0, 16, QByteArray("no store at all!"));
        QVERIFY(probe::writeAll(m_path, bytes));
        const QByteArray journal =
            readable ? QByteArray()
                     : probe::makeOrphanJournal(m_dir->path(), m_path + QStringLiteral("-journal"));
        QVERIFY(readable || !journal.isEmpty());
        QVERIFY(!store::checkStoreFile(m_path).ok);

        const store::BackupOutcome restored = m_recovery->backups().restore(backup);
        QVERIFY2(restored.ok, qPrintable(restored.error));
        COMPARE_STORE(m_path, probe::dump(backup));
        QVERIFY(store::checkStoreFile(m_path).ok);
        QVERIFY(!QFileInfo::exists(m_path + QStringLiteral("-journal")));
        // Its bytes, and its journal's, under new names beside it, as the outcome says.
        const QStringList kept =
            QDir(m_dir->path()).entryList({QStringLiteral("Sav.qlk.damaged-*")}, QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), readable ? 1 : 2);
        QCOMPARE(probe::readAll(m_dir->filePath(kept.first())), bytes);
        QVERIFY2(restored.notice.contains(QDir::toNativeSeparators(m_dir->filePath(kept.first()))),
                 qPrintable(restored.notice));
        if (!readable) {
            QCOMPARE(kept.last(), kept.first() + QStringLiteral("-journal"));
            QCOMPARE(probe::readAll(m_dir->filePath(kept.last())), journal);
            QVERIFY(restored.notice.contains(QDir::toNativeSeparators(m_dir->filePath(kept.last()))));
        }
        QCOMPARE(paths(m_recovery->backups().daily()), QStringList{backup});
    }

    void failingBackupFolderDoesNotFailASave()
    {
        // A file where the backups folder belongs: no backup can be made.
        QFile blocker(m_recovery->backupsDir());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const store::Outcome added = m_cards->add(namedSheet(QStringLiteral("Ann"), QStringLiteral("1")));
        QVERIFY(added.ok());
        QVERIFY(added.notice.contains(QStringLiteral("自动备份")));
        QCOMPARE(probe::dump(m_path).card.size(), 1);
        QVERIFY(m_cards->save(QStringLiteral("Ann"), namedSheet(QStringLiteral("Ann"), QStringLiteral("2")))
                    .ok());
        QVERIFY(m_cards->remove(QStringLiteral("Ann")).ok());
    }
};

QTEST_GUILESS_MAIN(TestBackups)
#include "testBackups.moc"
