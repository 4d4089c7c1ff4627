#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

// The bytes of an archive as one address space: a single file, or the
// volumes of a split set (A.z01, A.z02, ... and the last one, A.zip) one after
// the other. Reads are checked against the size; a missing volume is an error.
class ZipVolumeReader {
public:
    // The last (or only) volume.
    explicit ZipVolumeReader(std::string path);
    ~ZipVolumeReader();
    ZipVolumeReader(const ZipVolumeReader&) = delete;
    ZipVolumeReader& operator=(const ZipVolumeReader&) = delete;

    // Opens the volumes 0 .. lastDisk-1 that come before the last one.
    void OpenSet(uint32_t lastDisk);
    uint64_t Size() const { return size_; }
    uint64_t LastVolumeStart() const { return volumes_.back().start; }
    // Where an offset on a volume lies in the address space.
    uint64_t Locate(uint32_t disk, uint64_t offset) const;
    void ReadInto(uint64_t offset, void* buffer, size_t size) const;
    std::string ReadAt(uint64_t offset, uint64_t size) const;
    const std::string& Path() const { return path_; }

private:
    struct Volume {
        int fd;
        uint64_t start, size;
    };
    static Volume Open(const std::string& path);

    std::string path_;
    std::vector<Volume> volumes_;
    uint64_t size_ = 0;
};

} // namespace kelvo
