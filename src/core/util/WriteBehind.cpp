#include "util/WriteBehind.h"

#include <cstring>

namespace kelvo {

WriteBehind::WriteBehind(Writer write) : write_(std::move(write)) {
    filling_.reserve(kBatch);
    thread_ = std::thread(&WriteBehind::Run, this);
}

WriteBehind::~WriteBehind() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

void WriteBehind::RaiseError() {
    if (error_)
        std::rethrow_exception(error_);
}

void WriteBehind::Send() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < 2 || error_; });
    RaiseError();
    queue_.push_back(std::move(filling_));
    if (!spare_.empty()) {
        filling_ = std::move(spare_.back());
        spare_.pop_back();
    } else {
        filling_ = ByteBuffer();
        filling_.reserve(kBatch);
    }
    filling_.clear();
    changed_.notify_all();
}

uint8_t* WriteBehind::Room(size_t size) {
    if (!filling_.empty() && filling_.size() + size > std::max(kBatch, filling_.capacity()))
        Send();
    const size_t at = filling_.size();
    filling_.resize(at + size);
    lastRoom_ = size;
    return filling_.data() + at;
}

void WriteBehind::Commit(size_t size) {
    // Room made the buffer longer by what was asked; keep what was filled.
    filling_.resize(filling_.size() - (lastRoom_ - size));
}

void WriteBehind::Write(const uint8_t* data, size_t size) {
    std::memcpy(Room(size), data, size);
    Commit(size);
}

void WriteBehind::Flush() {
    if (!filling_.empty())
        Send();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return (queue_.empty() && !writing_) || error_; });
    RaiseError();
}

void WriteBehind::Run() {
    for (;;) {
        ByteBuffer batch;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_)
                return;
            batch = std::move(queue_.front());
            queue_.pop_front();
            writing_ = true;
        }
        std::exception_ptr failure;
        try {
            if (!error_)
                write_(batch.data(), batch.size());
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        writing_ = false;
        if (failure)
            error_ = failure;
        spare_.push_back(std::move(batch));
        changed_.notify_all();
    }
}

} // namespace kelvo
