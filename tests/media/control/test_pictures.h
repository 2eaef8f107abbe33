// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// JPEG pictures made for the tests with TurboJPEG.
#include <string>

namespace media_test {

// A picture of one colour, 4:2:0, quality 90.
std::string solidJpeg(int width, int height, unsigned char red, unsigned char green, unsigned char blue);
// A grey picture in progressive coding, as some cameras' snapshots come.
std::string progressiveJpeg(int width, int height);
// Black with the right half (or the bottom half) white.
std::string halvesJpeg(int width, int height, bool bottomWhite);
// The same picture without its DHT segments, as plain Motion-JPEG frames come.
std::string withoutHuffmanTables(const std::string& jpeg);
// The picture with its frame header claiming another size.
std::string withClaimedSize(const std::string& jpeg, int width, int height);
// veskat-testcam's picture number `index` (gradient, bar, noise, a text
// line) at quality 80, in the given TurboJPEG subsampling (TJSAMP_*).
std::string testcamJpeg(int width, int height, int subsampling, long long index = 0);

} // namespace media_test
