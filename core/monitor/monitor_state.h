// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a camera window keeps for its status monitor besides LastStatus.
//
// Thread: UI thread only.
#include "core/monitor/debug_log.h"

namespace camera {

struct MonitorWindowState {
    // Set while the window's own restart waits between stop and start; a tick
    // that arrives then is skipped, so restarts never nest on one window.
    bool restartInPause = false;
    DebugLog debugLog;
};

} // namespace camera
