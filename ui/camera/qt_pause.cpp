// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/camera/qt_pause.h"

#include "core/clock/clock.h"
#include "core/util/pause_seconds.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace camera {

void DoEventsWaiting(float secondsLeft)
{
    // A timer at the deadline wakes the wait when no other event comes. It
    // lives only for this round: a nested pause inside the dispatch may run
    // past it, and a timer left behind would wake a later round for nothing.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    const double ms = std::ceil(static_cast<double>(secondsLeft) * 1000.0);
    deadline.start(static_cast<int>(std::clamp(ms, 1.0, 86'400'000.0)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void PauseSeconds(float seconds)
{
    Veskat::PauseSeconds(seconds, &platform::secondsSinceMidnight, &DoEventsWaiting);
}

} // namespace camera
