#pragma once

#include "app/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelvo {

// File facts the engine reads everywhere.
// The file's size in bytes, 0 when it cannot be asked.
int64_t FileSize(const std::string& path);
// The last write time, none when the file cannot be asked.
std::optional<SystemTime> FileModified(const std::string& path);
// Gives target the source's permissions, then its access and write times;
// false when setting the times failed.
bool CopyFileFacts(const std::string& target, const std::string& source);
bool IsDirectory(const std::string& path);
// The topmost folder of the file system the path (or the nearest existing
// folder above it) lives on: "/" for the root file system, empty when
// nothing of the path exists.
std::string MountPointOf(const std::string& path);
bool IsRegularFile(const std::string& path);

// The file system a path lives on, which plays the role of a drive: its
// device for existing paths, else that of the nearest existing folder above.
class FileSystems {
public:
    virtual ~FileSystems() = default;
    // A text naming the file system; empty when no part of the path exists.
    virtual std::string DeviceOf(const std::string& path) const = 0;
    // Bytes free for the user on that file system; none when unknown.
    virtual std::optional<uint64_t> FreeBytes(const std::string& path) const = 0;
};

const FileSystems& SystemFileSystems();

} // namespace kelvo
