// Deleted cards, kept by the delete's own transaction: they come back byte for byte, a failed
// delete, replace or rename keeps nothing, and after thirty days they go. The clock is the test's.
#include "CardStoreSeam.h"
#include "RecoveryFixture.h"
#include "StoreProbe.h"
#include "store/CardRename.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/RecoveryEntries.h"
#include "store/recovery/Recovery.h"

#include <QDir>
#include <QFile>
#include <QTest>

using recovery::namedSheet;
using store::OpStatus;

class TestDeletedCards : public QObject, public recovery::Fixture
{
    Q_OBJECT

private slots:
    void init() { Fixture::init(); }
    void cleanup() { Fixture::cleanup(); }

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
};

QTEST_GUILESS_MAIN(TestDeletedCards)
#include "testDeletedCards.moc"
