// SPDX-License-Identifier: GPL-2.0-or-later
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
    std::snprintf(
        head, sizeof head, "CAM %d PORT %d", camera + 1, port); // counted from 1, as the viewer shows cameras
    char count[32];
    std::snprintf(count, sizeof count, "#%08lld", counter);
    return { head, count, clockText(epochMicroseconds) };
}

std::vector<std::string> cycleLines(int camera, int port, size_t index, size_t length)
{
    char pos[48];
    std::snprintf(pos, sizeof pos, "PICTURE %zu/%zu", index + 1, length);
    if (camera < 0)
        return { "PRECODED", pos };
    char head[64];
    std::snprintf(
        head, sizeof head, "CAM %d PORT %d", camera + 1, port); // counted from 1, as the viewer shows cameras
    return { head, "PRECODED", pos };
}

// Two seconds of motion, at least ten pictures so that the picture still
// visibly changes at low rates.
size_t cycleLengthFor(double fps)
{
    return static_cast<size_t>(std::clamp(std::lround(fps * 2), 10L, 250L));
}

unsigned workerCount()
{
    return std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
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
    if (source->m_live)
        return source;
    const double pictures = static_cast<double>(cycleLengthFor(options.fps)) * options.cameras;
    const bool perCamera = options.cameras > 1 && pictures * source->averageBytes() <= kPerCameraCycleBytes
        && pictures * best <= kPerCameraCycleSeconds;
    if (!source->buildCycles(perCamera ? static_cast<size_t>(options.cameras) : 1, error))
        return nullptr;
    return source;
}

bool FrameSource::buildCycles(size_t cycles, QString* error)
{
    const size_t length = cycleLengthFor(m_options.fps);
    m_cycles.assign(cycles, std::vector<QByteArray>(length));
    const size_t jobs = cycles * length;
    const unsigned workers = workerCount();
    std::atomic<size_t> next { 0 };
    std::atomic<bool> failed { false };
    std::vector<std::string> errors(workers);
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            JpegEncoder encoder;
            YuvFrame frame(m_options.width, m_options.height);
            for (size_t job = next++; job < jobs && !failed; job = next++) {
                const size_t cycle = job / length;
                const size_t i = job % length;
                const int camera = cycles > 1 ? static_cast<int>(cycle) : -1;
                m_painter.paint(
                    frame, static_cast<long long>(i), cycleLines(camera, m_options.port + camera, i, length));
                QByteArray jpeg = encoder.encode(frame, m_options.quality);
                if (jpeg.isEmpty()) {
                    errors[w] = encoder.valid() ? encoder.lastError() : "cannot start the JPEG encoder";
                    failed = true;
                }
                m_cycles[cycle][i] = std::move(jpeg);
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
    for (const auto& cycle : m_cycles) {
        for (const auto& jpeg : cycle)
            account(jpeg);
    }
    return true;
}

QByteArray FrameSource::picture(int camera, int port, long long counter, long long epochMicroseconds)
{
    if (!m_cycles.empty()) {
        const auto& cycle = m_cycles[m_cycles.size() > 1 ? static_cast<size_t>(camera) : 0];
        return cycle[static_cast<size_t>(counter) % cycle.size()];
    }
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
