// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The gst-launch description of one camera's pipeline. Pure text, so that a
// test can read what a camera is made of without running GStreamer.
#include "tools/rtsp-testcam/options.h"

#include <string>
#include <vector>

namespace rtsptestcam {

// Names the fault handlers look the elements up by.
inline constexpr char kSizeFilterName[] = "size";
inline constexpr char kStallValveName[] = "stall";
inline constexpr char kPayloaderName[] = "pay0";

// `camera` picks the codec (in turn from options.codecs) and the test pattern.
std::string pipelineLaunch(const Options& options, int camera);
Codec cameraCodec(const Options& options, int camera);

// The GStreamer elements the given options need, for a clear message at start
// when a plugin package is missing.
std::vector<std::string> requiredElements(const Options& options);

} // namespace rtsptestcam
