#pragma once

#include <chrono>
#include <optional>

namespace kelvo {

// An event that stays signalled until one waiter takes it, as the operation
// threads' queue places and stop events are. All events share one lock, so a
// thread can wait for the first of several.
class AutoResetEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until it is signalled and takes the signal.
    void Wait();
    // Waits for the first of two, checking first before second when both are
    // signalled; answers 0 or 1 and takes that one's signal. With a timeout,
    // none when neither came in time.
    static std::optional<int> WaitAny(AutoResetEvent& first, AutoResetEvent& second,
                                      std::optional<std::chrono::milliseconds> timeout = {});

private:
    bool signalled_ = false;
};

} // namespace kelvo
