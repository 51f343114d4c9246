#include "list/ListHead.h"

#include "list/HeadCache.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace list {

store::ListScan largeStoreProbe(int largeFrom)
{
    store::ListScan probe;
    probe.namesOnly = true;
    probe.limit = 1;
    probe.skip = largeFrom - 1;
    return probe;
}

void SmallestNames::offer(const QString& name)
{
    const auto order = [this](const QString& a, const QString& b) { return less(a, b); };
    if (m_heap.size() < m_count) {
        m_heap.append(name);
        std::push_heap(m_heap.begin(), m_heap.end(), order);
    } else if (m_count > 0 && less(name, m_heap.front())) {
        std::pop_heap(m_heap.begin(), m_heap.end(), order);
        m_heap.back() = name;
        std::push_heap(m_heap.begin(), m_heap.end(), order);
    }
}

QStringList SmallestNames::take()
{
    std::sort_heap(m_heap.begin(), m_heap.end(),
                   [this](const QString& a, const QString& b) { return less(a, b); });
    return std::exchange(m_heap, {});
}

ListHeadRead::ListHeadRead(const QString& storePath, int largeFrom, int count)
{
    try {
        m_thread = std::thread(
            [this, storePath, largeFrom, count] { m_result = read(storePath, largeFrom, count); });
    } catch (const std::system_error& e) {
        m_result.error = QString::fromLocal8Bit(e.what());
    }
}

ListHeadRead::~ListHeadRead()
{
    if (m_thread.joinable())
        m_thread.join();
}

ListHeadRead::Result ListHeadRead::take()
{
    if (m_thread.joinable())
        m_thread.join();
    return std::exchange(m_result, {});
}

ListHeadRead::Result ListHeadRead::read(const QString& storePath, int largeFrom, int count)
{
    Result result;
    const auto seen = [&result](const card::ListEntry&) { result.large = true; };
    if (!store::CardStore::scanAlone(storePath, largeStoreProbe(largeFrom), seen, &result.error))
        return result;
    if (result.large) {
        const NameOrder order; // a collator of this thread's own
        if (std::optional<QStringList> kept = cachedHead(storePath, count, order)) {
            result.names = std::move(*kept);
            result.kept = true;
            result.ok = true;
            return result;
        }
        SmallestNames first(order, count);
        store::ListScan names;
        names.namesOnly = true;
        if (!store::CardStore::scanAlone(
                storePath, names, [&first](const card::ListEntry& entry) { first.offer(entry.nam); },
                &result.error))
            return result;
        result.names = first.take();
    }
    result.ok = true;
    return result;
}

} // namespace list
