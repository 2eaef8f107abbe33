// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A tiny 5x7 bitmap font (digits, upper-case letters and a few signs) for the
// text the test camera draws into its pictures. Qt-free.
#include <cstdint>

namespace testcam {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;

// Seven rows, bit 4 of each is the leftmost pixel. Unknown characters (and
// lower case, which is drawn as upper case) give a blank glyph, never null.
const std::uint8_t* glyphRows(char c);

} // namespace testcam
