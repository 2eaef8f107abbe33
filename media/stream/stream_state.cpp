// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/stream/stream_state.h"

#include "core/media_contract/dispatch.h"

#include <utility>

namespace media {

namespace {

// A detail is a line for a person: whatever a camera sends into it (a
// Content-Type, an error text) is cut here, once, for every view.
std::string cutDetail(std::string detail)
{
    if (detail.size() <= StreamState::kMaxDetailBytes)
        return detail;
    std::size_t end = StreamState::kMaxDetailBytes;
    // Never half a UTF-8 character: continuation bytes are 10xxxxxx.
    while (end > 0 && (static_cast<unsigned char>(detail[end]) & 0xC0) == 0x80)
        --end;
    detail.resize(end);
    return detail + "\u2026";
}

} // namespace

StreamState::StreamState(StreamSink* sink)
    : m_sink(sink)
{
}

void StreamState::detach()
{
    std::lock_guard lock(m_sinkMutex);
    m_sink = nullptr;
}

// Called under the state's locks: the news waits in the outbox, in order,
// until deliver() runs with no lock of the state held but the sink's.
void StreamState::postStatus(std::int32_t status)
{
    std::lock_guard lock(m_outboxMutex);
    m_outboxStatuses.push_back(status);
}

void StreamState::postPictureReady()
{
    std::lock_guard lock(m_outboxMutex);
    m_outboxPicture = true;
}

// The sink is called under the sink lock only, so a control cannot finish
// detaching (its destructor's first step) while a thread is calling it, and
// the sink may call back into the state. One thread at a time empties the
// outbox, so the statuses reach the sink in the order they were set.
void StreamState::deliver()
{
    std::lock_guard sinkLock(m_sinkMutex);
    for (;;) {
        std::optional<std::int32_t> status;
        {
            std::lock_guard lock(m_outboxMutex);
            if (!m_outboxStatuses.empty()) {
                status = m_outboxStatuses.front();
                m_outboxStatuses.pop_front();
            } else if (!m_outboxPicture) {
                return;
            }
            if (!status)
                m_outboxPicture = false;
        }
        if (!m_sink)
            continue;
        if (status)
            m_sink->streamStatusChanged(*status);
        else
            m_sink->pictureReady();
    }
}

std::int32_t StreamState::status() const
{
    std::lock_guard lock(m_statusMutex);
    return m_status;
}

std::string StreamState::detail() const
{
    std::lock_guard lock(m_statusMutex);
    return m_detail;
}

// Called with m_statusMutex held; posts under it, so that the control sees
// the changes in the order they happened.
bool StreamState::setStatusLocked(std::int32_t status, std::string detail)
{
    const bool changed = status != m_status;
    m_status = status;
    m_detail = cutDetail(std::move(detail));
    if (changed)
        postStatus(status);
    return changed;
}

// Called with m_statusMutex held, as the session changes: a decode thread
// that checked the session under the same lock cannot put a picture of the
// old one in the ready slot afterwards.
void StreamState::dropPicturesLocked()
{
    std::lock_guard lock(m_pictureMutex);
    m_waiting.reset();
    if (m_ready) {
        m_counters.droppedBeforeDraw.fetch_add(1, std::memory_order_relaxed);
        m_spare = std::move(m_ready->image);
        m_ready.reset();
    }
    // Whatever the last session left for the UI thread to take must not
    // hold up the next one.
    m_awaitingTake = false;
}

std::uint64_t StreamState::beginSession(std::int32_t status, std::string detail)
{
    const DeliverAfterUnlock deliver(*this);
    std::lock_guard lock(m_statusMutex);
    dropPicturesLocked();
    setStatusLocked(status, std::move(detail));
    m_decodedOnConnection = false;
    m_connectionProven = false;
    m_failuresOnConnection = 0;
    return ++m_session;
}

void StreamState::endSession()
{
    const DeliverAfterUnlock deliver(*this);
    std::lock_guard lock(m_statusMutex);
    ++m_session;
    dropPicturesLocked();
    setStatusLocked(Status::Stopped, {});
}

bool StreamState::sessionCurrent(std::uint64_t session) const
{
    std::lock_guard lock(m_statusMutex);
    return session == m_session;
}

bool StreamState::sessionOver(std::uint64_t session) const
{
    std::lock_guard lock(m_statusMutex);
    return session != m_session || Status::waitsForRestart(m_status);
}

bool StreamState::setStatus(std::uint64_t session, std::int32_t status, std::string detail)
{
    const DeliverAfterUnlock deliver(*this);
    std::lock_guard lock(m_statusMutex);
    if (session != m_session)
        return false;
    setStatusLocked(status, std::move(detail));
    return true;
}

std::uint64_t StreamState::beginConnection(std::uint64_t session)
{
    std::lock_guard lock(m_statusMutex);
    if (session == m_session) {
        m_decodedOnConnection = false;
        m_connectionProven = false;
        m_failuresOnConnection = 0;
    }
    return ++m_connection;
}

void StreamState::partArrived(std::uint64_t session)
{
    const DeliverAfterUnlock deliver(*this);
    std::lock_guard lock(m_statusMutex);
    if (session == m_session && m_status == Status::Stalled)
        setStatusLocked(m_decodedOnConnection ? Status::Playing : Status::WaitingForPicture, {});
}

void StreamState::markStalled(std::uint64_t session)
{
    const DeliverAfterUnlock deliver(*this);
    std::lock_guard lock(m_statusMutex);
    if (session == m_session && m_status == Status::Playing)
        setStatusLocked(Status::Stalled, {});
}

bool StreamState::mayDecodeLocked() const
{
    if (!m_waiting || m_scheduled)
        return false;
    if (!m_seen)
        return !m_connectionProven.load();
    return !m_awaitingTake;
}

bool StreamState::offerPicture(EncodedPicture&& picture)
{
    m_counters.received.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard lock(m_pictureMutex);
    if (!m_seen && m_connectionProven.load()) {
        m_counters.unseen.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    if (m_waiting)
        m_counters.droppedBeforeDecode.fetch_add(1, std::memory_order_relaxed);
    picture.order = ++m_offered;
    m_waiting = std::move(picture);
    if (!mayDecodeLocked())
        return false;
    m_scheduled = true;
    return true;
}

std::optional<EncodedPicture> StreamState::takePicture()
{
    std::lock_guard lock(m_pictureMutex);
    std::optional<EncodedPicture> picture = std::move(m_waiting);
    m_waiting.reset();
    return picture;
}

bool StreamState::finishDecode()
{
    std::lock_guard lock(m_pictureMutex);
    m_scheduled = false;
    // A part that waited while this one proved the connection is not shown
    // either; on showing, the next part to arrive is.
    if (!m_seen && m_waiting && m_connectionProven.load()) {
        m_counters.unseen.fetch_add(1, std::memory_order_relaxed);
        m_waiting.reset();
    }
    if (!mayDecodeLocked())
        return false;
    m_scheduled = true;
    return true;
}

// The status lock is held throughout, so that the session cannot end between
// its check and the ready slot (see dropPicturesLocked).
void StreamState::pictureDecoded(const EncodedPicture& from, ReadyPicture&& picture)
{
    const DeliverAfterUnlock deliver(*this);
    std::lock_guard statusLock(m_statusMutex);
    if (from.session != m_session)
        return;
    if (from.connection == m_connection) {
        m_decodedOnConnection = true;
        m_connectionProven = true;
        m_failuresOnConnection = 0;
        if (m_status == Status::WaitingForPicture || m_status == Status::Stalled
            || m_status == Status::Connecting)
            setStatusLocked(Status::Playing, {});
    }
    m_counters.decoded.fetch_add(1, std::memory_order_relaxed);
    m_counters.pictureWidth.store(picture.sourceSize.width(), std::memory_order_relaxed);
    m_counters.pictureHeight.store(picture.sourceSize.height(), std::memory_order_relaxed);

    std::lock_guard pictureLock(m_pictureMutex);
    if (from.order <= m_readyOrder) {
        // A newer part was made ready first: time must not run backwards.
        m_counters.droppedBeforeDraw.fetch_add(1, std::memory_order_relaxed);
        m_spare = std::move(picture.image);
        return;
    }
    if (m_ready) {
        m_counters.droppedBeforeDraw.fetch_add(1, std::memory_order_relaxed);
        m_spare = std::move(m_ready->image);
    }
    m_ready = std::move(picture);
    m_readyOrder = from.order;
    m_awaitingTake = true;
    if (!m_readyPosted) {
        m_readyPosted = true;
        postPictureReady();
    }
}

void StreamState::pictureFailed(const EncodedPicture& from, const std::string& reason)
{
    const DeliverAfterUnlock deliver(*this);
    m_counters.skipped.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard lock(m_statusMutex);
    if (from.session != m_session || from.connection != m_connection || m_decodedOnConnection)
        return;
    if (++m_failuresOnConnection >= kFailuresBeforeNotMjpeg && !Status::waitsForRestart(m_status))
        setStatusLocked(Status::NotMjpeg, reason.empty() ? "no picture of the stream decodes" : reason);
}

void StreamState::framePictureDecoded(std::uint64_t session, std::uint64_t connection, ReadyPicture&& picture)
{
    EncodedPicture from;
    from.session = session;
    from.connection = connection;
    {
        std::lock_guard lock(m_pictureMutex);
        from.order = ++m_offered;
    }
    pictureDecoded(from, std::move(picture));
}

bool StreamState::picturesWanted() const
{
    std::lock_guard lock(m_pictureMutex);
    return m_seen || !m_connectionProven.load();
}

std::optional<ReadyPicture> StreamState::takeReadyPicture()
{
    std::lock_guard lock(m_pictureMutex);
    m_readyPosted = false;
    std::optional<ReadyPicture> picture = std::move(m_ready);
    m_ready.reset();
    return picture;
}

bool StreamState::setSeen(bool seen)
{
    std::lock_guard lock(m_pictureMutex);
    if (seen == m_seen)
        return false;
    m_seen = seen;
    if (!seen) {
        if (m_waiting && m_connectionProven.load()) {
            m_counters.unseen.fetch_add(1, std::memory_order_relaxed);
            m_waiting.reset();
        }
        return false;
    }
    if (!mayDecodeLocked())
        return false;
    m_scheduled = true;
    return true;
}

bool StreamState::pictureTaken()
{
    std::lock_guard lock(m_pictureMutex);
    m_awaitingTake = false;
    if (!mayDecodeLocked())
        return false;
    m_scheduled = true;
    return true;
}

void StreamState::recycleImage(QImage&& image)
{
    std::lock_guard lock(m_pictureMutex);
    m_spare = std::move(image);
}

QImage StreamState::takeSpareImage()
{
    std::lock_guard lock(m_pictureMutex);
    return std::exchange(m_spare, QImage());
}

void StreamState::setArea(QSize area)
{
    const auto w = static_cast<std::uint64_t>(std::max(0, area.width()));
    const auto h = static_cast<std::uint64_t>(std::max(0, area.height()));
    m_area.store((w << 32) | h, std::memory_order_relaxed);
}

QSize StreamState::area() const
{
    const std::uint64_t packed = m_area.load(std::memory_order_relaxed);
    return QSize(static_cast<int>(packed >> 32), static_cast<int>(packed & 0xffffffffu));
}

} // namespace media
