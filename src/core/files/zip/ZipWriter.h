#pragma once

#include "files/zip/ZipPipeline.h"
#include "files/zip/ZipRecords.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

class ZipCrypto;

struct ZipWriterSettings {
    std::string Password;    // traditional encryption of every file member when set
    uint64_t VolumeSize = 0; // split into volumes of this size; 0: one file
    std::string Prefix;      // a file put before the archive (the self-extracting stub)
    unsigned Threads = 0;    // 0: one per core
};

// What a build tells while it runs, on the thread that called Finish.
class ZipProgress {
public:
    virtual ~ZipProgress() = default;
    virtual void MemberStarted(const std::string& name) { (void)name; }
    // bytes of the member just processed; percent of the whole build.
    virtual void Advanced(uint64_t bytes, int percent) { (void)bytes, (void)percent; }
    // A queued file that could not be opened; the build goes on without it.
    virtual void Skipped(const std::string& source, const std::string& reason) {
        (void)source, (void)reason;
    }
    virtual bool StopRequested() { return false; }
};

struct ZipResult {
    uint64_t Members = 0;
    uint64_t ArchiveSize = 0;         // all volumes, a prefix included
    uint64_t Compressed = 0;          // member data as stored
    uint64_t Original = 0;            // member data as read
    std::vector<std::string> Volumes; // the files written, the last one the archive's path
};

// Builds a ZIP archive: members are queued, and Finish compresses them on all
// cores, writes them in the order queued and the central directory after
// them, and renames the result into place. Nothing is left behind when a
// build fails or is stopped (ZipCancelled). ZIP64 records are written wherever
// a size, offset, count or volume number needs them.
class ZipWriter {
public:
    explicit ZipWriter(std::string path, ZipWriterSettings settings = {});
    ZipWriter(std::string path, std::string password);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // The file's mode and time are taken when it is read.
    void AddFile(const std::string& source, std::string name, int level);
    void AddData(std::string_view data, const ZipMemberInfo& info);
    void AddFolder(const ZipMemberInfo& info);
    // The member's stored bytes as they are, without recompressing; reader
    // must live until Finish returns.
    void AddRaw(const ZipReader& reader, const ZipMember& member);
    size_t Queued() const { return queue_.size(); }

    ZipResult Finish(ZipProgress* progress = nullptr);

    // Tests: ZIP64 records for every member and the end, whatever the sizes.
    void ForceZip64ForTesting() { forceZip64_ = true; }

private:
    void Queue(ZipQueued member);
    void Begin(const ZipChunk& chunk);
    void Append(ZipChunk& chunk);
    void End();
    void WriteDirectory(ZipResult& result);

    std::string path_;
    ZipWriterSettings settings_;
    std::vector<ZipQueued> queue_;
    bool forceZip64_ = false, finished_ = false;

    // State of a build.
    ZipVolumeWriter* out_ = nullptr;
    std::vector<zip::EntryRecord> entries_;
    zip::EntryRecord* current_ = nullptr;
    bool currentKnown_ = false; // the local header was written with the final values
    std::unique_ptr<ZipCrypto> crypto_;
};

} // namespace kelvo
