#pragma once

#include "files/zip/ZipReader.h"
#include "files/zip/ZipWriter.h"

#include <memory>
#include <string>
#include <vector>

namespace kelvo {

struct ZipArchiveSettings {
    std::string Path;        // the archive, or the last volume of a split set
    int Level = 6;           // 0 stores, 1..9 deflate
    std::string Password;    // traditional encryption when set
    uint64_t VolumeSize = 0; // split into volumes of this size; 0: one file
    std::string Prefix;      // the self-extracting stub
    unsigned Threads = 0;
};

struct ZipListEntry {
    std::string Source; // path of the file on disk
    std::string Name;   // member name
};

// An archive file with a list of files to add to it. The add operation builds
// the archive anew from the one already there and the listed files: members
// named like a listed file are replaced, the others stay; a member whose file
// has the same size and modification time is copied as stored, without
// compressing it again. The result replaces the archive only when complete.
class ZipArchiveFile {
public:
    explicit ZipArchiveFile(ZipArchiveSettings settings);

    const ZipArchiveSettings& Settings() const { return settings_; }
    void Queue(std::string source, std::string name);
    const std::vector<ZipListEntry>& List() const { return list_; }
    void ClearList() { list_.clear(); }

    // Adds the listed files and clears the list. Errors are ZipError (and
    // ZipCancelled after a stop).
    ZipResult Add(ZipProgress* progress = nullptr);

    // Members of the archive as it is on disk; none when there is no archive.
    const std::vector<ZipMember>& Members();
    bool HasMember(const std::string& name);
    std::string ReadMember(const std::string& name);
    // Bytes of the archive, all volumes together, the prefix included.
    uint64_t ArchiveSize() const;

    // The member name of a path: without its leading "/".
    static std::string MemberName(const std::string& path);

private:
    bool Unchanged(const ZipListEntry& entry, const ZipMember& member, const ZipReader& base) const;
    const ZipReader* Reader();

    ZipArchiveSettings settings_;
    std::vector<ZipListEntry> list_;
    std::unique_ptr<ZipReader> reader_; // of the archive on disk, opened when asked
    std::vector<std::string> volumes_;  // of the last build
};

} // namespace kelvo
