#include "files/zip/ZipWriter.h"

#include "files/zip/ZipCrypto.h"
#include "platform/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace kelvo {

using namespace zip;

namespace {

constexpr size_t kChunk = 256 * 1024;
// Past this many bytes a member's sizes may not fit 32 bits once compressed.
constexpr uint64_t kBigMember = 0xFF000000ull;

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::runtime_error IoError(const std::string& what, const std::string& path) {
    return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

int64_t UnixSeconds(SystemTime when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

} // namespace

ZipWriter::ZipWriter(std::string path, std::string password)
    : path_(std::move(path)), password_(std::move(password)) {
    temporary_ = path_ + ".part-" + std::to_string(::getpid());
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0)
        throw IoError("Cannot create the archive", temporary_);
}

ZipWriter::~ZipWriter() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!finished_)
        ::unlink(temporary_.c_str());
}

void ZipWriter::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw IoError("Cannot write the archive", path_);
        bytes += n;
        size -= static_cast<size_t>(n);
        position_ += static_cast<uint64_t>(n);
    }
}

void ZipWriter::WriteAt(uint64_t offset, const std::string& data) {
    if (::pwrite(fd_, data.data(), data.size(), static_cast<off_t>(offset)) !=
        static_cast<ssize_t>(data.size()))
        throw IoError("Cannot write the archive", path_);
}

void ZipWriter::AddFile(const std::string& source, std::string name, int level) {
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw IoError("Cannot open", source);
    struct stat info {};
    ::fstat(fd, &info);
    ZipMemberInfo member{std::move(name), SystemTime(std::chrono::seconds(info.st_mtim.tv_sec)),
                         static_cast<uint32_t>(info.st_mode), level};
    try {
        Add(member, static_cast<uint64_t>(info.st_size), [&](uint8_t* buffer, size_t capacity) {
            ssize_t n;
            do
                n = ::read(fd, buffer, capacity);
            while (n < 0 && errno == EINTR);
            if (n < 0)
                throw IoError("Cannot read", source);
            return static_cast<size_t>(n);
        });
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

void ZipWriter::AddData(std::string_view data, const ZipMemberInfo& info) {
    size_t at = 0;
    Add(info, data.size(), [&](uint8_t* buffer, size_t capacity) {
        const size_t n = std::min(capacity, data.size() - at);
        std::memcpy(buffer, data.data() + at, n);
        at += n;
        return n;
    });
}

void ZipWriter::AddFolder(const ZipMemberInfo& info) {
    ZipMemberInfo folder = info;
    if (folder.Name.empty() || folder.Name.back() != '/')
        folder.Name += '/';
    folder.Level = 0;
    folder.UnixMode = (folder.UnixMode & 07777) | 040000;
    Add(folder, 0, [](uint8_t*, size_t) { return size_t{0}; });
}

std::string ZipWriter::LocalHeader(const Member& m) const {
    std::string extra;
    if (m.bigSizes) {
        Put16(extra, kZip64Extra);
        Put16(extra, 16);
        Put64(extra, m.size);
        Put64(extra, m.compressed);
    }
    Put16(extra, kTimestampExtra);
    Put16(extra, 5);
    extra += '\x01'; // modification time present
    Put32(extra, static_cast<uint32_t>(UnixSeconds(m.info.Modified)));
    std::string header;
    Put32(header, kLocalHeader);
    Put16(header, m.bigSizes ? 45 : 20);
    Put16(header, m.flags);
    Put16(header, m.method);
    Put16(header, m.dos.time);
    Put16(header, m.dos.date);
    const bool described = m.flags & kFlagDataDescriptor;
    Put32(header, described ? 0 : m.crc);
    Put32(header, described ? 0 : m.bigSizes ? kMax32 : static_cast<uint32_t>(m.compressed));
    Put32(header, described ? 0 : m.bigSizes ? kMax32 : static_cast<uint32_t>(m.size));
    Put16(header, static_cast<uint16_t>(m.info.Name.size()));
    Put16(header, static_cast<uint16_t>(extra.size()));
    return header + m.info.Name + extra;
}

void ZipWriter::Add(const ZipMemberInfo& info, uint64_t sizeHint, const Reader& read) {
    if (finished_)
        throw std::logic_error("the archive is finished");
    if (info.Name.empty() || info.Name.size() > kMax16)
        throw std::runtime_error("Cannot store the name \"" + info.Name + "\" in an archive");
    Member m;
    m.info = info;
    m.offset = position_;
    m.dos = ToDosTime(info.Modified);
    m.method = info.Level > 0 ? kMethodDeflate : kMethodStore;
    m.bigSizes = forceZip64_ || sizeHint >= kBigMember;
    if (!IsAscii(info.Name))
        m.flags |= kFlagUtf8;
    const bool encrypted = !password_.empty() && info.Name.back() != '/';
    if (encrypted)
        m.flags |= kFlagEncrypted | kFlagDataDescriptor;
    const std::string header = LocalHeader(m);
    Write(header.data(), header.size());
    Compress(m, read);
    Finalize(m, header.size());
    members_.push_back(std::move(m));
}

void ZipWriter::Compress(Member& m, const Reader& read) {
    std::optional<ZipCrypto> crypto;
    if (m.flags & kFlagEncrypted) {
        crypto.emplace(password_);
        // With a data descriptor readers check against the time, not the CRC.
        const auto header = crypto->MakeHeader(static_cast<uint8_t>(m.dos.time >> 8));
        Write(header.data(), header.size());
        m.compressed += header.size();
    }
    auto emit = [&](uint8_t* data, size_t size) {
        if (crypto)
            crypto->Encrypt(data, size);
        Write(data, size);
        m.compressed += size;
    };
    auto input = std::make_unique<uint8_t[]>(kChunk);
    auto output = std::make_unique<uint8_t[]>(kChunk);
    z_stream z{};
    const bool deflate = m.method == kMethodDeflate;
    if (deflate && deflateInit2(&z, m.info.Level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("Cannot start compressing " + m.info.Name);
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(deflate ? &z : nullptr, deflateEnd);
    uLong crc = crc32(0, nullptr, 0);
    bool end = false;
    while (!end) {
        const size_t n = read(input.get(), kChunk);
        end = n == 0;
        crc = crc32(crc, input.get(), static_cast<uInt>(n));
        m.size += n;
        if (!deflate) {
            emit(input.get(), n);
            continue;
        }
        z.next_in = input.get();
        z.avail_in = static_cast<uInt>(n);
        do {
            z.next_out = output.get();
            z.avail_out = static_cast<uInt>(kChunk);
            ::deflate(&z, end ? Z_FINISH : Z_NO_FLUSH);
            emit(output.get(), kChunk - z.avail_out);
        } while (z.avail_out == 0);
    }
    m.crc = static_cast<uint32_t>(crc);
}

void ZipWriter::Finalize(Member& m, size_t headerSize) {
    if (m.flags & kFlagDataDescriptor) {
        std::string descriptor;
        Put32(descriptor, kDataDescriptor);
        Put32(descriptor, m.crc);
        if (m.bigSizes) {
            Put64(descriptor, m.compressed);
            Put64(descriptor, m.size);
        } else {
            Put32(descriptor, static_cast<uint32_t>(m.compressed));
            Put32(descriptor, static_cast<uint32_t>(m.size));
        }
        Write(descriptor.data(), descriptor.size());
        return;
    }
    if (!m.bigSizes && (m.size >= kMax32 || m.compressed >= kMax32))
        throw std::runtime_error("The member " + m.info.Name + " grew past 4 GiB unexpectedly");
    const std::string header = LocalHeader(m); // now with the real CRC and sizes
    if (header.size() != headerSize)
        throw std::logic_error("local header changed size");
    WriteAt(m.offset, header);
}

std::string ZipWriter::CentralHeader(const Member& m) const {
    const bool bigSize = m.bigSizes || m.size >= kMax32 || m.compressed >= kMax32;
    const bool bigOffset = forceZip64_ || m.offset >= kMax32;
    std::string zip64;
    if (bigSize) {
        Put64(zip64, m.size);
        Put64(zip64, m.compressed);
    }
    if (bigOffset)
        Put64(zip64, m.offset);
    std::string extra;
    if (!zip64.empty()) {
        Put16(extra, kZip64Extra);
        Put16(extra, static_cast<uint16_t>(zip64.size()));
        extra += zip64;
    }
    Put16(extra, kTimestampExtra);
    Put16(extra, 5);
    extra += '\x01';
    Put32(extra, static_cast<uint32_t>(UnixSeconds(m.info.Modified)));
    const uint16_t version = zip64.empty() ? 20 : 45;
    std::string header;
    Put32(header, kCentralHeader);
    Put16(header, kMadeByUnix | 45);
    Put16(header, version);
    Put16(header, m.flags);
    Put16(header, m.method);
    Put16(header, m.dos.time);
    Put16(header, m.dos.date);
    Put32(header, m.crc);
    Put32(header, bigSize ? kMax32 : static_cast<uint32_t>(m.compressed));
    Put32(header, bigSize ? kMax32 : static_cast<uint32_t>(m.size));
    Put16(header, static_cast<uint16_t>(m.info.Name.size()));
    Put16(header, static_cast<uint16_t>(extra.size()));
    Put16(header, 0); // comment
    Put16(header, 0); // disk
    Put16(header, 0); // internal attributes
    const bool folder = m.info.Name.back() == '/';
    Put32(header, (m.info.UnixMode << 16) | (folder ? 0x10 : 0));
    Put32(header, bigOffset ? kMax32 : static_cast<uint32_t>(m.offset));
    return header + m.info.Name + extra;
}

std::string ZipWriter::EndRecords(uint64_t directoryOffset, uint64_t directorySize) const {
    const uint64_t count = members_.size();
    const bool zip64 =
        forceZip64_ || count >= kMax16 || directoryOffset >= kMax32 || directorySize >= kMax32;
    std::string end;
    if (zip64) {
        const uint64_t recordOffset = directoryOffset + directorySize;
        Put32(end, kZip64EndOfCentralDirectory);
        Put64(end, 44); // size of the rest of the record
        Put16(end, kMadeByUnix | 45);
        Put16(end, 45);
        Put32(end, 0); // this disk
        Put32(end, 0); // disk of the central directory
        Put64(end, count);
        Put64(end, count);
        Put64(end, directorySize);
        Put64(end, directoryOffset);
        Put32(end, kZip64Locator);
        Put32(end, 0);
        Put64(end, recordOffset);
        Put32(end, 1); // disks in all
    }
    Put32(end, kEndOfCentralDirectory);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, zip64 ? kMax16 : static_cast<uint16_t>(count));
    Put16(end, zip64 ? kMax16 : static_cast<uint16_t>(count));
    Put32(end, zip64 ? kMax32 : static_cast<uint32_t>(directorySize));
    Put32(end, zip64 ? kMax32 : static_cast<uint32_t>(directoryOffset));
    Put16(end, 0); // comment
    return end;
}

void ZipWriter::Finish() {
    const uint64_t directoryOffset = position_;
    std::string directory;
    for (const Member& member : members_)
        directory += CentralHeader(member);
    Write(directory.data(), directory.size());
    const std::string end = EndRecords(directoryOffset, directory.size());
    Write(end.data(), end.size());
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
        fd_ = -1;
        throw IoError("Cannot write the archive", path_);
    }
    fd_ = -1;
    if (::rename(temporary_.c_str(), path_.c_str()) != 0)
        throw IoError("Cannot replace the archive", path_);
    finished_ = true;
}

} // namespace kelvo
