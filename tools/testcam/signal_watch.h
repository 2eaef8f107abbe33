// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Turns SIGTERM and SIGINT into a call on the main thread's event loop, so the
// program can shut down cleanly instead of dying inside a write. Main thread only.
#include <functional>

namespace testcam {

// Returns false when the signal handlers cannot be installed.
bool watchTerminationSignals(std::function<void(int signal)> onSignal);

} // namespace testcam
