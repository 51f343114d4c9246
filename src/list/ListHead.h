#pragma once

#include "list/NameOrder.h"
#include "store/CardStore.h"

#include <QString>
#include <QStringList>

#include <thread>

namespace list {

// The scan that tells a store of `largeFrom` cards or more from a smaller one: it gives a row only
// when there is one past the first largeFrom - 1, and walks the index that far, no more.
store::ListScan largeStoreProbe(int largeFrom);

// The first names of the list in name order, kept while every name goes by once: a heap of at most
// `count` names whose top is the largest of them.
class SmallestNames
{
public:
    SmallestNames(const NameOrder& order, int count) : m_order(order), m_count(count) {}

    void offer(const QString& name);
    // The names kept, in name order; the heap is empty again.
    QStringList take();

private:
    bool less(const QString& a, const QString& b) const { return m_order.less(a, b); }

    const NameOrder& m_order;
    int m_count;
    QStringList m_heap;
};

// A large store's first names in name order, read on a thread of their own through a read-only
// connection of their own, while the window is built: those kept beside the store where they are
// still the store's (HeadCache), otherwise the one pass over every name that the first screenful of a
// large list needs. A store of fewer than `largeFrom` cards is left alone.
class ListHeadRead
{
public:
    struct Result
    {
        bool ok = false;    // the store could be read
        bool large = false; // it holds `largeFrom` cards or more: the names were read
        QStringList names;  // the first `count` names in name order
        bool kept = false;  // they are those kept beside the store, to be checked by the full read
        QString error;
    };

    // Starts the read; where no thread can be started, the result says not ok.
    ListHeadRead(const QString& storePath, int largeFrom, int count);
    ~ListHeadRead();
    ListHeadRead(const ListHeadRead&) = delete;
    ListHeadRead& operator=(const ListHeadRead&) = delete;

    // Waits for the read to end; the result is given once.
    Result take();

private:
    static Result read(const QString& storePath, int largeFrom, int count);

    std::thread m_thread;
    Result m_result;
};

} // namespace list
