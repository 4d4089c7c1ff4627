#include "files/zip/ZipArchiveFile.h"

#include <cstdlib>
#include <map>
#include <sys/stat.h>

namespace kelvo {

namespace {

bool IsFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int64_t Seconds(SystemTime when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

} // namespace

ZipArchiveFile::ZipArchiveFile(ZipArchiveSettings settings) : settings_(std::move(settings)) {}

std::string ZipArchiveFile::MemberName(const std::string& path) {
    const size_t start = path.find_first_not_of('/');
    return start == std::string::npos ? std::string() : path.substr(start);
}

void ZipArchiveFile::Queue(std::string source, std::string name) {
    list_.push_back({std::move(source), std::move(name)});
}

bool ZipArchiveFile::Unchanged(const ZipListEntry& entry, const ZipMember& member,
                               const ZipReader& base) const {
    struct stat info {};
    if (member.IsFolder() || ::stat(entry.Source.c_str(), &info) != 0 ||
        static_cast<uint64_t>(info.st_size) != member.Size)
        return false;
    // A DOS time has two-second steps.
    const int64_t difference = std::llabs(info.st_mtim.tv_sec - Seconds(member.Modified));
    if (difference > (member.ExactTime ? 0 : 1))
        return false;
    // Copied as stored it keeps its encryption: only with the same password.
    return member.Encrypted ? base.PasswordFits(member, settings_.Password)
                            : settings_.Password.empty();
}

ZipResult ZipArchiveFile::Add(ZipProgress* progress) {
    reader_.reset();
    std::unique_ptr<ZipReader> base;
    if (IsFile(settings_.Path))
        base = std::make_unique<ZipReader>(settings_.Path);
    ZipWriterSettings writing{settings_.Password, settings_.VolumeSize, settings_.Prefix,
                              settings_.Threads};
    ZipWriter writer(settings_.Path, writing);
    std::map<std::string, const ZipListEntry*> listed;
    for (const ZipListEntry& entry : list_)
        listed[entry.Name] = &entry; // the last one of a name counts
    auto add = [&](const ZipListEntry& entry) {
        writer.AddFile(entry.Source, entry.Name, settings_.Level);
    };
    if (base) {
        for (const ZipMember& member : base->Members()) {
            const auto found = listed.find(member.Name);
            if (found == listed.end() || Unchanged(*found->second, member, *base))
                writer.AddRaw(*base, member);
            else
                add(*found->second);
            if (found != listed.end())
                listed.erase(found);
        }
    }
    for (const ZipListEntry& entry : list_) {
        const auto found = listed.find(entry.Name);
        if (found != listed.end() && found->second == &entry) {
            add(entry);
            listed.erase(found);
        }
    }
    ZipResult result = writer.Finish(progress);
    volumes_ = result.Volumes;
    list_.clear();
    return result;
}

const ZipReader* ZipArchiveFile::Reader() {
    if (!reader_ && IsFile(settings_.Path))
        reader_ = std::make_unique<ZipReader>(settings_.Path);
    return reader_.get();
}

const std::vector<ZipMember>& ZipArchiveFile::Members() {
    static const std::vector<ZipMember> none;
    const ZipReader* reader = Reader();
    return reader ? reader->Members() : none;
}

bool ZipArchiveFile::HasMember(const std::string& name) {
    const ZipReader* reader = Reader();
    return reader && reader->Find(name);
}

std::string ZipArchiveFile::ReadMember(const std::string& name) {
    const ZipReader* reader = Reader();
    const ZipMember* member = reader ? reader->Find(name) : nullptr;
    if (!member)
        throw ZipError("The archive " + settings_.Path + " has no member " + name);
    return reader->Read(*member, settings_.Password);
}

uint64_t ZipArchiveFile::ArchiveSize() const {
    std::vector<std::string> files = volumes_;
    if (files.empty())
        files.push_back(settings_.Path);
    uint64_t size = 0;
    for (const std::string& file : files) {
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0)
            size += static_cast<uint64_t>(info.st_size);
    }
    return size;
}

} // namespace kelvo
