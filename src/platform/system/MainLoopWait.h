// The one way the program waits: for a page call's answer, for a file's
// worker, for the answer to a dialog. It waits in a nested iteration of the
// main loop, so that the window repaints and the other sources (timers, the
// engine's messages) go on meanwhile; the caller's own work runs from those
// sources only where it allows it.
#pragma once

#include <functional>

namespace dorv {

// Iterates the main loop until `done()` (asked after each iteration) says
// so, or until `deadlineMs` of counted time have passed (0: no deadline).
// `paused()`, when given and asked after each iteration, says that the time
// since the last one does not count (the page showed a dialog of its own
// meanwhile). A tick wakes the loop now and then to look at the clock.
// True when done.
bool WaitInMainLoop(const std::function<bool()>& done, unsigned deadlineMs,
                    const std::function<bool()>& paused = nullptr);

}  // namespace dorv
