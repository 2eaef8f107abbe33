// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/stream/media_stats.h"

#include <algorithm>
#include <cmath>

namespace media {

void LatencyHistogram::add(double milliseconds)
{
    if (!(milliseconds >= 0.0)) // negative or NaN: clocks of sender and receiver disagree
        milliseconds = 0.0;
    const double index = std::floor(milliseconds / kBucketMs);
    const int bucket = index >= kBuckets ? kBuckets : static_cast<int>(index);
    ++m_buckets[static_cast<std::size_t>(bucket)];
    ++m_count;
}

void LatencyHistogram::merge(const LatencyHistogram& other)
{
    for (std::size_t i = 0; i < m_buckets.size(); ++i)
        m_buckets[i] += other.m_buckets[i];
    m_count += other.m_count;
}

double LatencyHistogram::percentile(double fraction) const
{
    if (m_count == 0)
        return 0.0;
    fraction = std::clamp(fraction, 0.0, 1.0);
    const auto rank = static_cast<std::uint64_t>(std::ceil(fraction * static_cast<double>(m_count)));
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < m_buckets.size(); ++i) {
        seen += m_buckets[i];
        if (seen >= std::max<std::uint64_t>(rank, 1))
            return static_cast<double>(i + 1) * kBucketMs;
    }
    return static_cast<double>(m_buckets.size()) * kBucketMs;
}

} // namespace media
