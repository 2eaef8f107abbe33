// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The faults that act on a stream's pipeline: stall, resize and loss on UDP.
// Armed once per media (per client, or per mount with --shared) from the
// factory's media-configure signal, on the server's client thread; the timers
// run on the default main context (the main thread), the loss probe on the
// streaming thread of the UDP sink.
#include "tools/rtsp-testcam/options.h"

#include <gst/rtsp-server/rtsp-media.h>

namespace rtsptestcam {

void armMediaFaults(GstRTSPMedia* media, const Options& options);

} // namespace rtsptestcam
