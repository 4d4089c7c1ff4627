#pragma once

#include "app/DateTime.h"
#include "files/zip/ZipFormat.h"
#include "files/zip/ZipVolumeWriter.h"

#include <cstdint>
#include <string>

namespace kelvo::zip {

// The facts of one member that its records carry.
struct EntryRecord {
    std::string Name;
    SystemTime Modified{};
    uint32_t UnixMode = 0100644;
    uint16_t Flags = 0, Method = 0;
    DosTime Dos;
    uint32_t Crc = 0;
    uint64_t Compressed = 0, Size = 0;
    ZipPosition At;        // of the local header
    bool BigSizes = false; // the local header carries ZIP64 sizes
};

// The local header; with a data descriptor its CRC and sizes are zero.
std::string LocalHeader(const EntryRecord& entry);
std::string DataDescriptor(const EntryRecord& entry);
std::string CentralHeader(const EntryRecord& entry, bool forceZip64);

struct DirectoryFacts {
    uint64_t Count = 0, CountOnLastDisk = 0;
    ZipPosition Start; // of the central directory
    uint64_t Size = 0;
    uint32_t LastDisk = 0;
    bool ForceZip64 = false;
};
// The ZIP64 end record and locator when needed, then the end record: written
// together, so that they lie on the last volume.
std::string EndRecords(const DirectoryFacts& facts, uint64_t zip64RecordOffset);

} // namespace kelvo::zip
