#pragma once

#include "app/list/CardListModel.h"
#include "list/ListHead.h"
#include "store/CardStore.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace app {

// Fills the card list from the store without holding the window up. A small store is read at once.
// From a large one the first screenful in name order comes first (a pass over the names alone); then
// the rows are read in slices from the event loop into one table, each slice sorted in its own stretch;
// the stretches are merged a part at a time into the order of the lines' places in the table, and at
// the end the lines are put in that order where they lie and added below the lines already shown.
class ListFill : public QObject
{
    Q_OBJECT
public:
    // A store of fewer cards than this is read at once; so many rows make one slice.
    static constexpr int SliceRows = 1000;
    // The lines one step of the merge adds.
    static constexpr int MergeRows = 4000;
    // The lines of the first screenful, more than a list shows at once.
    static constexpr int HeadLines = 64;

    ListFill(store::CardStore& cards, CardListModel& model, QObject* parent = nullptr);

    // Empties the list and starts filling it in the display mode. With `later`, a large store is not
    // read further until the event loop runs (at start-up, the window shows first). Gives false and
    // the cause when the store cannot be read: the list then stays empty.
    bool start(const QString& mode, bool later, QString* error);
    // The first names of a large store, read beside the window's building for the start that waits
    // for it; any other start reads them itself.
    void readHeadAhead(std::unique_ptr<list::ListHeadRead> read);
    // Keeps the first names of a large list beside the store once it is read whole (HeadCache), and
    // reads them from there at the next start. Only where the store may be read beside the driver.
    void keepHeadBeside(bool on) { m_keepHead = on; }
    // Keeps the first names of the list as it is now, when the list is whole and large (at the end).
    void keepHeadNow();
    // Reads whatever is still missing, now.
    bool finish(QString* error);
    bool isBusy() const { return m_phase != Phase::Idle; }

signals:
    // A slice read from the event loop failed: the list is empty again.
    void failed(const QString& error);
    // The lines shown first were not the first of the store (it changed while it was read, or the
    // names kept beside it were wrong): every line was replaced, nothing is selected.
    void replaced();

private:
    struct Keyed
    {
        QCollatorSortKey key;
        CardListModel::Line line;
    };
    // A sorted slice: a stretch of the table. Only the key of its first line not yet merged is held:
    // the keys of every line at once would take more memory than the lines themselves.
    struct Run
    {
        qsizetype next = 0;
        qsizetype end = 0;
        std::optional<QCollatorSortKey> key;
    };
    enum class Phase { Idle, Head, Rows, Merge };

    bool isLarge(bool* large, QString* error);
    bool readHead(QString* error);
    bool readSlice(QString* error);
    void mergeStep(size_t rows);
    void take(qsizetype at);
    void complete();
    void stop();
    void tick();
    bool keyedLess(const Keyed& a, const Keyed& b) const;
    bool runAfter(int a, int b) const;
    void keyFirst(Run& run) const;

    store::CardStore& m_cards;
    CardListModel& m_model;
    QTimer m_timer;
    QString m_mode;
    Phase m_phase = Phase::Idle;
    std::unique_ptr<list::ListHeadRead> m_ahead;
    QString m_after; // the last name read
    bool m_atEnd = false;
    QList<CardListModel::Line> m_table; // every line read, each slice sorted in its own stretch
    std::vector<Run> m_runs;            // the stretches of the table
    std::vector<int> m_heap;            // the runs not yet merged through, the one with the first line on top
    std::vector<qint32> m_order;        // the places in the table, in name order, as the merge gives them
    qsizetype m_headSize = 0;           // lines shown before the merge began
    bool m_differs = false;             // the merge did not give the lines shown first: the store changed
    bool m_keepHead = false;
    bool m_headKept = false; // the lines shown first are those of the names kept beside the store
};

} // namespace app
