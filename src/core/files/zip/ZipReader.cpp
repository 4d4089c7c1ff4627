#include "files/zip/ZipReader.h"

#include "files/zip/ChunkCompressor.h"
#include "files/zip/ZipCrypto.h"
#include "files/zip/ZipFormat.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <libdeflate.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace kelvo {

using namespace zip;

namespace {

constexpr size_t kChunk = 256 * 1024;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
// Members up to this size are inflated whole, which is fastest.
constexpr uint64_t kWholeMember = 16u << 20;

// Little-endian fields of a record already in memory, checked against its length.
class Fields {
public:
    explicit Fields(std::string_view data) : data_(data) {}
    uint16_t U16(size_t at) const { return static_cast<uint16_t>(Byte(at) | Byte(at + 1) << 8); }
    uint32_t U32(size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
    uint64_t U64(size_t at) const { return U32(at) | static_cast<uint64_t>(U32(at + 4)) << 32; }
    std::string_view Slice(size_t at, size_t size) const {
        if (at > data_.size() || size > data_.size() - at)
            throw ZipError("The archive is damaged: a record ends early");
        return data_.substr(at, size);
    }

private:
    uint32_t Byte(size_t at) const {
        if (at >= data_.size())
            throw ZipError("The archive is damaged: a record ends early");
        return static_cast<unsigned char>(data_[at]);
    }
    std::string_view data_;
};

SystemTime FromDos(uint16_t time, uint16_t date) {
    std::tm local{};
    local.tm_year = ((date >> 9) & 0x7F) + 80;
    local.tm_mon = ((date >> 5) & 0x0F) - 1;
    local.tm_mday = date & 0x1F;
    local.tm_hour = (time >> 11) & 0x1F;
    local.tm_min = (time >> 5) & 0x3F;
    local.tm_sec = (time & 0x1F) * 2;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

// The ZIP64 and timestamp fields of a central header's extra block.
void ReadExtra(std::string_view extra, ZipMember& m) {
    Fields fields(extra);
    size_t at = 0;
    while (at + 4 <= extra.size()) {
        const uint16_t id = fields.U16(at), size = fields.U16(at + 2);
        const std::string_view body = fields.Slice(at + 4, size);
        Fields values(body);
        if (id == kZip64Extra) {
            size_t next = 0;
            if (m.Size == kMax32)
                m.Size = values.U64(next), next += 8;
            if (m.CompressedSize == kMax32)
                m.CompressedSize = values.U64(next), next += 8;
            if (m.LocalOffset == kMax32)
                m.LocalOffset = values.U64(next), next += 8;
            if (m.Disk == kMax16)
                m.Disk = values.U32(next);
        } else if (id == kTimestampExtra && size >= 5 && (body[0] & 1)) {
            m.Modified = SystemTime(std::chrono::seconds(static_cast<int32_t>(values.U32(1))));
            m.ExactTime = true;
        }
        at += 4 + size;
    }
}

std::string Undecodable(const ZipMember& m) {
    return m.Encrypted ? "Wrong password, or the member " + m.Name + " is damaged"
                       : "The archive is damaged: the member " + m.Name + " does not decompress";
}

// Creates folder and the folders above it.
void MakeFolders(const std::string& folder) {
    for (size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            throw ZipError("Cannot create the folder " + part + ": " + std::strerror(errno));
    }
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        throw ZipError("Cannot create the folder " + folder + ": " + std::strerror(errno));
}

} // namespace

ZipReader::ZipReader(std::string path) : input_(std::move(path)) {
    ReadDirectory();
}

// Finds the end records from the back of the last volume, opens the volumes
// before it, and answers where the central directory really lies (which may
// differ from what it states by a prefix).
ZipReader::Location ZipReader::FindEnd(uint64_t& entries, uint32_t& directoryDisk,
                                       uint64_t& statedOffset) {
    const uint64_t size = input_.Size();
    const uint64_t window = std::min<uint64_t>(size, kEndRecordSize + 0xFFFF);
    const std::string tail = input_.ReadAt(size - window, window);
    size_t at = std::string::npos;
    for (size_t i = tail.size() >= kEndRecordSize ? tail.size() - kEndRecordSize + 1 : 0; i-- > 0;)
        if (Fields(tail).U32(i) == kEndOfCentralDirectory) {
            at = i;
            break;
        }
    if (at == std::string::npos)
        throw ZipError("The file " + input_.Path() + " is no ZIP archive");
    const Fields end(std::string_view(tail).substr(at));
    const uint64_t endOffset = size - window + at;
    uint32_t thisDisk = end.U16(4);
    directoryDisk = end.U16(6);
    entries = end.U16(10);
    uint64_t statedSize = end.U32(12);
    statedOffset = end.U32(16);
    uint64_t directoryEnd = endOffset;
    if (endOffset >= 20 && Fields(input_.ReadAt(endOffset - 20, 20)).U32(0) == kZip64Locator) {
        // The record itself sits right before the locator, whatever offset it states.
        if (endOffset < 20 + 56)
            throw ZipError("The archive is damaged: its ZIP64 end record is missing");
        const uint64_t recordOffset = endOffset - 20 - 56;
        const std::string record = input_.ReadAt(recordOffset, 56);
        const Fields zip64(record);
        if (zip64.U32(0) != kZip64EndOfCentralDirectory)
            throw ZipError("The archive is damaged: its ZIP64 end record is missing");
        thisDisk = zip64.U32(16);
        directoryDisk = zip64.U32(20);
        entries = zip64.U64(32);
        statedSize = zip64.U64(40);
        statedOffset = zip64.U64(48);
        directoryEnd = recordOffset;
    }
    if (thisDisk > 0) {
        input_.OpenSet(thisDisk);
        directoryEnd += input_.LastVolumeStart();
    }
    if (statedSize > directoryEnd)
        throw ZipError("The archive is damaged: its central directory is larger than the file");
    return {directoryEnd - statedSize, statedSize};
}

ZipMember ZipReader::ReadCentralHeader(std::string_view data, size_t& at) const {
    const Fields fields(data);
    if (fields.U32(at) != kCentralHeader)
        throw ZipError("The archive is damaged: its central directory is broken");
    ZipMember m;
    const uint16_t madeBy = fields.U16(at + 4);
    m.Flags = fields.U16(at + 8);
    m.Method = fields.U16(at + 10);
    m.DosTime = fields.U16(at + 12);
    m.DosDate = fields.U16(at + 14);
    m.Modified = FromDos(m.DosTime, m.DosDate);
    m.Crc = fields.U32(at + 16);
    m.CompressedSize = fields.U32(at + 20);
    m.Size = fields.U32(at + 24);
    const uint16_t nameSize = fields.U16(at + 28), extraSize = fields.U16(at + 30),
                   commentSize = fields.U16(at + 32);
    m.Disk = fields.U16(at + 34);
    const uint32_t external = fields.U32(at + 38);
    m.LocalOffset = fields.U32(at + 42);
    m.Name = std::string(fields.Slice(at + kCentralHeaderSize, nameSize));
    ReadExtra(fields.Slice(at + kCentralHeaderSize + nameSize, extraSize), m);
    m.Encrypted = m.Flags & kFlagEncrypted;
    m.UnixMode = (madeBy >> 8) == 3 ? external >> 16 : 0;
    at += kCentralHeaderSize + nameSize + extraSize + commentSize;
    return m;
}

void ZipReader::ReadDirectory() {
    uint64_t entries = 0, statedOffset = 0;
    uint32_t directoryDisk = 0;
    const Location directory = FindEnd(entries, directoryDisk, statedOffset);
    prefix_ = static_cast<int64_t>(directory.offset) -
              static_cast<int64_t>(input_.Locate(directoryDisk, statedOffset));
    if (entries > directory.size / kCentralHeaderSize)
        throw ZipError("The archive is damaged: it claims more members than it holds");
    const std::string data = input_.ReadAt(directory.offset, directory.size);
    members_.reserve(static_cast<size_t>(entries));
    size_t at = 0;
    for (uint64_t i = 0; i < entries; ++i)
        members_.push_back(ReadCentralHeader(data, at));
}

const ZipMember* ZipReader::Find(std::string_view name) const {
    for (const ZipMember& member : members_)
        if (member.Name == name)
            return &member;
    return nullptr;
}

uint64_t ZipReader::DataOffset(const ZipMember& m) const {
    const int64_t local = static_cast<int64_t>(input_.Locate(m.Disk, m.LocalOffset)) + prefix_;
    if (local < 0)
        throw ZipError("The archive is damaged: a member lies before its start");
    const std::string header = input_.ReadAt(static_cast<uint64_t>(local), kLocalHeaderSize);
    const Fields fields(header);
    if (fields.U32(0) != kLocalHeader)
        throw ZipError("The archive is damaged: the member " + m.Name + " is missing");
    const uint64_t data =
        static_cast<uint64_t>(local) + kLocalHeaderSize + fields.U16(26) + fields.U16(28);
    if (data > input_.Size() || m.CompressedSize > input_.Size() - data)
        throw ZipError("The archive is damaged: the member " + m.Name + " ends after the file");
    return data;
}

std::string ZipReader::ReadRaw(const ZipMember& member, uint64_t at, uint64_t size) const {
    if (at > member.CompressedSize || size > member.CompressedSize - at)
        throw ZipError("The archive is damaged: the member " + member.Name + " is too short");
    return input_.ReadAt(DataOffset(member) + at, size);
}

// Decrypts the member's 12-byte encryption header with crypto, which then
// stands at the data, and answers whether its check byte fits: the CRC's high
// byte, or with a data descriptor the high byte of the DOS time.
bool ZipReader::HeaderFits(const ZipMember& m, std::string header, ZipCrypto& crypto) {
    crypto.Decrypt(reinterpret_cast<uint8_t*>(header.data()), header.size());
    const uint8_t expected = (m.Flags & kFlagDataDescriptor) ? static_cast<uint8_t>(m.DosTime >> 8)
                                                             : static_cast<uint8_t>(m.Crc >> 24);
    return static_cast<uint8_t>(header.back()) == expected;
}

bool ZipReader::PasswordFits(const ZipMember& m, const std::string& password) const {
    if (!m.Encrypted)
        return password.empty();
    if (m.CompressedSize < ZipCrypto::kHeaderSize)
        return false;
    ZipCrypto crypto(password);
    return HeaderFits(m, ReadRaw(m, 0, ZipCrypto::kHeaderSize), crypto);
}

// Streams the member through zlib, for members too large to hold whole.
template <typename Sink>
void ZipReader::InflateStream(const ZipMember& m, uint64_t offset, uint64_t remaining,
                              ZipCrypto* crypto, Sink&& emit) const {
    z_stream z{};
    const bool deflate = m.Method == kMethodDeflate;
    if (deflate && inflateInit2(&z, -15) != Z_OK)
        throw ZipError("Cannot start decompressing " + m.Name);
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(deflate ? &z : nullptr, inflateEnd);
    auto output = std::make_unique<uint8_t[]>(kChunk);
    std::string input;
    bool streamEnd = !deflate;
    while (remaining > 0 || (deflate && !streamEnd)) {
        const uint64_t take = std::min<uint64_t>(remaining, kChunk);
        input = input_.ReadAt(offset, take);
        offset += take;
        remaining -= take;
        if (crypto)
            crypto->Decrypt(reinterpret_cast<uint8_t*>(input.data()), input.size());
        if (!deflate) {
            emit(reinterpret_cast<const uint8_t*>(input.data()), input.size());
            continue;
        }
        z.next_in = reinterpret_cast<Bytef*>(input.data());
        z.avail_in = static_cast<uInt>(input.size());
        do {
            z.next_out = output.get();
            z.avail_out = static_cast<uInt>(kChunk);
            const int result = ::inflate(&z, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END && !(result == Z_BUF_ERROR && take == 0))
                throw ZipError(Undecodable(m));
            emit(output.get(), kChunk - z.avail_out);
            streamEnd = result == Z_STREAM_END;
        } while (z.avail_out == 0 && !streamEnd);
        if (!streamEnd && take == 0)
            throw ZipError("The archive is damaged: the member " + m.Name + " ends early");
    }
}

template <typename Sink>
void ZipReader::Inflate(const ZipMember& m, const std::string& password, Sink&& sink) const {
    if (m.Method != kMethodStore && m.Method != kMethodDeflate)
        throw ZipError("The member " + m.Name + " uses a compression method not supported");
    uint64_t offset = DataOffset(m), remaining = m.CompressedSize;
    std::optional<ZipCrypto> crypto;
    if (m.Encrypted) {
        if (remaining < ZipCrypto::kHeaderSize)
            throw ZipError("The archive is damaged: the member " + m.Name + " is too short");
        crypto.emplace(password);
        if (!HeaderFits(m, input_.ReadAt(offset, ZipCrypto::kHeaderSize), *crypto))
            throw ZipError("Wrong password for " + m.Name);
        offset += ZipCrypto::kHeaderSize;
        remaining -= ZipCrypto::kHeaderSize;
    }
    uint32_t crc = 0;
    uint64_t produced = 0;
    auto emit = [&](const uint8_t* data, size_t size) {
        produced += size;
        if (produced > m.Size)
            throw ZipError("The archive is damaged: the member " + m.Name +
                           " is larger than stated");
        crc = Crc32(crc, data, size);
        sink(data, size);
    };
    if (m.Method == kMethodDeflate && m.Size <= kWholeMember && remaining <= kWholeMember) {
        std::string input = input_.ReadAt(offset, remaining);
        if (crypto)
            crypto->Decrypt(reinterpret_cast<uint8_t*>(input.data()), input.size());
        std::vector<uint8_t> output(static_cast<size_t>(m.Size));
        thread_local std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)>
            decompressor(libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
        if (!decompressor)
            throw std::bad_alloc();
        if (libdeflate_deflate_decompress(decompressor.get(), input.data(), input.size(),
                                          output.data(), output.size(),
                                          nullptr) != LIBDEFLATE_SUCCESS)
            throw ZipError(Undecodable(m));
        emit(output.data(), output.size());
    } else {
        InflateStream(m, offset, remaining, crypto ? &*crypto : nullptr, emit);
    }
    if (produced != m.Size || crc != m.Crc)
        throw ZipError(m.Encrypted
                           ? "Wrong password for " + m.Name
                           : "The member " + m.Name + " is damaged: its CRC does not match");
}

void ZipReader::Extract(const ZipMember& member, const std::string& target,
                        const std::string& password) const {
    const std::string temporary = target + ".part-" + std::to_string(::getpid());
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0)
        throw ZipError("Cannot create " + target + ": " + std::strerror(errno));
    try {
        Inflate(member, password, [&](const uint8_t* data, size_t size) {
            if (::write(out, data, size) != static_cast<ssize_t>(size))
                throw ZipError("Cannot write " + target + ": " + std::strerror(errno));
        });
        ::fchmod(out, (member.UnixMode & 07777) ? member.UnixMode & 07777 : 0644);
        const timespec times[2] = {{0, UTIME_OMIT},
                                   {std::chrono::system_clock::to_time_t(member.Modified), 0}};
        ::futimens(out, times);
        if (::close(out) != 0)
            throw ZipError("Cannot write " + target);
    } catch (...) {
        ::close(out);
        ::unlink(temporary.c_str());
        throw;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throw ZipError("Cannot write " + target + ": " + std::strerror(errno));
    }
}

std::string ZipReader::Read(const ZipMember& member, const std::string& password,
                            uint64_t limit) const {
    if (member.Size > limit)
        throw ZipError("The member " + member.Name + " is too large to read into memory");
    std::string data;
    data.reserve(static_cast<size_t>(member.Size));
    Inflate(member, password, [&](const uint8_t* bytes, size_t size) {
        data.append(reinterpret_cast<const char*>(bytes), size);
    });
    return data;
}

void ZipReader::ExtractAll(const std::string& folder, const std::string& password) const {
    for (const ZipMember& member : members_)
        if (!IsSafeMemberName(member.Name))
            throw ZipError("The archive holds a member that would leave its folder: " +
                           member.Name);
    for (const ZipMember& member : members_) {
        const std::string target = folder + "/" + member.Name;
        if (member.IsFolder()) {
            MakeFolders(target);
            continue;
        }
        MakeFolders(target.substr(0, target.rfind('/')));
        Extract(member, target, password);
    }
}

bool IsSafeMemberName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos)
        return false;
    for (size_t start = 0; start <= name.size();) {
        const size_t end = std::min(name.find('/', start), name.size());
        if (name.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace kelvo
