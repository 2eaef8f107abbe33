// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The decisions of a camera window's status monitor, free of any window
// toolkit: what one tick of `tmrReconnect` reads, logs, shows and restarts.
// The window supplies the actions; the tick calls them in this order:
// property 18 (level 2 and more), status read 1, log line and read 2 when the
// status changed, read 3 for the caption, reads 4 and 5 for the restart.
//
// Thread: UI thread (the window's timer tick).
#include <cstdint>
#include <functional>
#include <string>

namespace camera {

// The decimal value with one blank before it when it is 0 or more and "-"
// before it when it is negative.
std::string signedNumberForm(std::int32_t value);

// "Status = " + signed-number form + " on " + time stamp.
std::string statusLogLine(std::int32_t endedStatus, const std::string& timeStamp);

// "*Camera #" + (index + 1) + " Status:" + status, plain decimals.
std::string cameraCaption(int cameraIndex, std::int32_t status);

// Whether the monitor runs at all, and whether it sets property 18 each tick.
constexpr bool monitors(int debugLevel)
{
    return debugLevel >= 1;
}
constexpr bool setsDebugFlag(int debugLevel)
{
    return debugLevel > 1;
}

struct MonitorActions {
    std::function<void()> setDebugFlag; // property 18 = true
    std::function<std::int32_t()> readStatus; // a fresh read of property 15
    std::function<std::string()> timeStampNow;
    std::function<void(const std::string& line)> appendDebugLog;
    std::function<void(const std::string& caption)> setCaption;
    std::function<void()> restartStream; // stop, pause 2 s, start
};

// One tick. `lastStatus` is the window's LastStatus, 32 bits wide so that
// any status the control returns is kept as it is.
void runMonitorTick(int cameraIndex, int debugLevel, std::int32_t& lastStatus, const MonitorActions& actions);

} // namespace camera
