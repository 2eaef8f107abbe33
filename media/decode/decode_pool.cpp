// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/decode/decode_pool.h"

#include "media/decode/jpeg_decoder.h"
#include "media/stream/stream_state.h"

namespace media {

DecodePool::DecodePool(int threads)
    : m_queue(std::chrono::duration_cast<std::chrono::nanoseconds>(kMaxLead).count())
{
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { run(); });
}

DecodePool::~DecodePool()
{
    stop();
}

void DecodePool::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
}

void DecodePool::schedule(std::shared_ptr<StreamState> stream)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_quit)
            return;
        m_queue.push(std::move(stream));
    }
    m_wake.notify_one();
}

void DecodePool::run()
{
    JpegDecoder decoder;
    for (;;) {
        std::shared_ptr<StreamState> stream;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
            if (m_quit)
                return;
            stream = m_queue.pop();
        }
        const auto began = std::chrono::steady_clock::now();
        if (std::optional<EncodedPicture> part = stream->takePicture()) {
            // A stopped or restarted stream's leftovers are not worth decoding.
            if (stream->sessionCurrent(part->session)) {
                DecodedPicture decoded;
                decoded.image = stream->takeSpareImage();
                if (decoder.decode(part->jpeg, stream->area(), decoded)) {
                    auto jpeg = std::make_shared<const std::string>(std::move(part->jpeg));
                    stream->pictureDecoded(*part,
                        ReadyPicture { std::move(decoded.image), decoded.sourceSize, part->sendTimeUs,
                            std::move(jpeg) });
                } else {
                    stream->pictureFailed(*part, decoder.error());
                }
            }
        }
        const auto spent
            = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - began);
        const bool again = stream->finishDecode();
        {
            std::lock_guard lock(m_mutex);
            m_queue.charge(stream, spent.count());
            if (m_quit)
                return;
            if (again)
                m_queue.push(std::move(stream));
        }
        if (again)
            m_wake.notify_one();
    }
}

} // namespace media
