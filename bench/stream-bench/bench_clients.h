// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The two clients the stream benchmark compares, each measured over the
// same stretch of time after a warm-up.
#include "bench/stream-bench/bench_process.h"
#include "tests/support/testcam_process.h"

#include <vector>

namespace media {
class MjpegControl;
}

namespace bench {

struct OurFigures {
    int playing = 0; // controls with status 2 when the measurement began
    unsigned long long received = 0;
    unsigned long long decoded = 0;
    unsigned long long skipped = 0;
    unsigned long long drawn = 0;
    unsigned long long droppedBeforeDecode = 0;
    unsigned long long droppedBeforeDraw = 0;
    double cpuSeconds = 0;
    double wallSeconds = 0;
    double latencyP50Ms = 0;
    double latencyP99Ms = 0;
    unsigned long long unseen = 0;
    int areaWidth = 0;
    int areaHeight = 0;
    long rssStartKiB = 0;
    long rssEndKiB = 0;
};

struct FfmpegFigures {
    int running = 0;
    unsigned long long pictures = 0;
    double cpuSeconds = 0;
    double wallSeconds = 0;
};

// The figures of `controls` since their last resetStats(), with the CPU
// and wall time given.
OurFigures collectFigures(const std::vector<const media::MjpegControl*>& controls);

// 254x213 controls, shown on the (offscreen) screen, one per camera.
OurFigures runOurControls(
    const veskat_test::TestcamProcess& camera, int cameras, double warmupSeconds, double seconds);
// `ffmpeg -i URL -vf scale=254:213 -f null -`, one process per camera.
FfmpegFigures runFfmpeg(const QString& ffmpeg, const veskat_test::TestcamProcess& camera, int cameras,
    double warmupSeconds, double seconds);

} // namespace bench
