// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A wait that keeps the user interface alive: it dispatches pending events on
// every round until the given number of seconds of clock time have passed.
// The clock (seconds since local midnight) and the do-events step are handed
// in, so this stays free of any window toolkit.
//
// Thread: UI thread (the do-events step runs other handlers inside the wait).
#include <functional>

namespace Veskat {

using ClockSecondsSinceMidnight = std::function<float()>;
// Dispatches every pending event; with none pending it may wait for the next
// one, but not longer than `secondsLeft` (the rest of the pause), so the
// pause sleeps between events instead of spinning.
using DoEvents = std::function<void(float secondsLeft)>;

void PauseSeconds(float seconds, const ClockSecondsSinceMidnight& clock, const DoEvents& doEvents);

} // namespace Veskat
