#include "files/FileFacts.h"

#include "platform/FileIO.h"
#include "platform/FileSystem.h"

#include <sys/stat.h>
#include <zlib.h>

namespace kelvo {

TDateTime FileTime(const std::string& path) {
    const auto modified = FileModified(path);
    return modified ? DateTimeFromSystem(*modified) : 0;
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
    entry.FTime = FileTime(entry.FullName());
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
