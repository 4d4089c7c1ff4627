#pragma once

#include "util/AutoResetEvent.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kelvo {

// One place in the queue of runs; every place has an event of its own.
struct TEventObject {
    std::shared_ptr<AutoResetEvent> FHandle = std::make_shared<AutoResetEvent>();
    int64_t FNumber = 0;
    std::string FName; // "Kelvo_Thread_Serialization_" + number
};

// The process-wide serializer: only the run whose place is first works, the
// others wait in arrival order.
class TCommSingleton {
public:
    static TCommSingleton& Instance();

    // A new place at the end, signalled at once when it is the first.
    std::shared_ptr<TEventObject> Enqueue();
    // Leaves the queue. With pass-on the next place gets the turn; without,
    // the turn still moves on when the place held it, so that a run stopped
    // while it worked never blocks the queue.
    void Dequeue(const AutoResetEvent* handle, bool passOn);
    size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<TEventObject>> queue_;
};

} // namespace kelvo
