#pragma once

#include "util/ByteBuffer.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kelvo {

// Hands batches of output to a thread of its own, which writes them in order,
// so that the caller's work overlaps the time the system takes to write. At
// most two batches wait, so memory stays small.
class WriteBehind {
public:
    using Writer = std::function<void(const uint8_t* data, size_t size)>;
    static constexpr size_t kBatch = 1 << 20;

    explicit WriteBehind(Writer write);
    ~WriteBehind(); // drops what was not flushed
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Room for size bytes at the end of the output; Commit tells how many
    // were filled. A failed earlier write is raised here.
    uint8_t* Room(size_t size);
    void Commit(size_t size);
    void Write(const uint8_t* data, size_t size);
    // Writes everything and waits for it; raises a failed write.
    void Flush();

private:
    void Send();
    void Run();
    void RaiseError();

    Writer write_;
    ByteBuffer filling_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<ByteBuffer> queue_;
    std::vector<ByteBuffer> spare_;
    size_t lastRoom_ = 0;
    bool writing_ = false, stop_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

} // namespace kelvo
