// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The waiting line of the decode pool, fair in decode time rather than in
// turns: the item that has had the least time so far goes next, so that one
// stream of slow pictures cannot hold up the others.
//
// The queue keeps each item's account (nanoseconds of decode time on its
// virtual clock) while the item lives, also while it is out of the line being
// decoded, so that it keeps its standing; an item that is gone leaves its
// account behind at the next push.
//
// Thread: not thread-safe; the pool holds its lock around every call.
#include <algorithm>
#include <cstdint>
#include <map>
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
        std::erase_if(m_accounts, [](const auto& entry) { return entry.first.expired(); });
        std::int64_t& account = m_accounts[item];
        account = std::clamp(account, m_nowNs, m_nowNs + m_maxLeadNs);
        m_items.push_back(std::move(item));
    }

    // The item with the least time; of equals, the one that waited longest.
    // The queue must not be empty.
    std::shared_ptr<Item> pop()
    {
        const auto next = std::min_element(m_items.begin(), m_items.end(),
            [this](const auto& a, const auto& b) { return account(a) < account(b); });
        std::shared_ptr<Item> item = std::move(*next);
        m_items.erase(next);
        m_nowNs = std::max(m_nowNs, account(item));
        return item;
    }

    // Books the time a decode of `item` took.
    void charge(const std::shared_ptr<Item>& item, std::int64_t ns) { m_accounts[item] += ns; }

    // The decode time booked to `item` on the virtual clock.
    std::int64_t account(const std::shared_ptr<Item>& item) const
    {
        const auto found = m_accounts.find(item);
        return found == m_accounts.end() ? 0 : found->second;
    }

    bool empty() const { return m_items.empty(); }
    std::size_t size() const { return m_items.size(); }
    void clear() { m_items.clear(); }

private:
    std::int64_t m_maxLeadNs;
    std::int64_t m_nowNs = 0;
    std::vector<std::shared_ptr<Item>> m_items;
    std::map<std::weak_ptr<Item>, std::int64_t, std::owner_less<>> m_accounts;
};

} // namespace media
