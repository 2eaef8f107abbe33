// SPDX-License-Identifier: GPL-2.0-or-later
// The camera window's status monitor: every tick of tmrReconnect reads the
// media control's status, shows it in the caption, logs the status that has
// ended and restarts the stream when it has failed.
#include "ui/camera/frm_camera.h"

#include "core/monitor/status_monitor.h"
#include "core/monitor/time_stamp.h"
#include "media/control/media_control.h"
#include "ui/camera/qt_pause.h"
#include "ui/window_list/open_window_list.h"

#include <QPointer>

namespace {

bool isOpen(const QWidget* window)
{
    const auto& windows = platform::OpenWindowList::instance();
    for (int k = 0; k < windows.count(); ++k) {
        if (windows.at(k) == window)
            return true;
    }
    return false;
}

} // namespace

void frmCamera::tmrReconnect_Timer()
{
    // No media control, nothing to watch. A tick during this window's own
    // restart pause (only possible when nested pauses stretch it) is skipped.
    if (!AMC || m_monitor.restartInPause)
        return;

    namespace Disp = media::DispId;
    camera::MonitorActions actions;
    actions.setDebugFlag = [this] { AMC->putProperty(Disp::Flag18, true); };
    actions.readStatus = [this] { return media::toInt32(AMC->getProperty(Disp::Status)); };
    actions.timeStampNow = [] { return camera::timeStampNow(); };
    actions.appendDebugLog = [this](const std::string& line) { AppendDebugLog(line); };
    actions.setCaption = [this](const std::string& caption) { setCaption(caption); };
    actions.restartStream = [this] {
        AMC->invoke(Disp::Stop);

        // Anything can happen inside the pause, including the window being
        // closed or destroyed by a reload, by "Exit" or by the user. Only a
        // window that is still open and still has its control gets the start.
        const QPointer<frmCamera> self(this);
        const QPointer<media::MediaControl> control(AMC);
        const bool wasVisible = isVisible();
        m_monitor.restartInPause = true;
        camera::PauseSeconds(2);
        if (!self)
            return;
        m_monitor.restartInPause = false;
        if (!control || control != AMC || !isOpen(this) || (wasVisible && !isVisible()))
            return;
        control->invoke(Disp::Start);
    };

    // Restarting is the tick's last step: nothing of the window is touched
    // after it returns, since the window may be gone by then.
    camera::runMonitorTick(m_ppCameraNum, DebugLevel, LastStatus, actions);
}

void frmCamera::AppendDebugLog(const std::string& text)
{
    // A log that cannot be written is reported once and otherwise ignored:
    // the monitor and the restarts go on regardless.
    m_monitor.debugLog.setCameraIndex(m_ppCameraNum);
    m_monitor.debugLog.append(text);
}
