// A writer process driving the real card operations is killed with SIGKILL at random moments, over
// and over. After every kill an independent connection checks the file: intact, every reported
// operation there byte for byte, the two tables naming the same cards, nothing half-written.
// The same loop against writes without a transaction must find half-written cards, which shows
// that the check can fail. A process restoring backups is killed the same way, now and then with a
// writer beside it: after a normal start the store is the old one or the restored one, whole. The
// restore done beside SQLite, as it once was, must be caught by the same check.
#include "ReliabilityKit.h"
#include "WriterProcess.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/recovery/Recovery.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

struct Tally
{
    int kills = 0;
    int journalPresent = 0; // killed inside a write transaction: the rollback journal was there
    int betweenMarkers = 0; // killed between "B" and "C", i.e. inside a card operation
    int committed = 0;      // operations reported done
    int awaited = 0;        // operations the driver waited for before it drew the moment of a kill
    int refused = 0;        // operations reported not done
    int halfWritten = 0;
    int lost = 0;
    QStringList problems;
};

struct Options
{
    int minKills = 300;
    int maxKills = 600;
    bool noTransaction = false;
    bool stopAtFirstProblem = true;
};

// Replays the writer's report on the model; returns the operation left without an outcome.
std::optional<rel::InFlight> replay(const QList<QByteArray>& lines, rel::Model& model, Tally& tally)
{
    std::optional<rel::InFlight> open;
    QByteArray op;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.value(0) == "B" && parts.size() == 5) {
            op = parts.at(2);
            const QString name = QString::fromUtf8(QByteArray::fromHex(parts.at(3)));
            open = rel::InFlight{name, model.value(name, rel::Absent),
                                 op == "remove" ? rel::Absent : parts.at(4).toInt()};
        } else if (parts.value(0) == "C" && parts.size() == 3 && open) {
            if (parts.at(2) == "0") {
                ++tally.committed;
                if (open->after == rel::Absent)
                    model.remove(open->name);
                else
                    model.insert(open->name, open->after);
            } else {
                ++tally.refused;
            }
            open.reset();
        }
    }
    return open;
}

struct RestoreTally
{
    int kills = 0;
    int insideRestore = 0;  // killed between "B" and the end of a restore
    int journalPresent = 0; // killed with the store's journal there, no writer beside
    int restored = 0;       // restores reported done
    int refused = 0;        // restores reported not done (the store was busy)
    QStringList problems;
};

// Adds four cards of `run` in the given version to the store.
bool addCards(const QString& path, int run, int version, rel::Model& model)
{
    store::Module1 db(path);
    store::CardStore cards(db);
    for (int k = 0; k < 4; ++k) {
        model.insert(rel::makeName(run, k), version);
        if (!cards.add(rel::makeSheet(rel::makeName(run, k), version)).ok())
            return false;
    }
    return true;
}

// Empty when the store holds exactly one of the two models, each card whole, besides whole cards of
// the writer; otherwise what is wrong with it.
QString oneOf(const QString& path, const rel::Model& a, const rel::Model& b)
{
    QStringList problems;
    for (const rel::Model* model : {&a, &b}) {
        rel::Model expected = *model;
        for (const QString& name : rel::checkStore(path, *model).found.keys()) {
            if (!a.contains(name) && !b.contains(name))
                expected.insert(name, rel::AnyVersion);
        }
        const rel::StoreCheck check = rel::checkStore(path, expected);
        if (check.ok())
            return {};
        problems << check.problems.mid(0, 3);
    }
    return problems.join(QStringLiteral("; "));
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private:
    Tally killLoop(const Options& options)
    {
        Tally tally;
        QTemporaryDir dir;
        if (!dir.isValid())
            return tally;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        const QString journal = path + QStringLiteral("-journal");
        if (!rel::makeStore(path))
            return tally;
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("kill moments drawn from seed %u", seed);
        QRandomGenerator moments(seed);
        rel::Model model;
        qint64 opMs = 20; // how long an operation takes on this machine, as seen so far

        while (tally.kills < options.maxKills) {
            const bool enough = tally.kills >= options.minKills && tally.journalPresent * 2 >= tally.kills;
            if (options.noTransaction ? tally.halfWritten > 0 : enough)
                break;
            rel::WriterProcess writer;
            QStringList args{QStringLiteral("ops"),   path,
                             QStringLiteral("1"),     QString::number(seed + tally.kills),
                             QStringLiteral("0"),     QStringLiteral("--dwell"),
                             QStringLiteral("400000")};
            if (options.noTransaction)
                args << QStringLiteral("--no-transaction");
            if (!writer.start(args) || !writer.waitForLine("ready")) {
                tally.problems << QStringLiteral("the writer did not start: %1")
                                      .arg(QString::fromUtf8(writer.lines().join('\n')));
                break;
            }
            // The moment: after 0, 1 or 2 finished operations, somewhere within the next one or two
            // (by the time operations have been taking so far). So the writer always gets on, however
            // busy the machine is, and kills fall at every point of an operation.
            const int finished = moments.bounded(3);
            QElapsedTimer clock;
            clock.start();
            if (!writer.waitForLines("C ", finished)) {
                tally.problems << QStringLiteral("the writer stopped reporting: %1")
                                      .arg(QString::fromUtf8(writer.lines().join('\n')));
                break;
            }
            if (finished > 0)
                opMs = std::clamp<qint64>((opMs + clock.elapsed() / finished) / 2, 2, 2000);
            tally.awaited += finished;
            QThread::msleep(moments.bounded(static_cast<quint32>(2 * opMs) + 1));
            writer.killHard();
            ++tally.kills;
            const QFileInfo hot(journal);
            if (hot.exists())
                ++tally.journalPresent;

            const std::optional<rel::InFlight> open = replay(writer.lines(), model, tally);
            if (open)
                ++tally.betweenMarkers;
            QList<rel::InFlight> inFlight;
            if (open)
                inFlight << *open;
            const rel::StoreCheck check = rel::checkStore(path, model, inFlight);
            tally.halfWritten += check.halfWritten;
            tally.lost += check.lost;
            if (!check.ok()) {
                for (const QString& p : check.problems)
                    tally.problems << QStringLiteral("kill %1: %2").arg(tally.kills).arg(p);
                if (options.stopAtFirstProblem)
                    break;
            }
            // Whatever the unfinished operation left (whole, in one state or the other) is the truth now.
            if (open) {
                if (check.found.contains(open->name))
                    model.insert(open->name, check.found.value(open->name));
                else
                    model.remove(open->name);
            }
            if (options.noTransaction && !check.ok()) {
                // Later checks would only repeat this damage.
                break;
            }
        }
        qInfo("kills %d, with the journal present %d, inside an operation %d, operations committed %d,"
              " refused %d, half-written %d, lost %d, cards at the end %d, last operation time %lld ms",
              tally.kills, tally.journalPresent, tally.betweenMarkers, tally.committed, tally.refused,
              tally.halfWritten, tally.lost, int(model.size()), opMs);
        return tally;
    }

    RestoreTally restoreKillLoop(int kills, bool byRename)
    {
        RestoreTally tally;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        const QString a = dir.filePath(QStringLiteral("a.qlk"));
        const QString b = dir.filePath(QStringLiteral("b.qlk"));
        rel::Model modelA;
        rel::Model modelB;
        // Every card differs between the two: other names, or another version of the same name.
        if (!rel::makeStore(a) || !rel::makeStore(b) || !addCards(a, 1, 0, modelA) ||
            !addCards(b, 1, 1, modelB) || !addCards(b, 2, 0, modelB) ||
            !rel::writeFile(path, rel::fileBytes(a))) {
            tally.problems << QStringLiteral("the stores could not be made");
            return tally;
        }
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("restore kill moments drawn from seed %u", seed);
        QRandomGenerator moments(seed);
        qint64 restoreUs = 20000; // how long a restore takes on this machine, as seen so far
        while (tally.kills < kills && (!byRename || tally.problems.isEmpty())) {
            // Every fourth round a writer works beside the restores (every round for the rename), and
            // is killed with them.
            std::optional<rel::WriterProcess> writer;
            if (byRename || tally.kills % 4 == 3) {
                writer.emplace();
                if (!writer->start({QStringLiteral("ops"), path, QStringLiteral("30"),
                                    QString::number(seed + tally.kills), QStringLiteral("0"),
                                    QStringLiteral("--dwell"), QStringLiteral("400000")}) ||
                    !writer->waitForLine("ready")) {
                    tally.problems << QStringLiteral("the writer did not start");
                    break;
                }
            }
            rel::WriterProcess restorer;
            QStringList args{QStringLiteral("restore"), path, b, a};
            if (byRename)
                args << QStringLiteral("--by-rename");
            if (!restorer.start(args) || !restorer.waitForLine("ready")) {
                tally.problems << QStringLiteral("the restorer did not start");
                break;
            }
            // The moment: alone, after 1 or 2 restores begun, somewhere within the time of one; with a
            // writer beside, soon after a restore done (whose rename the writer's transaction may span),
            // or after a second when the writer keeps the store too busy for one.
            const int begun = 1 + moments.bounded(2);
            QElapsedTimer clock;
            clock.start();
            if (writer) {
                restorer.waitForLines("C ", 1, 1000);
            } else if (!restorer.waitForLines("B ", begun)) {
                tally.problems << QStringLiteral("the restorer stopped: %1")
                                      .arg(QString::fromUtf8(restorer.lines().join(' ')));
                break;
            } else if (begun > 1) {
                restoreUs = std::clamp<qint64>((restoreUs + clock.nsecsElapsed() / 1000 / (begun - 1)) / 2,
                                               500, 2000000);
            }
            QThread::usleep(moments.bounded(static_cast<quint32>(restoreUs) + 1));
            restorer.killHard();
            if (writer)
                writer->killHard();
            ++tally.kills;
            if (!writer && QFileInfo::exists(path + QStringLiteral("-journal")))
                ++tally.journalPresent;
            const QList<QByteArray> lines = restorer.lines();
            tally.insideRestore += !lines.isEmpty() && lines.last().startsWith("B ") ? 1 : 0;
            for (const QByteArray& line : lines) {
                tally.restored += line.startsWith("C ") ? 1 : 0;
                tally.refused += line.startsWith("F ") ? 1 : 0;
            }
            // A normal start, then the store must be one of the two, whole.
            store::Module1 db(path);
            const store::Module1::Prepared started = db.prepare();
            const QString wrong = started.status == store::Module1::PrepareStatus::Unusable
                                      ? started.error
                                      : oneOf(path, modelA, modelB);
            if (!wrong.isEmpty())
                tally.problems << QStringLiteral("kill %1%2: %3")
                                      .arg(tally.kills)
                                      .arg(writer ? QStringLiteral(" (writer beside)") : QString(), wrong);
        }
        qInfo("%s: kills %d, inside a restore %d, with the journal present %d (no writer), restores done %d,"
              " refused %d, problems %d, restore time %lld us",
              byRename ? "by rename" : "through SQLite", tally.kills, tally.insideRestore,
              tally.journalPresent, tally.restored, tally.refused, int(tally.problems.size()), restoreUs);
        return tally;
    }

private slots:
    void killedWriterNeverLeavesAHalfWrittenCard()
    {
        QVERIFY(QFileInfo(rel::WriterProcess::program()).isExecutable());
        const Tally tally = killLoop({});
        if (!tally.problems.isEmpty())
            QFAIL(qPrintable(tally.problems.mid(0, 20).join(QLatin1Char('\n'))));
        QVERIFY(tally.kills >= 300);
        QVERIFY2(tally.journalPresent * 2 >= tally.kills,
                 qPrintable(QStringLiteral("only %1 of %2 kills inside a transaction")
                                .arg(tally.journalPresent)
                                .arg(tally.kills)));
        QVERIFY(tally.awaited > 0);
        QVERIFY(tally.committed >= tally.awaited); // every operation waited for was reported done
        QCOMPARE(tally.refused, 0);
        QCOMPARE(tally.halfWritten, 0);
        QCOMPARE(tally.lost, 0);
    }

    void killedAfterTypingPausesLeavesTheDraft()
    {
        QTemporaryDir dir;
        const QString typed = QStringLiteral("让吕克 O'Neil");
        QProcess window;
        window.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        window.start(QStringLiteral(DRAFT_TYPER), {dir.path(), typed});
        QVERIFY(window.waitForStarted());
        QByteArray said;
        while (!said.contains("paused") && window.waitForReadyRead(20000))
            said += window.readAllStandardOutput();
        QVERIFY2(said.contains("paused"), qPrintable(QString::fromUtf8(said) + window.errorString()));
        window.kill(); // SIGKILL: no close, no clean-up
        QVERIFY(window.waitForFinished());
        QCOMPARE(window.exitStatus(), QProcess::CrashExit);

        store::Recovery recovery(dir.filePath(QStringLiteral("Sav.qlk")));
        QString error;
        const QList<store::Draft> drafts = recovery.drafts().list(&error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(drafts.size(), 1);
        QVERIFY(drafts.first().isNew);
        QCOMPARE(drafts.first().sheet.text[0], typed);
    }

    void killedRestoreLeavesTheOldStoreOrTheRestoredOne()
    {
        const RestoreTally tally = restoreKillLoop(100, false);
        if (!tally.problems.isEmpty())
            QFAIL(qPrintable(tally.problems.mid(0, 20).join(QLatin1Char('\n'))));
        QCOMPARE(tally.kills, 100);
        QVERIFY(tally.journalPresent > 0); // some kills fell inside the restore's own transaction
        QVERIFY(tally.restored > 0);
    }

    void restoreBesideSqliteIsCaught()
    {
        const RestoreTally tally = restoreKillLoop(100, true);
        QVERIFY2(!tally.problems.isEmpty(),
                 "100 kills of the restore done beside SQLite found nothing wrong");
        qInfo("first finding: %s", qPrintable(tally.problems.first().left(300)));
        QVERIFY(tally.problems.first().startsWith(QLatin1String("kill "))); // the store, not the set-up
    }

    void withoutTheTransactionTheCheckFindsHalfWrittenCards()
    {
        Options options;
        options.noTransaction = true;
        options.stopAtFirstProblem = false;
        options.minKills = 0;
        options.maxKills = 300;
        const Tally tally = killLoop(options);
        QVERIFY2(tally.halfWritten > 0, "no half-written card found in 300 kills without a transaction");
        QVERIFY(tally.problems.join(QLatin1Char('\n')).contains(QStringLiteral("half-written")));
        qInfo("first finding: %s", qPrintable(tally.problems.value(0)));
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "testCrashSafety.moc"
