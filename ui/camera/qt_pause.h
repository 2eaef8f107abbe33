// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// PauseSeconds bound to the program: the local clock and Qt's event
// dispatching, so that windows repaint, other windows' timers fire and menus
// respond while it waits.
//
// Thread: UI thread only. Any handler, including one that closes or deletes
// the caller's window, can run inside the wait.
namespace camera {

void PauseSeconds(float seconds);

// The do-events step of the pause: dispatches every pending event and, with
// none pending, sleeps until the next one arrives or `secondsLeft` is over.
void DoEventsWaiting(float secondsLeft);

} // namespace camera
