#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

// Where a record lies: the volume (0 when not split) and the offset in it.
struct ZipPosition {
    uint32_t Disk = 0;
    uint64_t Offset = 0;
};

// The bytes of an archive on disk: one file, optionally behind a prefix (the
// self-extracting stub), or volumes of a fixed size named A.z01, A.z02, ...
// with the last one A.zip. Everything is written under temporary names;
// Commit renames them into place, and a writer destroyed without a commit
// removes them, so a failed build leaves the previous archive as it was.
class ZipVolumeWriter {
public:
    static constexpr uint64_t kMinimumVolume = 64 * 1024;

    // volumeSize 0: one file. prefix: path of a file copied before the archive.
    ZipVolumeWriter(std::string path, uint64_t volumeSize = 0, const std::string& prefix = {});
    ~ZipVolumeWriter();
    ZipVolumeWriter(const ZipVolumeWriter&) = delete;
    ZipVolumeWriter& operator=(const ZipVolumeWriter&) = delete;

    bool Split() const { return volumeSize_ != 0; }
    ZipPosition Position() const { return {Disk(), volumeBytes_}; }
    uint32_t Disk() const { return static_cast<uint32_t>(volumes_.size() - 1); }

    // Bytes that may run over into the next volume.
    void Write(const void* data, size_t size);
    // Starts the next volume when size bytes do not fit the current one.
    void Reserve(size_t size);
    // A record that must lie whole on one volume: when it does not fit the
    // current one, the next volume starts. Answers where it was written.
    ZipPosition WriteRecord(const std::string& record);
    // Overwrites bytes of a record written earlier.
    void Patch(ZipPosition at, const std::string& record);
    // Flushes, syncs and renames the volumes into place; answers their names.
    std::vector<std::string> Commit();

    // Name of volume disk of total volumes: A.z01 ... and A.zip for the last.
    static std::string VolumeName(const std::string& path, uint32_t disk, uint32_t total);

private:
    void Flush();
    void StartVolume();
    void CloseVolume();
    void CopyPrefix(const std::string& prefix);

    std::string path_;
    uint64_t volumeSize_;
    std::vector<std::string> volumes_; // temporary names
    int fd_ = -1;
    uint64_t volumeBytes_ = 0; // of the current volume, buffered ones included
    std::vector<char> buffer_;
    bool committed_ = false, executable_ = false;
};

} // namespace kelvo
