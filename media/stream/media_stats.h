// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Counters of one media control, for veskat-probe and the stream benchmark.
//
// Thread: plain values; MjpegControl::stats() hands out a copy on the UI thread.
#include <array>
#include <cstdint>

namespace media {

// Latency from a picture's send time (its "X-Send-Time-Us" header) to the
// paint that showed it, in half-millisecond buckets up to one second.
class LatencyHistogram {
public:
    static constexpr int kBuckets = 2000;
    static constexpr double kBucketMs = 0.5;

    void add(double milliseconds);
    void merge(const LatencyHistogram& other);
    std::uint64_t count() const { return m_count; }
    // The latency below which `fraction` (0..1) of the samples lie; 0 when empty.
    // Samples beyond the last bucket count as that bucket's upper edge.
    double percentile(double fraction) const;

private:
    std::array<std::uint32_t, kBuckets + 1> m_buckets {};
    std::uint64_t m_count = 0;
};

struct MediaStats {
    std::uint64_t received = 0; // parts taken from the stream
    std::uint64_t decoded = 0; // pictures decoded
    std::uint64_t skipped = 0; // parts that did not decode
    std::uint64_t drawn = 0; // pictures painted
    std::uint64_t droppedBeforeDecode = 0; // replaced by a newer part while waiting to be decoded
    std::uint64_t droppedBeforeDraw = 0; // decoded, but replaced by a newer one before a paint
    std::uint64_t unseen = 0; // not decoded: nobody could see the picture area
    int pictureWidth = 0; // the last decoded picture's own size
    int pictureHeight = 0;
    LatencyHistogram latency;
};

} // namespace media
