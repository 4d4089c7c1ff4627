#include "files/zip/ZipRecords.h"

namespace kelvo::zip {

namespace {

constexpr uint16_t kVersion = 20, kVersionZip64 = 45, kVersionOther = 63;

uint16_t VersionNeeded(const EntryRecord& entry, bool zip64) {
    if (entry.Method != kMethodStore && entry.Method != kMethodDeflate)
        return kVersionOther;
    return zip64 ? kVersionZip64 : kVersion;
}

void PutTimestamp(std::string& extra, SystemTime modified) {
    Put16(extra, kTimestampExtra);
    Put16(extra, 5);
    extra += '\x01'; // modification time present
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(modified.time_since_epoch()).count();
    Put32(extra, static_cast<uint32_t>(seconds));
}

} // namespace

std::string LocalHeader(const EntryRecord& e) {
    const bool described = e.Flags & kFlagDataDescriptor;
    std::string extra;
    if (e.BigSizes) {
        Put16(extra, kZip64Extra);
        Put16(extra, 16);
        Put64(extra, described ? 0 : e.Size);
        Put64(extra, described ? 0 : e.Compressed);
    }
    PutTimestamp(extra, e.Modified);
    std::string header;
    Put32(header, kLocalHeader);
    Put16(header, VersionNeeded(e, e.BigSizes));
    Put16(header, e.Flags);
    Put16(header, e.Method);
    Put16(header, e.Dos.time);
    Put16(header, e.Dos.date);
    Put32(header, described ? 0 : e.Crc);
    Put32(header, described ? 0 : e.BigSizes ? kMax32 : static_cast<uint32_t>(e.Compressed));
    Put32(header, described ? 0 : e.BigSizes ? kMax32 : static_cast<uint32_t>(e.Size));
    Put16(header, static_cast<uint16_t>(e.Name.size()));
    Put16(header, static_cast<uint16_t>(extra.size()));
    return header + e.Name + extra;
}

std::string DataDescriptor(const EntryRecord& e) {
    std::string descriptor;
    Put32(descriptor, kDataDescriptor);
    Put32(descriptor, e.Crc);
    if (e.BigSizes) {
        Put64(descriptor, e.Compressed);
        Put64(descriptor, e.Size);
    } else {
        Put32(descriptor, static_cast<uint32_t>(e.Compressed));
        Put32(descriptor, static_cast<uint32_t>(e.Size));
    }
    return descriptor;
}

std::string CentralHeader(const EntryRecord& e, bool forceZip64) {
    const bool bigSize = e.BigSizes || e.Size >= kMax32 || e.Compressed >= kMax32;
    const bool bigOffset = forceZip64 || e.At.Offset >= kMax32;
    const bool bigDisk = e.At.Disk >= kMax16;
    std::string zip64;
    if (bigSize) {
        Put64(zip64, e.Size);
        Put64(zip64, e.Compressed);
    }
    if (bigOffset)
        Put64(zip64, e.At.Offset);
    if (bigDisk)
        Put32(zip64, e.At.Disk);
    std::string extra;
    if (!zip64.empty()) {
        Put16(extra, kZip64Extra);
        Put16(extra, static_cast<uint16_t>(zip64.size()));
        extra += zip64;
    }
    PutTimestamp(extra, e.Modified);
    std::string header;
    Put32(header, kCentralHeader);
    Put16(header, kMadeByUnix | kVersionZip64);
    Put16(header, VersionNeeded(e, !zip64.empty()));
    Put16(header, e.Flags);
    Put16(header, e.Method);
    Put16(header, e.Dos.time);
    Put16(header, e.Dos.date);
    Put32(header, e.Crc);
    Put32(header, bigSize ? kMax32 : static_cast<uint32_t>(e.Compressed));
    Put32(header, bigSize ? kMax32 : static_cast<uint32_t>(e.Size));
    Put16(header, static_cast<uint16_t>(e.Name.size()));
    Put16(header, static_cast<uint16_t>(extra.size()));
    Put16(header, 0); // comment
    Put16(header, bigDisk ? kMax16 : static_cast<uint16_t>(e.At.Disk));
    Put16(header, 0); // internal attributes
    const bool folder = !e.Name.empty() && e.Name.back() == '/';
    Put32(header, (e.UnixMode << 16) | (folder ? 0x10 : 0));
    Put32(header, bigOffset ? kMax32 : static_cast<uint32_t>(e.At.Offset));
    return header + e.Name + extra;
}

std::string EndRecords(const DirectoryFacts& f, uint64_t zip64RecordOffset) {
    const bool zip64 = f.ForceZip64 || f.Count >= kMax16 || f.Start.Offset >= kMax32 ||
                       f.Size >= kMax32 || f.LastDisk >= kMax16;
    std::string end;
    if (zip64) {
        Put32(end, kZip64EndOfCentralDirectory);
        Put64(end, 44); // size of the rest of the record
        Put16(end, kMadeByUnix | kVersionZip64);
        Put16(end, kVersionZip64);
        Put32(end, f.LastDisk);
        Put32(end, f.Start.Disk);
        Put64(end, f.CountOnLastDisk);
        Put64(end, f.Count);
        Put64(end, f.Size);
        Put64(end, f.Start.Offset);
        Put32(end, kZip64Locator);
        Put32(end, f.LastDisk); // disk of the ZIP64 end record
        Put64(end, zip64RecordOffset);
        Put32(end, f.LastDisk + 1); // disks in all
    }
    auto small16 = [&](uint64_t v) { return zip64 ? kMax16 : static_cast<uint16_t>(v); };
    Put32(end, kEndOfCentralDirectory);
    Put16(end, small16(f.LastDisk));
    Put16(end, small16(f.Start.Disk));
    Put16(end, small16(f.CountOnLastDisk));
    Put16(end, small16(f.Count));
    Put32(end, zip64 ? kMax32 : static_cast<uint32_t>(f.Size));
    Put32(end, zip64 ? kMax32 : static_cast<uint32_t>(f.Start.Offset));
    Put16(end, 0); // comment
    return end;
}

} // namespace kelvo::zip
