#include "camera/qt_pause.h"

#include "platform/clock/clock.h"
#include "util/pause_seconds.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace camera {

void PauseSeconds(float seconds)
{
    Veskat::PauseSeconds(seconds, &platform::secondsSinceMidnight,
        [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

} // namespace camera
