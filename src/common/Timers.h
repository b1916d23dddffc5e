// Timers and deferred work on the user-interface thread.
#pragma once

#include <functional>

namespace dorv {

class ITimers {
public:
    virtual ~ITimers() = default;
    // (Re)starts the repeating timer `id`; each tick calls the owner's
    // handler. A tick that falls due while the handler still runs is
    // delivered at most once, afterwards.
    virtual void SetTimer(unsigned id, unsigned periodMs) = 0;
    virtual void KillTimer(unsigned id) = 0;
    // Runs `task` from the main loop soon, after the current work has
    // returned.
    virtual void Post(std::function<void()> task) = 0;
};

}  // namespace dorv
