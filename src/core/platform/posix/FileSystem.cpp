#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace kelvo {

namespace {

// The path itself when it exists, else the nearest existing folder above it.
std::string Existing(std::string path) {
    struct stat info {};
    while (!path.empty() && ::stat(path.c_str(), &info) != 0) {
        const size_t slash = path.rfind('/');
        path = slash == 0 ? "/" : slash == std::string::npos ? "" : path.substr(0, slash);
        if (path == "/")
            break;
    }
    return path;
}

class PosixFileSystems : public FileSystems {
public:
    std::string DeviceOf(const std::string& path) const override {
        struct stat info {};
        const std::string existing = Existing(path);
        if (existing.empty() || ::stat(existing.c_str(), &info) != 0)
            return {};
        return std::to_string(static_cast<unsigned long long>(info.st_dev));
    }
    std::optional<uint64_t> FreeBytes(const std::string& path) const override {
        struct statvfs info {};
        const std::string existing = Existing(path);
        if (existing.empty() || ::statvfs(existing.c_str(), &info) != 0)
            return std::nullopt;
        return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
    }
};

} // namespace

int64_t FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

std::optional<SystemTime> FileModified(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return SystemTime(std::chrono::duration_cast<SystemTime::duration>(
        std::chrono::seconds(info.st_mtim.tv_sec) +
        std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
}

bool CopyFileFacts(const std::string& target, const std::string& source) {
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0)
        return false;
    ::chmod(target.c_str(), info.st_mode & 07777);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    return ::utimensat(AT_FDCWD, target.c_str(), times, 0) == 0;
}

std::string MountPointOf(const std::string& path) {
    std::string at = Existing(path);
    struct stat here {};
    if (at.empty() || ::stat(at.c_str(), &here) != 0)
        return {};
    while (at != "/") {
        const size_t slash = at.rfind('/');
        const std::string parent = slash == 0 ? "/" : at.substr(0, slash);
        struct stat above {};
        if (slash == std::string::npos || ::stat(parent.c_str(), &above) != 0 ||
            above.st_dev != here.st_dev)
            break;
        at = parent;
    }
    return at;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

const FileSystems& SystemFileSystems() {
    static const PosixFileSystems systems;
    return systems;
}

} // namespace kelvo
