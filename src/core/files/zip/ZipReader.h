#pragma once

#include "app/DateTime.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// An archive that cannot be read as it claims: the text says what is wrong.
struct ZipError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ZipMember {
    std::string Name;
    uint64_t CompressedSize = 0, Size = 0;
    uint32_t Crc = 0;
    uint16_t Method = 0, Flags = 0;
    SystemTime Modified{};
    uint32_t UnixMode = 0; // 0 when the archive was not made on a Unix system
    bool Encrypted = false;
    uint64_t LocalOffset = 0; // as the central directory states it
    uint16_t DosTime = 0;
    bool IsFolder() const { return !Name.empty() && Name.back() == '/'; }
};

// Reads a ZIP archive, also one with a prefix such as a self-extracting stub.
// Every offset and size is checked against the file; a member inflates to its
// stated size at the most, and its CRC is verified.
class ZipReader {
public:
    explicit ZipReader(std::string path);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    const std::vector<ZipMember>& Members() const { return members_; }
    // By exact name; none when absent.
    const ZipMember* Find(std::string_view name) const;
    // Into a file, written under a temporary name and renamed when verified.
    void Extract(const ZipMember& member, const std::string& target,
                 const std::string& password = {}) const;
    // Into memory; refused for members larger than limit.
    std::string Read(const ZipMember& member, const std::string& password = {},
                     uint64_t limit = 256u << 20) const;

private:
    struct Location {
        uint64_t offset, size;
    };
    void ReadDirectory();
    Location FindEnd(uint64_t& entries, uint64_t& directoryOffset, uint64_t& directorySize);
    std::string ReadAt(uint64_t offset, uint64_t size) const;
    uint64_t DataOffset(const ZipMember& member) const;
    template <typename Sink>
    void Inflate(const ZipMember& member, const std::string& password, Sink&& sink) const;

    std::string path_;
    int fd_ = -1;
    uint64_t fileSize_ = 0;
    int64_t prefix_ = 0; // bytes before the archive proper
    std::vector<ZipMember> members_;
};

// A member name that stays inside the folder it is extracted into: relative,
// without ".." parts, backslashes or NUL bytes.
bool IsSafeMemberName(std::string_view name);

} // namespace kelvo
