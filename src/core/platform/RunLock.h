#pragma once

#include <memory>
#include <string>

namespace kelvo {

// Held while a task runs, so that one task never runs twice at once, not even
// from two processes (the desktop program and the command line). The lock is
// a file beside the task file; the system drops it when its holder ends.
class RunLock {
public:
    // Raises an error naming the task when another run holds it.
    RunLock(const std::string& taskFile, const std::string& taskName);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace kelvo
