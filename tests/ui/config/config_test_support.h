// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Opening and closing the configuration form the way the user does.
#include "ui/config/frm_camera_config.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWindow>

namespace config_test {

// What the window system sends when the user clicks the close box or picks
// "Close" from the system menu.
inline void closeWithCloseBox(frmCameraConfig* form)
{
    QCloseEvent event;
    QCoreApplication::sendEvent(form->windowHandle(), &event);
}

// Runs the deletions a closed window has queued.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Closes a form left open by a failing test, so the next test starts clean.
inline void closeAnyOpenForm()
{
    if (frmCameraConfig* form = frmCameraConfig::openForm())
        form->close();
    flushDeletes();
}

} // namespace config_test
