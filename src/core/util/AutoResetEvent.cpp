#include "util/AutoResetEvent.h"

#include <condition_variable>
#include <mutex>

namespace kelvo {

namespace {

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

std::condition_variable& Changed() {
    static std::condition_variable changed;
    return changed;
}

} // namespace

void AutoResetEvent::Set() {
    {
        std::lock_guard lock(Lock());
        signalled_ = true;
    }
    Changed().notify_all();
}

void AutoResetEvent::Reset() {
    std::lock_guard lock(Lock());
    signalled_ = false;
}

bool AutoResetEvent::IsSet() const {
    std::lock_guard lock(Lock());
    return signalled_;
}

void AutoResetEvent::Wait() {
    std::unique_lock lock(Lock());
    Changed().wait(lock, [&] { return signalled_; });
    signalled_ = false;
}

std::optional<int> AutoResetEvent::WaitAny(AutoResetEvent& first, AutoResetEvent& second,
                                           std::optional<std::chrono::milliseconds> timeout) {
    std::unique_lock lock(Lock());
    auto ready = [&] { return first.signalled_ || second.signalled_; };
    if (timeout) {
        if (!Changed().wait_for(lock, *timeout, ready))
            return std::nullopt;
    } else {
        Changed().wait(lock, ready);
    }
    AutoResetEvent& taken = first.signalled_ ? first : second;
    taken.signalled_ = false;
    return &taken == &first ? 0 : 1;
}

} // namespace kelvo
