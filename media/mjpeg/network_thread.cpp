// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg/network_thread.h"

#include "media/mjpeg/stream_transfer.h"

#include <stdexcept>

namespace media {

namespace {

// How often timers (reconnects, stalls, timeouts) are looked at when the
// network is quiet.
constexpr int kPollIntervalMs = 100;

} // namespace

// Wakes the network thread from threads that may outlive it (host lookups).
struct NetworkThread::Waker {
    std::mutex mutex;
    CURLM* multi = nullptr; // guarded by mutex; null once the multi handle is going

    void wake()
    {
        const std::lock_guard lock(mutex);
        if (multi)
            curl_multi_wakeup(multi);
    }
};

NetworkThread::NetworkThread(DecodePool& decoders, const MonotonicClock& clock)
    : m_decoders(decoders)
    , m_clock(clock)
    , m_multi(curl_multi_init())
    , m_waker(std::make_shared<Waker>())
{
    if (!m_multi)
        throw std::runtime_error("libcurl could not create a multi handle");
    // Many windows may show the same camera: one connection each, no limit.
    curl_multi_setopt(m_multi.get(), CURLMOPT_MAX_HOST_CONNECTIONS, 0L);
    curl_multi_setopt(m_multi.get(), CURLMOPT_MAX_TOTAL_CONNECTIONS, 0L);
    curl_multi_setopt(m_multi.get(), CURLMOPT_PIPELINING, static_cast<long>(CURLPIPE_NOTHING));
    m_waker->multi = m_multi.get();
    m_thread = std::thread([this] { run(); });
}

NetworkThread::~NetworkThread()
{
    stopThread();
    const std::lock_guard lock(m_waker->mutex);
    m_waker->multi = nullptr;
}

void NetworkThread::stopThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    wake();
    if (m_thread.joinable())
        m_thread.join();
}

void NetworkThread::start(std::shared_ptr<StreamState> state, StreamConfig config, std::uint64_t session)
{
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(Command { std::move(state), std::move(config), session });
    }
    wake();
}

void NetworkThread::stop(std::shared_ptr<StreamState> state)
{
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(Command { std::move(state), std::nullopt, 0 });
    }
    wake();
}

void NetworkThread::wake()
{
    curl_multi_wakeup(m_multi.get());
}

void NetworkThread::drop(StreamState* state)
{
    const auto it = m_transfers.find(state);
    if (it == m_transfers.end())
        return;
    it->second->close(m_multi.get());
    m_transfers.erase(it);
}

void NetworkThread::apply(std::vector<Command>& commands)
{
    for (Command& command : commands) {
        StreamState* key = command.state.get();
        drop(key);
        if (!command.config)
            continue;
        auto transfer = std::make_unique<StreamTransfer>(command.state, std::move(*command.config),
            command.session, m_decoders, m_clock, [waker = m_waker] { waker->wake(); });
        transfer->connect(m_multi.get());
        m_transfers.emplace(key, std::move(transfer));
    }
    commands.clear();
}

void NetworkThread::run()
{
    std::vector<Command> commands;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_quit)
                break;
            commands.swap(m_commands);
        }
        apply(commands);

        int running = 0;
        curl_multi_perform(m_multi.get(), &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            StreamTransfer* transfer = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
            // `message` dies with the handle's removal: take the result first.
            const CURLcode result = message->data.result;
            if (transfer)
                transfer->transferDone(m_multi.get(), result);
        }

        for (auto it = m_transfers.begin(); it != m_transfers.end();) {
            it->second->poll(m_multi.get());
            if (it->second->finished()) {
                it->second->close(m_multi.get());
                it = m_transfers.erase(it);
            } else {
                ++it;
            }
        }
        curl_multi_poll(m_multi.get(), nullptr, 0, kPollIntervalMs, nullptr);
    }
    for (auto& [state, transfer] : m_transfers)
        transfer->close(m_multi.get());
    m_transfers.clear();
}

} // namespace media
