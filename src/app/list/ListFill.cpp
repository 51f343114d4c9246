#include "app/list/ListFill.h"

#include "list/HeadCache.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace app {

ListFill::ListFill(store::CardStore& cards, CardListModel& model, QObject* parent)
    : QObject(parent), m_cards(cards), m_model(model)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ListFill::tick);
}

bool ListFill::keyedLess(const Keyed& a, const Keyed& b) const
{
    const int c = a.key.compare(b.key);
    return c != 0 ? c < 0 : list::NameOrder::compareCodePoints(a.line.name(), b.line.name()) < 0;
}

void ListFill::stop()
{
    m_timer.stop();
    m_phase = Phase::Idle;
    m_table = {};
    m_runs = {};
    m_heap = {};
    m_order = {};
    m_headSize = 0;
    m_differs = false;
    m_headKept = false;
}

bool ListFill::start(const QString& mode, bool later, QString* error)
{
    stop();
    if (!later)
        m_ahead.reset(); // made for the start that waits for the window
    m_mode = mode;
    m_after.clear();
    m_atEnd = false;
    m_model.setLines({});
    bool large = false;
    if (later && !isLarge(&large, error))
        return false;
    // A large store waiting for the window is not read at all before it shows.
    if (!large && !readSlice(error)) {
        stop();
        return false;
    }
    if (m_atEnd) {
        mergeStep(SIZE_MAX);
        return true;
    }
    m_phase = Phase::Head;
    if (!later && !readHead(error)) {
        stop();
        m_model.setLines({});
        return false;
    }
    m_timer.start();
    return true;
}

void ListFill::readHeadAhead(std::unique_ptr<list::ListHeadRead> read)
{
    m_ahead = std::move(read);
}

bool ListFill::isLarge(bool* large, QString* error)
{
    *large = false;
    return m_cards.scanList(
        list::largeStoreProbe(SliceRows), [large](const card::ListEntry&) { *large = true; }, error);
}

bool ListFill::readHead(QString* error)
{
    // The pass over every name may have been made already, on a thread of its own.
    const list::ListHeadRead::Result ahead = m_ahead ? m_ahead->take() : list::ListHeadRead::Result{};
    m_ahead.reset();
    QStringList first = ahead.names;
    m_headKept = ahead.ok && ahead.large && ahead.kept;
    std::optional<QStringList> kept;
    if ((!ahead.ok || !ahead.large) && m_keepHead &&
        (kept = list::cachedHead(m_cards.database().filePath(), HeadLines, m_model.order()))) {
        first = std::move(*kept);
        m_headKept = true;
    } else if (!ahead.ok || !ahead.large) {
        list::SmallestNames smallest(m_model.order(), HeadLines);
        store::ListScan names;
        names.namesOnly = true;
        if (!m_cards.scanList(
                names, [&smallest](const card::ListEntry& entry) { smallest.offer(entry.nam); }, error))
            return false;
        first = smallest.take();
    }

    store::ListScan rows;
    rows.names = first;
    QList<CardListModel::Line> head;
    const auto add = [&](const card::ListEntry& entry) { head.append(CardListModel::lineOf(m_mode, entry)); };
    if (!m_cards.scanList(rows, add, error))
        return false;
    const list::NameOrder& order = m_model.order();
    std::sort(head.begin(), head.end(), [&order](const CardListModel::Line& a, const CardListModel::Line& b) {
        return order.less(a.name(), b.name());
    });
    m_headSize = head.size();
    m_model.setLines(std::move(head));
    m_phase = Phase::Rows;
    return true;
}

bool ListFill::readSlice(QString* error)
{
    store::ListScan scan;
    scan.fromStart = m_after.isNull();
    scan.after = m_after;
    scan.limit = SliceRows;
    std::vector<Keyed> run;
    run.reserve(SliceRows);
    const list::NameOrder& order = m_model.order();
    const auto add = [&](const card::ListEntry& entry) {
        run.push_back({order.sortKey(entry.nam), CardListModel::lineOf(m_mode, entry)});
        m_after = entry.nam.isNull() ? QStringLiteral("") : entry.nam;
    };
    if (!m_cards.scanList(scan, add, error))
        return false;
    m_atEnd = run.size() < size_t(SliceRows);
    if (m_after.isNull())
        m_after = QStringLiteral(""); // read from the start once: the next slice comes after ""
    std::sort(run.begin(), run.end(), [this](const Keyed& a, const Keyed& b) { return keyedLess(a, b); });
    if (!run.empty()) {
        Run sorted;
        sorted.next = m_table.size();
        for (Keyed& k : run)
            m_table.append(std::move(k.line));
        sorted.end = m_table.size();
        m_runs.push_back(std::move(sorted));
    }
    return true;
}

void ListFill::keyFirst(Run& run) const
{
    run.key = m_model.order().sortKey(m_table[run.next].name().toString());
}

bool ListFill::runAfter(int a, int b) const
{
    const Run& x = m_runs[size_t(a)];
    const Run& y = m_runs[size_t(b)];
    const int c = y.key->compare(*x.key);
    return c != 0 ? c < 0
                  : list::NameOrder::compareCodePoints(m_table[y.next].name(), m_table[x.next].name()) < 0;
}

void ListFill::take(qsizetype at)
{
    // The first lines must be those on show already; when they are not, the store changed while it
    // was read, and every line is replaced at the end.
    const auto merged = static_cast<qsizetype>(m_order.size());
    if (!m_differs && merged < m_headSize && m_table[at].text != m_model.lines()[merged].text)
        m_differs = true;
    m_order.push_back(static_cast<qint32>(at));
}

void ListFill::mergeStep(size_t rows)
{
    const auto after = [this](int a, int b) { return runAfter(a, b); };
    if (m_phase != Phase::Merge) {
        m_phase = Phase::Merge;
        m_heap.clear();
        for (size_t r = 0; r < m_runs.size(); ++r) {
            keyFirst(m_runs[r]);
            m_heap.push_back(static_cast<int>(r));
        }
        std::make_heap(m_heap.begin(), m_heap.end(), after);
        m_order.reserve(static_cast<size_t>(m_table.size()));
    }
    for (size_t n = 0; n < rows && !m_heap.empty(); ++n) {
        std::pop_heap(m_heap.begin(), m_heap.end(), after);
        Run& run = m_runs[size_t(m_heap.back())];
        take(run.next++);
        if (run.next < run.end) {
            keyFirst(run);
            std::push_heap(m_heap.begin(), m_heap.end(), after);
        } else {
            m_heap.pop_back();
            run.key.reset();
        }
    }
    if (m_heap.empty())
        complete();
}

void ListFill::complete()
{
    // The lines are put in name order where they lie, one cycle of places at a time: the table becomes
    // the list without a second copy of it.
    for (qsizetype i = 0; i < m_table.size(); ++i) {
        if (m_order[size_t(i)] < 0)
            continue;
        CardListModel::Line held = std::move(m_table[i]);
        qsizetype j = i;
        for (;;) {
            const qsizetype from = m_order[size_t(j)];
            m_order[size_t(j)] = -1;
            if (from == i) {
                m_table[j] = std::move(held);
                break;
            }
            m_table[j] = std::move(m_table[from]);
            j = from;
        }
    }
    // The store changed while it was read when the merge did not begin with the lines shown: every
    // line is replaced, as a new refresh would.
    const bool shownBefore = m_headSize > 0;
    const bool replace = !shownBefore || m_differs || m_table.size() < m_headSize;
    const bool keep = m_keepHead && shownBefore && (replace || !m_headKept);
    QList<CardListModel::Line> lines = std::move(m_table);
    stop();
    if (replace)
        m_model.setLines(std::move(lines));
    else
        m_model.extendLines(std::move(lines));
    if (replace && shownBefore)
        emit replaced();
    if (keep)
        keepHeadNow();
}

void ListFill::keepHeadNow()
{
    const QList<CardListModel::Line>& lines = m_model.lines();
    if (!m_keepHead || isBusy() || lines.size() < SliceRows)
        return;
    QStringList names;
    for (qsizetype i = 0; i < HeadLines && i < lines.size(); ++i)
        names << lines[i].name().toString();
    list::keepHead(m_cards.database().filePath(), names, m_model.order());
}

void ListFill::tick()
{
    QString error;
    bool ok = true;
    if (m_phase == Phase::Head)
        ok = readHead(&error);
    else if (m_phase == Phase::Rows)
        ok = readSlice(&error);
    else if (m_phase == Phase::Merge)
        mergeStep(MergeRows);
    if (!ok) {
        stop();
        m_model.setLines({});
        emit failed(error);
        return;
    }
    if (m_atEnd && m_phase == Phase::Rows)
        mergeStep(MergeRows);
}

bool ListFill::finish(QString* error)
{
    if (m_phase == Phase::Idle)
        return true;
    while (m_phase != Phase::Merge && !m_atEnd) {
        if (!readSlice(error)) {
            stop();
            m_model.setLines({});
            return false;
        }
    }
    mergeStep(SIZE_MAX);
    return true;
}

} // namespace app
