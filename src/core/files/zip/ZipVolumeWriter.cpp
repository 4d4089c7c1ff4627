#include "files/zip/ZipVolumeWriter.h"

#include "files/zip/ZipError.h"
#include "files/zip/ZipFormat.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

namespace {

constexpr size_t kBufferSize = 1 << 20;

ZipError IoError(const std::string& what, const std::string& path) {
    return ZipError(what + " " + path + ": " + std::strerror(errno));
}

std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

void WriteAll(int fd, const char* data, size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw IoError("Cannot write the archive", path);
        data += n;
        size -= static_cast<size_t>(n);
    }
}

} // namespace

ZipVolumeWriter::ZipVolumeWriter(std::string path, uint64_t volumeSize, const std::string& prefix)
    : path_(std::move(path)), volumeSize_(volumeSize) {
    if (volumeSize_ != 0 && !prefix.empty())
        throw ZipError("A self-extracting archive cannot be split");
    if (volumeSize_ != 0 && volumeSize_ < kMinimumVolume)
        volumeSize_ = kMinimumVolume;
    buffer_.reserve(kBufferSize);
    StartVolume();
    if (!prefix.empty())
        CopyPrefix(prefix);
    if (Split()) {
        std::string signature;
        zip::Put32(signature, zip::kSplitSignature);
        Write(signature.data(), signature.size());
    }
}

ZipVolumeWriter::~ZipVolumeWriter() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_)
        for (const std::string& volume : volumes_)
            ::unlink(volume.c_str());
}

void ZipVolumeWriter::CopyPrefix(const std::string& prefix) {
    const int in = ::open(prefix.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        throw IoError("Cannot open", prefix);
    std::vector<char> chunk(kBufferSize);
    ssize_t n;
    while ((n = ::read(in, chunk.data(), chunk.size())) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            Write(chunk.data(), static_cast<size_t>(n));
    const int error = errno;
    ::close(in);
    if (n < 0) {
        errno = error;
        throw IoError("Cannot read", prefix);
    }
    executable_ = true;
}

void ZipVolumeWriter::StartVolume() {
    volumes_.push_back(TemporaryName(path_));
    fd_ = ::open(volumes_.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        volumes_.pop_back();
        throw IoError("Cannot create the archive", path_);
    }
    volumeBytes_ = 0;
}

void ZipVolumeWriter::Flush() {
    WriteAll(fd_, buffer_.data(), buffer_.size(), path_);
    buffer_.clear();
}

void ZipVolumeWriter::CloseVolume() {
    Flush();
    const int fd = fd_;
    fd_ = -1;
    if (::fsync(fd) != 0 || ::close(fd) != 0)
        throw IoError("Cannot write the archive", path_);
}

void ZipVolumeWriter::Write(const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        size_t take = size;
        if (Split()) {
            if (volumeBytes_ == volumeSize_) {
                CloseVolume();
                StartVolume();
            }
            take = static_cast<size_t>(std::min<uint64_t>(take, volumeSize_ - volumeBytes_));
        }
        if (buffer_.size() + take > kBufferSize)
            Flush();
        if (take >= kBufferSize)
            WriteAll(fd_, bytes, take, path_);
        else
            buffer_.insert(buffer_.end(), bytes, bytes + take);
        volumeBytes_ += take;
        bytes += take;
        size -= take;
    }
}

void ZipVolumeWriter::Reserve(size_t size) {
    if (!Split() || volumeBytes_ + size <= volumeSize_)
        return;
    if (size > volumeSize_)
        throw ZipError("The volume size is too small for the archive's records");
    CloseVolume();
    StartVolume();
}

ZipPosition ZipVolumeWriter::WriteRecord(const std::string& record) {
    Reserve(record.size());
    const ZipPosition at = Position();
    Write(record.data(), record.size());
    return at;
}

void ZipVolumeWriter::Patch(ZipPosition at, const std::string& record) {
    Flush();
    int fd = fd_;
    if (at.Disk != Disk()) {
        fd = ::open(volumes_.at(at.Disk).c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            throw IoError("Cannot write the archive", path_);
    }
    const ssize_t n = ::pwrite(fd, record.data(), record.size(), static_cast<off_t>(at.Offset));
    const int error = errno;
    if (fd != fd_)
        ::close(fd);
    errno = error;
    if (n != static_cast<ssize_t>(record.size()))
        throw IoError("Cannot write the archive", path_);
}

std::string ZipVolumeWriter::VolumeName(const std::string& path, uint32_t disk, uint32_t total) {
    if (disk + 1 == total)
        return path;
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    const std::string base = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? path.substr(0, dot)
                                 : path;
    char number[16];
    std::snprintf(number, sizeof number, ".z%02u", disk + 1);
    return base + number;
}

std::vector<std::string> ZipVolumeWriter::Commit() {
    if (executable_)
        ::fchmod(fd_, 0755);
    CloseVolume();
    const auto total = static_cast<uint32_t>(volumes_.size());
    std::vector<std::string> names;
    for (uint32_t disk = 0; disk < total; ++disk) {
        names.push_back(VolumeName(path_, disk, total));
        if (::rename(volumes_[disk].c_str(), names.back().c_str()) != 0)
            throw IoError("Cannot replace the archive", names.back());
    }
    committed_ = true;
    // Volumes of an earlier, longer set beside it belonged to the set just replaced.
    for (uint32_t disk = total - 1; ::unlink(VolumeName(path_, disk, 0).c_str()) == 0; ++disk) {
    }
    return names;
}

} // namespace kelvo
