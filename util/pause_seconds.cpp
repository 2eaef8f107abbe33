#include "util/pause_seconds.h"

namespace Veskat {

namespace {
constexpr float kSecondsPerDay = 86400.0f;
}

void PauseSeconds(float seconds, const ClockSecondsSinceMidnight& clock, const DoEvents& doEvents)
{
    float start = clock();
    float elapsed = clock() - start;
    // No sleep between rounds: the wait is as responsive as event dispatching
    // allows. A nested pause run by doEvents() simply holds this loop until it
    // returns; the clock has moved on by then, so the outer wait ends as soon
    // as both its own time and the inner pause are over.
    while (elapsed < seconds) {
        doEvents();
        const float now = clock();
        if (now < start)
            start -= kSecondsPerDay; // midnight has passed since the start
        elapsed = clock() - start;
    }
}

} // namespace Veskat
