// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg/stream_transfer.h"

#include "core/media_contract/dispatch.h"
#include "core/util/ascii_text.h"
#include "media/decode/decode_pool.h"
#include "media/mjpeg/extra_authorities.h"
#include "media/mjpeg/stream_endpoint.h"
#include "media/mjpeg/stream_url.h"
#include "veskat_version.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace media {

namespace {

using util::asciiLower;
using util::trimAsciiSpace;

std::int64_t parseSendTime(const MultipartPart& part)
{
    for (const auto& [name, value] : part.headers) {
        if (name != "x-send-time-us")
            continue;
        const std::string_view text = trimAsciiSpace(value);
        std::int64_t us = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), us);
        return result.ec == std::errc() ? us : 0;
    }
    return 0;
}

// libcurl's words, led by what they mean for a camera where that is not plain.
std::string failureDetail(CURLcode result, std::string said)
{
    switch (result) {
    case CURLE_PEER_FAILED_VERIFICATION:
        return "the camera's certificate is not trusted (" + said + ")";
    case CURLE_SSL_CACERT_BADFILE:
        return "the trusted certificates could not be read (" + said + ")";
    default:
        return said;
    }
}

long seconds(std::chrono::milliseconds ms)
{
    return static_cast<long>(ms.count() / 1000);
}

} // namespace

StreamTransfer::StreamTransfer(std::shared_ptr<StreamState> state, StreamConfig config, std::uint64_t session,
    DecodePool& decoders, const MonotonicClock& clock, std::function<void()> wakeNetwork)
    : m_state(std::move(state))
    , m_config(std::move(config))
    , m_session(session)
    , m_decoders(decoders)
    , m_timers(clock, std::chrono::milliseconds(m_config.timeoutMs))
    , m_wakeNetwork(std::move(wakeNetwork))
{
    // Credentials written into the address are the camera's own and win over
    // the settings; out of the URL, they go only where restrict() lets them.
    // The Digest memory is keyed by the credentials used.
    if (auto endpoint = streamEndpoint(m_config.url)) {
        m_config.url = std::move(endpoint->url);
        if (endpoint->user) {
            m_config.user = std::move(*endpoint->user);
            m_config.password = std::move(endpoint->password);
        }
        if (!isAddressLiteral(endpoint->host)) {
            m_host = std::move(endpoint->host);
            m_port = endpoint->port;
        }
    }
}

StreamTransfer::~StreamTransfer() = default;

void StreamTransfer::connect(CURLM* multi)
{
    m_connection = m_state->beginConnection(m_session);
    m_classified = false;
    m_basicRefused = false;
    m_verdict.reset();
    m_verdictDetail.clear();
    m_parser.reset();
    m_cancel.store(false);
    m_contentType.clear();
    m_errorBuffer[0] = '\0';
    m_timers.attemptStarted();
    m_paused = false;
    m_phase = Phase::Connecting;

    if (const auto& extra = m_config.extraAuthorities;
        extra && !extra->problem.empty() && util::startsWithAsciiLower(m_config.url, "https://")) {
        failConnection(multi,
            "the further trusted certificates in " + extra->file + " cannot be used: " + extra->problem);
        return;
    }
    if (m_host.empty())
        return open(multi);
    m_phase = Phase::LookingUp;
    m_lookup = HostLookup::start(m_host, m_wakeNetwork);
    if (const auto result = m_lookup->result())
        lookedUp(multi, *result);
}

void StreamTransfer::lookedUp(CURLM* multi, const LookupResult& result)
{
    m_lookup.reset();
    if (result.addresses.empty())
        return failConnection(multi, "Could not resolve host: " + m_host + " (" + result.error + ")");
    // libcurl takes these addresses for the host and never looks it up itself;
    // the URL keeps the name, so https still checks the certificate against it.
    std::string entry = m_host + ":" + std::to_string(m_port) + ":";
    for (const std::string& address : result.addresses) {
        if (&address != &result.addresses.front())
            entry += ',';
        entry += address.find(':') == std::string::npos ? address : "[" + address + "]";
    }
    // The "-" entry drops what an earlier attempt put in the multi handle's cache.
    const std::string forget = "-" + m_host + ":" + std::to_string(m_port);
    m_easy.reset();
    m_pinned.reset(curl_slist_append(nullptr, forget.c_str()));
    curl_slist* last = m_pinned ? curl_slist_append(m_pinned.get(), entry.c_str()) : nullptr;
    if (!last)
        return failConnection(multi, "out of memory");
    open(multi);
}

void StreamTransfer::open(CURLM* multi)
{
    m_phase = Phase::Connecting;
    m_easy.reset(curl_easy_init());
    CURL* easy = m_easy.get();
    if (!easy) {
        failConnection(multi, "libcurl could not create a transfer");
        return;
    }
    if (!restrict(easy)) {
        m_easy.reset();
        failConnection(multi, "libcurl refused a safety setting; nothing was sent");
        return;
    }
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, buildinfo::kUserAgent);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_config.timeoutMs));
    curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
    // A stream is one endless answer; never wait for a pooled connection.
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 64L * 1024L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &StreamTransfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &StreamTransfer::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &StreamTransfer::onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);

    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        m_easy.reset();
        failConnection(multi, "libcurl could not start the transfer");
    }
}

// Everything that limits where the request and the credentials may go. Any
// option libcurl refuses fails the attempt: nothing goes out unrestricted.
bool StreamTransfer::restrict(CURL* easy)
{
    // A camera reached over https is never followed back to plain http.
    const bool secure = util::startsWithAsciiLower(m_config.url, "https://");
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, m_config.url.c_str()) == CURLE_OK
        && curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK
        && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https") == CURLE_OK
        // The camera's certificate must chain to a trusted authority and name
        // its host; there is no switch to accept any certificate.
        && curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK
        && curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK
        && trustExtraAuthorities(easy)
        // Cameras sit on the local network; a proxy from the environment would
        // see every Basic password.
        && curl_easy_setopt(easy, CURLOPT_PROXY, "") == CURLE_OK
        // Credentials go to the camera's own host only, never after a redirect.
        && curl_easy_setopt(easy, CURLOPT_UNRESTRICTED_AUTH, 0L) == CURLE_OK
        // The host's addresses, looked up off this thread (see host_lookup.h).
        && (m_host.empty() || curl_easy_setopt(easy, CURLOPT_RESOLVE, m_pinned.get()) == CURLE_OK);
    m_digestOnly
        = m_config.digest && m_config.digest->required(m_config.url, m_config.user, m_config.password);
    if (ok && (!m_config.user.empty() || !m_config.password.empty())) {
        // The camera chooses between Basic and Digest in its 401 answer, until
        // it has once chosen Digest. Two schemes also mean that nothing is
        // sent before the camera asks.
        const long schemes = m_digestOnly ? CURLAUTH_DIGEST : (CURLAUTH_BASIC | CURLAUTH_DIGEST);
        ok = curl_easy_setopt(easy, CURLOPT_HTTPAUTH, schemes) == CURLE_OK
            && curl_easy_setopt(easy, CURLOPT_USERNAME, m_config.user.c_str()) == CURLE_OK
            && curl_easy_setopt(easy, CURLOPT_PASSWORD, m_config.password.c_str()) == CURLE_OK;
    }
    return ok;
}

// The extra authorities are added to the system's: libcurl keeps its system
// certificate folder (CURLOPT_CAPATH) when the bytes take the bundle's place.
// Without such a folder they would replace the system's trust, so the attempt
// fails instead. The bytes were read before (see extra_authorities.h): the
// network thread never opens the file. An unusable file leaves plain http
// cameras (and their redirects to https) with the system's trust alone.
bool StreamTransfer::trustExtraAuthorities(CURL* easy)
{
    const auto& extra = m_config.extraAuthorities;
    if (!extra || !extra->problem.empty())
        return true;
    char* systemFolder = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_CAPATH, &systemFolder) != CURLE_OK || !systemFolder)
        return false;
    // m_config, and the bytes with it, outlive the easy handle.
    curl_blob blob { const_cast<char*>(extra->pem.data()), extra->pem.size(), CURL_BLOB_NOCOPY };
    return curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob) == CURLE_OK;
}

// After a 401: remember a camera that asks for Digest; say so when one that
// did now asks only for Basic.
void StreamTransfer::noteChallenge()
{
    long offered = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_HTTPAUTH_AVAIL, &offered);
    if ((offered & CURLAUTH_DIGEST) && m_config.digest)
        m_config.digest->note(m_config.url, m_config.user, m_config.password);
    else if (m_digestOnly && (offered & CURLAUTH_BASIC))
        m_basicRefused = true;
}

void StreamTransfer::close(CURLM* multi)
{
    if (m_easy) {
        curl_multi_remove_handle(multi, m_easy.get());
        m_easy.reset();
    }
}

void StreamTransfer::failConnection(CURLM* multi, std::string detail)
{
    close(multi);
    m_phase = Phase::WaitingToRetry;
    m_timers.attemptFailed();
    m_state->setStatus(m_session, Status::ConnectionFailed, std::move(detail));
}

void StreamTransfer::finish(CURLM* multi, std::int32_t status, std::string detail)
{
    close(multi);
    m_finished = true;
    m_state->setStatus(m_session, status, std::move(detail));
}

void StreamTransfer::transferDone(CURLM* multi, CURLcode result)
{
    if (m_verdict)
        return finish(multi, *m_verdict, m_verdictDetail);
    if (m_state->sessionOver(m_session)) {
        close(multi);
        m_finished = true;
        return;
    }
    long code = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_RESPONSE_CODE, &code);
    if (!m_classified && code >= 300 && !classifyFinalResponse(code))
        return finish(multi, *m_verdict, m_verdictDetail);
    std::string detail;
    if (result != CURLE_OK)
        detail = failureDetail(result,
            m_errorBuffer[0] && !displayHidesHost(m_config.url) ? m_errorBuffer : curl_easy_strerror(result));
    else
        detail = m_classified ? "the camera ended the stream" : "the camera closed the connection";
    failConnection(multi, std::move(detail));
}

void StreamTransfer::poll(CURLM* multi)
{
    if (m_finished)
        return;
    if (m_state->sessionOver(m_session)) {
        close(multi);
        m_finished = true;
        return;
    }
    if (m_paused && m_easy && m_timers.floodWindowOver()) {
        m_paused = false;
        curl_easy_pause(m_easy.get(), CURLPAUSE_CONT); // may deliver the held-back bytes right here
    }
    const std::chrono::milliseconds timeout(m_config.timeoutMs);
    switch (m_phase) {
    case Phase::WaitingToRetry:
        if (m_timers.retryDue())
            connect(multi);
        break;
    case Phase::LookingUp:
        if (const auto result = m_lookup->result())
            lookedUp(multi, *result);
        else if (m_timers.timedOut())
            failConnection(multi,
                "the host name " + m_host + " was not found within " + std::to_string(seconds(timeout))
                    + " s");
        break;
    case Phase::Connecting:
        if (m_timers.timedOut())
            failConnection(multi, "no answer within " + std::to_string(seconds(timeout)) + " s");
        break;
    case Phase::Streaming:
        if (m_timers.timedOut())
            failConnection(multi, "no picture for " + std::to_string(seconds(timeout)) + " s");
        else if (m_timers.stalled())
            m_state->markStalled(m_session);
        break;
    }
}

// A 401, 407 or redirect may still be answered by libcurl itself (the
// credentials, the new location); only the answer whose body reaches us, or
// that ends the transfer, is final. A 2xx answer is always final.
bool StreamTransfer::classifyFinalResponse(long code)
{
    m_classified = true;
    if (code >= 200 && code < 300) {
        const std::string type = asciiLower(trimAsciiSpace(m_contentType));
        // Some encoders (ffmpeg's own HTTP server among them) label a
        // multipart stream as plain bytes: look at how the body starts.
        m_sniffing = type.empty() || type.rfind("application/octet-stream", 0) == 0;
        m_sniffed.clear();
        if (type.rfind("multipart/", 0) != 0 && !m_sniffing) {
            m_verdict = Status::NotMjpeg;
            m_verdictDetail = type.empty() ? "the answer has no Content-Type" : "Content-Type: " + type;
            return false;
        }
        m_parser.emplace(boundaryFromContentType(m_contentType));
        m_phase = Phase::Streaming;
        m_timers.streamStarted();
        m_state->setStatus(m_session, Status::WaitingForPicture);
        return true;
    }
    if (code == 401 || code == 403 || code == 407) {
        m_verdict = Status::Unauthorized;
        m_verdictDetail = m_basicRefused
            ? "the camera asks for Basic after it used Digest; the password was not sent"
            : "HTTP " + std::to_string(code);
    } else {
        m_verdict = Status::HttpError;
        m_verdictDetail = "HTTP " + std::to_string(code);
    }
    return false;
}

bool StreamTransfer::headersComplete()
{
    long code = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_RESPONSE_CODE, &code);
    if (code < 200)
        return true; // 100 Continue and the like: the real answer follows
    if (code == 401)
        noteChallenge();
    if (code == 401 || code == 407 || (code >= 300 && code < 400))
        return true; // decided when its body arrives or the transfer ends
    return classifyFinalResponse(code);
}

size_t StreamTransfer::onHeader(char* data, size_t size, size_t count, void* self)
{
    auto* t = static_cast<StreamTransfer*>(self);
    const size_t bytes = size * count;
    if (t->m_cancel.load(std::memory_order_relaxed))
        return 0;
    const std::string_view line(data, bytes);
    if (line.rfind("HTTP/", 0) == 0) {
        t->m_contentType.clear();
        return bytes;
    }
    if (trimAsciiSpace(line).empty()) {
        if (!t->m_classified && !t->headersComplete()) {
            t->m_cancel.store(true);
            return 0;
        }
        return bytes;
    }
    const auto colon = line.find(':');
    if (colon != std::string_view::npos
        && util::equalsAsciiLower(trimAsciiSpace(line.substr(0, colon)), "content-type"))
        t->m_contentType = std::string(trimAsciiSpace(line.substr(colon + 1)));
    return bytes;
}

size_t StreamTransfer::onBody(char* data, size_t size, size_t count, void* self)
{
    auto* t = static_cast<StreamTransfer*>(self);
    const size_t bytes = size * count;
    if (t->m_cancel.load(std::memory_order_relaxed) || t->m_state->sessionOver(t->m_session))
        return 0;
    if (!t->m_classified) {
        long code = 0;
        curl_easy_getinfo(t->m_easy.get(), CURLINFO_RESPONSE_CODE, &code);
        if (!t->classifyFinalResponse(code)) {
            t->m_cancel.store(true);
            return 0;
        }
    }
    if (!t->m_parser)
        return 0;
    // A camera that sends more parts than any screen shows is held back for
    // the rest of the window: TCP makes it wait, and the network thread does
    // not parse what would only be dropped. The bytes of the refused call come
    // again when poll() resumes the transfer.
    if (!t->m_sniffing && t->m_timers.holdBackFlood()) {
        t->m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    std::string_view body(data, bytes);
    if (t->m_sniffing) {
        switch (t->sniff(body)) {
        case Sniff::NeedMore:
            return bytes;
        case Sniff::NotMultipart:
            t->m_cancel.store(true);
            return 0;
        case Sniff::Multipart:
            body = t->m_sniffed;
            break;
        }
    }
    t->m_parser->feed(body, [t](MultipartPart&& part) { t->handlePart(std::move(part)); });
    if (!t->m_sniffing)
        t->m_sniffed.clear();
    return bytes;
}

// Collects the start of an unlabelled body until it shows whether a
// boundary line ("--...") opens it.
StreamTransfer::Sniff StreamTransfer::sniff(std::string_view bytes)
{
    m_sniffed.append(bytes);
    const auto first = m_sniffed.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || m_sniffed.size() - first < 2) {
        if (m_sniffed.size() <= kMaxSniffBytes)
            return Sniff::NeedMore;
    } else if (m_sniffed.compare(first, 2, "--") == 0) {
        m_sniffing = false;
        return Sniff::Multipart;
    }
    m_verdict = Status::NotMjpeg;
    m_verdictDetail = "the answer is not a multipart stream";
    return Sniff::NotMultipart;
}

int StreamTransfer::onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* t = static_cast<StreamTransfer*>(self);
    return t->m_cancel.load(std::memory_order_relaxed) || t->m_state->sessionOver(t->m_session) ? 1 : 0;
}

void StreamTransfer::handlePart(MultipartPart&& part)
{
    m_timers.partArrived();
    m_state->partArrived(m_session);
    EncodedPicture picture { std::move(part.body), parseSendTime(part), m_session, m_connection };
    if (m_state->offerPicture(std::move(picture)))
        m_decoders.schedule(m_state);
}

} // namespace media
