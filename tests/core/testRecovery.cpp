// The safety net of a store: drafts, deleted cards kept by the delete's own transaction, and daily
// whole-store backups made, checked, pruned and restored. The clock is the test's.
#include "CardStoreSeam.h"
#include "StoreProbe.h"
#include "store/CardRename.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/RecoveryEntries.h"
#include "store/StartUp.h"
#include "store/recovery/Recovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <memory>

using store::OpStatus;

namespace {

QStringList paths(const QList<store::BackupFile>& files)
{
    QStringList result;
    for (const store::BackupFile& file : files)
        result << file.path;
    return result;
}

card::Sheet namedSheet(const QString& name, const QString& level)
{
    card::Sheet s = probe::blankSheet();
    s.text[0] = name;
    s.text[6] = level;
    s.text[25] = QStringLiteral("种族\r\n特性 ") + name;
    s.text[300] = QStringLiteral("blog 😀");
    s.checkWN[3] = true;
    return s;
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(store::Module1::createStore(m_path, nullptr));
        m_now = QDateTime(QDate(2026, 3, 1), QTime(9, 0));
        m_db = std::make_unique<store::Module1>(m_path);
        m_recovery = std::make_unique<store::Recovery>(m_path, [this] { return m_now; });
        m_cards = std::make_unique<store::CardStore>(*m_db, m_recovery.get());
    }
    void cleanup()
    {
        m_cards.reset();
        m_recovery.reset();
        m_db.reset();
        m_dir.reset();
    }

    void livesBesideTheStoreAndLeavesItsThreeTables()
    {
        QCOMPARE(m_recovery->recoveryFile(), m_dir->filePath(QStringLiteral("Sav.qlk.recovery")));
        QCOMPARE(m_recovery->backupsDir(), m_dir->filePath(QStringLiteral("Sav.qlk.backups")));
        QVERIFY(m_cards->add(namedSheet(QStringLiteral("Ann"), QStringLiteral("3"))).ok());
        QVERIFY(m_cards->remove(QStringLiteral("Ann")).ok());
        QCOMPARE(
            probe::rows(m_path,
                        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")),
            (QList<QStringList>{
                {QStringLiteral("card")}, {QStringLiteral("lstt")}, {QStringLiteral("sets")}}));
    }

    void draftsKeepTheLatestPerCardAndAFewNewSheets()
    {
        QString error;
        store::Draft draft{0, QStringLiteral("Ann"), false, m_now,
                           namedSheet(QStringLiteral("Ann"), QStringLiteral("4"))};
        QVERIFY(m_recovery->drafts().write(draft, &error) > 0);
        draft.sheet.text[6] = QStringLiteral("5");
        QVERIFY(m_recovery->drafts().write(draft, &error) > 0);
        // One new sheet written over and over stays one draft; seven others leave the latest five.
        store::Draft fresh{0, QString(), true, m_now, namedSheet(QString(), QStringLiteral("1"))};
        fresh.id = m_recovery->drafts().write(fresh, &error);
        fresh.sheet.text[6] = QStringLiteral("2");
        QCOMPARE(m_recovery->drafts().write(fresh, &error), fresh.id);
        for (int i = 0; i < 7; ++i) {
            m_now = m_now.addSecs(1);
            QVERIFY(m_recovery->drafts().write(
                        {0, QString(), true, m_now, namedSheet(QString(), QString::number(10 + i))}, &error) >
                    0);
        }
        const QList<store::Draft> drafts = m_recovery->drafts().list(&error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(drafts.size(), 1 + store::Drafts::NewKept);
        QCOMPARE(drafts.first().sheet.text[6], QStringLiteral("16")); // newest first
        const auto ann =
            std::find_if(drafts.begin(), drafts.end(), [](const store::Draft& d) { return !d.isNew; });
        QVERIFY(ann != drafts.end());
        QVERIFY(ann->sheet == draft.sheet); // every field and box, exactly
        QVERIFY(m_recovery->drafts().hasCard(QStringLiteral("Ann")));
        QVERIFY(m_recovery->drafts().dropCard(QStringLiteral("Ann"), &error));
        QVERIFY(!m_recovery->drafts().hasCard(QStringLiteral("Ann")));
        QCOMPARE(m_recovery->drafts().list(&error).size(), store::Drafts::NewKept);
    }

    void aStartTellsOfEachDraftOnceUnderItsNameAndCaptions()
    {
        QString error;
        card::Sheet typed = probe::blankSheet();
        typed.text[0] = QStringLiteral("Cy");
        typed.text[12] = QStringLiteral("1米2");
        QVERIFY(m_recovery->drafts().write({0, QStringLiteral("Cy"), true, m_now, typed}, &error) > 0);
        const store::RecoveryList entries = store::recoveryEntries(*m_recovery, *m_cards);
        QCOMPARE(entries.entries.size(), 1);
        QCOMPARE(entries.entries.first().name, QStringLiteral("Cy"));
        QVERIFY(store::describeEntry(entries.entries.first()).contains(QStringLiteral("身高：1米2")));

        QCOMPARE(m_recovery->drafts().untold(&error).size(), 1);
        QVERIFY(m_recovery->drafts().untold(&error).isEmpty());
        m_now = m_now.addSecs(1);
        QVERIFY(m_recovery->drafts().write({0, QStringLiteral("Ann"), false, m_now, typed}, &error) > 0);
        const QList<store::Draft> told = m_recovery->drafts().untold(&error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.first().name, QStringLiteral("Ann"));
    }

    void deletedCardComesBackByteForByte()
    {
        // Odd values a store may hold: NULL columns, bytes that are no text.
        QVERIFY(m_cards->add(namedSheet(QStringLiteral("Ann"), QStringLiteral("3"))).ok());
        QVERIFY(probe::execute(
            m_path, {QStringLiteral("UPDATE card SET Blog = NULL, Lang = x'00ff41' WHERE Nae = 'Ann'"),
                     QStringLiteral("UPDATE lstt SET cmp = NULL WHERE Nam = 'Ann'")}));
        const probe::Dump before = probe::dump(m_path);
        QVERIFY(m_cards->remove(QStringLiteral("Ann")).ok());
        QVERIFY(probe::dump(m_path).card.isEmpty());
        QString error;
        const QList<store::DeletedCard> deleted = m_recovery->deleted().list(&error);
        QCOMPARE(deleted.size(), 1);
        QCOMPARE(deleted.first().name, QStringLiteral("Ann"));
        QCOMPARE(deleted.first().deletedAt, m_now);
        QVERIFY(m_recovery->deleted().restore(*m_db, deleted.first().id).ok());
        QCOMPARE(probe::difference(probe::dump(m_path), before), QString());
        QVERIFY(m_recovery->deleted().list(&error).isEmpty());
    }

    void failedDeleteKeepsNoCopyAndTakenNameChangesNothing()
    {
        QVERIFY(m_cards->add(namedSheet(QStringLiteral("Ann"), QStringLiteral("3"))).ok());
        store::CardStoreSeam::failBetweenRows(*m_cards, true);
        QCOMPARE(m_cards->remove(QStringLiteral("Ann")).status, OpStatus::Failed);
        store::CardStoreSeam::failBetweenRows(*m_cards, false);
        QString error;
        QVERIFY(m_recovery->deleted().list(&error).isEmpty());
        QCOMPARE(probe::dump(m_path).card.size(), 1);

        QVERIFY(m_cards->remove(QStringLiteral("Ann")).ok());
        QVERIFY(m_cards->add(namedSheet(QStringLiteral("Ann"), QStringLiteral("9"))).ok());
        const probe::Dump taken = probe::dump(m_path);
        const QList<store::DeletedCard> deleted = m_recovery->deleted().list(&error);
        QCOMPARE(deleted.size(), 1);
        QCOMPARE(m_recovery->deleted().restore(*m_db, deleted.first().id).status, OpStatus::Duplicate);
        QCOMPARE(probe::difference(probe::dump(m_path), taken), QString());
        QCOMPARE(m_recovery->deleted().list(&error).size(), 1);
    }

    void aReplacedCardIsKeptAmongTheDeletedOrNothingChanges()
    {
        QVERIFY(m_cards->add(namedSheet(QStringLiteral("Ann"), QStringLiteral("3"))).ok());
        const probe::Dump before = probe::dump(m_path);
        // A failure after the old card was kept and removed takes all of it back.
        store::CardStoreSeam::failBetweenRows(*m_cards, true);
        QCOMPARE(m_cards->replace(namedSheet(QStringLiteral("Ann"), QStringLiteral("9"))).status,
                 OpStatus::Failed);
        store::CardStoreSeam::failBetweenRows(*m_cards, false);
        QString error;
        QVERIFY(m_recovery->deleted().list(&error).isEmpty());
        QCOMPARE(probe::difference(probe::dump(m_path), before), QString());
        // Where the old card cannot be kept, it is not replaced.
        QVERIFY(
            QFile::rename(m_recovery->recoveryFile(), m_recovery->recoveryFile() + QStringLiteral(".x")) ||
            !QFile::exists(m_recovery->recoveryFile()));
        QVERIFY(QDir().mkdir(m_recovery->recoveryFile()));
        const store::Outcome unkept =
            m_cards->replace(namedSheet(QStringLiteral("Ann"), QStringLiteral("9")));
        QCOMPARE(unkept.status, OpStatus::Failed);
        QVERIFY2(unkept.error.contains(QStringLiteral("没有替换")), qPrintable(unkept.error));
        QCOMPARE(probe::difference(probe::dump(m_path), before), QString());
        QVERIFY(QDir().rmdir(m_recovery->recoveryFile()));

        QVERIFY(m_cards->replace(namedSheet(QStringLiteral("Ann"), QStringLiteral("9"))).ok());
        card::Sheet stored;
        card::applyCardRecord(m_cards->load(QStringLiteral("Ann")).record, stored);
        QCOMPARE(stored.text[6], QStringLiteral("9"));
        const QList<store::DeletedCard> deleted = m_recovery->deleted().list(&error);
        QCOMPARE(deleted.size(), 1);
        QVERIFY(m_cards->remove(QStringLiteral("Ann")).ok());
        QVERIFY(m_recovery->deleted().restore(*m_db, deleted.first().id).ok());
        QCOMPARE(probe::difference(probe::dump(m_path), before), QString());
    }

    void aRenameCarriesBothRowsAndTheCardsRecoveryEntriesOrChangesNothing()
    {
        const card::Sheet ann = namedSheet(QStringLiteral("Ann"), QStringLiteral("3"));
        QVERIFY(m_cards->add(ann).ok());
        QVERIFY(m_cards->add(namedSheet(QStringLiteral("Bob"), QStringLiteral("4"))).ok());
        QString error;
        QVERIFY(m_recovery->drafts().write({0, QStringLiteral("Ann"), false, m_now,
                                            namedSheet(QStringLiteral("Ann"), QStringLiteral("7"))},
                                           &error) > 0);
        QVERIFY(m_recovery->drafts().keepBeforePlay({0, QStringLiteral("Ann"), false, m_now, ann}, &error));
        // Left from an earlier card of the new name: it gives way.
        QVERIFY(m_recovery->drafts().keepBeforePlay(
            {0, QStringLiteral("Cat"), false, m_now, namedSheet(QStringLiteral("Cat"), QStringLiteral("1"))},
            &error));
        const probe::Dump before = probe::dump(m_path);
        QCOMPARE(
            store::renameCard(*m_db, m_recovery.get(), QStringLiteral("Ann"), QStringLiteral("Bob")).status,
            OpStatus::Duplicate);
        QCOMPARE(
            store::renameCard(*m_db, m_recovery.get(), QStringLiteral("Zed"), QStringLiteral("Cat")).status,
            OpStatus::CardMissing);
        const store::Outcome refused =
            store::renameCard(*m_db, m_recovery.get(), QStringLiteral("Ann"), QStringLiteral("A@n"));
        QVERIFY(refused.status == OpStatus::Failed && refused.error.contains(QLatin1Char('@')));
        QCOMPARE(store::renameCard(*m_db, m_recovery.get(), QStringLiteral("Ann"), QString()).status,
                 OpStatus::EmptyName);
        QCOMPARE(probe::difference(probe::dump(m_path), before), QString());

        QVERIFY(
            store::renameCard(*m_db, m_recovery.get(), QStringLiteral("Ann"), QStringLiteral("Cat")).ok());
        card::Sheet renamed = ann;
        renamed.text[0] = QStringLiteral("Cat");
        QCOMPARE(probe::rows(m_path, QStringLiteral("SELECT Nam, lv FROM lstt ORDER BY Nam")),
                 (QList<QStringList>{{"Bob", "4"}, {"Cat", "3"}}));
        const store::LoadResult loaded = m_cards->load(QStringLiteral("Cat"));
        card::Sheet stored = probe::blankSheet();
        card::applyCardRecord(loaded.record, stored);
        QVERIFY(loaded.found && stored == renamed);
        QVERIFY(!m_cards->load(QStringLiteral("Ann")).found);
        const QList<store::Draft> drafts = m_recovery->drafts().list(&error);
        QCOMPARE(drafts.size(), 1);
        QCOMPARE(drafts.first().name, QStringLiteral("Cat"));
        QCOMPARE(drafts.first().sheet.text[0], QStringLiteral("Cat"));
        QCOMPARE(drafts.first().sheet.text[6], QStringLiteral("7"));
        const QList<store::Draft> kept = m_recovery->drafts().beforePlay(&error);
        QCOMPARE(kept.size(), 1);
        QVERIFY(kept.first().name == QStringLiteral("Cat") && kept.first().sheet == renamed);
    }

    void deletedCardsOlderThanThirtyDaysGo()
    {
        for (const QString& name : {QStringLiteral("Old"), QStringLiteral("New")})
            QVERIFY(m_cards->add(namedSheet(name, QStringLiteral("1"))).ok());
        QVERIFY(m_cards->remove(QStringLiteral("Old")).ok());
        m_now = m_now.addDays(store::DeletedCards::KeptDays);
        QVERIFY(m_cards->remove(QStringLiteral("New")).ok());
        QString error;
        QCOMPARE(m_recovery->deleted().list(&error).size(), 2); // thirty days exactly: still kept
        m_now = m_now.addSecs(1);
        QVERIFY(m_cards->add(namedSheet(QStringLiteral("X"), QStringLiteral("1"))).ok());
        QVERIFY(m_cards->remove(QStringLiteral("X")).ok());
        QCOMPARE(m_recovery->deleted().list(&error).size(), 2);
        QCOMPARE(m_recovery->deleted().list(&error).last().name, QStringLiteral("New"));
    }

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

    // An empty file, a database without the tables, or no database at all where the recovery store
    // belongs: it is read, deletes and drafts go on, and a file that is no database is kept, byte for
    // byte, under a name of its own.
    void aBrokenRecoveryStoreIsRepaired_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: a database of other tables
        QTest::addColumn<bool>("setAside");
        QTest::newRow("empty") << QByteArray("") << false;
        QTest::newRow("no tables") << QByteArray() << false;
        QTest::newRow("not a database") << QByteArray("no database\n").repeated(500) << true;
    }
    void aBrokenRecoveryStoreIsRepaired()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, setAside);
        if (bytes.isNull())
            QVERIFY(probe::execute(m_recovery->recoveryFile(), {QStringLiteral("CREATE TABLE notes (x)")}));
        else
            QVERIFY(probe::writeAll(m_recovery->recoveryFile(), bytes));
        QString error;
        QVERIFY(m_recovery->drafts().list(&error).isEmpty());
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (const QString& name : {QStringLiteral("Ann"), QStringLiteral("Bob")})
            QVERIFY(m_cards->add(namedSheet(name, QStringLiteral("1"))).ok());
        const store::Outcome removed = m_cards->remove(QStringLiteral("Ann"));
        QVERIFY2(removed.ok(), qPrintable(removed.error));
        QVERIFY(m_recovery->drafts().write({0, QStringLiteral("Bob"), false, m_now,
                                            namedSheet(QStringLiteral("Bob"), QStringLiteral("2"))},
                                           &error) > 0);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(m_recovery->deleted().list(&error).value(0).name, QStringLiteral("Ann"));
        QCOMPARE(m_recovery->drafts().list(&error).value(0).name, QStringLiteral("Bob"));
        const QStringList aside =
            QDir(m_dir->path()).entryList({QStringLiteral("Sav.qlk.recovery.damaged-*")}, QDir::Files);
        QCOMPARE(aside.size(), setAside ? 1 : 0);
        if (setAside)
            QCOMPARE(probe::readAll(m_dir->filePath(aside.first())), bytes);
    }

    // What a killed backup or recovery-store build left is removed at the next start once it is an
    // hour old: only the names the program makes, with their journals, and nothing else.
    void leftOverTemporariesGoAtStartUp()
    {
        QVERIFY(QDir().mkpath(m_recovery->backupsDir()));
        const QDir backups(m_recovery->backupsDir());
        const QStringList old = {backups.filePath(QStringLiteral("Sav.qlk.AbCdEf.tmp")),
                                 backups.filePath(QStringLiteral("Sav.qlk.AbCdEf.tmp-journal")),
                                 backups.filePath(QStringLiteral("Sav.qlk.20260301-101500-AbCdEf.tmp")),
                                 m_dir->filePath(QStringLiteral("Sav.qlk.recovery.xYzWvU.tmp")),
                                 m_dir->filePath(QStringLiteral("Sav.qlk.new-QwErTy"))};
        const QStringList kept = {backups.filePath(QStringLiteral("Sav.qlk.GhIjKl.tmp")), // fresh
                                  backups.filePath(QStringLiteral("Sav.qlk.AbCdEfG.tmp")),
                                  backups.filePath(QStringLiteral("Sav.qlk.Ab-dEf.tmp")),
                                  backups.filePath(QStringLiteral("Other.qlk.AbCdEf.tmp")),
                                  backups.filePath(QStringLiteral("Sav.qlk.AbCdEf.tmp.mine")),
                                  m_dir->filePath(QStringLiteral("Sav.qlk.AbCdEf.tmp")),
                                  m_dir->filePath(QStringLiteral("Sav.qlk.recovery.damaged-20260301")),
                                  m_dir->filePath(QStringLiteral("notes.txt"))};
        const QDateTime twoHoursAgo = QDateTime::currentDateTime().addSecs(-2 * 3600);
        for (const QString& path : old + kept) {
            QVERIFY(probe::writeAll(path, QUuid::createUuid().toByteArray()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            if (!path.endsWith(QLatin1String("GhIjKl.tmp")))
                QVERIFY(file.setFileTime(twoHoursAgo, QFileDevice::FileModificationTime));
        }
        store::Module1 db(m_path);
        store::prepareStoreAtStartUp(db, QString());
        for (const QString& path : old)
            QVERIFY2(!QFile::exists(path), qPrintable(path));
        for (const QString& path : kept)
            QVERIFY2(QFile::exists(path), qPrintable(path));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    QDateTime m_now;
    std::unique_ptr<store::Module1> m_db;
    std::unique_ptr<store::Recovery> m_recovery;
    std::unique_ptr<store::CardStore> m_cards;
};

QTEST_GUILESS_MAIN(TestRecovery)
#include "testRecovery.moc"
