#include "files/zip/ZipVolumeReader.h"

#include "files/zip/ZipError.h"
#include "files/zip/ZipVolumeWriter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

namespace {
constexpr uint32_t kMostVolumes = 0xFFFF;
}

ZipVolumeReader::Volume ZipVolumeReader::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw ZipError("Cannot open the archive " + path + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw ZipError("The archive " + path + " is no file");
    }
    return {fd, 0, static_cast<uint64_t>(info.st_size)};
}

ZipVolumeReader::ZipVolumeReader(std::string path) : path_(std::move(path)) {
    volumes_.push_back(Open(path_));
    size_ = volumes_.back().size;
}

ZipVolumeReader::~ZipVolumeReader() {
    for (const Volume& volume : volumes_)
        ::close(volume.fd);
}

void ZipVolumeReader::OpenSet(uint32_t lastDisk) {
    if (volumes_.size() != 1)
        throw std::logic_error("the volumes are open");
    if (lastDisk > kMostVolumes)
        throw ZipError("The archive " + path_ + " claims too many volumes");
    const Volume last = volumes_.back();
    volumes_.pop_back();
    try {
        uint64_t start = 0;
        for (uint32_t disk = 0; disk < lastDisk; ++disk) {
            const std::string name = ZipVolumeWriter::VolumeName(path_, disk, lastDisk + 1);
            Volume volume = Open(name);
            volume.start = start;
            start += volume.size;
            volumes_.push_back(volume);
        }
        volumes_.push_back({last.fd, start, last.size});
        size_ = start + last.size;
    } catch (...) {
        for (const Volume& volume : volumes_)
            ::close(volume.fd);
        volumes_ = {last};
        throw;
    }
}

uint64_t ZipVolumeReader::Locate(uint32_t disk, uint64_t offset) const {
    if (disk >= volumes_.size())
        throw ZipError("The archive is damaged: it refers to a volume that is not there");
    return volumes_[disk].start + offset;
}

void ZipVolumeReader::ReadInto(uint64_t offset, void* buffer, size_t size) const {
    if (offset > size_ || size > size_ - offset)
        throw ZipError("The archive is damaged: data lies outside the file");
    auto* bytes = static_cast<char*>(buffer);
    size_t index = 0; // volumes are few
    while (size > 0) {
        const Volume& volume = volumes_.at(index);
        if (offset >= volume.start + volume.size) {
            ++index;
            continue;
        }
        const uint64_t inside = offset - volume.start;
        const size_t take = static_cast<size_t>(std::min<uint64_t>(size, volume.size - inside));
        const ssize_t n = ::pread(volume.fd, bytes, take, static_cast<off_t>(inside));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw ZipError("Cannot read the archive " + path_);
        bytes += n;
        offset += static_cast<uint64_t>(n);
        size -= static_cast<size_t>(n);
    }
}

std::string ZipVolumeReader::ReadAt(uint64_t offset, uint64_t size) const {
    if (offset > size_ || size > size_ - offset)
        throw ZipError("The archive is damaged: data lies outside the file");
    std::string data(static_cast<size_t>(size), '\0');
    ReadInto(offset, data.data(), data.size());
    return data;
}

} // namespace kelvo
