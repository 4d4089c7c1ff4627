#include "files/FileFacts.h"

#include "platform/FileIO.h"

#include <sys/stat.h>
#include <zlib.h>

namespace kelvo {

TDateTime LocalTime(const struct stat& info) {
    return DateTimeFromSystem(SystemTime(std::chrono::duration_cast<SystemTime::duration>(
        std::chrono::seconds(info.st_mtim.tv_sec) +
        std::chrono::nanoseconds(info.st_mtim.tv_nsec))));
}

TDateTime FileTime(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? LocalTime(info) : 0;
}

void ReadFileFacts(TFD& entry, bool backupTask) {
    entry.FCrc = 0;
    entry.FTime = 0;
    struct stat info {};
    if (::stat(entry.FullName().c_str(), &info) != 0) {
        entry.FSize = -1;
        return;
    }
    entry.FSize = static_cast<int64_t>(info.st_size);
    entry.FTime = LocalTime(info);
    if (backupTask)
        entry.FCrc = FileSignature(entry.FullName(), entry.FSize);
}

uint64_t FileSignature(const std::string& path, int64_t size) {
    if (size <= 0)
        return 0;
    if (size > kSignatureLimit)
        return static_cast<uint64_t>(size);
    const auto content = ReadWholeFile(path);
    if (!content)
        return 0;
    return crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(content->data()),
                 static_cast<uInt>(content->size()));
}

} // namespace kelvo
