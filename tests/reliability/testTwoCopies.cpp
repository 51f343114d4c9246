// Two copies of the program on one store file. Their writes interleave without corrupting the file
// or each other's cards, and a save of a card that the other copy deleted is refused.
#include "ReliabilityKit.h"
#include "WindowDriver.h"
#include "WriterProcess.h"
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "store/CardStore.h"
#include "store/recovery/Recovery.h"

#include <QDir>
#include <QFileInfo>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString RenamedText = QStringLiteral("请不要修改角色名称，如果要新建人物请先点击“新增”按钮。");

const QString BusyText = QStringLiteral("数据库正被其他程序写入，请稍后再试。");

// A store whose cards of run 21 are in version 0, its backup, and then a day's changes: those cards
// in version 1 and one more card.
struct RestoreCase
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    rel::Model backedUp;
    QString backup;

    bool prepare()
    {
        if (!rel::makeStore(path))
            return false;
        store::Module1 db(path);
        store::CardStore cards(db);
        for (int k = 0; k < 6; ++k) {
            backedUp.insert(rel::makeName(21, k), 0);
            if (!cards.add(rel::makeSheet(rel::makeName(21, k), 0)).ok())
                return false;
        }
        store::Recovery recovery(path);
        backup = recovery.backups().make().path;
        for (int k = 0; k < 6; ++k) {
            if (!cards.save(rel::makeName(21, k), rel::makeSheet(rel::makeName(21, k), 1)).ok())
                return false;
        }
        return !backup.isEmpty() && cards.add(rel::makeSheet(rel::makeName(22, 0), 0)).ok();
    }
};

struct Report
{
    rel::Model own;                  // the copy's own cards, as it reported them
    QMap<QString, QSet<int>> shared; // committed versions of each shared card
    int committed = 0;
    int failed = 0;
};

Report replay(const QList<QByteArray>& lines, const QStringList& shared)
{
    Report report;
    QString name;
    QByteArray op;
    int version = 0;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.value(0) == "B" && parts.size() == 5) {
            op = parts.at(2);
            name = QString::fromUtf8(QByteArray::fromHex(parts.at(3)));
            version = parts.at(4).toInt();
        } else if (parts.value(0) == "C" && parts.size() == 3) {
            if (parts.at(2) != "0") {
                ++report.failed;
                continue;
            }
            ++report.committed;
            if (shared.contains(name))
                report.shared[name].insert(version);
            else if (op == "remove")
                report.own.remove(name);
            else
                report.own.insert(name, version);
        }
    }
    return report;
}

} // namespace

class TestTwoCopies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageBox::setAutoAnswer(true); }

    // Copies started together on one folder. On a missing store each creates its own under a name of
    // its own and the first in place is used by all; on an Access store one imports and the others
    // wait for it and use its store. None removes or replaces what another made: every copy's card
    // is there, and nothing else is left beside the store.
    void copiesStartingTogetherShareOneStore_data()
    {
        QTest::addColumn<bool>("access");
        QTest::newRow("missing store") << false;
        QTest::newRow("Access store") << true;
    }

    void copiesStartingTogetherShareOneStore()
    {
#ifndef IMPORT_DRIVER
        QSKIP("the Jet reader or Python 3 is missing");
#else
        QFETCH(bool, access);
        QTemporaryDir tools;
        QByteArray fixture;
        int fixtureCards = 0;
        if (access) {
            const QString mdb = tools.filePath(QStringLiteral("fixture.mdb"));
            QProcess writer;
            writer.start(QStringLiteral(PYTHON3), {QStringLiteral(JET_WRITER), QStringLiteral("full"), mdb,
                                                   mdb + QStringLiteral(".json")});
            QVERIFY(writer.waitForFinished(120000) && writer.exitCode() == 0);
            fixture = rel::fileBytes(mdb);
            QTemporaryDir once;
            const QString store = once.filePath(QStringLiteral("Sav.qlk"));
            QVERIFY(rel::writeFile(store, fixture));
            rel::WriterProcess start(QStringLiteral(IMPORT_DRIVER));
            QVERIFY(start.start({QStringLiteral("start"), store, QStringLiteral(MDB_READER)}) &&
                    start.finish());
            fixtureCards = kit::RawDb(store).column(QStringLiteral("SELECT Nae FROM card")).size();
            QVERIFY(fixtureCards > 500);
        }
        constexpr int Rounds = 4;
        constexpr int Copies = 3;
        for (int round = 0; round < Rounds; ++round) {
            QTemporaryDir dir;
            const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
            if (access)
                QVERIFY(rel::writeFile(store, fixture));
            std::vector<std::unique_ptr<rel::WriterProcess>> copies;
            QStringList names;
            for (int c = 0; c < Copies; ++c) {
                names << rel::makeName(round, c);
                copies.push_back(std::make_unique<rel::WriterProcess>(QStringLiteral(IMPORT_DRIVER)));
                QVERIFY(copies.back()->start({QStringLiteral("start"), store, QStringLiteral(MDB_READER),
                                              QString::fromLatin1(names.last().toUtf8().toHex())}));
            }
            for (int c = 0; c < Copies; ++c) {
                QVERIFY(copies[c]->finish());
                const QList<QByteArray> lines = copies[c]->lines();
                QVERIFY2(lines.contains("added 0"), qPrintable(QStringLiteral("round %1, copy %2: %3")
                                                                   .arg(round)
                                                                   .arg(c)
                                                                   .arg(QString::fromUtf8(lines.join(' ')))));
                for (const QByteArray& line : lines)
                    QVERIFY2(!line.startsWith("notice 1"), QByteArray::fromHex(line.mid(9)).constData());
            }
            kit::RawDb db(store);
            QCOMPARE(db.column(QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")});
            const QStringList cards = db.column(QStringLiteral("SELECT Nae FROM card"));
            QCOMPARE(cards.size(), fixtureCards + Copies);
            for (const QString& name : names)
                QVERIFY(cards.contains(name));
            QStringList expected{QStringLiteral("Sav.qlk")};
            if (access) {
                expected << QStringLiteral("Sav.qlk.legacy-mdb");
                QCOMPARE(rel::fileBytes(store + QStringLiteral(".legacy-mdb")), fixture);
            }
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
        }
#endif
    }

    void concurrentWritersNeitherCorruptNorLoseCards()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(rel::makeStore(path));
        QStringList shared;
        QStringList sharedHex;
        {
            store::Module1 db(path);
            store::CardStore cards(db);
            for (int k = 0; k < 3; ++k) {
                shared << rel::makeName(99, k);
                sharedHex << QString::fromLatin1(shared.last().toUtf8().toHex());
                QCOMPARE(cards.add(rel::makeSheet(shared.last(), 0)).status, store::OpStatus::Done);
            }
        }
        rel::WriterProcess first;
        rel::WriterProcess second;
        const QString sharedArg = sharedHex.join(QLatin1Char(','));
        QVERIFY(first.start({QStringLiteral("ops"), path, QStringLiteral("11"), QStringLiteral("1"),
                             QStringLiteral("150"), QStringLiteral("--shared"), sharedArg}));
        QVERIFY(second.start({QStringLiteral("ops"), path, QStringLiteral("12"), QStringLiteral("2"),
                              QStringLiteral("150"), QStringLiteral("--shared"), sharedArg}));
        QVERIFY(first.finish(240000));
        QVERIFY(second.finish(240000));
        QVERIFY(first.lines().contains("end") && second.lines().contains("end"));

        const Report a = replay(first.lines(), shared);
        const Report b = replay(second.lines(), shared);
        rel::Model expected = a.own;
        for (auto it = b.own.cbegin(); it != b.own.cend(); ++it)
            expected.insert(it.key(), it.value());
        QCOMPARE(expected.size(), a.own.size() + b.own.size()); // the copies' names never meet
        for (const QString& name : shared)
            expected.insert(name, rel::AnyVersion);
        const rel::StoreCheck check = rel::checkStore(path, expected);
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
        // Each shared card is the last save of one of the copies, never a blend of two.
        for (const QString& name : shared) {
            const int version = check.found.value(name);
            QVERIFY2(version == 0 || a.shared.value(name).contains(version) ||
                         b.shared.value(name).contains(version),
                     qPrintable(QStringLiteral("%1 is v%2, which no copy saved").arg(name).arg(version)));
        }
        qInfo("committed %d + %d operations, %d + %d refused while the other copy wrote", a.committed,
              b.committed, a.failed, b.failed);
        QVERIFY(a.committed >= 75 && b.committed >= 75); // most operations get through the busy wait
    }

    // A copy of the program in the middle of a write holds the store: the restore waits for it and
    // then says the store is busy, changing nothing. Killed there, it leaves its journal; the restore
    // has SQLite roll that back first, and nothing of it is rolled into the restored store later.
    void restoreWaitsForAWriteAndRollsBackAKilledOne()
    {
        RestoreCase fixture;
        QVERIFY(fixture.prepare());
        store::Recovery recovery(fixture.path);
        rel::WriterProcess holder;
        QVERIFY(holder.start({QStringLiteral("hold"), fixture.path, QStringLiteral("spill")}));
        QVERIFY(holder.waitForLine("holding"));
        QCOMPARE(recovery.backups().restore(fixture.backup).error, BusyText);
        holder.killHard();
        QVERIFY(QFileInfo::exists(fixture.path + QStringLiteral("-journal")));
        const store::BackupOutcome restored = recovery.backups().restore(fixture.backup);
        QVERIFY2(restored.ok, qPrintable(restored.error));
        QVERIFY(!QFileInfo::exists(fixture.path + QStringLiteral("-journal")));
        QCOMPARE(store::Module1(fixture.path).prepare().status, store::Module1::PrepareStatus::Ready);
        const rel::StoreCheck check = rel::checkStore(fixture.path, fixture.backedUp);
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
    }

    // Another copy whose connection was open before the restore writes after it: its card goes into
    // the restored store, where every later reader finds it.
    void aWriteAfterTheRestoreLandsInTheRestoredStore()
    {
        RestoreCase fixture;
        QVERIFY(fixture.prepare());
        const QString name = rel::makeName(23, 0);
        rel::WriterProcess other;
        QVERIFY(
            other.start({QStringLiteral("late"), fixture.path, QString::fromLatin1(name.toUtf8().toHex())}));
        QVERIFY(other.waitForLine("open"));
        store::Recovery recovery(fixture.path);
        const store::BackupOutcome restored = recovery.backups().restore(fixture.backup);
        QVERIFY2(restored.ok, qPrintable(restored.error));
        other.send("add");
        other.finish();
        QVERIFY2(other.lines().contains("C 0"), other.lines().join(' ').constData()); // reported saved
        rel::Model expected = fixture.backedUp;
        expected.insert(name, 1);
        const rel::StoreCheck check = rel::checkStore(fixture.path, expected);
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
        // What was saved before the restore is in the copy the restore kept.
        rel::Model before{{rel::makeName(22, 0), 0}};
        for (auto it = fixture.backedUp.cbegin(); it != fixture.backedUp.cend(); ++it)
            before.insert(it.key(), 1);
        const rel::StoreCheck kept =
            rel::checkStore(recovery.backups().beforeRestoreCopies().value(0).path, before);
        QVERIFY2(kept.ok(), qPrintable(kept.problems.join(QLatin1Char('\n'))));
    }

    void saveOfACardTheOtherCopyDeletedIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(rel::makeStore(path));
        store::Module1 db(path);
        store::CardStore cards(db);
        const QString ann = QStringLiteral("O'Ann 😀");
        QCOMPARE(cards.add(rel::makeSheet(ann, 0)).status, store::OpStatus::Done);
        QCOMPARE(cards.add(rel::makeSheet(QStringLiteral("Bob"), 0)).status, store::OpStatus::Done);
        QVERIFY(cards.load(ann).found);

        rel::WriterProcess other;
        QVERIFY(other.start({QStringLiteral("remove"), path, QString::fromLatin1(ann.toUtf8().toHex())}));
        QVERIFY(other.finish());
        QVERIFY(other.lines().contains("C 0"));

        QCOMPARE(cards.save(ann, rel::makeSheet(ann, 1)).status, store::OpStatus::CardMissing);
        const rel::StoreCheck check = rel::checkStore(path, {{QStringLiteral("Bob"), 0}});
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
    }

    void windowRefusesToSaveACardTheOtherCopyDeleted()
    {
        QTemporaryDir dir;
        app::Form1 form(dir.path());
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        for (const QString& name : {QStringLiteral("Ann"), QStringLiteral("Bob")}) {
            kit::addCard(form, rel::makeSheet(name, 0));
        }
        QListView* list = form.widgets().list1;
        kit::pickLine(list, 0);
        QCOMPARE(app::fieldText(form.widgets().text[0]), QStringLiteral("Ann"));
        const card::Sheet edited = rel::makeSheet(QStringLiteral("Ann"), 1);
        form.writeSheet(edited);

        rel::WriterProcess other;
        QVERIFY(
            other.start({QStringLiteral("remove"), path, QString::fromLatin1(QByteArray("Ann").toHex())}));
        QVERIFY(other.finish());

        MessageBox::clearHistory();
        form.Command3_Click();
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(MessageBox::history().last().text, RenamedText);
        QCOMPARE(MessageBox::history().last().title, QStringLiteral("qlmk-Orz"));
        QVERIFY(form.readSheet() == edited);
        const rel::StoreCheck check = rel::checkStore(path, {{QStringLiteral("Bob"), 0}});
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));

        // A card the other copy adds shows at the next refresh.
        rel::WriterProcess adder;
        QVERIFY(adder.start(
            {QStringLiteral("ops"), path, QStringLiteral("5"), QStringLiteral("1"), QStringLiteral("1")}));
        QVERIFY(adder.finish());
        form.RefreshList();
        QCOMPARE(list->model()->rowCount(), 2);
    }
};

QTEST_MAIN(TestTwoCopies)
#include "testTwoCopies.moc"
