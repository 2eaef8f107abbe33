// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg/host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <map>
#include <system_error>
#include <thread>

namespace media {

namespace {

// Never destroyed: a lookup thread may still end after the program's static
// objects are gone.
struct Lookups {
    std::mutex mutex;
    HostResolver resolver; // null: the system's
    std::map<std::string, std::weak_ptr<HostLookup>> underWay;
};

Lookups& lookups()
{
    static auto* const shared = new Lookups;
    return *shared;
}

LookupResult systemLookup(const std::string& host)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    LookupResult result;
    if (const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found); rc != 0) {
        result.error = ::gai_strerror(rc);
        return result;
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owned(found, &::freeaddrinfo);
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        char text[INET6_ADDRSTRLEN] = {};
        const void* address = entry->ai_family == AF_INET
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(entry->ai_addr)->sin6_addr);
        if ((entry->ai_family == AF_INET || entry->ai_family == AF_INET6)
            && ::inet_ntop(entry->ai_family, address, text, sizeof text)
            && std::find(result.addresses.begin(), result.addresses.end(), text) == result.addresses.end())
            result.addresses.emplace_back(text);
    }
    if (result.addresses.empty())
        result.error = "no address";
    return result;
}

} // namespace

void setHostResolver(HostResolver resolver)
{
    const std::lock_guard lock(lookups().mutex);
    lookups().resolver = std::move(resolver);
}

bool isAddressLiteral(const std::string& host)
{
    unsigned char address[16];
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        return ::inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), address) == 1;
    return ::inet_pton(AF_INET, host.c_str(), address) == 1
        || ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

std::shared_ptr<HostLookup> HostLookup::start(const std::string& host, std::function<void()> done)
{
    auto& shared = lookups();
    std::shared_ptr<HostLookup> lookup;
    HostResolver resolver;
    {
        const std::lock_guard lock(shared.mutex);
        lookup = shared.underWay[host].lock();
        if (lookup) {
            const std::lock_guard own(lookup->m_mutex);
            if (!lookup->m_result) {
                lookup->m_waiting.push_back(std::move(done));
                return lookup;
            }
        }
        lookup = std::make_shared<HostLookup>();
        lookup->m_waiting.push_back(std::move(done));
        shared.underWay[host] = lookup;
        resolver = shared.resolver ? shared.resolver : HostResolver(&systemLookup);
    }
    const auto run = [lookup, host, resolver = std::move(resolver)] {
        LookupResult result = resolver(host);
        {
            auto& shared = lookups();
            const std::lock_guard lock(shared.mutex);
            if (const auto it = shared.underWay.find(host);
                it != shared.underWay.end() && it->second.lock() == lookup)
                shared.underWay.erase(it);
        }
        lookup->finish(std::move(result));
    };
    try {
        // Detached: nobody ever waits for it. It holds what it touches.
        std::thread(run).detach();
    } catch (const std::system_error& error) {
        lookup->finish({ {}, std::string("no thread for the lookup: ") + error.what() });
    }
    return lookup;
}

std::optional<LookupResult> HostLookup::result() const
{
    const std::lock_guard lock(m_mutex);
    return m_result;
}

void HostLookup::finish(LookupResult result)
{
    std::vector<std::function<void()>> waiting;
    {
        const std::lock_guard lock(m_mutex);
        m_result = std::move(result);
        waiting.swap(m_waiting);
    }
    for (auto& done : waiting)
        done();
}

} // namespace media
