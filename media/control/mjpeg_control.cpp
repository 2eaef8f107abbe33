// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/control/mjpeg_control.h"

#include "core/util/ascii_text.h"
#include "media/control/media_engine.h"
#include "media/control/seen_on_screen.h"
#include "media/mjpeg/extra_authorities.h"
#include "media/mjpeg/stream_url.h"
#include "media/rtsp/rtsp_address.h"
#include "media/stream/stream_state.h"

#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QTimerEvent>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <new>
#include <utility>

namespace media {

namespace {

std::string toText(const DispValue& value)
{
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return std::to_string(*i);
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? "True" : "False";
    return {};
}

// Runs `call` on the control's (UI) thread later, unless the control is gone
// by then. Safe from any thread.
template <typename Call> void postToUi(MjpegControl* control, Call call)
{
    QMetaObject::invokeMethod(
        control,
        [target = QPointer(control), call] {
            if (target)
                call(*target);
        },
        Qt::QueuedConnection);
}

std::int64_t nowMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

MediaControl* createMediaControl(QWidget* parent)
{
    MediaEngine* engine = MediaEngine::instance();
    if (!engine)
        return nullptr;
    return new (std::nothrow) MjpegControl(*engine, parent);
}

MjpegControl::MjpegControl(MediaEngine& engine, QWidget* parent)
    : MediaControl(parent)
    , m_engine(engine)
    , m_state(std::make_shared<StreamState>(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_state->setArea(size() * devicePixelRatioF());
    m_clock.start();
}

MjpegControl::~MjpegControl()
{
    // Detach first: from here on nothing calls this object as a sink, and
    // the threads keep only the shared state alive until they let go of it.
    m_state->detach();
    m_state->endSession();
    m_engine.network().stop(m_state);
    m_engine.rtsp().stop(m_state);
}

void MjpegControl::putProperty(int dispId, const DispValue& value)
{
    if (dispId == DispId::Status)
        return; // read only
    m_properties[dispId] = value;
    switch (dispId) {
    case DispId::Url:
        m_url = toText(value);
        break;
    case DispId::UserName:
        m_user = toText(value);
        break;
    case DispId::Password:
        m_password = toText(value);
        break;
    case DispId::MediaType:
        m_mediaType = toText(value);
        break;
    case DispId::NetworkTimeout: {
        const std::int32_t ms = toInt32(value);
        m_timeoutMs = ms <= 0 ? kDefaultTimeoutMs : std::max(ms, kMinTimeoutMs);
        break;
    }
    default:
        break;
    }
}

DispValue MjpegControl::getProperty(int dispId) const
{
    if (dispId == DispId::Status)
        return status();
    if (const auto it = m_properties.find(dispId); it != m_properties.end())
        return it->second;
    switch (dispId) {
    case DispId::Url:
    case DispId::UserName:
    case DispId::Password:
        return std::string();
    case DispId::MediaType:
        return m_mediaType;
    case DispId::NetworkTimeout:
        return static_cast<std::int32_t>(m_timeoutMs);
    default:
        return std::monostate {};
    }
}

void MjpegControl::invoke(int dispId)
{
    if (dispId == DispId::Start)
        start();
    else if (dispId == DispId::Stop)
        stop();
}

void MjpegControl::start()
{
    // The last picture stays while the same camera reconnects; another
    // camera's picture would mislead.
    if (m_url != m_startedUrl) {
        m_picture = QImage();
        m_pictureJpeg.reset();
        m_pictureSize = QSize();
        m_pictureUnpainted = false;
        m_startedUrl = m_url;
        update();
    }
    m_engine.rtsp().stop(m_state);
    if (!util::equalsAsciiLower(m_mediaType, "mjpeg")) {
        m_state->beginSession(Status::NotMjpeg, "media type \"" + m_mediaType + "\" is not supported");
        m_engine.network().stop(m_state);
        return;
    }
    if (startRtsp()) {
        m_engine.network().stop(m_state);
        return;
    }
    if (!isValidStreamUrl(m_url)) {
        m_state->beginSession(Status::InvalidUrl, m_url.empty() ? "no URL" : urlForDisplay(m_url));
        m_engine.network().stop(m_state);
        return;
    }
    if (hasAnyAddressHost(m_url)) {
        // Linux would take 0.0.0.0 for this machine and hand the camera's
        // password to whatever listens here; Windows refuses to connect to it.
        m_state->beginSession(Status::ConnectionFailed, "no camera address (" + urlForDisplay(m_url) + ")");
        m_engine.network().stop(m_state);
        return;
    }
    // A hidden widget gets its resize event only when shown; its size is right already.
    m_state->setArea(size() * devicePixelRatioF());
    const std::uint64_t session = m_state->beginSession(Status::Connecting);
    const char* extraCa = std::getenv(kExtraCaVariable);
    m_engine.network().start(m_state,
        StreamConfig { m_url, m_user, m_password, m_timeoutMs,
            extraCa && *extraCa ? extraAuthorities(extraCa) : nullptr, m_digest },
        session);
}

void MjpegControl::stop()
{
    m_state->endSession();
    m_engine.network().stop(m_state);
    m_engine.rtsp().stop(m_state);
}

// The address's scheme chooses the source; rtsp:// plays through libavformat.
bool MjpegControl::startRtsp()
{
    if (isRtspsUrl(m_url)) {
        m_state->beginSession(Status::InvalidUrl, "rtsps:// (RTSP over TLS) is not supported");
        return true;
    }
    if (!isRtspUrl(m_url))
        return false;
    if (!isValidRtspUrl(m_url)) {
        m_state->beginSession(Status::InvalidUrl, urlForDisplay(m_url));
        return true;
    }
    m_state->setArea(size() * devicePixelRatioF());
    const std::uint64_t session = m_state->beginSession(Status::Connecting);
    m_engine.rtsp().start(
        m_state, StreamConfig { m_url, m_user, m_password, m_timeoutMs, nullptr, m_digest }, session);
    return true;
}

std::int32_t MjpegControl::status() const
{
    return m_state->status();
}

QString MjpegControl::statusDetail() const
{
    return QString::fromStdString(m_state->detail());
}

void MjpegControl::setFailureNote(const QString& note)
{
    m_failureNote = note;
    update();
}

QString MjpegControl::shownDetail() const
{
    const std::int32_t current = status();
    const bool failing = current == Status::ConnectionFailed || current > Status::Stalled;
    return failing && !m_failureNote.isEmpty() ? m_failureNote : statusDetail();
}

MediaStats MjpegControl::stats() const
{
    const StreamState::Counters& c = m_state->counters();
    MediaStats s;
    s.received = c.received.load();
    s.decoded = c.decoded.load();
    s.skipped = c.skipped.load();
    s.drawn = m_drawn;
    s.droppedBeforeDecode = c.droppedBeforeDecode.load();
    s.droppedBeforeDraw = c.droppedBeforeDraw.load() + m_droppedUnpainted;
    s.unseen = c.unseen.load();
    s.pictureWidth = c.pictureWidth.load();
    s.pictureHeight = c.pictureHeight.load();
    s.latency = m_latency;
    return s;
}

void MjpegControl::resetStats()
{
    StreamState::Counters& c = m_state->counters();
    c.received = 0;
    c.decoded = 0;
    c.skipped = 0;
    c.droppedBeforeDecode = 0;
    c.droppedBeforeDraw = 0;
    c.unseen = 0;
    m_drawn = 0;
    m_droppedUnpainted = 0;
    m_latency = LatencyHistogram();
}

void MjpegControl::streamStatusChanged(std::int32_t status)
{
    postToUi(this, [status](MjpegControl& control) { control.onStreamStatus(status); });
}

void MjpegControl::pictureReady()
{
    postToUi(this, [](MjpegControl& control) { control.onPictureReady(); });
}

void MjpegControl::onStreamStatus(int status)
{
    if (status == m_lastStatus)
        return;
    m_lastStatus = status;
    update();
    emit statusChanged(status);
}

void MjpegControl::onPictureReady()
{
    std::optional<ReadyPicture> picture = m_state->takeReadyPicture();
    if (!picture)
        return;
    if (m_pictureUnpainted)
        ++m_droppedUnpainted;
    m_state->recycleImage(std::exchange(m_picture, std::move(picture->image)));
    m_pictureJpeg = std::move(picture->jpeg);
    if (picture->sourceSize != m_pictureSize) {
        m_pictureSize = picture->sourceSize;
        emit pictureSizeChanged(m_pictureSize);
    }
    m_pictureSendTimeUs = picture->sendTimeUs;
    m_pictureTime = QDateTime::currentDateTime();
    m_pictureUnpainted = true;
    update();
    releaseDecode();
}

void MjpegControl::resizeEvent(QResizeEvent* event)
{
    MediaControl::resizeEvent(event);
    m_state->setArea(event->size() * devicePixelRatioF());
    updateSeen();
}

void MjpegControl::showEvent(QShowEvent* event)
{
    MediaControl::showEvent(event);
    m_seenTimer.start(kSeenCheckMs, this);
    updateSeen();
}

// Also sent, spontaneously, when the window is minimised.
void MjpegControl::hideEvent(QHideEvent* event)
{
    MediaControl::hideEvent(event);
    m_seenTimer.stop();
    updateSeen();
}

void MjpegControl::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_releaseTimer.timerId()) {
        m_releaseTimer.stop();
        releaseDecode();
    } else if (event->timerId() == m_seenTimer.timerId()) {
        updateSeen();
    } else {
        MediaControl::timerEvent(event);
    }
}

void MjpegControl::updateSeen()
{
    const bool seen = isSeenOnScreen(*this);
    if (seen == m_seen)
        return;
    m_seen = seen;
    if (m_state->setSeen(seen))
        scheduleDecode();
}

// The picture decoded last is taken, to be painted with the next paint: the
// next part may be decoded, but not sooner than one screen refresh after the
// previous one.
void MjpegControl::releaseDecode()
{
    const QScreen* display = screen();
    const double hz = display && display->refreshRate() > 1 ? display->refreshRate() : 60.0;
    const qint64 intervalMs = static_cast<qint64>(1000.0 / std::clamp(hz, 30.0, 240.0));
    const qint64 wait = m_lastReleaseMs + intervalMs - m_clock.elapsed();
    if (wait > 0) {
        if (!m_releaseTimer.isActive())
            m_releaseTimer.start(static_cast<int>(wait), this);
        return;
    }
    m_lastReleaseMs = m_clock.elapsed();
    if (m_state->pictureTaken())
        scheduleDecode();
}

void MjpegControl::scheduleDecode()
{
    m_engine.decoders().schedule(m_state);
}

void MjpegControl::paintMessage(QPainter& painter, const QString& headline, const QString& detail)
{
    const QRect area = rect().adjusted(6, 6, -6, -6);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(235, 235, 235));
    const QString text = detail.isEmpty() ? headline : headline + QLatin1Char('\n') + detail;
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, text);
}

void MjpegControl::paintEvent(QPaintEvent*)
{
    // Cheap to ask only when it changes: an uncovered window is painted.
    if (!m_seen)
        updateSeen();
    QPainter painter(this);
    const std::int32_t current = status();
    const QString meaning = QString::fromUtf8(statusMeaning(current));
    if (m_picture.isNull()) {
        painter.fillRect(rect(), QColor(28, 28, 30));
        paintMessage(painter, meaning, shownDetail());
        return;
    }
    if (m_picture.size() != size() * devicePixelRatioF())
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_picture);
    if (m_pictureUnpainted) {
        m_pictureUnpainted = false;
        ++m_drawn;
        if (m_pictureSendTimeUs > 0)
            m_latency.add(static_cast<double>(nowMicroseconds() - m_pictureSendTimeUs) / 1000.0);
    }
    if (current != Status::Playing) {
        // The last picture stays for orientation, but must not pass for live.
        painter.fillRect(rect(), QColor(0, 0, 0, 150));
        paintMessage(painter,
            tr("No new picture since %1").arg(m_pictureTime.toString(QStringLiteral("HH:mm:ss"))), meaning);
    }
}

} // namespace media
