#include "engine/CommSingleton.h"

namespace kelvo {

TCommSingleton& TCommSingleton::Instance() {
    static TCommSingleton instance;
    return instance;
}

std::shared_ptr<TEventObject> TCommSingleton::Enqueue() {
    std::lock_guard lock(mutex_);
    auto place = std::make_shared<TEventObject>();
    place->FNumber = static_cast<int64_t>(queue_.size());
    place->FName = "Kelvo_Thread_Serialization_" + std::to_string(place->FNumber);
    queue_.push_back(place);
    if (queue_.size() == 1)
        place->FHandle->Set();
    return place;
}

void TCommSingleton::Dequeue(const AutoResetEvent* handle, bool passOn) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < queue_.size(); ++i) {
        if (queue_[i]->FHandle.get() != handle)
            continue;
        const bool hadTurn = i == 0;
        queue_.erase(queue_.begin() + static_cast<std::ptrdiff_t>(i));
        if ((passOn || hadTurn) && i < queue_.size())
            queue_[i]->FHandle->Set(); // the place that followed
        return;
    }
}

size_t TCommSingleton::Size() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

} // namespace kelvo
