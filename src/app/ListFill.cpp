#include "app/ListFill.h"

#include <algorithm>
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
    m_headSize = 0;
}

bool ListFill::start(const QString& mode, bool later, QString* error)
{
    stop();
    m_mode = mode;
    m_after.clear();
    m_atEnd = false;
    m_model.setLines({});
    if (!readSlice(error)) {
        stop();
        return false;
    }
    if (m_atEnd) {
        complete();
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
        m_after = entry.nam;
    };
    if (!m_cards.scanList(scan, add, error))
        return false;
    m_atEnd = run.size() < size_t(SliceRows);
    if (m_after.isNull())
        m_after = QStringLiteral(""); // read from the start once: the next slice comes after ""
    std::sort(run.begin(), run.end(), [this](const Keyed& a, const Keyed& b) { return keyedLess(a, b); });
    m_runs.push_back(std::move(run));
    mergeRuns(m_atEnd);
    return true;
}

void ListFill::mergeRuns(bool all)
{
    // Merging a run into one at least as long keeps the work per row logarithmic in the slices.
    while (m_runs.size() > 1) {
        std::vector<Keyed>& top = m_runs.back();
        std::vector<Keyed>& below = m_runs[m_runs.size() - 2];
        if (!all && below.size() > 2 * top.size())
            break;
        std::vector<Keyed> merged;
        merged.reserve(below.size() + top.size());
        std::merge(std::make_move_iterator(below.begin()), std::make_move_iterator(below.end()),
                   std::make_move_iterator(top.begin()), std::make_move_iterator(top.end()),
                   std::back_inserter(merged), [this](const Keyed& a, const Keyed& b) { return keyedLess(a, b); });
        m_runs.pop_back();
        m_runs.back() = std::move(merged);
    }
}

void ListFill::complete()
{
    QList<CardListModel::Line> lines;
    if (!m_runs.empty()) {
        lines.reserve(static_cast<qsizetype>(m_runs.front().size()));
        for (Keyed& k : m_runs.front())
            lines.append(std::move(k.line));
    }
    const qsizetype head = m_headSize;
    stop();
    // The first lines are on show already; they stay when the store gave the same ones again.
    bool same = head > 0 && head <= lines.size();
    for (qsizetype i = 0; same && i < head; ++i)
        same = lines[i].text == m_model.lines()[i].text && m_model.lines().size() == head;
    if (same) {
        m_model.appendLines(lines.mid(head));
        return;
    }
    m_model.setLines(std::move(lines));
    if (head > 0)
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
    if (!ok) {
        stop();
        m_model.setLines({});
        emit failed(error);
        return;
    }
    if (m_atEnd && m_phase == Phase::Rows)
        complete();
}

bool ListFill::finish(QString* error)
{
    if (m_phase == Phase::Idle)
        return true;
    while (!m_atEnd) {
        if (!readSlice(error)) {
            stop();
            m_model.setLines({});
            return false;
        }
    }
    complete();
    return true;
}

} // namespace app
