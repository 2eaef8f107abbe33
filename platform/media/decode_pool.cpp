#include "platform/media/decode_pool.h"

#include "platform/media/jpeg_decoder.h"
#include "platform/media/stream_state.h"

namespace media {

DecodePool::DecodePool(int threads)
{
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { run(); });
}

DecodePool::~DecodePool()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void DecodePool::schedule(std::shared_ptr<StreamState> stream)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(stream));
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
            stream = std::move(m_queue.front());
            m_queue.pop_front();
        }
        if (std::optional<EncodedPicture> part = stream->takePicture()) {
            // A stopped or restarted stream's leftovers are not worth decoding.
            if (stream->sessionCurrent(part->session)) {
                DecodedPicture decoded;
                if (decoder.decode(part->jpeg, stream->area(), decoded)) {
                    stream->pictureDecoded(*part,
                        ReadyPicture { std::move(decoded.image), decoded.sourceSize, part->sendTimeUs });
                } else {
                    stream->pictureFailed(*part);
                }
            }
        }
        // Round robin: a stream with another part waiting goes to the back.
        if (stream->finishDecode())
            schedule(std::move(stream));
    }
}

} // namespace media
