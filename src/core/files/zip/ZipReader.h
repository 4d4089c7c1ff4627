#pragma once

#include "app/DateTime.h"
#include "files/zip/ZipError.h"
#include "files/zip/ZipVolumeReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

struct ZipMember {
    std::string Name;
    uint64_t CompressedSize = 0, Size = 0;
    uint32_t Crc = 0;
    uint16_t Method = 0, Flags = 0;
    SystemTime Modified{};
    bool ExactTime = false; // from the extended timestamp, else from the DOS time
    uint32_t UnixMode = 0;  // 0 when the archive was not made on a Unix system
    bool Encrypted = false;
    uint32_t Disk = 0;        // volume of the local header
    uint64_t LocalOffset = 0; // as the central directory states it
    uint16_t DosTime = 0, DosDate = 0;
    bool IsFolder() const { return !Name.empty() && Name.back() == '/'; }
};

// Reads a ZIP archive: one file, one with a prefix such as a self-extracting
// stub, or a split set given by its last volume. Every offset and size is
// checked against the file; a member inflates to its stated size at the most,
// and its CRC is verified. Reads may come from several threads at once.
class ZipReader {
public:
    explicit ZipReader(std::string path);

    const std::vector<ZipMember>& Members() const { return members_; }
    // By exact name; none when absent.
    const ZipMember* Find(std::string_view name) const;
    // Into a file, written under a temporary name and renamed when verified.
    void Extract(const ZipMember& member, const std::string& target,
                 const std::string& password = {}) const;
    // Into memory; refused for members larger than limit.
    std::string Read(const ZipMember& member, const std::string& password = {},
                     uint64_t limit = 256u << 20) const;
    // Every member below folder, with its folders, modes and times. Names that
    // would leave the folder are refused before anything is written.
    void ExtractAll(const std::string& folder, const std::string& password = {}) const;
    // size bytes of the member's stored (compressed, maybe encrypted) data from at.
    std::string ReadRaw(const ZipMember& member, uint64_t at, uint64_t size) const;
    // Whether password opens the member (its check byte; 1 in 256 wrong ones pass).
    bool PasswordFits(const ZipMember& member, const std::string& password) const;

private:
    struct Location {
        uint64_t offset, size;
    };
    void ReadDirectory();
    Location FindEnd(uint64_t& entries, uint32_t& directoryDisk, uint64_t& statedOffset);
    ZipMember ReadCentralHeader(std::string_view data, size_t& at) const;
    uint64_t DataOffset(const ZipMember& member) const;
    static bool HeaderFits(const ZipMember& member, std::string header, class ZipCrypto& crypto);
    template <typename Sink>
    void Inflate(const ZipMember& member, const std::string& password, Sink&& sink) const;
    template <typename Sink>
    void InflateStream(const ZipMember& member, uint64_t offset, uint64_t remaining,
                       class ZipCrypto* crypto, Sink&& emit) const;

    ZipVolumeReader input_;
    int64_t prefix_ = 0; // bytes before the archive proper
    std::vector<ZipMember> members_;
};

// A member name that stays inside the folder it is extracted into: relative,
// without ".." parts, backslashes or NUL bytes.
bool IsSafeMemberName(std::string_view name);

} // namespace kelvo
