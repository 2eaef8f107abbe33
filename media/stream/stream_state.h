// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What one media control shares with the network and decode threads: the
// status of its stream, the one-slot hand-offs of pictures (newest wins), the
// counters, and the way back to the control through its StreamSink.
//
// The control owns a shared_ptr to it; the threads hold their own, so the
// state outlives a control that is destroyed while it streams. Once the
// control has detached, its sink is not called any more.
//
// Thread: every member may be called from any thread unless its comment says
// otherwise. A "session" is one start of the stream; results of an older
// session are dropped, so a stop or restart takes effect at once.
#include "media/stream/digest_memory.h"
#include "media/stream/media_stats.h"
#include "media/stream/stream_sink.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace media {

struct ExtraAuthorities; // media/mjpeg/extra_authorities.h: the source reads it

struct StreamConfig {
    std::string url;
    std::string user;
    std::string password;
    int timeoutMs = 25000;
    // Certificate authorities trusted for https cameras besides the system's;
    // null for the system's alone.
    std::shared_ptr<const ExtraAuthorities> extraAuthorities;
    // The camera's Digest memory, the control's; null for none kept.
    std::shared_ptr<DigestMemory> digest;
};

// A part as it came from the camera, waiting to be decoded.
struct EncodedPicture {
    std::string jpeg;
    std::int64_t sendTimeUs = 0; // 0 when the camera sent no send time
    std::uint64_t session = 0;
    std::uint64_t connection = 0;
    std::uint64_t order = 0; // given by offerPicture(): a later part has a larger one
};

// A decoded picture, scaled to the picture area, waiting to be painted.
struct ReadyPicture {
    QImage image;
    QSize sourceSize;
    std::int64_t sendTimeUs = 0;
    // The part's bytes as the camera sent them, moved here (never copied) so
    // that a snapshot can save the picture on screen as it came.
    std::shared_ptr<const std::string> jpeg;
};

class StreamState {
public:
    // After this many parts of one connection fail to decode, with none
    // decoded, the stream is not Motion JPEG.
    static constexpr int kFailuresBeforeNotMjpeg = 5;

    // `sink` is told of status changes and ready pictures until detach().
    explicit StreamState(StreamSink* sink);
    StreamState(const StreamState&) = delete;
    StreamState& operator=(const StreamState&) = delete;

    // UI thread, from the control's destructor: once it returns, the sink is
    // never called again (a call under way finishes first).
    void detach();

    // --- status ---------------------------------------------------------
    // A longer detail is cut to this many bytes (whole UTF-8 characters) and "…".
    static constexpr std::size_t kMaxDetailBytes = 200;
    std::int32_t status() const;
    std::string detail() const;
    // UI thread: a new session with the given first status; returns its id.
    // The pictures of the last session, waiting or ready, are dropped.
    std::uint64_t beginSession(std::int32_t status, std::string detail = {});
    // UI thread: ends the session, dropping its pictures; status 0.
    void endSession();
    bool sessionCurrent(std::uint64_t session) const;
    // True when the session ended or reached a failed state that only a
    // restart clears (1028 to 1031); its transfer should go.
    bool sessionOver(std::uint64_t session) const;
    // Sets the status if `session` is still current; false otherwise.
    bool setStatus(std::uint64_t session, std::int32_t status, std::string detail = {});

    // Network thread: a new connection attempt of the session; returns its id.
    std::uint64_t beginConnection(std::uint64_t session);
    // Network thread: a part arrived; a stalled stream plays again.
    void partArrived(std::uint64_t session);
    // Network thread: no part for a while; a playing stream is stalled.
    void markStalled(std::uint64_t session);

    // --- pictures -------------------------------------------------------
    // Network thread: the newest part replaces one still waiting. True when
    // the stream must be queued for decoding (it is not queued yet).
    bool offerPicture(EncodedPicture&& picture);
    // Decode thread: takes the waiting part, if any.
    std::optional<EncodedPicture> takePicture();
    // Decode thread, after a decode: true when another part waits, and the
    // stream must be queued again; otherwise it leaves the queue.
    bool finishDecode();
    // Decode thread: a part decoded / failed to decode. The reason of the
    // failure becomes the status detail once the stream counts as not
    // Motion JPEG. A picture of a session that ended, or older than one
    // made ready before it, is not made ready.
    void pictureDecoded(const EncodedPicture& from, ReadyPicture&& picture);
    void pictureFailed(const EncodedPicture& from, const std::string& reason = {});
    // A source that decodes on its own thread (RTSP video): a picture of
    // `connection` decoded, ordered after every part offered before it. The
    // source counts what it received itself.
    void framePictureDecoded(std::uint64_t session, std::uint64_t connection, ReadyPicture&& picture);
    // Whether such a source should decode at all: the area is seen, or no
    // picture of the connection has shown the stream works yet.
    bool picturesWanted() const;
    // UI thread: the newest decoded picture, if one arrived since the last call.
    std::optional<ReadyPicture> takeReadyPicture();

    // Decoding is paced by what can be seen. While the picture area is seen,
    // a stream's next part is decoded only once the UI thread has taken the
    // picture before it for painting (meanwhile the newest part waits).
    // While it is not, parts are dropped once a picture of the connection
    // has decoded, so that the status stays true and nothing else is spent.
    // The first two calls below return true when the stream must be queued
    // for decoding.
    // UI thread: whether anyone can see the picture area (false at first).
    bool setSeen(bool seen);
    // UI thread: the picture taken last will be painted; the next may come.
    bool pictureTaken();
    // UI thread: an image the control no longer shows, for the decoder to
    // draw into again instead of making a new one.
    void recycleImage(QImage&& image);
    // Decode thread: a recycled image, or a null one.
    QImage takeSpareImage();

    // The picture area in device pixels; set by the UI thread.
    void setArea(QSize area);
    QSize area() const;

    struct Counters {
        std::atomic<std::uint64_t> received { 0 };
        std::atomic<std::uint64_t> decoded { 0 };
        std::atomic<std::uint64_t> skipped { 0 };
        std::atomic<std::uint64_t> droppedBeforeDecode { 0 };
        std::atomic<std::uint64_t> droppedBeforeDraw { 0 };
        std::atomic<std::uint64_t> unseen { 0 };
        std::atomic<int> pictureWidth { 0 };
        std::atomic<int> pictureHeight { 0 };
    };
    Counters& counters() { return m_counters; }
    const Counters& counters() const { return m_counters; }

private:
    void postStatus(std::int32_t status);
    void postPictureReady();
    void deliver();
    // Declared before a method's locks, so that it delivers after they are released.
    struct DeliverAfterUnlock {
        StreamState& state;
        ~DeliverAfterUnlock() { state.deliver(); }
    };
    bool setStatusLocked(std::int32_t status, std::string detail);
    void dropPicturesLocked();

    std::mutex m_sinkMutex;
    StreamSink* m_sink; // guarded by m_sinkMutex; null once detached
    std::mutex m_outboxMutex;
    std::deque<std::int32_t> m_outboxStatuses; // guarded by m_outboxMutex
    bool m_outboxPicture = false; // guarded by m_outboxMutex

    // Locks are taken in the order m_statusMutex, m_pictureMutex,
    // m_outboxMutex; and m_sinkMutex, m_outboxMutex. The sink is called with
    // m_sinkMutex alone held.
    mutable std::mutex m_statusMutex;
    std::uint64_t m_session = 0;
    std::uint64_t m_connection = 0;
    std::int32_t m_status = 0;
    std::string m_detail;
    bool m_decodedOnConnection = false;
    int m_failuresOnConnection = 0;

    bool mayDecodeLocked() const;

    mutable std::mutex m_pictureMutex;
    std::optional<EncodedPicture> m_waiting;
    bool m_scheduled = false; // queued for or being decoded
    std::optional<ReadyPicture> m_ready;
    std::uint64_t m_offered = 0; // the order of the last part offered
    std::uint64_t m_readyOrder = 0; // the order of the last part made ready
    bool m_readyPosted = false;
    bool m_seen = false;
    bool m_awaitingTake = false; // a decoded picture has not been taken for painting yet
    QImage m_spare;
    // A picture of the current connection decoded; mirrors
    // m_decodedOnConnection for readers that hold m_pictureMutex.
    std::atomic<bool> m_connectionProven { false };

    std::atomic<std::uint64_t> m_area { 0 };
    Counters m_counters;
};

} // namespace media
