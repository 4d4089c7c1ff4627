#include "platform/RunLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

namespace kelvo {

RunLock::RunLock(const std::string& taskFile, const std::string& taskName) {
    const std::string path = taskFile + ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        throw std::runtime_error("Cannot lock the task " + taskName + ": " + std::strerror(errno));
    // flock locks belong to the open file: a second open in this process
    // conflicts as well as one in another process.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
        throw std::runtime_error("The task " + taskName + " is running already");
    }
}

RunLock::~RunLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace kelvo
