// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Our Motion-JPEG media control: fetches the stream at property 1 with the
// credentials of properties 6 and 7, and paints the newest picture stretched
// over its whole area. Without a picture it shows the status in words; a
// picture that stopped arriving is dimmed and marked with its time.
//
// It decodes no more than it can paint, and nothing while nobody can see it
// (see StreamState::setSeen): it looks on show, hide and paint, and every
// kSeenCheckMs for windows moved over it.
//
// Thread: every member on the UI thread, but for its StreamSink side: the
// network and decode threads reach it there, through StreamState, and it
// posts what they say to the UI thread.
#include "media/control/media_control.h"
#include "media/stream/digest_memory.h"
#include "media/stream/media_stats.h"
#include "media/stream/stream_sink.h"

#include <QBasicTimer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace media {

class MediaEngine;
class StreamState;

class MjpegControl final : public MediaControl, public StreamSink {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 25000;
    static constexpr int kMinTimeoutMs = 500;
    // Names a PEM file of certificate authorities that https cameras may
    // chain to besides the system's (a camera's own CA or self-signed
    // certificate). Verification stays on. The variable is read at every
    // start, the file once per name (see extra_authorities.h).
    static constexpr const char* kExtraCaVariable = "VESKAT_CAMERA_CA_FILE";
    static constexpr int kSeenCheckMs = 250;

    MjpegControl(MediaEngine& engine, QWidget* parent = nullptr);
    ~MjpegControl() override;

    void putProperty(int dispId, const DispValue& value) override;
    DispValue getProperty(int dispId) const override;
    void invoke(int dispId) override;

    std::int32_t status() const override;
    // What went wrong, in a few words ("HTTP 404", "Connection refused"); may be empty.
    QString statusDetail() const;
    // Said in place of the detail while the stream fails (1025, above 1027):
    // a reason the control cannot know, such as an address never set. Empty
    // for none.
    void setFailureNote(const QString& note) override;
    // The detail as the picture area shows it: the note when one applies.
    QString shownDetail() const override;
    // The picture on screen as the camera sent it (its JPEG bytes, shared
    // with nothing that changes them); null before the first picture.
    std::shared_ptr<const std::string> pictureJpeg() const override { return m_pictureJpeg; }
    // Pictures painted since the start or resetStats(); cheap enough to read every second.
    std::uint64_t drawnCount() const override { return m_drawn; }
    // The shown picture's own size (as the camera sent it); empty before the first.
    QSize pictureSize() const override { return m_pictureSize; }
    MediaStats stats() const;
    // Starts the counters afresh, for measuring a stretch of time.
    void resetStats();

signals:
    // Every status change, in order.
    void statusChanged(int status);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // StreamSink, from any thread: posted to the UI thread, and dropped there
    // when the control is gone by then.
    void streamStatusChanged(std::int32_t status) override;
    void pictureReady() override;
    void onStreamStatus(int status);
    void onPictureReady();

    void start();
    // True when the address is an rtsp(s):// one, which it then started or refused.
    bool startRtsp();
    void stop();
    void paintMessage(class QPainter& painter, const QString& headline, const QString& detail);
    void updateSeen();
    void releaseDecode();
    void scheduleDecode();

    MediaEngine& m_engine;
    std::shared_ptr<StreamState> m_state;
    // This camera's, across restarts (see DigestMemory).
    const std::shared_ptr<DigestMemory> m_digest = std::make_shared<DigestMemory>();
    std::map<int, DispValue> m_properties; // everything put, read back as put
    std::string m_url;
    std::string m_user;
    std::string m_password;
    std::string m_mediaType = "mjpeg";
    std::string m_startedUrl; // the URL of the last start
    int m_timeoutMs = kDefaultTimeoutMs;

    int m_lastStatus = 0;
    QImage m_picture;
    std::shared_ptr<const std::string> m_pictureJpeg; // the bytes m_picture was decoded from
    QString m_failureNote;
    QSize m_pictureSize;
    QDateTime m_pictureTime; // when the shown picture arrived
    std::int64_t m_pictureSendTimeUs = 0;
    bool m_pictureUnpainted = false;
    std::uint64_t m_drawn = 0;
    std::uint64_t m_droppedUnpainted = 0;
    LatencyHistogram m_latency;

    bool m_seen = false;
    QBasicTimer m_seenTimer;
    // No more decodes than the screen can show: one per refresh at most.
    QBasicTimer m_releaseTimer;
    QElapsedTimer m_clock;
    qint64 m_lastReleaseMs = -1000;
};

} // namespace media
