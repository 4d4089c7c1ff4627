#include "files/zip/ZipWriter.h"

#include "files/zip/ChunkCompressor.h"
#include "files/zip/ZipCrypto.h"

#include <stdexcept>
#include <sys/stat.h>

namespace kelvo {

using namespace zip;

namespace {

// Past this many bytes a member's sizes may not fit 32 bits once compressed.
constexpr uint64_t kBigMember = 0xFF000000ull;
constexpr size_t kLargestEndRecords = 56 + 20 + 22;

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

int Percent(uint64_t done, uint64_t total) {
    return total == 0 ? 100 : static_cast<int>(std::min<uint64_t>(100, done * 100 / total));
}

} // namespace

ZipWriter::ZipWriter(std::string path, ZipWriterSettings settings)
    : path_(std::move(path)), settings_(std::move(settings)) {}

ZipWriter::ZipWriter(std::string path, std::string password) : path_(std::move(path)) {
    settings_.Password = std::move(password);
}

ZipWriter::~ZipWriter() = default;

void ZipWriter::Queue(ZipQueued member) {
    if (finished_)
        throw std::logic_error("the archive is finished");
    const std::string& name = member.Info.Name;
    if (name.empty() || name.size() > kMax16)
        throw ZipError("Cannot store the name \"" + name + "\" in an archive");
    queue_.push_back(std::move(member));
}

void ZipWriter::AddFile(const std::string& source, std::string name, int level) {
    ZipQueued member;
    member.What = ZipQueued::Kind::File;
    member.Info = {std::move(name), {}, 0, level};
    member.Source = source;
    struct stat info {};
    if (::stat(source.c_str(), &info) == 0)
        member.SizeHint = static_cast<uint64_t>(info.st_size);
    Queue(std::move(member));
}

void ZipWriter::AddData(std::string_view data, const ZipMemberInfo& info) {
    ZipQueued member;
    member.Info = info;
    member.Bytes = data;
    member.SizeHint = data.size();
    Queue(std::move(member));
}

void ZipWriter::AddFolder(const ZipMemberInfo& info) {
    ZipQueued member;
    member.What = ZipQueued::Kind::Folder;
    member.Info = info;
    if (member.Info.Name.empty() || member.Info.Name.back() != '/')
        member.Info.Name += '/';
    member.Info.Level = 0;
    member.Info.UnixMode = (info.UnixMode & 07777) | 040000;
    Queue(std::move(member));
}

void ZipWriter::AddRaw(const ZipReader& reader, const ZipMember& stored) {
    ZipQueued member;
    member.What = ZipQueued::Kind::Raw;
    member.Info = {stored.Name, stored.Modified, stored.UnixMode ? stored.UnixMode : 0100644, 0};
    member.From = &reader;
    member.Stored = stored;
    member.SizeHint = stored.CompressedSize;
    Queue(std::move(member));
}

// Writes the local header of the member the chunk starts. When the chunk is
// the whole member its final values are known now; otherwise the header is
// patched at the end, or (encrypted, whose header cannot be rewritten) a data
// descriptor follows the data.
void ZipWriter::Begin(const ZipChunk& chunk) {
    const ZipQueued& queued = queue_[chunk.Member];
    const bool whole = chunk.First && chunk.Last;
    EntryRecord e;
    e.Name = queued.Info.Name;
    e.Modified = chunk.Modified;
    e.UnixMode = chunk.UnixMode;
    e.Dos = ToDosTime(e.Modified);
    if (!IsAscii(e.Name))
        e.Flags |= kFlagUtf8;
    crypto_.reset();
    if (queued.What == ZipQueued::Kind::Raw) {
        const ZipMember& s = queued.Stored;
        e.Method = s.Method;
        e.Flags = s.Flags & (kFlagEncrypted | kFlagUtf8);
        if (s.Encrypted)
            e.Flags |= s.Flags & kFlagDataDescriptor; // its check byte depends on it
        e.Dos = {s.DosTime, s.DosDate};
        e.Crc = s.Crc;
        e.Compressed = s.CompressedSize;
        e.Size = s.Size;
        e.BigSizes = forceZip64_ || s.Size >= kMax32 || s.CompressedSize >= kMax32;
        currentKnown_ = true;
    } else {
        e.Method = queued.Info.Level > 0 && queued.What != ZipQueued::Kind::Folder ? kMethodDeflate
                                                                                   : kMethodStore;
        e.BigSizes = forceZip64_ || queued.SizeHint >= kBigMember ||
                     (whole && (chunk.InputSize >= kMax32 || chunk.Data.size() >= kMax32));
        const bool encrypt = !settings_.Password.empty() && queued.What != ZipQueued::Kind::Folder;
        if (encrypt)
            e.Flags |= kFlagEncrypted | (whole ? 0 : kFlagDataDescriptor);
        currentKnown_ = whole;
        if (whole) {
            e.Crc = chunk.Crc;
            e.Size = chunk.InputSize;
            e.Compressed = chunk.Data.size() + (encrypt ? ZipCrypto::kHeaderSize : 0);
        }
    }
    e.At = out_->WriteRecord(LocalHeader(e));
    if ((e.Flags & kFlagEncrypted) && queued.What != ZipQueued::Kind::Raw) {
        crypto_ = std::make_unique<ZipCrypto>(settings_.Password);
        // Readers check this byte: the CRC's high byte, or with a data
        // descriptor the DOS time's.
        const auto check = static_cast<uint8_t>(whole ? e.Crc >> 24 : e.Dos.time >> 8);
        const auto header = crypto_->MakeHeader(check);
        out_->Write(header.data(), header.size());
    }
    if (!currentKnown_) {
        e.Compressed = crypto_ ? ZipCrypto::kHeaderSize : 0;
        e.Size = 0;
        e.Crc = 0;
    }
    entries_.push_back(std::move(e));
}

void ZipWriter::Append(ZipChunk& chunk) {
    if (crypto_)
        crypto_->Encrypt(chunk.Data.data(), chunk.Data.size());
    out_->Write(chunk.Data.data(), chunk.Data.size());
    if (currentKnown_)
        return;
    EntryRecord& e = entries_.back();
    e.Crc = Crc32Combine(e.Crc, chunk.Crc, chunk.InputSize);
    e.Size += chunk.InputSize;
    e.Compressed += chunk.Data.size();
}

void ZipWriter::End() {
    EntryRecord& e = entries_.back();
    if (e.Flags & kFlagDataDescriptor) {
        out_->WriteRecord(DataDescriptor(e));
        return;
    }
    if (currentKnown_)
        return;
    if (!e.BigSizes && (e.Size >= kMax32 || e.Compressed >= kMax32))
        throw ZipError("The member " + e.Name + " grew past 4 GiB while it was read");
    out_->Patch(e.At, LocalHeader(e)); // same length, now with the real CRC and sizes
}

void ZipWriter::WriteDirectory(ZipResult& result) {
    DirectoryFacts facts;
    facts.Count = entries_.size();
    facts.ForceZip64 = forceZip64_;
    bool first = true;
    for (const EntryRecord& e : entries_) {
        const std::string header = CentralHeader(e, forceZip64_);
        const ZipPosition at = out_->WriteRecord(header);
        if (first)
            facts.Start = at;
        first = false;
        facts.Size += header.size();
        facts.CountOnLastDisk = at.Disk == facts.LastDisk ? facts.CountOnLastDisk + 1 : 1;
        facts.LastDisk = at.Disk;
        result.Compressed += e.Compressed;
        result.Original += e.Size;
    }
    out_->Reserve(kLargestEndRecords);
    if (first)
        facts.Start = out_->Position();
    if (out_->Disk() != facts.LastDisk)
        facts.CountOnLastDisk = 0;
    facts.LastDisk = out_->Disk();
    out_->WriteRecord(EndRecords(facts, out_->Position().Offset));
    result.Members = entries_.size();
}

ZipResult ZipWriter::Finish(ZipProgress* progress) {
    if (finished_)
        throw std::logic_error("the archive is finished");
    ZipVolumeWriter out(path_, settings_.VolumeSize, settings_.Prefix);
    out_ = &out;
    struct Detach {
        ZipVolumeWriter*& out;
        ~Detach() { out = nullptr; }
    } detach{out_};
    entries_.clear();
    uint64_t total = 0, done = 0;
    for (const ZipQueued& member : queue_)
        total += member.SizeHint;
    ZipResult result;
    {
        ZipPipeline pipeline(queue_, settings_.Threads);
        while (auto chunk = pipeline.Next()) {
            if (progress && progress->StopRequested())
                throw ZipCancelled();
            const ZipQueued& queued = queue_[chunk->Member];
            if (chunk->Skipped) {
                if (progress)
                    progress->Skipped(queued.Source, chunk->Error);
                continue;
            }
            if (!chunk->Error.empty())
                throw ZipError(chunk->Error);
            if (chunk->First) {
                if (progress)
                    progress->MemberStarted(queued.Info.Name);
                Begin(*chunk);
            }
            Append(*chunk);
            if (chunk->Last)
                End();
            const uint64_t step =
                queued.What == ZipQueued::Kind::Raw ? chunk->Data.size() : chunk->InputSize;
            done += step;
            if (progress)
                progress->Advanced(step, Percent(done, total));
        }
    }
    WriteDirectory(result);
    result.Volumes = out.Commit();
    for (const std::string& volume : result.Volumes) {
        struct stat info {};
        if (::stat(volume.c_str(), &info) == 0)
            result.ArchiveSize += static_cast<uint64_t>(info.st_size);
    }
    finished_ = true;
    return result;
}

} // namespace kelvo
