// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Owning handles for libavformat's and libavcodec's C objects.
//
// Thread: each handle on one thread at a time.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
}

#include <memory>

namespace media {

struct AvInputDeleter {
    // Also sends TEARDOWN for an RTSP session.
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using AvInput = std::unique_ptr<AVFormatContext, AvInputDeleter>;

struct AvCodecDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
using AvCodec = std::unique_ptr<AVCodecContext, AvCodecDeleter>;

struct AvPacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using AvPacket = std::unique_ptr<AVPacket, AvPacketDeleter>;

struct AvFrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using AvFrame = std::unique_ptr<AVFrame, AvFrameDeleter>;

// An option dictionary, freed with whatever the opening left in it.
class AvOptions {
public:
    AvOptions() = default;
    ~AvOptions() { av_dict_free(&m_dict); }
    AvOptions(const AvOptions&) = delete;
    AvOptions& operator=(const AvOptions&) = delete;
    void set(const char* key, const char* value) { av_dict_set(&m_dict, key, value, 0); }
    AVDictionary** get() { return &m_dict; }

private:
    AVDictionary* m_dict = nullptr;
};

} // namespace media
