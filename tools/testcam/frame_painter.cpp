// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/testcam/frame_painter.h"

#include "tools/testcam/bitmap_font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <numbers>

namespace testcam {

namespace {

// Noise strength (standard deviation) in tenths of a luma step, a little
// less for larger pictures, as with real sensors; tuned so that a picture at
// quality 80 is about as large as a real camera's (90 kB at 1280x720, 180 kB
// at 1920x1080).
int lumaNoiseTenths(int height)
{
    return std::clamp(36 - (height - 720) / 120, 30, 40);
}
constexpr int kChromaNoiseShift = 1; // chroma noise is half as strong

std::uint64_t splitmix(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint8_t clampByte(int v)
{
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

} // namespace

// TurboJPEG's encoder reads a little past the last row of a plane whose size
// is not a whole number of blocks (seen with 641x481 under AddressSanitizer),
// so every plane gets one block row and a few bytes to spare.
YuvFrame::YuvFrame(int w, int h)
    : width(w)
    , height(h)
    , y(static_cast<size_t>(w) * (h + 16) + 64)
    , u(static_cast<size_t>((w + 1) / 2) * ((h + 1) / 2 + 16) + 64)
    , v(u.size())
{
}

FramePainter::FramePainter(int width, int height)
    : m_width(width)
    , m_height(height)
    , m_period(std::max(32, width / 3))
{
    // A triangle wave: smooth bands, cheap to look up per pixel.
    const int span = m_width + 2 * m_period + m_height;
    m_lumaRamp.resize(static_cast<size_t>(span));
    m_chromaRamp.resize(static_cast<size_t>(span));
    for (int i = 0; i < span; ++i) {
        const double phase = static_cast<double>(i % m_period) / m_period;
        const double tri = phase < 0.5 ? phase * 2 : (1 - phase) * 2;
        m_lumaRamp[static_cast<size_t>(i)] = static_cast<std::uint8_t>(50 + 150 * tri);
        const double c
            = std::sin(2 * std::numbers::pi * static_cast<double>(i % (2 * m_period)) / (2 * m_period));
        m_chromaRamp[static_cast<size_t>(i)] = static_cast<std::uint8_t>(128 + 50 * c);
    }
    // Roughly Gaussian (sum of uniforms), long enough that every picture reads
    // its own stretch; the extra tail lets a picture start anywhere in it.
    const size_t pixels = static_cast<size_t>(width) * height;
    m_noise.resize(pixels + 65536);
    std::uint64_t state = 0x5EED;
    const int tenths = lumaNoiseTenths(height);
    for (auto& n : m_noise) {
        const std::uint64_t r = splitmix(state);
        const int sum = static_cast<int>(r & 0xFF) + static_cast<int>((r >> 8) & 0xFF)
            + static_cast<int>((r >> 16) & 0xFF) - 3 * 127;
        n = static_cast<std::int8_t>(std::clamp(sum * tenths / 1280, -127, 127));
    }
}

void FramePainter::paint(YuvFrame& frame, long long index, const std::vector<std::string>& lines) const
{
    if (frame.width != m_width || frame.height != m_height)
        frame = YuvFrame(m_width, m_height);

    std::uint64_t state = static_cast<std::uint64_t>(index) * 7919 + 17;
    const size_t noiseBase = splitmix(state) % 65536;
    const int shift = static_cast<int>((index * 4) % m_period);
    const int barWidth = std::max(4, m_width / 20);
    const int barX = static_cast<int>((index * std::max(2, m_width / 100)) % (m_width + barWidth)) - barWidth;

    const std::int8_t* noise = m_noise.data() + noiseBase;
    for (int y = 0; y < m_height; ++y) {
        const std::uint8_t* ramp = m_lumaRamp.data() + (shift + y / 2) % m_period;
        std::uint8_t* row = frame.y.data() + static_cast<size_t>(y) * m_width;
        const std::int8_t* n = noise + static_cast<size_t>(y) * m_width;
        for (int x = 0; x < m_width; ++x)
            row[x] = clampByte(ramp[x] + n[x]);
        const int from = std::max(0, barX);
        const int to = std::min(m_width, barX + barWidth);
        for (int x = from; x < to; ++x)
            row[x] = clampByte(220 + n[x]);
    }

    const int cw = frame.chromaWidth();
    const int ch = frame.chromaHeight();
    const std::int8_t* chromaNoise = noise + m_width / 3;
    for (int y = 0; y < ch; ++y) {
        const std::uint8_t* ramp = m_chromaRamp.data() + (shift / 2 + y) % (2 * m_period);
        const int vBase = 128 + (y * 80 / std::max(1, ch)) - 40;
        std::uint8_t* urow = frame.u.data() + static_cast<size_t>(y) * cw;
        std::uint8_t* vrow = frame.v.data() + static_cast<size_t>(y) * cw;
        const std::int8_t* n = chromaNoise + static_cast<size_t>(y) * cw;
        for (int x = 0; x < cw; ++x) {
            urow[x] = clampByte(ramp[x] + (n[x] >> kChromaNoiseShift));
            vrow[x] = clampByte(vBase + (n[x + cw / 2] >> kChromaNoiseShift));
        }
    }
    drawText(frame, lines);
}

void FramePainter::drawText(YuvFrame& frame, const std::vector<std::string>& lines) const
{
    if (lines.empty())
        return;
    // Glyph pixels are scale x scale blocks; even sizes keep the chroma box aligned.
    const int scale = std::max(2, (m_height / 160) & ~1);
    const int advance = (kGlyphWidth + 1) * scale;
    const int lineHeight = (kGlyphHeight + 3) * scale;
    size_t longest = 0;
    for (const auto& l : lines)
        longest = std::max(longest, l.size());
    const int margin = scale * 2;
    const int boxW = std::min(m_width, static_cast<int>(longest) * advance + 2 * margin) & ~1;
    const int boxH
        = std::min(m_height, static_cast<int>(lines.size()) * lineHeight + 2 * margin - 2 * scale) & ~1;

    for (int y = 0; y < boxH; ++y)
        std::fill_n(frame.y.data() + static_cast<size_t>(y) * m_width, boxW, std::uint8_t { 20 });
    for (int y = 0; y < boxH / 2; ++y) {
        std::fill_n(
            frame.u.data() + static_cast<size_t>(y) * frame.chromaWidth(), boxW / 2, std::uint8_t { 128 });
        std::fill_n(
            frame.v.data() + static_cast<size_t>(y) * frame.chromaWidth(), boxW / 2, std::uint8_t { 128 });
    }
    for (size_t li = 0; li < lines.size(); ++li) {
        const int top = margin + static_cast<int>(li) * lineHeight;
        for (size_t ci = 0; ci < lines[li].size(); ++ci) {
            const std::uint8_t* rows = glyphRows(lines[li][ci]);
            const int left = margin + static_cast<int>(ci) * advance;
            for (int gy = 0; gy < kGlyphHeight; ++gy) {
                for (int gx = 0; gx < kGlyphWidth; ++gx) {
                    if (!(rows[gy] & (0x10 >> gx)))
                        continue;
                    for (int sy = 0; sy < scale; ++sy) {
                        const int py = top + gy * scale + sy;
                        const int px = left + gx * scale;
                        if (py >= boxH || px + scale > boxW)
                            continue;
                        std::fill_n(frame.y.data() + static_cast<size_t>(py) * m_width + px, scale,
                            std::uint8_t { 235 });
                    }
                }
            }
        }
    }
}

std::string clockText(long long epochMicroseconds)
{
    const std::time_t seconds = static_cast<std::time_t>(epochMicroseconds / 1000000);
    std::tm local {};
    localtime_r(&seconds, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
        static_cast<int>((epochMicroseconds / 1000) % 1000));
    return text;
}

} // namespace testcam
