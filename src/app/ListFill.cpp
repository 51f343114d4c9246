#include "app/ListFill.h"

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
    return c != 0 ? c < 0 : store::NameOrder::compareCodePoints(a.line.name(), b.line.name()) < 0;
}

void ListFill::stop()
{
    m_timer.stop();
    m_phase = Phase::Idle;
    m_runs.clear();
    m_runs.shrink_to_fit();
    m_heap.clear();
    m_headSize = 0;
    m_merged = 0;
    m_differs = false;
    m_all.clear();
}

bool ListFill::start(const QString& mode, bool later, QString* error)
{
    stop();
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

bool ListFill::isLarge(bool* large, QString* error)
{
    // Whether there is a row past the first slice's worth: the index is walked that far, no more.
    store::ListScan probe;
    probe.namesOnly = true;
    probe.limit = 1;
    probe.skip = SliceRows - 1;
    *large = false;
    return m_cards.scanList(probe, [large](const card::ListEntry&) { *large = true; }, error);
}

bool ListFill::readHead(QString* error)
{
    // The smallest names in a heap whose top is the largest of them.
    const store::NameOrder& order = m_model.order();
    const auto less = [&order](const QString& a, const QString& b) { return order.less(a, b); };
    QStringList heap;
    const auto keep = [&](const card::ListEntry& entry) {
        if (heap.size() < HeadLines) {
            heap.append(entry.nam);
            std::push_heap(heap.begin(), heap.end(), less);
        } else if (less(entry.nam, heap.front())) {
            std::pop_heap(heap.begin(), heap.end(), less);
            heap.back() = entry.nam;
            std::push_heap(heap.begin(), heap.end(), less);
        }
    };
    store::ListScan names;
    names.namesOnly = true;
    if (!m_cards.scanList(names, keep, error))
        return false;
    std::sort_heap(heap.begin(), heap.end(), less);

    store::ListScan rows;
    rows.names = heap;
    QList<CardListModel::Line> head;
    const auto add = [&](const card::ListEntry& entry) { head.append(CardListModel::lineOf(m_mode, entry)); };
    if (!m_cards.scanList(rows, add, error))
        return false;
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
    const store::NameOrder& order = m_model.order();
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
        sorted.lines.reserve(run.size());
        for (Keyed& k : run)
            sorted.lines.push_back(std::move(k.line));
        m_runs.push_back(std::move(sorted));
    }
    return true;
}

void ListFill::keyFirst(Run& run) const
{
    run.key = m_model.order().sortKey(run.lines[run.next].name().toString());
}

bool ListFill::runAfter(int a, int b) const
{
    const Run& x = m_runs[size_t(a)];
    const Run& y = m_runs[size_t(b)];
    const int c = y.key->compare(*x.key);
    return c != 0 ? c < 0
                  : store::NameOrder::compareCodePoints(y.lines[y.next].name(), x.lines[x.next].name()) < 0;
}

void ListFill::take(CardListModel::Line line, QList<CardListModel::Line>& newLines)
{
    // The first lines must be those on show already; when they are not, the store changed while it
    // was read, and every line is kept to replace them all at the end.
    if (!m_differs && m_merged < m_headSize) {
        if (line.text == m_model.lines()[m_merged].text) {
            ++m_merged;
            return;
        }
        m_differs = true;
        m_all = m_model.lines().mid(0, m_merged);
    }
    ++m_merged;
    (m_differs ? m_all : newLines).append(std::move(line));
}

void ListFill::mergeStep(size_t rows)
{
    const auto after = [this](int a, int b) { return runAfter(a, b); };
    if (m_phase != Phase::Merge) {
        m_phase = Phase::Merge;
        m_heap.clear();
        qsizetype total = 0;
        for (size_t r = 0; r < m_runs.size(); ++r) {
            keyFirst(m_runs[r]);
            m_heap.push_back(static_cast<int>(r));
            total += static_cast<qsizetype>(m_runs[r].lines.size());
        }
        if (m_headSize > 0)
            m_model.reserve(total);
        std::make_heap(m_heap.begin(), m_heap.end(), after);
    }
    QList<CardListModel::Line> newLines;
    for (size_t n = 0; n < rows && !m_heap.empty(); ++n) {
        std::pop_heap(m_heap.begin(), m_heap.end(), after);
        Run& run = m_runs[size_t(m_heap.back())];
        take(std::move(run.lines[run.next++]), newLines);
        if (run.next < run.lines.size()) {
            keyFirst(run);
            std::push_heap(m_heap.begin(), m_heap.end(), after);
        } else {
            m_heap.pop_back();
            run = {};
        }
    }
    if (m_heap.empty() && (m_differs || m_merged < m_headSize)) {
        complete();
        return;
    }
    if (!newLines.isEmpty()) {
        if (m_headSize == 0 && m_model.lines().isEmpty())
            m_model.setLines(std::move(newLines));
        else
            m_model.appendLines(std::move(newLines));
    }
    if (m_heap.empty())
        stop();
}

void ListFill::complete()
{
    // The store changed while it was read: every line is replaced, as a new refresh would.
    const bool shownBefore = m_headSize > 0;
    if (!m_differs)
        m_all = m_model.lines().mid(0, m_merged);
    QList<CardListModel::Line> lines = std::move(m_all);
    stop();
    m_model.setLines(std::move(lines));
    if (shownBefore)
        emit replaced();
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
