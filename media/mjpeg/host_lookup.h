// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Host name lookups for camera addresses, each on a detached thread of its
// own, so that a slow name server never holds up the network thread: a stop
// or restart drops its interest in the lookup and goes on at once, and the
// answer of a lookup nobody waits for any more is thrown away. libcurl is
// then handed the address (CURLOPT_RESOLVE) and never looks a name up itself;
// its own threaded resolver is joined when a transfer is removed, which is
// what froze every camera. Lookups of the same name share one thread.
//
// Thread: any thread.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace media {

struct LookupResult {
    std::vector<std::string> addresses; // numeric, IPv6 ones without brackets; empty when it failed
    std::string error; // why it failed
};

// Blocks until `host` is looked up. Runs on a lookup thread.
using HostResolver = std::function<LookupResult(const std::string& host)>;

// Puts `resolver` in place of the system's (getaddrinfo) for lookups started
// from now on; null puts the system's back. For tests.
void setHostResolver(HostResolver resolver);

// True for a numeric address ("192.0.2.1", "[2001:db8::1]"), which needs no lookup.
bool isAddressLiteral(const std::string& host);

class HostLookup {
public:
    // Looks `host` up, or joins the lookup of it under way; `done` is called
    // on the lookup thread when the answer is there (it may come at once).
    static std::shared_ptr<HostLookup> start(const std::string& host, std::function<void()> done);

    // The answer, once there.
    std::optional<LookupResult> result() const;

private:
    void finish(LookupResult result);

    mutable std::mutex m_mutex;
    std::optional<LookupResult> m_result; // guarded by m_mutex
    std::vector<std::function<void()>> m_waiting; // guarded by m_mutex
};

} // namespace media
