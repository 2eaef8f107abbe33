// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/rtsp/rtsp_stream.h"

#include "core/media_contract/dispatch.h"
#include "media/decode/decode_pool.h"
#include "media/rtsp/av_handles.h"
#include "media/rtsp/av_log_capture.h"
#include "media/rtsp/rtsp_address.h"
#include "media/rtsp/video_scaler.h"

#include <algorithm>
#include <string>

namespace media {

namespace {

// Only video is set up; the SDP's parameter sets are the codec's extradata,
// so no probing is needed before the first picture.
void setOptions(AvOptions& options, RtspTransport transport, std::chrono::milliseconds timeout)
{
    options.set("rtsp_transport", transport == RtspTransport::Tcp ? "tcp" : "udp");
    options.set("allowed_media_types", "video");
    options.set("timeout", std::to_string(timeout.count() * 1000).c_str()); // microseconds
    options.set("user_agent", "veskat-cameras");
    options.set("fflags", "nobuffer");
    options.set("probesize", "32");
    options.set("analyzeduration", "0");
    // UDP: packets out of order are waited for this long at most (microseconds).
    options.set("max_delay", "200000");
}

} // namespace

RtspStream::RtspStream(
    std::shared_ptr<StreamState> state, StreamConfig config, std::uint64_t session, DecodePool& decoders)
    : m_state(std::move(state))
    , m_config(std::move(config))
    , m_session(session)
    , m_decoders(decoders)
    , m_timeout(std::max(m_config.timeoutMs, 1))
    , m_thread([this] { run(); })
{
}

RtspStream::~RtspStream()
{
    requestStop();
    if (m_thread.joinable())
        m_thread.join();
}

void RtspStream::requestStop()
{
    {
        std::lock_guard lock(m_waitMutex);
        m_stop = true;
    }
    m_wake.notify_all();
}

bool RtspStream::waitBeforeRetry(std::chrono::milliseconds delay)
{
    std::unique_lock lock(m_waitMutex);
    return !m_wake.wait_for(lock, delay, [this] { return m_stop.load(); });
}

// Polled by libav while it waits on the network (every 100 ms or sooner).
int RtspStream::interrupted(void* opaque)
{
    auto* self = static_cast<RtspStream*>(opaque);
    if (self->m_stop.load())
        return 1;
    const auto silent = Clock::now() - self->m_lastPicture;
    if (!self->m_waitingForPicture && silent > kStallAfter)
        self->m_state->markStalled(self->m_session);
    if (self->m_overUdp && self->m_waitingForPicture && silent > kUdpSilence) {
        self->m_udpSilent = true;
        return 1;
    }
    if (silent > self->m_timeout) {
        self->m_timedOut = true;
        return 1;
    }
    return 0;
}

void RtspStream::run()
{
    RtspTransport transport = RtspTransport::Tcp;
    std::chrono::milliseconds delay = kFirstRetryDelay;
    while (!m_stop.load() && !m_state->sessionOver(m_session)) {
        bool pictured = false;
        const RtspFailure failure = play(transport, pictured);
        if (m_stop.load())
            break;
        if (failure.tryUdp && transport == RtspTransport::Tcp) {
            transport = RtspTransport::Udp;
            continue;
        }
        // Every new connection tries TCP first again.
        transport = RtspTransport::Tcp;
        if (pictured)
            delay = kFirstRetryDelay;
        m_state->setStatus(m_session, failure.status, failure.detail);
        if (Status::waitsForRestart(failure.status))
            break;
        if (!waitBeforeRetry(delay))
            break;
        delay = std::min(delay * 2, kMaxRetryDelay);
    }
    m_finished = true;
}

RtspFailure RtspStream::play(RtspTransport transport, bool& pictured)
{
    const std::uint64_t connection = m_state->beginConnection(m_session);
    m_lastPicture = Clock::now();
    m_waitingForPicture = true;
    m_timedOut = false;
    m_udpSilent = false;
    m_overUdp = false;

    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        return { Status::ConnectionFailed, "out of memory", false };
    raw->interrupt_callback.callback = &RtspStream::interrupted;
    raw->interrupt_callback.opaque = this;
    AvLogCapture log(raw);
    AvOptions options;
    setOptions(options, transport, m_timeout);
    const std::string url = rtspUrlWithCredentials(m_config.url, m_config.user, m_config.password);
    // On failure libavformat frees the context itself.
    if (const int error = avformat_open_input(&raw, url.c_str(), nullptr, options.get()); error < 0) {
        RtspFailure failure = classifyRtspFailure(error, log.reply(), transport);
        if (m_timedOut)
            failure = { Status::ConnectionFailed, "Timed out", false };
        return failure;
    }
    const AvInput input(raw);

    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0)
        return { Status::NotMjpeg, "the camera sends no video", false };
    const AVCodecParameters& parameters = *input->streams[index]->codecpar;
    const AVCodecID codecId = parameters.codec_id;
    if (codecId != AV_CODEC_ID_H264 && codecId != AV_CODEC_ID_HEVC && codecId != AV_CODEC_ID_MJPEG)
        return { Status::NotMjpeg,
            std::string("video codec ") + avcodec_get_name(codecId) + " is not supported", false };

    AvCodec decoder;
    if (codecId != AV_CODEC_ID_MJPEG) {
        const AVCodec* codec = avcodec_find_decoder(codecId);
        decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
        if (!decoder || avcodec_parameters_to_context(decoder.get(), &parameters) < 0)
            return { Status::NotMjpeg, std::string("no decoder for ") + avcodec_get_name(codecId), false };
        decoder->thread_count = 1;
        decoder->flags |= AV_CODEC_FLAG_LOW_DELAY;
        if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
            return { Status::NotMjpeg, std::string("no decoder for ") + avcodec_get_name(codecId), false };
    }
    m_state->setStatus(m_session, Status::WaitingForPicture);
    m_lastPicture = Clock::now();
    m_overUdp = transport == RtspTransport::Udp;

    const AvPacket packet(av_packet_alloc());
    const AvFrame frame(av_frame_alloc());
    if (!packet || !frame)
        return { Status::ConnectionFailed, "out of memory", false };
    VideoScaler scaler;
    // Nothing is shown before a key frame: after a decode error or loss the
    // last good picture stays until the next one.
    bool needKeyFrame = true;
    for (;;) {
        // Pictures that never decode end the session (1030), as for Motion JPEG.
        if (m_state->sessionOver(m_session))
            return { m_state->status(), m_state->detail(), false };
        const int error = av_read_frame(input.get(), packet.get());
        if (error < 0) {
            if (m_udpSilent)
                return { Status::ConnectionFailed, "No picture over UDP: trying TCP again", false };
            if (m_timedOut)
                return { Status::ConnectionFailed,
                    "No picture for " + std::to_string(m_timeout.count() / 1000) + " s", false };
            return classifyRtspFailure(error, log.reply(), transport);
        }
        if (packet->stream_index != index) {
            av_packet_unref(packet.get());
            continue;
        }
        m_lastPicture = Clock::now();
        m_waitingForPicture = false;
        m_state->partArrived(m_session);
        if (!decoder) {
            EncodedPicture jpeg;
            jpeg.jpeg.assign(
                reinterpret_cast<const char*>(packet->data), static_cast<std::size_t>(packet->size));
            jpeg.session = m_session;
            jpeg.connection = connection;
            av_packet_unref(packet.get());
            pictured = true;
            if (m_state->offerPicture(std::move(jpeg)))
                m_decoders.schedule(m_state);
            continue;
        }
        m_state->counters().received.fetch_add(1, std::memory_order_relaxed);
        // Unseen, nothing is decoded; seen again, decoding starts at a key frame.
        if (!m_state->picturesWanted()) {
            m_state->counters().unseen.fetch_add(1, std::memory_order_relaxed);
            needKeyFrame = true;
            av_packet_unref(packet.get());
            continue;
        }
        if (packet->flags & AV_PKT_FLAG_CORRUPT)
            needKeyFrame = true;
        if (needKeyFrame && !(packet->flags & AV_PKT_FLAG_KEY)) {
            m_state->counters().skipped.fetch_add(1, std::memory_order_relaxed);
            av_packet_unref(packet.get());
            continue;
        }
        needKeyFrame = false;
        const int sent = avcodec_send_packet(decoder.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0) {
            needKeyFrame = true;
            avcodec_flush_buffers(decoder.get());
            m_state->pictureFailed(
                EncodedPicture { {}, 0, m_session, connection, 0 }, "the video does not decode");
            continue;
        }
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            if ((frame->flags & AV_FRAME_FLAG_CORRUPT) || frame->decode_error_flags) {
                needKeyFrame = true;
                av_frame_unref(frame.get());
                continue;
            }
            ReadyPicture picture;
            picture.image = m_state->takeSpareImage();
            picture.sourceSize = QSize(frame->width, frame->height);
            const bool scaled = scaler.scale(*frame, m_state->area(), picture.image);
            av_frame_unref(frame.get());
            if (!scaled) {
                m_state->pictureFailed(EncodedPicture { {}, 0, m_session, connection, 0 }, scaler.error());
                break;
            }
            pictured = true;
            m_state->framePictureDecoded(m_session, connection, std::move(picture));
        }
    }
}

} // namespace media
