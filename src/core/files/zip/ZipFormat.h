#pragma once

#include "app/DateTime.h"

#include <cstdint>
#include <string>

namespace kelvo::zip {

// Record signatures and field values of the ZIP format (PKWARE APPNOTE).
constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr uint32_t kCentralHeader = 0x02014b50;
constexpr uint32_t kDataDescriptor = 0x08074b50;
constexpr uint32_t kSplitSignature = 0x08074b50; // starts the first volume of a split set
constexpr uint32_t kEndOfCentralDirectory = 0x06054b50;
constexpr uint32_t kZip64EndOfCentralDirectory = 0x06064b50;
constexpr uint32_t kZip64Locator = 0x07064b50;
constexpr uint16_t kZip64Extra = 0x0001;
constexpr uint16_t kTimestampExtra = 0x5455;
constexpr uint16_t kFlagEncrypted = 1 << 0;
constexpr uint16_t kFlagDataDescriptor = 1 << 3;
constexpr uint16_t kFlagUtf8 = 1 << 11;
constexpr uint16_t kMethodStore = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kMadeByUnix = 3 << 8;
constexpr uint32_t kMax32 = 0xFFFFFFFF;
constexpr uint16_t kMax16 = 0xFFFF;

// Appends little-endian integers.
inline void Put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
inline void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}
inline void Put64(std::string& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v & 0xFFFFFFFF));
    Put32(out, static_cast<uint32_t>(v >> 32));
}

// MS-DOS date and time of a moment in local time (2-second resolution,
// clamped to 1980..2107).
struct DosTime {
    uint16_t time = 0, date = 0;
};
DosTime ToDosTime(SystemTime when);

} // namespace kelvo::zip
