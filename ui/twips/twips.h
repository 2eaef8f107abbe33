// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Twips (1/1440 inch) to pixels and back at a given number of dots per inch:
// 15 twips per pixel at 96 dpi. Results are rounded to the nearest pixel or
// twip and kept inside the range a window system accepts.
//
// Thread: any (pure functions).
#include <algorithm>
#include <cmath>

namespace platform {

inline constexpr double kTwipsPerInch = 1440.0;
// Qt's limit for widget sizes and a sane bound for positions.
inline constexpr int kMaxPixels = 16777215;

inline int twipsToPixels(double twips, double dotsPerInch)
{
    if (!std::isfinite(twips) || !(dotsPerInch > 0))
        return 0;
    const double pixels = std::round(twips * dotsPerInch / kTwipsPerInch);
    return static_cast<int>(std::clamp(pixels, -double(kMaxPixels), double(kMaxPixels)));
}

// A size never goes below zero pixels.
inline int twipsToPixelSize(double twips, double dotsPerInch)
{
    return std::max(0, twipsToPixels(twips, dotsPerInch));
}

inline double pixelsToTwips(int pixels, double dotsPerInch)
{
    if (!(dotsPerInch > 0))
        return 0.0;
    return pixels * kTwipsPerInch / dotsPerInch;
}

} // namespace platform
