// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One camera stream on the network thread: its libcurl easy handle, the
// multipart parser of the answer, and the decisions that turn what the camera
// does into a status (HTTP code, content type), with StreamTimers deciding
// on reconnects, timeouts, stalls and floods.
//
// Thread: only the network thread touches a StreamTransfer.
#include "media/mjpeg/curl_handles.h"
#include "media/mjpeg/host_lookup.h"
#include "media/mjpeg_parser/multipart_parser.h"
#include "media/stream/stream_state.h"
#include "media/timing/stream_timers.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace media {

class DecodePool;

class StreamTransfer {
public:
    // `clock` times the stream (see StreamTimers) and outlives the transfer.
    // `wakeNetwork` may be called from any thread, also after the transfer is gone.
    StreamTransfer(std::shared_ptr<StreamState> state, StreamConfig config, std::uint64_t session,
        DecodePool& decoders, const MonotonicClock& clock, std::function<void()> wakeNetwork);
    ~StreamTransfer();
    StreamTransfer(const StreamTransfer&) = delete;
    StreamTransfer& operator=(const StreamTransfer&) = delete;

    // Starts a connection now (with a host name lookup first when the host
    // needs one); `multi` is the network thread's multi handle.
    void connect(CURLM* multi);
    // libcurl reported the transfer as done.
    void transferDone(CURLM* multi, CURLcode result);
    // Timers: reconnect when due, header and stall timeouts, a session ended elsewhere.
    void poll(CURLM* multi);
    // Removes the easy handle from `multi`, if any.
    void close(CURLM* multi);
    // True once the session is over: the transfer can go.
    bool finished() const { return m_finished; }

private:
    enum class Phase { WaitingToRetry, LookingUp, Connecting, Streaming };

    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onBody(char* data, size_t size, size_t count, void* self);
    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    enum class Sniff { NeedMore, Multipart, NotMultipart };
    static constexpr std::size_t kMaxSniffBytes = 4096;

    void open(CURLM* multi);
    void lookedUp(CURLM* multi, const LookupResult& result);
    bool restrict(CURL* easy);
    bool trustExtraAuthorities(CURL* easy);
    void noteChallenge();
    bool headersComplete();
    Sniff sniff(std::string_view bytes);
    bool classifyFinalResponse(long code);
    void failConnection(CURLM* multi, std::string detail);
    void finish(CURLM* multi, std::int32_t status, std::string detail);
    void handlePart(MultipartPart&& part);

    std::shared_ptr<StreamState> m_state;
    StreamConfig m_config;
    std::uint64_t m_session;
    std::uint64_t m_connection = 0;
    DecodePool& m_decoders;
    StreamTimers m_timers;
    std::function<void()> m_wakeNetwork;
    std::string m_host; // to look up before connecting; empty when the URL names an address
    long m_port = 0;
    std::shared_ptr<HostLookup> m_lookup; // under way while LookingUp
    CurlSlist m_pinned; // the looked-up addresses for CURLOPT_RESOLVE; outlives m_easy

    CurlEasy m_easy;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    Phase m_phase = Phase::WaitingToRetry;
    bool m_finished = false;
    // Set when a callback decided to end the transfer; read by the callbacks.
    std::atomic<bool> m_cancel { false };
    bool m_classified = false;
    bool m_digestOnly = false; // this camera asked for Digest before
    bool m_basicRefused = false; // it now asks for Basic, and gets nothing
    std::optional<std::int32_t> m_verdict; // a failed state decided inside a callback
    std::string m_verdictDetail;
    std::optional<MultipartParser> m_parser;
    std::string m_contentType; // of the answer whose headers are arriving
    bool m_sniffing = false; // an unlabelled body, not yet known to be multipart
    std::string m_sniffed; // its first bytes while sniffing
    bool m_paused = false; // held back for flooding
};

} // namespace media
