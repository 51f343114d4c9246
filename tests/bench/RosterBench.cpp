#include "RosterBench.h"

#include "BenchStats.h"
#include "Floors.h"

#include "app/play/RosterDialog.h"
#include "app/play/RosterModel.h"
#include "store/CardStore.h"
#include "store/Module1.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace bench {

namespace {

// The table sorted by one column, laid out and painted again, as after a click on its header.
void sortBy(app::RosterDialog& roster, int column)
{
    roster.table()->sortByColumn(column, Qt::AscendingOrder);
    roster.table()->viewport()->repaint();
}

} // namespace

int runRoster(const QString& storeDir, int cards, int reps)
{
    int argc = 1;
    char name[] = "quillmark-bench";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const QString storePath = QDir(storeDir).filePath(QStringLiteral("Sav.qlk"));
    store::Module1 db(storePath);
    store::CardStore store(db);
    const QString key = QString::number(cards);
    Results results;
    for (int round = 0; round <= reps; ++round) {
        std::unique_ptr<app::RosterDialog> roster;
        QString error;
        bool read = false;
        // Opening: the dialog made, every entry read and sorted by name, shown and painted.
        const double open = timed([&] {
            roster = std::make_unique<app::RosterDialog>(store, nullptr);
            read = roster->reload(&error);
            roster->show();
            roster->table()->viewport()->repaint();
        });
        if (!read || roster->model()->rowCount() != cards) {
            std::fprintf(stderr, "the roster holds %d of %d cards %s\n", roster->model()->rowCount(), cards,
                         qPrintable(error));
            return 1;
        }
        const double byLevel = timed([&] { sortBy(*roster, 1); });
        const double byRace = timed([&] { sortBy(*roster, 2); });
        int floorRows[3] = {};
        const double floorName = timed([&] { floorRows[0] = bareRosterRead(storePath, 0); });
        const double floorLevel = timed([&] { floorRows[1] = bareRosterRead(storePath, 1); });
        const double floorRace = timed([&] { floorRows[2] = bareRosterRead(storePath, 2); });
        for (int rows : floorRows) {
            if (rows != cards) {
                std::fprintf(stderr, "the bare roster read gave %d rows, not %d\n", rows, cards);
                return 1;
            }
        }
        if (round == 0)
            continue; // the first round warms the caches
        results[QStringLiteral("rosterOpen.") + key].add(open);
        results[QStringLiteral("rosterLevel.") + key].add(byLevel);
        results[QStringLiteral("rosterRace.") + key].add(byRace);
        results[QStringLiteral("bareRosterName.") + key].add(floorName);
        results[QStringLiteral("bareRosterLevel.") + key].add(floorLevel);
        results[QStringLiteral("bareRosterRace.") + key].add(floorRace);
    }
    QTextStream out(stdout);
    out << results.serialize();
    out.flush();
    return 0;
}

} // namespace bench
