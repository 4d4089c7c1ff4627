#include "files/Stream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

std::unique_ptr<FileReadStream> FileReadStream::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FileReadStream>(new FileReadStream(fd, path));
}

FileReadStream::~FileReadStream() {
    ::close(fd_);
}

int64_t FileReadStream::Size() const {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

void FileReadStream::Rewind() {
    ::lseek(fd_, 0, SEEK_SET);
}

size_t FileReadStream::Read(void* buffer, size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0)
            return static_cast<size_t>(n);
        if (errno != EINTR)
            throw std::runtime_error("Cannot read " + path_ + ": " + std::strerror(errno));
    }
}

size_t MemoryStream::Read(void* buffer, size_t size) {
    const size_t n = std::min(size, data_.size() - at_);
    std::memcpy(buffer, data_.data() + at_, n);
    at_ += n;
    return n;
}

} // namespace kelvo
