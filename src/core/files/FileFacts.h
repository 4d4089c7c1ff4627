#pragma once

#include "files/FD.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace kelvo {

// Files up to this size are signed by the CRC-32 of their content; larger
// ones by their size.
constexpr int64_t kSignatureLimit = 1600000;

// Reads the size (-1 when the file vanished), the last write time in local
// time (0 when unknown) and, for backup tasks, the signature of the file at
// the entry's path. Never raises; a file that cannot be read keeps signature 0.
void ReadFileFacts(TFD& entry, bool backupTask);

// The signature of a file of the given size: the CRC-32 of its content up to
// kSignatureLimit bytes, else the size; 0 for empty or unreadable files.
uint64_t FileSignature(const std::string& path, int64_t size);

// The file's last write time in local time; 0 when the file cannot be asked.
TDateTime FileTime(const std::string& path);
// The last write time a stat answered, in local time.
TDateTime LocalTime(const struct stat& info);

} // namespace kelvo
