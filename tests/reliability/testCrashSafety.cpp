// A writer process driving the real card operations is killed with SIGKILL at random moments, over
// and over. After every kill an independent connection checks the file: intact, every reported
// operation there byte for byte, the two tables naming the same cards, nothing half-written.
// The same loop against writes without a transaction must find half-written cards, which shows
// that the check can fail.
#include "ReliabilityKit.h"
#include "WriterProcess.h"
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
        const QList<store::Draft> drafts = recovery.drafts(&error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(drafts.size(), 1);
        QVERIFY(drafts.first().isNew);
        QCOMPARE(drafts.first().sheet.text[0], typed);
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
