// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/util/pause_seconds.h"

namespace Veskat {

namespace {
constexpr float kSecondsPerDay = 86400.0f;
}

void PauseSeconds(float seconds, const ClockSecondsSinceMidnight& clock, const DoEvents& doEvents)
{
    float start = clock();
    float elapsed = clock() - start;
    // Every round dispatches what is pending and otherwise waits for the next
    // event or the end of the pause, whichever comes first. A nested pause run
    // by doEvents() holds this loop until it returns; the clock has moved on
    // by then, so the outer wait ends as soon as both its own time and the
    // inner pause are over.
    while (elapsed < seconds) {
        doEvents(seconds - elapsed);
        const float now = clock();
        if (now < start)
            start -= kSecondsPerDay; // midnight has passed since the start
        elapsed = clock() - start;
    }
}

} // namespace Veskat
