#pragma once

#include "app/DateTime.h"
#include "files/zip/ZipFormat.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// What a member is stored with.
struct ZipMemberInfo {
    std::string Name; // with "/" between levels; a folder ends in "/"
    SystemTime Modified{};
    uint32_t UnixMode = 0100644;
    int Level = 6; // 0 stores, 1..9 deflate
};

// Writes a ZIP archive member by member, under a temporary name beside the
// target; Finish writes the central directory and renames it into place, and
// an archive that is not finished leaves nothing behind. ZIP64 records are
// written wherever a size, offset or count needs them. Errors are raised with
// the user-visible text.
class ZipWriter {
public:
    ZipWriter(std::string path, std::string password = {});
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Reads the file in chunks; its mode and time are taken from the disk.
    void AddFile(const std::string& source, std::string name, int level);
    void AddData(std::string_view data, const ZipMemberInfo& info);
    void AddFolder(const ZipMemberInfo& info);
    void Finish();

    // Tests: ZIP64 records for every member and the end, whatever the sizes.
    void ForceZip64ForTesting() { forceZip64_ = true; }

private:
    struct Member {
        ZipMemberInfo info;
        uint16_t flags = 0, method = 0;
        zip::DosTime dos;
        uint32_t crc = 0;
        uint64_t compressed = 0, size = 0, offset = 0;
        bool bigSizes = false;
    };
    using Reader = std::function<size_t(uint8_t* buffer, size_t capacity)>;

    void Add(const ZipMemberInfo& info, uint64_t sizeHint, const Reader& read);
    std::string LocalHeader(const Member& member) const;
    void Compress(Member& member, const Reader& read);
    void Finalize(Member& member, size_t headerSize);
    std::string CentralHeader(const Member& member) const;
    std::string EndRecords(uint64_t directoryOffset, uint64_t directorySize) const;
    void Write(const void* data, size_t size);
    void WriteAt(uint64_t offset, const std::string& data);

    std::string path_, temporary_, password_;
    int fd_ = -1;
    uint64_t position_ = 0;
    std::vector<Member> members_;
    bool forceZip64_ = false, finished_ = false;
};

} // namespace kelvo
