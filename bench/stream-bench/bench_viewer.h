// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The whole viewer in the benchmark's process: the frame with one camera
// window per camera, placed side by side as the settings say, the status
// monitor on ("Debug" 1), the settings in a temporary store.
#include "bench/stream-bench/bench_clients.h"

namespace bench {

// The viewer while it shows every camera.
OurFigures runViewer(
    const veskat_test::TestcamProcess& camera, int cameras, double warmupSeconds, double seconds);

struct MinimisedFigures {
    OurFigures shown; // before minimising
    OurFigures minimised; // while minimised, after a second to settle
    int playingWhileMinimised = 0; // windows with status 2 at the end of it
    double restoreMs = -1; // from restoring until every window drew a new picture; -1 if not all did
    OurFigures restored; // right after every window drew again
};

// The viewer shown, then minimised, then restored, for `seconds` each.
MinimisedFigures runMinimised(
    const veskat_test::TestcamProcess& camera, int cameras, double warmupSeconds, double seconds);

} // namespace bench
