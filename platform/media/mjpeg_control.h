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
// Thread: every member on the UI thread. The network and decode threads only
// reach it through StreamState, which posts to the UI thread.
#include "platform/media/media_control.h"
#include "platform/media/media_stats.h"

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

class MjpegControl final : public MediaControl {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 25000;
    static constexpr int kMinTimeoutMs = 500;
    static constexpr int kSeenCheckMs = 250;

    MjpegControl(MediaEngine& engine, QWidget* parent = nullptr);
    ~MjpegControl() override;

    void putProperty(int dispId, const DispValue& value) override;
    DispValue getProperty(int dispId) const override;
    void invoke(int dispId) override;

    std::int32_t status() const;
    // What went wrong, in a few words ("HTTP 404", "Connection refused"); may be empty.
    QString statusDetail() const;
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
    friend class StreamState;
    void onStreamStatus(int status);
    void onPictureReady();

    void start();
    void stop();
    void paintMessage(class QPainter& painter, const QString& headline, const QString& detail);
    void updateSeen();
    void releaseDecode();
    void scheduleDecode();

    MediaEngine& m_engine;
    std::shared_ptr<StreamState> m_state;
    std::map<int, DispValue> m_properties; // everything put, read back as put
    std::string m_url;
    std::string m_user;
    std::string m_password;
    std::string m_mediaType = "mjpeg";
    std::string m_startedUrl; // the URL of the last start
    int m_timeoutMs = kDefaultTimeoutMs;

    int m_lastStatus = 0;
    QImage m_picture;
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
