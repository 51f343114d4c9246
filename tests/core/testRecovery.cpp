// The recovery store beside a store: where it lives and what it holds, the drafts it keeps and how
// a start tells of them, how a broken one is repaired, and what a killed run left is removed at the
// next start. The clock is the test's.
#include "RecoveryFixture.h"
#include "StoreProbe.h"
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

using recovery::namedSheet;
using store::OpStatus;

class TestRecovery : public QObject, public recovery::Fixture
{
    Q_OBJECT

private slots:
    void init() { Fixture::init(); }
    void cleanup() { Fixture::cleanup(); }

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
};

QTEST_GUILESS_MAIN(TestRecovery)
#include "testRecovery.moc"
