#include "tools/testcam/frame_source.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace testcam {

namespace {

std::vector<std::string> liveLines(int camera, int port, long long counter, long long epochMicroseconds)
{
    char head[64];
    std::snprintf(head, sizeof head, "CAM %d PORT %d", camera, port);
    char count[32];
    std::snprintf(count, sizeof count, "#%08lld", counter);
    return { head, count, clockText(epochMicroseconds) };
}

std::vector<std::string> cycleLines(size_t index, size_t length)
{
    char pos[48];
    std::snprintf(pos, sizeof pos, "PICTURE %zu/%zu", index + 1, length);
    return { "PRECODED", pos };
}

} // namespace

FrameSource::FrameSource(const Options& options)
    : m_options(options)
    , m_painter(options.width, options.height)
    , m_frame(options.width, options.height)
{
}

std::unique_ptr<FrameSource> FrameSource::create(const Options& options, QString* error)
{
    std::unique_ptr<FrameSource> source(new FrameSource(options));
    if (!source->m_encoder.valid()) {
        *error = QStringLiteral("cannot start the JPEG encoder: %1")
                     .arg(QString::fromStdString(source->m_encoder.lastError()));
        return nullptr;
    }

    // Measure what a live picture costs here (best of three, as the first
    // pays for warming caches) to decide between live and the cycle.
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const QByteArray jpeg = source->picture(0, options.port, i, 0);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (jpeg.isEmpty()) {
            *error = QStringLiteral("JPEG encoding failed: %1").arg(source->m_error);
            return nullptr;
        }
        best = std::min(best, took.count());
    }
    source->m_estimatedLoad = best * options.fps * options.cameras;
    source->m_live = options.mode == EncodeMode::Live
        || (options.mode == EncodeMode::Auto && source->m_estimatedLoad < kLiveLoadLimit);
    if (!source->m_live && !source->buildCycle(error))
        return nullptr;
    return source;
}

bool FrameSource::buildCycle(QString* error)
{
    // Two seconds of motion, at least ten pictures so that the picture still
    // visibly changes at low rates.
    const size_t length = static_cast<size_t>(std::clamp(std::lround(m_options.fps * 2), 10L, 250L));
    m_cycle.assign(length, QByteArray());
    const unsigned workers = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
    std::atomic<size_t> next { 0 };
    std::atomic<bool> failed { false };
    std::vector<std::string> errors(workers);
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            JpegEncoder encoder;
            YuvFrame frame(m_options.width, m_options.height);
            for (size_t i = next++; i < length && !failed; i = next++) {
                m_painter.paint(frame, static_cast<long long>(i), cycleLines(i, length));
                m_cycle[i] = encoder.encode(frame, m_options.quality);
                if (m_cycle[i].isEmpty()) {
                    errors[w] = encoder.lastError();
                    failed = true;
                }
            }
        });
    }
    for (auto& t : threads)
        t.join();
    if (failed) {
        for (const auto& e : errors) {
            if (!e.empty())
                *error = QStringLiteral("JPEG encoding failed: %1").arg(QString::fromStdString(e));
        }
        return false;
    }
    m_encodedBytes = 0;
    m_encodedCount = 0;
    for (const auto& jpeg : m_cycle)
        account(jpeg);
    return true;
}

QByteArray FrameSource::picture(int camera, int port, long long counter, long long epochMicroseconds)
{
    if (!m_cycle.empty())
        return m_cycle[static_cast<size_t>(counter) % m_cycle.size()];
    m_painter.paint(m_frame, counter, liveLines(camera, port, counter, epochMicroseconds));
    QByteArray jpeg = m_encoder.encode(m_frame, m_options.quality);
    if (jpeg.isEmpty())
        m_error = QString::fromStdString(m_encoder.lastError());
    else
        account(jpeg);
    return jpeg;
}

void FrameSource::account(const QByteArray& jpeg)
{
    m_encodedBytes += jpeg.size();
    ++m_encodedCount;
}

} // namespace testcam
