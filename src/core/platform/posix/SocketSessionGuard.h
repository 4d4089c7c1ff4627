#pragma once

#include "platform/SessionGuard.h"

#include <atomic>
#include <thread>

namespace kelvo {

// A per-user folder ($XDG_RUNTIME_DIR, else /tmp/kelvobackup-<uid>, mode 0700)
// holds "<name>.lock", flocked by the resident instance, and the Unix socket
// "<name>" it listens on. The kernel drops the flock when a process dies, so a
// stale socket is simply replaced by the next resident.
class SocketSessionGuard : public SessionGuard {
public:
    SocketSessionGuard(std::string folder, std::string name);
    ~SocketSessionGuard() override;

    bool TryBecomeResident() override;
    bool WakeResident() override;
    void StartWatching(std::function<void()> onWake) override;

    static std::string DefaultFolder();

private:
    void Watch(std::function<void()> onWake);

    std::string socketPath_, lockPath_;
    int lockFd_ = -1, listenFd_ = -1, stopPipe_[2] = {-1, -1};
    std::thread watcher_;
};

} // namespace kelvo
