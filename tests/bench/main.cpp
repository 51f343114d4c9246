// The benchmark: start-up under a virtual X server, the card operations through the window's own
// handlers, the old whole-table save, the bare floors, peak memory and idle CPU, as one table.
//
//   quillmark-bench            the full run: 10, 10,000 and 100,000 cards
//   quillmark-bench --smoke    one quick round on the smallest store (keeps the benchmark working)
#include "BenchReport.h"
#include "BenchStats.h"
#include "OpsBench.h"
#include "RosterBench.h"
#include "StoreMaker.h"
#include "XWatch.h"
#include "list/HeadCache.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// The program sits beside its store, as it would when installed: it finds the store next to itself.
QString placeProgram(const QString& storeDir)
{
    const QString target = QDir(storeDir).filePath(QStringLiteral("quillmark"));
    QFile::remove(target);
    return QFile::copy(QStringLiteral(QUILLMARK_PROGRAM), target) ? target : QString();
}

bool measureStartup(bench::Results& results, const QList<int>& sizes, const QMap<int, QString>& stores,
                    int reps)
{
    bench::VirtualDisplay display;
    if (!display.isRunning()) {
        say(QStringLiteral("no virtual display: ") + display.error());
        return false;
    }
    QMap<int, QString> programs;
    for (int n : sizes) {
        programs[n] = placeProgram(stores[n]);
        if (programs[n].isEmpty()) {
            say(QStringLiteral("cannot place the program beside the store of %1 cards").arg(n));
            return false;
        }
    }
    const double pollMs = 1;
    const int settleMs = 300;
    // A large store's first names are kept beside it by a start that lasts until its list is whole.
    // Each start of ours finds them as that start left them; a start of its own finds none, as after
    // another program changed the store.
    QMap<int, QByteArray> kept;
    for (int n : sizes) {
        const QString cache = list::headCachePath(QDir(stores[n]).filePath(QStringLiteral("Sav.qlk")));
        QFile::remove(cache);
        bench::watchStartup(display.name(), programs[n], pollMs, 3000, 0);
        QFile file(cache);
        if (file.open(QIODevice::ReadOnly))
            kept[n] = file.readAll();
    }
    const auto keep = [&](int n, bool on) {
        const QString cache = list::headCachePath(QDir(stores[n]).filePath(QStringLiteral("Sav.qlk")));
        QFile::remove(cache);
        QFile file(cache);
        if (on && kept.contains(n) && file.open(QIODevice::WriteOnly))
            file.write(kept[n]);
    };
    // One start each of the three floors and of ours per size, in turn: slow drifts of the machine's load
    // touch both sides of every ratio alike.
    for (int round = 0; round <= reps; ++round) {
        for (int n : sizes) {
            const QString key = QString::number(n);
            const bench::StartupResult floor = bench::watchStartup(
                display.name(), QStringLiteral(QUILLMARK_FLOOR_WINDOW), pollMs, settleMs, 0);
            const bench::StartupResult text = bench::watchStartup(
                display.name(), QStringLiteral(QUILLMARK_FLOOR_TEXT), pollMs, settleMs, 0);
            const bench::StartupResult laidOut = bench::watchStartup(
                display.name(), QStringLiteral(QUILLMARK_FLOOR_LAID_OUT), pollMs, settleMs, 0);
            const bench::StartupResult sheet = bench::watchStartup(
                display.name(), QStringLiteral(QUILLMARK_FLOOR_SHEET), pollMs, settleMs, 0);
            keep(n, false);
            const bench::StartupResult stale =
                bench::watchStartup(display.name(), programs[n], pollMs, settleMs, 0);
            keep(n, true);
            const bench::StartupResult ours =
                bench::watchStartup(display.name(), programs[n], pollMs, settleMs, 0);
            if (!floor.mapped || !text.mapped || !laidOut.mapped || !sheet.mapped || !ours.mapped ||
                !stale.mapped) {
                say(QStringLiteral("start-up: ") + floor.error + QLatin1Char(' ') + text.error +
                    QLatin1Char(' ') + laidOut.error + QLatin1Char(' ') + sheet.error + QLatin1Char(' ') +
                    ours.error);
                return false;
            }
            if (!text.painted || !laidOut.painted || !sheet.painted || !ours.painted || !stale.painted) {
                say(QStringLiteral("start-up: no first paint seen (the X server's DAMAGE extension?)"));
                return false;
            }
            if (round == 0)
                continue; // the first round fills the file caches
            results[QStringLiteral("startFloor.") + key].add(floor.msToMapped);
            results[QStringLiteral("startText.") + key].add(text.msToMapped);
            results[QStringLiteral("startOurs.") + key].add(ours.msToMapped);
            results[QStringLiteral("startLaidOut.") + key].add(laidOut.msToMapped);
            results[QStringLiteral("paintText.") + key].add(text.msToPainted);
            results[QStringLiteral("paintLaidOut.") + key].add(laidOut.msToPainted);
            results[QStringLiteral("paintOurs.") + key].add(ours.msToPainted);
            results[QStringLiteral("paintStale.") + key].add(stale.msToPainted);
            results[QStringLiteral("paintSheet.") + key].add(sheet.msToPainted);
            results[QStringLiteral("rssFloor.") + key].add(floor.peakRssMb);
            results[QStringLiteral("rssText.") + key].add(text.peakRssMb);
            results[QStringLiteral("rssOurs.") + key].add(ours.peakRssMb);
        }
    }
    return true;
}

bool measureIdle(bench::Results& results, const QString& cacheRoot, const QString& smallStore, int reps,
                 double seconds)
{
    QString error;
    const QString dir = bench::autoHideStore(cacheRoot, smallStore, &error);
    const QString program = dir.isEmpty() ? QString() : placeProgram(dir);
    if (program.isEmpty()) {
        say(QStringLiteral("idle: ") + error);
        return false;
    }
    bench::VirtualDisplay display;
    if (!display.isRunning())
        return false;
    for (int round = 0; round < reps; ++round) {
        const bench::StartupResult run = bench::watchStartup(display.name(), program, 1, 1000, seconds);
        if (!run.mapped) {
            say(QStringLiteral("idle: ") + run.error);
            return false;
        }
        results[QStringLiteral("idleCpu")].add(run.cpuShare);
    }
    return true;
}

bool runChild(bench::Results& results, const QString& mode, const QList<QPair<QString, int>>& stores,
              int reps)
{
    QStringList argv{QCoreApplication::applicationFilePath(), mode, QString::number(reps)};
    for (const auto& [dir, cards] : stores)
        argv << dir << QString::number(cards);
    // A screen as large as the widget tests': on Qt's default 800 x 600 the window would scroll.
    const bench::ChildResult child =
        bench::runToEnd(argv, {QStringLiteral("QT_QPA_PLATFORM=offscreen:configfile=" QUILLMARK_SCREENS)});
    if (!child.started || child.exitCode != 0) {
        say(QStringLiteral("%1 failed (exit %2)").arg(mode).arg(child.exitCode));
        return false;
    }
    results.merge(child.output);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    const QStringList args = [&] {
        QStringList out;
        for (int i = 1; i < argc; ++i)
            out << QString::fromLocal8Bit(argv[i]);
        return out;
    }();
    // Child modes: --ops REPS DIR CARDS [DIR CARDS ...], --saves REPS DIR CARDS, --roster REPS DIR CARDS.
    if (args.size() >= 4 && args.size() % 2 == 0 &&
        (args[0] == QLatin1String("--ops") || args[0] == QLatin1String("--saves") ||
         args[0] == QLatin1String("--roster"))) {
        const int reps = args[1].toInt();
        QList<QPair<QString, int>> stores;
        for (qsizetype i = 2; i + 1 < args.size(); i += 2)
            stores.append({args[i], args[i + 1].toInt()});
        if (args[0] == QLatin1String("--ops"))
            return bench::runOperations(stores, reps);
        if (args[0] == QLatin1String("--roster"))
            return bench::runRoster(stores.first().first, stores.first().second, reps);
        return bench::runSaves(stores.first().first, stores.first().second, reps);
    }
    QCoreApplication application(argc, argv);
    // Every program the bench starts keeps its user settings (the window's place) here, not in the
    // user's own.
    QTemporaryDir settings;
    if (!settings.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    const bool smoke = args.contains(QLatin1String("--smoke"));
    const QList<int> sizes = smoke ? QList<int>{10} : QList<int>{10, 10000, 100000};
    const int startupReps = smoke ? 1 : 9;
    const int opsReps = smoke ? 1 : 9;
    const int saveReps = smoke ? 1 : 3;
    const int idleReps = smoke ? 1 : 3;
    const double idleSeconds = smoke ? 1 : 10;
    const QString cacheRoot = QStringLiteral(QUILLMARK_BENCH_CACHE);

    QMap<int, QString> stores;
    for (int n : sizes) {
        const double start = bench::nowMs();
        QString error;
        stores[n] = bench::cachedStore(cacheRoot, n, &error);
        if (stores[n].isEmpty()) {
            say(QStringLiteral("cannot generate the store of %1 cards: %2").arg(n).arg(error));
            return 1;
        }
        say(QStringLiteral("store of %1 cards ready (%2 s)")
                .arg(n)
                .arg((bench::nowMs() - start) / 1000, 0, 'f', 1));
    }

    bench::Results results;
    say(QStringLiteral("start-up and peak memory ..."));
    if (!measureStartup(results, sizes, stores, startupReps))
        return 1;
    if (args.contains(QLatin1String("--startup"))) {
        QTextStream(stdout) << bench::report(results, sizes, opsReps, startupReps, true);
        return 0;
    }
    say(QStringLiteral("operations, every store in turn ..."));
    QList<QPair<QString, int>> all;
    for (int n : sizes)
        all.append({stores[n], n});
    if (!runChild(results, QStringLiteral("--ops"), all, opsReps))
        return 1;
    const int largest = sizes.last();
    say(QStringLiteral("whole-table save on %1 cards ...").arg(largest));
    if (!runChild(results, QStringLiteral("--saves"), {{stores[largest], largest}}, saveReps))
        return 1;
    say(QStringLiteral("the roster on %1 cards ...").arg(largest));
    if (!runChild(results, QStringLiteral("--roster"), {{stores[largest], largest}}, opsReps))
        return 1;
    say(QStringLiteral("idle CPU with the edge auto-hide on ..."));
    if (!measureIdle(results, cacheRoot, stores[sizes.first()], idleReps, idleSeconds))
        return 1;

    QTextStream out(stdout);
    out << bench::report(results, sizes, opsReps, startupReps);
    out.flush();
    return 0;
}
