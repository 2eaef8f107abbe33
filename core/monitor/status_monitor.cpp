// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/monitor/status_monitor.h"

#include "core/media_contract/dispatch.h"

namespace camera {

std::string signedNumberForm(std::int32_t value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string statusLogLine(std::int32_t endedStatus, const std::string& timeStamp)
{
    return "Status = " + signedNumberForm(endedStatus) + " on " + timeStamp;
}

std::string cameraCaption(int cameraIndex, std::int32_t status)
{
    return "*Camera #" + std::to_string(cameraIndex + 1) + " Status:" + std::to_string(status);
}

void runMonitorTick(int cameraIndex, int debugLevel, std::int32_t& lastStatus, const MonitorActions& actions)
{
    if (!monitors(debugLevel))
        return;
    if (setsDebugFlag(debugLevel))
        actions.setDebugFlag();

    if (actions.readStatus() != lastStatus) {
        // The line records the status that has just ended; leaving 0 (not
        // started yet, or stopped) is not worth a line.
        if (lastStatus != 0)
            actions.appendDebugLog(statusLogLine(lastStatus, actions.timeStampNow()));
        lastStatus = actions.readStatus();
    }

    actions.setCaption(cameraCaption(cameraIndex, actions.readStatus()));

    const std::int32_t read4 = actions.readStatus();
    const std::int32_t read5 = actions.readStatus();
    if (media::Status::needsRestart(read4, read5))
        actions.restartStream();
}

} // namespace camera
