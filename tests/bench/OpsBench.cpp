#include "OpsBench.h"

#include "BenchStats.h"
#include "Floors.h"
#include "StoreMaker.h"
#include "WindowDriver.h"

#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/list/CardListModel.h"
#include "app/list/ListSearchLine.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QListView>
#include <QTabBar>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace bench {

namespace {

// Times a write as the player waits for it: the click, then the list laid out and painted again.
template <typename Click> double timedUntilShown(app::Form1& form, Click click)
{
    return timed([&] {
        click();
        QCoreApplication::processEvents();
        form.widgets().list1->viewport()->repaint();
    });
}

// Sends one key to the widget as the keyboard would.
void press(QWidget* widget, int key, const QString& text)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &down);
    QCoreApplication::sendEvent(widget, &up);
}

// Finding in the list, one keystroke at a time: a first letter (every line looked at), a second one
// (only the lines found), Backspace (every line again), a full-width letter; Escape closes it.
QList<double> search(app::Form1& form)
{
    app::ListSearchLine* find = form.findChild<app::ListSearchLine*>();
    find->open();
    QList<double> times;
    times << timed([&] { press(find, Qt::Key_A, QStringLiteral("a")); });
    times << timed([&] { press(find, Qt::Key_N, QStringLiteral("n")); });
    times << timed([&] { press(find, Qt::Key_Backspace, QString()); });
    times << timed([&] { press(find, Qt::Key_unknown, QStringLiteral("\uff4e")); });
    times << timed([&] { press(find, Qt::Key_Escape, QString()); });
    return times;
}

void print(const Results& results)
{
    QTextStream out(stdout);
    out << results.serialize();
    out.flush();
}

} // namespace

namespace {

// One store with its window, its bare connection and its timer of clicks.
struct Subject
{
    QString storePath;
    int cards = 0;
    std::unique_ptr<app::Form1> form;
    std::unique_ptr<BareWriter> bare;
    int middle = 0;
};

bool open(Subject& s, const QString& storeDir, int cards, const card::Sheet& newCard, Results* pageBuilds)
{
    s.storePath = QDir(storeDir).filePath(QStringLiteral("Sav.qlk"));
    s.cards = cards;
    s.form = std::make_unique<app::Form1>(storeDir);
    app::Form1& form = *s.form;
    form.show();
    while (form.isListFilling())
        QCoreApplication::processEvents();
    settle();
    // A run broken off before its delete may have left the new card behind.
    if (kit::rowOf(form, newCard.text[0]) >= 0) {
        form.cards().remove(newCard.text[0]);
        form.RefreshList();
    }
    const int rows = form.widgets().list1->model()->rowCount();
    if (rows != cards) {
        std::fprintf(stderr, "the store lists %d cards, not %d\n", rows, cards);
        return false;
    }
    s.middle = rows / 2;
    s.bare = std::make_unique<BareWriter>(s.storePath);
    if (!s.bare->isOpen()) {
        std::fprintf(stderr, "cannot open the store for the bare transaction\n");
        return false;
    }
    // The first showing of each other page builds it (timed up to its first paint); the rounds then
    // run on the whole sheet, as a player's window is once every tab has been looked at.
    QTabBar* tabs = form.widgets().tabStrip;
    for (int page = 1; page < tabs->count(); ++page) {
        const double build = timed([&] {
            tabs->setCurrentIndex(page);
            form.widgets().frameA[static_cast<size_t>(page)]->repaint();
        });
        if (!form.isPageBuilt(page)) {
            std::fprintf(stderr, "page %d was not built when shown\n", page);
            return false;
        }
        (*pageBuilds)[QStringLiteral("pageBuild.") + QString::number(cards)].add(build);
    }
    tabs->setCurrentIndex(0);
    return true;
}

// One round of every operation on one store: load, save, the bare transaction, prepare, add,
// delete (of the card just added, so the store ends as it began), rebuild, the bare list read.
bool round(Subject& s, const card::Sheet& newCard, Results* results)
{
    app::Form1& form = *s.form;
    // The window in use is the active one, as it is for the user: focus moves then behave alike
    // whichever store's turn it is.
    form.activateWindow();
    settle();
    const double load = timed([&] { kit::pickLine(form, s.middle); });
    const card::Sheet loaded = form.readSheet();
    const double save = timedUntilShown(form, [&] { form.Command3_Click(); });
    const card::CardRecord record = card::toCardRecord(loaded);
    const card::ListEntry entry = card::toListEntry(loaded);
    const double bareSave = timed([&] { s.bare->writeBoth(record, entry); });
    // The list's part of a write alone: the line put in its place, laid out and painted.
    const double lineUpdate = timedUntilShown(form, [&] { form.putListLine(entry); });
    const double prepare = timed([&] { form.Command1_Click(); });
    form.writeSheet(newCard);
    const double add = timedUntilShown(form, [&] { form.Command2_Click(); });
    const int added = kit::rowOf(form, newCard.text[0]);
    if (added < 0 || save < 0 || add < 0) {
        std::fprintf(stderr, "an operation did not complete\n");
        return false;
    }
    kit::pickLine(form, added);
    const double remove = timedUntilShown(form, [&] { form.Command4_Click(); });
    // The full refresh: the first screenful when RefreshList returns, the rest from the event loop in
    // slices, the longest of which is what the window may stand still for.
    settle();
    const double refreshStart = nowMs();
    form.RefreshList();
    const double refreshHead = nowMs() - refreshStart;
    double longestStep = 0;
    while (form.isListFilling()) {
        const double stepStart = nowMs();
        QCoreApplication::processEvents();
        longestStep = std::max(longestStep, nowMs() - stepStart);
    }
    const double rebuild = nowMs() - refreshStart;
    const QList<double> keystrokes = search(form);
    int bareRows = 0;
    const double bareList = timed([&] { bareRows = bareListRead(s.storePath, QString()); });
    if (remove < 0 || bareRows != s.cards || kit::rowOf(form, newCard.text[0]) >= 0) {
        std::fprintf(stderr, "the delete or the bare read went wrong\n");
        return false;
    }
    if (!results)
        return true;
    const QString key = QString::number(s.cards);
    (*results)[QStringLiteral("load.") + key].add(load);
    (*results)[QStringLiteral("add.") + key].add(add);
    (*results)[QStringLiteral("save.") + key].add(save);
    (*results)[QStringLiteral("delete.") + key].add(remove);
    (*results)[QStringLiteral("rebuild.") + key].add(rebuild);
    (*results)[QStringLiteral("refreshHead.") + key].add(refreshHead);
    (*results)[QStringLiteral("lineUpdate.") + key].add(lineUpdate);
    (*results)[QStringLiteral("fillStep.") + key].add(longestStep);
    for (double k : keystrokes)
        (*results)[QStringLiteral("search.") + key].add(k);
    (*results)[QStringLiteral("searchWorst.") + key].add(
        *std::max_element(keystrokes.begin(), keystrokes.end()));
    (*results)[QStringLiteral("prepare.") + key].add(prepare);
    (*results)[QStringLiteral("bareList.") + key].add(bareList);
    (*results)[QStringLiteral("bareSave.") + key].add(bareSave);
    return true;
}

} // namespace

int runOperations(const QList<QPair<QString, int>>& stores, int reps)
{
    int argc = 1;
    char name[] = "quillmark-bench";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    MessageBox::setAutoAnswer(true);
    const CardMaker maker;
    const card::Sheet newCard = maker.sheet(CardMaker::NameCount - 1);

    // Every store has its window open at once, and each round visits them in turn: a drift of the
    // machine's load (or of its disk) touches every size alike, so the ratios between sizes hold.
    Results results;
    std::vector<Subject> subjects(static_cast<size_t>(stores.size()));
    for (qsizetype i = 0; i < stores.size(); ++i) {
        if (!open(subjects[static_cast<size_t>(i)], stores[i].first, stores[i].second, newCard, &results))
            return 1;
    }
    for (int r = 0; r <= reps; ++r) {
        for (Subject& s : subjects) {
            // The first round warms the caches and is not counted.
            if (!round(s, newCard, r > 0 ? &results : nullptr))
                return 1;
        }
    }
    print(results);
    return 0;
}

int runSaves(const QString& storeDir, int cards, int reps)
{
    int argc = 1;
    char name[] = "quillmark-bench";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    MessageBox::setAutoAnswer(true);
    const QString storePath = QDir(storeDir).filePath(QStringLiteral("Sav.qlk"));
    const QString key = QString::number(cards);
    const CardMaker maker;
    // A card from the middle of the generated ones, with the content it already has.
    const card::Sheet sheet = maker.sheet(cards / 2);
    const card::CardRecord record = card::toCardRecord(sheet);
    const card::ListEntry entry = card::toListEntry(sheet);

    store::Module1 db(storePath);
    store::CardStore ours(db);
    BareWriter bare(storePath);
    Results results;
    for (int round = 0; round <= reps; ++round) {
        double whole = 0;
        bool wholeOk = false;
        whole = timed([&] { wholeOk = wholeTableSave(storePath, record, entry); });
        const double our = timed([&] { ours.save(record.nae, sheet); });
        const double floor = timed([&] { bare.writeBoth(record, entry); });
        if (!wholeOk) {
            std::fprintf(stderr, "the whole-table save found no row\n");
            return 1;
        }
        if (round == 0)
            continue;
        results[QStringLiteral("wholeSave.") + key].add(whole);
        results[QStringLiteral("ourSave.") + key].add(our);
        results[QStringLiteral("floorSave.") + key].add(floor);
    }
    print(results);
    return 0;
}

} // namespace bench
