// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Process-level measurements for the stream benchmark (Linux /proc and getrusage).
#include <QtGlobal>

#include <functional>

namespace bench {

double selfCpuSeconds(); // user + system of this process so far
long peakRssKiB(); // this process's peak resident memory
long currentRssKiB(); // this process's resident memory now
double processCpuSeconds(qint64 pid); // of another process, from /proc; -1 when gone

// Runs the event loop for `ms`, or until `done` returns true (polled).
void waitMs(int ms);
bool waitUntil(const std::function<bool()>& done, int deadlineMs);

} // namespace bench
