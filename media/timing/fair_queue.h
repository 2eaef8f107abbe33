#pragma once
// The waiting line of the decode pool, fair in decode time rather than in
// turns: the item that has had the least time so far goes next, so that one
// stream of slow pictures cannot hold up the others.
//
// An item carries its own account (`decodeVirtualNs`, nanoseconds of decode
// time on the queue's virtual clock), so that it keeps its standing while it
// is out of the line being decoded.
//
// Thread: not thread-safe; the pool holds its lock around every call.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace media {

template <typename Item> class FairQueue {
public:
    // `maxLeadNs`: how far ahead of the current turn an item's account may
    // run, so that a stream that was costly a while ago is not held back long.
    explicit FairQueue(std::int64_t maxLeadNs)
        : m_maxLeadNs(maxLeadNs)
    {
    }

    // An item that comes back after a quiet spell starts at the current
    // turn: time it did not use is not saved up.
    void push(std::shared_ptr<Item> item)
    {
        item->decodeVirtualNs = std::clamp(item->decodeVirtualNs, m_nowNs, m_nowNs + m_maxLeadNs);
        m_items.push_back(std::move(item));
    }

    // The item with the least time; of equals, the one that waited longest.
    // The queue must not be empty.
    std::shared_ptr<Item> pop()
    {
        const auto next = std::min_element(m_items.begin(), m_items.end(),
            [](const auto& a, const auto& b) { return a->decodeVirtualNs < b->decodeVirtualNs; });
        std::shared_ptr<Item> item = std::move(*next);
        m_items.erase(next);
        m_nowNs = std::max(m_nowNs, item->decodeVirtualNs);
        return item;
    }

    // Books the time a decode of `item` took.
    static void charge(Item& item, std::int64_t ns) { item.decodeVirtualNs += ns; }

    bool empty() const { return m_items.empty(); }
    std::size_t size() const { return m_items.size(); }
    void clear() { m_items.clear(); }

private:
    std::int64_t m_maxLeadNs;
    std::int64_t m_nowNs = 0;
    std::vector<std::shared_ptr<Item>> m_items;
};

} // namespace media
