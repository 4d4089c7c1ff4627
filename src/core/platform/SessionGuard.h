#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kelvo {

// One resident instance per user. The first start holds the guard for its
// whole life; a later start only asks it to show itself. A guard left by a
// crashed process never blocks a start.
class SessionGuard {
public:
    virtual ~SessionGuard() = default;

    // True when this process is now the resident instance.
    virtual bool TryBecomeResident() = 0;
    // Asks the resident instance to show itself; false when none answered.
    virtual bool WakeResident() = 0;
    // Resident only: calls onWake on a watcher thread for every wake-up until
    // the guard is destroyed. The host hands the call over to its own thread.
    virtual void StartWatching(std::function<void()> onWake) = 0;
};

// The guard of this platform, named after the system's guard event.
std::unique_ptr<SessionGuard> MakeSessionGuard();

} // namespace kelvo
